#include "drawing/Card_Property.h"

#include "drawing/GraphicDefaults.h"

Card_Property::Card_Property()
    : Card_bordr_clr(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 1.0f))
    , Card_fill_clr(QColor::fromRgbF(1.0f, 1.0f, 1.0f, 1.0f))
    , Card_fill_Grd_1_clr(QColor::fromRgbF(1.0f, 1.0f, 1.0f, 1.0f))
    , Card_fill_Grd_2_clr(QColor::fromRgbF(1.0f, 1.0f, 1.0f, 1.0f))
    , Card_hatch_bk_clr(QColor::fromRgbF(1.0f, 1.0f, 1.0f, 1.0f))
    , Card_Content_clr(QColor::fromRgbF(0.0f, 0.0f, 0.0f, 1.0f))
    , Card_Content_font(graphic_defaults::namedFont(graphic_defaults::textCtrlFontName(), 14.0))
{
}

bool Card_Property::operator==(const Card_Property& o) const
{
    return Card_border_chk == o.Card_border_chk && Card_fill_chk == o.Card_fill_chk
        && Card_bordr_clr == o.Card_bordr_clr && Card_fill_clr == o.Card_fill_clr
        && Card_fill_Grd_1_clr == o.Card_fill_Grd_1_clr && Card_fill_Grd_2_clr == o.Card_fill_Grd_2_clr
        && Card_hatch_bk_clr == o.Card_hatch_bk_clr && Card_bor_Stepper == o.Card_bor_Stepper
        && Card_grad_Stepper == o.Card_grad_Stepper && Card_Cat_index == o.Card_Cat_index
        && Card_alpha_Stepper == o.Card_alpha_Stepper && Card_border_style == o.Card_border_style
        && Card_fill_style == o.Card_fill_style && Card_hatch_style == o.Card_hatch_style
        && Card_Side == o.Card_Side && Card_Side_Name == o.Card_Side_Name && Card_Shape == o.Card_Shape
        && Card_Name == o.Card_Name && Card_Preset == o.Card_Preset && Card_Category == o.Card_Category
        && Card_Sub_Category == o.Card_Sub_Category && Card_Create_Mode == o.Card_Create_Mode
        && Card_BG_Image_Path == o.Card_BG_Image_Path && Card_BG_Image_Layout == o.Card_BG_Image_Layout
        && Card_BG_Image == o.Card_BG_Image && Card_Location == o.Card_Location && Card_Size == o.Card_Size
        && Card_Content_clr == o.Card_Content_clr && Card_Content_font == o.Card_Content_font
        && Card_Content_font.family() == o.Card_Content_font.family();
}

int Card_Property::Card_Shape_Index(const QString& code)
{
    if (code == QLatin1String("RR"))
        return 1;
    if (code == QLatin1String("E"))
        return 2;
    return 0;
}

QString Card_Property::Card_Shape_Code(int index)
{
    switch (index) {
    case 0:
        return QStringLiteral("R");
    case 1:
        return QStringLiteral("RR");
    default:
        return QStringLiteral("E");
    }
}

QString Card_Property::Card_Sides_Str(const QString& cardSide)
{
    return cardSide == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("2");
}

int Card_Property::Card_Sides_Index(const QString& cardSide)
{
    return cardSide == QLatin1String("1") ? 1 : 0;
}
