#pragma once
// The eleven user-profile fields of one card side: per field its value, the id
// of the graphic that shows it, and where the value comes from during output
// (typed, a series, or a column of the spreadsheet binding table).
//
// The record is plain data. Its fields are public and keep their names; each
// field except the `_label` ones also has a setter `setX(...)`. Because a C++
// member function cannot share a name with a data member, the public field
// itself is the getter. One list (CW_USER_PROFILE_FIELDS) drives every
// declaration, the reset and the indexed access the forms use.

#include <QString>
#include <array>

// X(prefix, Prefix, control id, caption id, caption)
#define CW_USER_PROFILE_FIELDS(X)                                                               \
    X(Name, Name, "Fup_Name", "Fup_lbl_Name", "Name :")                                         \
    X(Title, Title, "Fup_Title", "Fup_lbl_Title", "Position / Title :")                         \
    X(Company_name, Company_name, "Fup_Company", "Fup_lbl_Company", "Company Name :")           \
    X(slogan, Slogan, "Fup_CompanySlogan", "Fup_lbl_CompanySlogan", "Company Slogan :")         \
    X(address, Address, "Fup_Address", "Fup_lbl_Address", "Address :")                          \
    X(phone, Phone, "Fup_PhoneNO", "Fup_lbl_PhoneNO", "Phone No. :")                            \
    X(fax, Fax, "Fup_FaxNo", "Fup_lbl_FaxNo", "Fax No. :")                                      \
    X(email, Email, "Fup_EmailID", "Fup_lbl_EmailID", "Email Id :")                             \
    X(website, Website, "Fup_Website", "Fup_lbl_Website", "Website :")                          \
    X(unique, Unique, "Fup_UniqueNo", "Fup_lbl_UniqueNo", "Unique No. :")                       \
    X(image, Image, "Fup_Photo", "Fup_lbl_Photo", "Photo :")

class User_Profile_Class
{
public:
    static constexpr int Field_Count = 11;

    // Fixed description of field i (0..10), in the order of the forms.
    struct Field_Info {
        const char *prefix;
        const char *control_id;
        const char *caption_id;
        const char *caption;
    };
    static const std::array<Field_Info, Field_Count> &Fields();

    // Pointers to the nine record fields of profile field i, for forms that
    // walk the eleven fields in a loop.
    struct Field_Ref {
        bool *ds;
        int *ds_indx;
        bool *xl;
        int *xl_col_indx;
        QString *id;
        QString *label_id;
        QString *label;
        QString *value;
        QString *ds_name;
    };
    // nullptr members for an index outside 0..10.
    Field_Ref Field(int i);

    // Control ids and caption ids from the table; every value, series name,
    // flag and index cleared. The `_label` fields stay as they are.
    void Reset_All_Values();

    bool Fill_User_Profile_Enable = false;
    bool Excel_Binding = false;
    void setFill_User_Profile_Enable(bool v) { Fill_User_Profile_Enable = v; }
    void setExcel_Binding(bool v) { Excel_Binding = v; }

#define CW_UP_DS(p, P, ...) bool p##_ds = false;
    CW_USER_PROFILE_FIELDS(CW_UP_DS)
#undef CW_UP_DS
#define CW_UP_DS_INDX(p, P, ...) int p##_ds_indx = 0;
    CW_USER_PROFILE_FIELDS(CW_UP_DS_INDX)
#undef CW_UP_DS_INDX
#define CW_UP_XL(p, P, ...) bool p##_xl = false;
    CW_USER_PROFILE_FIELDS(CW_UP_XL)
#undef CW_UP_XL
#define CW_UP_XL_COL(p, P, ...) int p##_xl_col_indx = 0;
    CW_USER_PROFILE_FIELDS(CW_UP_XL_COL)
#undef CW_UP_XL_COL
#define CW_UP_ID(p, P, ...) QString p##_id;
    CW_USER_PROFILE_FIELDS(CW_UP_ID)
#undef CW_UP_ID
#define CW_UP_LABEL_ID(p, P, ...) QString p##_label_id;
    CW_USER_PROFILE_FIELDS(CW_UP_LABEL_ID)
#undef CW_UP_LABEL_ID
#define CW_UP_LABEL(p, P, ...) QString p##_label;
    CW_USER_PROFILE_FIELDS(CW_UP_LABEL)
#undef CW_UP_LABEL
#define CW_UP_VALUE(p, P, ...) QString p;
    CW_USER_PROFILE_FIELDS(CW_UP_VALUE)
#undef CW_UP_VALUE
#define CW_UP_DS_NAME(p, P, ...) QString p##_ds_name;
    CW_USER_PROFILE_FIELDS(CW_UP_DS_NAME)
#undef CW_UP_DS_NAME

    // Setters (no setter for the `_label` fields).
#define CW_UP_SETTERS(p, P, ...)                                               \
    void set##P##_ds(bool v) { p##_ds = v; }                                   \
    void set##P##_ds_indx(int v) { p##_ds_indx = v; }                          \
    void set##P##_xl(bool v) { p##_xl = v; }                                   \
    void set##P##_xl_col_indx(int v) { p##_xl_col_indx = v; }                  \
    void set##P##_id(const QString &v) { p##_id = v; }                         \
    void set##P##_label_id(const QString &v) { p##_label_id = v; }             \
    void set##P(const QString &v) { p = v; }                                   \
    void set##P##_ds_name(const QString &v) { p##_ds_name = v; }
    CW_USER_PROFILE_FIELDS(CW_UP_SETTERS)
#undef CW_UP_SETTERS
};
