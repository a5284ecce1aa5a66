#include "wizards/User_Profile_Class.h"

const std::array<User_Profile_Class::Field_Info, User_Profile_Class::Field_Count> &User_Profile_Class::Fields()
{
#define CW_UP_INFO(p, P, id, cap_id, cap) Field_Info{#p, id, cap_id, cap},
    static const std::array<Field_Info, Field_Count> table{{CW_USER_PROFILE_FIELDS(CW_UP_INFO)}};
#undef CW_UP_INFO
    return table;
}

User_Profile_Class::Field_Ref User_Profile_Class::Field(int i)
{
    int k = 0;
#define CW_UP_REF(p, P, ...)                                                                            \
    if (k++ == i)                                                                                       \
        return Field_Ref{&p##_ds, &p##_ds_indx, &p##_xl, &p##_xl_col_indx, &p##_id, &p##_label_id,       \
                         &p##_label, &p, &p##_ds_name};
    CW_USER_PROFILE_FIELDS(CW_UP_REF)
#undef CW_UP_REF
    return Field_Ref{};
}

void User_Profile_Class::Reset_All_Values()
{
    Fill_User_Profile_Enable = false;
    Excel_Binding = false;
#define CW_UP_RESET(p, P, id, cap_id, cap)                                                              \
    p##_id = QStringLiteral(id);                                                                        \
    p##_label_id = QStringLiteral(cap_id);                                                              \
    p.clear();                                                                                          \
    p##_ds_name.clear();                                                                                \
    p##_ds = false;                                                                                     \
    p##_xl = false;                                                                                     \
    p##_ds_indx = 0;                                                                                    \
    p##_xl_col_indx = 0;
    CW_USER_PROFILE_FIELDS(CW_UP_RESET)
#undef CW_UP_RESET
}
