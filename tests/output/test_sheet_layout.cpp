// Laying cards on a sheet: the fit against the paper, the page count, and
// the cell and picture places the printed view and the preview share.
#include "output/sheet_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace sheet_layout;

namespace {

double pt(double mm) { return MM_to_Points_Convert(float(mm)); }

// A 210 x 297 mm sheet with 10 mm margins: 190 mm printable width.
Print_Layout A4(bool auto_center, int align = 1)
{
    Print_Layout l;
    l.paper_w = pt(210);
    l.paper_h = pt(297);
    l.Left_Mar = l.Rite_Mar = l.Top_Mar = l.Bot_Mar = pt(10);
    l.auto_center_flag = auto_center;
    l.label_align_val = align;
    return l;
}

} // namespace

TEST(SheetLayout, FitCentresShrinksAndKeepsWhatFits)
{
    // Auto-centre: 3 x 50 mm on 190 mm leaves four 10 mm gaps; the grid
    // starts one gap inside the left margin.
    Print_Layout l = A4(true);
    Check_Max_Cell_Value({50, 30, 0, 0, 2, 3}, l);
    EXPECT_EQ(l.Print_Col, 3);
    EXPECT_NEAR(Points_to_MM_Convert(float(l.horz_mar)), 10.0, 1e-3);
    EXPECT_NEAR(Place_Cell(l, 1, 1, {10, 10}).cell.x(), pt(20), 1e-3);
    EXPECT_NEAR(Place_Cell(l, 1, 3, {10, 10}).cell.right(), pt(190), 1e-3);

    // Auto-centre with more columns than fit: the truncated quotient, no gap.
    Check_Max_Cell_Value({50, 30, 0, 0, 2, 5}, l);
    EXPECT_EQ(l.Print_Col, 3);
    EXPECT_EQ(l.horz_mar, 0);
    EXPECT_NEAR(Place_Cell(l, 1, 1, {10, 10}).cell.x(), pt(10), 1e-3);

    // Gaps as typed: exactly 190 mm (3 x 60 + 2 x 5) keeps 3, one more is cut.
    Print_Layout t = A4(false);
    Check_Max_Cell_Value({60, 30, 5, 0, 1, 3}, t);
    EXPECT_EQ(t.Print_Col, 3);
    Check_Max_Cell_Value({60, 30, 5, 0, 1, 4}, t);
    EXPECT_EQ(t.Print_Col, 3);
    // A count that fits is never raised.
    Check_Max_Cell_Value({60, 30, 5, 0, 2, 1}, t);
    EXPECT_EQ(t.Print_Col, 1);
    EXPECT_EQ(t.Print_Row, 2);

    // Both sides: "U" doubles the height, "L" the width.
    t.Print_Card_Side = QStringLiteral("BOTH");
    t.Print_Card_Algn = QStringLiteral("U");
    Check_Max_Cell_Value({60, 30, 0, 0, 1, 1}, t);
    EXPECT_NEAR(t.label_hight, 2 * pt(30), 1e-3);
    t.Print_Card_Algn = QStringLiteral("L");
    Check_Max_Cell_Value({60, 30, 0, 0, 1, 1}, t);
    EXPECT_NEAR(t.label_width, 2 * pt(60), 1e-3);
}

