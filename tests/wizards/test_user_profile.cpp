#include "wizards/User_Profile_Class.h"

#include <gtest/gtest.h>

TEST(UserProfileRecord, ResetSetsIdsAndClearsEverythingButLabels)
{
    User_Profile_Class r;
    EXPECT_TRUE(r.Name_id.isEmpty()); // ids are set by the reset, not on creation

    r.setFill_User_Profile_Enable(true);
    r.setExcel_Binding(true);
    r.setSlogan_ds(true);
    r.setSlogan_ds_indx(4);
    r.setSlogan_ds_name(QStringLiteral("S"));
    r.setImage_xl(true);
    r.setImage_xl_col_indx(3);
    r.setImage(QStringLiteral("/p.png"));
    r.setCompany_name_id(QStringLiteral("x"));
    r.unique_label = QStringLiteral("kept");
    r.Reset_All_Values();

    EXPECT_FALSE(r.Fill_User_Profile_Enable);
    EXPECT_FALSE(r.Excel_Binding);
    EXPECT_EQ(r.unique_label, QStringLiteral("kept"));
    const char *ids[] = {"Fup_Name", "Fup_Title", "Fup_Company", "Fup_CompanySlogan", "Fup_Address", "Fup_PhoneNO",
                         "Fup_FaxNo", "Fup_EmailID", "Fup_Website", "Fup_UniqueNo", "Fup_Photo"};
    for (int i = 0; i < User_Profile_Class::Field_Count; ++i) {
        auto f = r.Field(i);
        ASSERT_NE(f.value, nullptr);
        EXPECT_EQ(*f.id, QString::fromLatin1(ids[i])) << i;
        EXPECT_EQ(*f.id, QString::fromLatin1(User_Profile_Class::Fields()[i].control_id));
        EXPECT_EQ(*f.label_id, QString::fromLatin1(User_Profile_Class::Fields()[i].caption_id));
        EXPECT_TRUE(f.value->isEmpty());
        EXPECT_TRUE(f.ds_name->isEmpty());
        EXPECT_FALSE(*f.ds);
        EXPECT_FALSE(*f.xl);
        EXPECT_EQ(*f.ds_indx, 0);
        EXPECT_EQ(*f.xl_col_indx, 0);
    }
    EXPECT_EQ(r.Field(11).value, nullptr);
    EXPECT_EQ(r.Field(-1).value, nullptr);

    // The indexed access reaches the same storage as the named fields.
    *r.Field(3).ds_name = QStringLiteral("Slogans");
    EXPECT_EQ(r.slogan_ds_name, QStringLiteral("Slogans"));
    EXPECT_STREQ(User_Profile_Class::Fields()[10].caption, "Photo :");
}