TEST(SheetLayout, BadFieldsNeverReachADivision)
{
    // Zero rows or columns, a zero-width card and a gap of minus the width
    // once divided by zero; every case leaves a usable layout.
    struct Case {
        Fit_Request request;
        bool auto_center;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {{50, 30, 0, 0, 0, 0}, false}, {{50, 30, 0, 0, 0, 0}, true},  {{0, 0, 0, 0, 2, 2}, false},
        {{0, 0, 0, 0, 2, 2}, true},    {{50, 30, -50, -30, 2, 2}, false}, {{nan, nan, nan, nan, 2, 2}, false},
        {{1e40, 1e40, 0, 0, 2, 2}, true}, {{-5, -5, 0, 0, -3, -3}, false},
    };
    for (const Case& c : cases) {
        Print_Layout l = A4(c.auto_center);
        Check_Max_Cell_Value(c.request, l);
        EXPECT_GE(l.Print_Row, 1);
        EXPECT_GE(l.Print_Col, 1);
        EXPECT_GE(l.label_width, pt(1) - 1e-6);
        EXPECT_GE(l.horz_mar, 0);
        EXPECT_GE(l.vert_mar, 0);
        EXPECT_TRUE(std::isfinite(Place_Cell(l, 2, 2, {10, 10}).cell.x()));
    }

    // Typed text: bad input gives nothing (the field keeps its last value).
    EXPECT_EQ(Parse_Length(QStringLiteral("12,5"), 0), 12.5);
    for (const char* bad : {"", "abc", "-1", "nan", "1e40", "inf"})
        EXPECT_FALSE(Parse_Length(QString::fromLatin1(bad), 0)) << bad;
    EXPECT_FALSE(Parse_Length(QStringLiteral("0"), kMinCardMM));
    EXPECT_FALSE(Parse_Count(QStringLiteral("0")));
    EXPECT_EQ(Parse_Count(QStringLiteral("3")), 3);

    // Totals: below 1 prints nothing, a huge or negative one never wraps
    // the page count, data rows bound it.
    EXPECT_EQ(Clamp_Total(-1, false, 0), 0);
    EXPECT_EQ(Clamp_Total(0.5, false, 0), 0);
    EXPECT_EQ(Clamp_Total(1e40, false, 0), kMaxTotal);
    EXPECT_EQ(Clamp_Total(50, true, 12), 12);
    EXPECT_EQ(Page_Count(-1, 2, 2), 0u);
    EXPECT_EQ(Page_Count(7, 2, 2), 2u);
    EXPECT_EQ(Page_Count(8, 0, 0), 8u);
    EXPECT_EQ(Page_Count(10, 3, 3), 2u);
}

TEST(SheetLayout, AlignmentsAndBothSidesPlaceThePictures)
{
    // Alignment 5 centres the grid both ways; 9 puts it against the right
    // and bottom margins.
    Print_Layout l = A4(false, 5);
    Check_Max_Cell_Value({50, 30, 5, 5, 2, 2}, l);
    const QRectF first = Place_Cell(l, 1, 1, {}).cell, last = Place_Cell(l, 2, 2, {}).cell;
    EXPECT_NEAR(first.x() - l.Left_Mar, l.paper_w - l.Rite_Mar - last.right(), 1e-3);
    EXPECT_NEAR(last.y() - l.Bot_Mar, l.paper_h - l.Top_Mar - first.bottom(), 1e-3);
    l.label_align_val = 9;
    EXPECT_NEAR(Place_Cell(l, 2, 2, {}).cell.right(), l.paper_w - l.Rite_Mar, 1e-3);
    EXPECT_NEAR(Place_Cell(l, 2, 2, {}).cell.y(), l.Bot_Mar, 1e-3);
    l.label_align_val = 1;
    EXPECT_NEAR(Place_Cell(l, 1, 1, {}).cell.bottom(), l.paper_h - l.Top_Mar, 1e-3);
    // In painter coordinates row 1 is at the top margin.
    EXPECT_NEAR(Qt_Rect(l, Place_Cell(l, 1, 1, {}).cell).y(), l.Top_Mar, 1e-3);
    EXPECT_EQ(Get_Curr_Label_Index(l, 2, 1), 2);

    // A smaller picture is centred; "U" puts the back right below the front,
    // "L" right beside it.
    const QSizeF card(pt(40), pt(20));
    const Cell_Place single = Place_Cell(l, 1, 1, card);
    EXPECT_NEAR(single.picture.center().x(), single.cell.center().x(), 1e-3);
    EXPECT_FALSE(single.back);
    l.Print_Card_Side = QStringLiteral("BOTH");
    l.Print_Card_Algn = QStringLiteral("U");
    Check_Max_Cell_Value({40, 20, 0, 0, 1, 1}, l);
    Cell_Place u = Place_Cell(l, 1, 1, card);
    ASSERT_TRUE(u.back);
    EXPECT_NEAR(u.back->bottom(), u.picture.y(), 1e-3); // y-up: the back ends where the front starts
    EXPECT_NEAR(u.back->x(), u.picture.x(), 1e-3);
    EXPECT_NEAR(u.picture.y(), u.cell.y(), 1e-3); // front fills the upper half
    l.Print_Card_Algn = QStringLiteral("L");
    Check_Max_Cell_Value({40, 20, 0, 0, 1, 1}, l);
    Cell_Place side = Place_Cell(l, 1, 1, card);
    ASSERT_TRUE(side.back);
    EXPECT_NEAR(side.back->x(), side.picture.right(), 1e-3);
    EXPECT_NEAR(side.back->y(), side.picture.y(), 1e-3);
}
