// The card background: shapes, fills, picture layouts, borders, partial repaints.
#include "drawing/CardBackground.h"
#include "support_probe.h"

#include <QPainter>
#include <gtest/gtest.h>

using namespace drawing;

namespace {

const QColor kCanvas(10, 20, 30); // what shows outside the card shape

struct Bg {
    Card_Property side;
    int shape = 0;
    QString res;
    QImage paint(QRectF dirty = QRectF(), double dpi = 72) const
    {
        CardBackgroundContext c;
        c.front = &side;
        c.back = &side;
        c.cardShape = shape;
        c.resourcePath = res;
        c.cardRect = QRectF(0, 0, 243, 154);
        return probe::paintAt(QSizeF(243, 154), dpi, [&](QPainter& p) { Card_Base_Drawing(p, c, dirty); }, kCanvas);
    }
};

} // namespace

TEST(CardBackground, ShapesLeaveTheirCornersUnpainted)
{
    Bg bg;
    for (int shape : {0, 1, 2, 7}) {
        bg.shape = shape;
        const QImage img = bg.paint();
        EXPECT_TRUE(probe::near(img.pixel(121, 77), Qt::white));
        const bool cornerPainted = probe::near(img.pixel(0, 0), Qt::white);
        EXPECT_EQ(cornerPainted, shape == 0 || shape == 7) << shape;
        // Rounded corners of radius 10: (3, 3) is outside, (5, 5) inside.
        if (shape == 1) {
            EXPECT_TRUE(probe::near(img.pixel(5, 5), Qt::white));
            EXPECT_TRUE(probe::near(img.pixel(1, 1), kCanvas));
        }
        if (shape == 2) {
            EXPECT_TRUE(probe::near(img.pixel(20, 10), kCanvas));
        }
    }
}

TEST(CardBackground, FillsGradientsAndHatches)
{
    Bg bg;
    bg.side.Card_fill_chk = true;
    bg.side.Card_fill_clr = QColor(200, 100, 50);
    EXPECT_TRUE(probe::near(bg.paint().pixel(100, 100), QColor(200, 100, 50)));
    bg.side.Card_fill_style = "unknown"; // any other code: solid
    EXPECT_TRUE(probe::near(bg.paint().pixel(100, 100), QColor(200, 100, 50)));
    bg.side.Card_fill_chk = false;
    EXPECT_TRUE(probe::near(bg.paint().pixel(100, 100), Qt::white));

    bg.side.Card_fill_chk = true;
    bg.side.Card_fill_style = "G";
    bg.side.Card_fill_Grd_1_clr = Qt::red;
    bg.side.Card_fill_Grd_2_clr = Qt::blue;
    bg.side.Card_grad_Stepper = 90; // top to bottom
    QImage g = bg.paint();
    EXPECT_TRUE(probe::near(g.pixel(121, 0), Qt::red, 6));
    EXPECT_TRUE(probe::near(g.pixel(121, 153), Qt::blue, 6));
    EXPECT_EQ(g.pixel(10, 77), g.pixel(230, 77));
    bg.side.Card_grad_Stepper = 0; // left to right
    g = bg.paint();
    EXPECT_TRUE(probe::near(g.pixel(0, 77), Qt::red, 6));
    EXPECT_TRUE(probe::near(g.pixel(242, 77), Qt::blue, 6));

    // A missing hatch tile leaves the hatch background colour.
    bg.side.Card_fill_style = "H";
    bg.side.Card_hatch_bk_clr = Qt::green;
    bg.side.Card_hatch_style = "nothing_here";
    bg.res = probe::tempDir() + "/bg_res";
    const QImage h = bg.paint();
    EXPECT_TRUE(probe::near(h.pixel(0, 0), Qt::green));
    EXPECT_TRUE(probe::near(h.pixel(121, 77), Qt::green));
}

TEST(CardBackground, PictureStretchCoversOvalCornersTileStaysInside)
{
    Bg bg;
    bg.shape = 2;
    bg.side.Card_fill_chk = true;
    bg.side.Card_fill_style = "I";
    QImage red(10, 10, QImage::Format_ARGB32);
    red.fill(Qt::red);
    red.setDotsPerMeterX(2835);
    red.setDotsPerMeterY(2835);
    bg.side.Card_BG_Image = red;
    bg.side.Card_BG_Image_Layout = "Stretch";
    const QImage stretched = bg.paint();
    EXPECT_TRUE(probe::near(stretched.pixel(1, 1), Qt::red));
    EXPECT_TRUE(probe::near(stretched.pixel(121, 77), Qt::red));
    bg.side.Card_BG_Image_Layout = "Tile";
    const QImage tiled = bg.paint();
    EXPECT_TRUE(probe::near(tiled.pixel(1, 1), kCanvas));
    EXPECT_TRUE(probe::near(tiled.pixel(121, 77), Qt::red));

    // Opacity: a fraction from the panel, 100.0 from a record never edited.
    bg.shape = 0;
    bg.side.Card_BG_Image_Layout = "Stretch";
    bg.side.Card_alpha_Stepper = 0.5f;
    EXPECT_TRUE(probe::near(bg.paint().pixel(50, 50), QColor(255, 128, 128), 3));
    bg.side.Card_alpha_Stepper = 100.0f;
    EXPECT_TRUE(probe::near(bg.paint().pixel(50, 50), Qt::red));
    bg.side.Card_BG_Image_Layout = "Tile";
    bg.side.Card_alpha_Stepper = 0.5f;
    EXPECT_TRUE(probe::near(bg.paint().pixel(50, 50), QColor(255, 128, 128), 3));

    // An unreadable picture file: the white shape stays. "" changes nothing.
    setBackgroundPicture(bg.side, probe::tempDir() + "/no_such_background.jpg");
    EXPECT_EQ(bg.side.Card_fill_style, "I");
    EXPECT_TRUE(bg.side.Card_BG_Image.isNull());
    EXPECT_TRUE(probe::near(bg.paint().pixel(50, 50), Qt::white));
    setBackgroundPicture(bg.side, "");
    EXPECT_TRUE(bg.side.Card_BG_Image_Path.endsWith("no_such_background.jpg"));
    probe::writePng(red, probe::tempDir() + "/bg_red.png");
    setBackgroundPicture(bg.side, probe::tempDir() + "/bg_red.png");
    EXPECT_FALSE(bg.side.Card_BG_Image.isNull());
}

TEST(CardBackground, BorderDashesAndPartialRepaints)
{
    Bg bg;
    bg.side.Card_border_chk = true;
    bg.side.Card_bordr_clr = Qt::black;
    bg.side.Card_bor_Stepper = 3;
    bg.side.Card_border_style = "DDD";
    const QImage img = bg.paint();
    // Along the top edge (y 0, the inner half of the 3-point line).
    const auto runs = probe::runsAlongRow(img, 0, 0, 243, [](QRgb p) { return qRed(p) < 100; });
    ASSERT_GE(runs.size(), 6u);
    const int want[] = {24, 8, 8, 8, 8, 8};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(runs[i], want[i], 1) << i;

    // A repaint of a rectangle in the middle of the card draws no border
    // there and matches the full paint pixel for pixel inside it.
    bg.shape = 1;
    bg.side.Card_border_style = "S";
    const QRectF dirty(60, 40, 100, 60);
    const QImage full = bg.paint();
    const QImage part = bg.paint(dirty);
    for (int y = 40; y < 100; ++y)
        for (int x = 60; x < 160; ++x)
            ASSERT_EQ(part.pixel(x, y), full.pixel(x, y)) << x << "," << y;
    EXPECT_TRUE(probe::near(part.pixel(60, 40), Qt::white));
    EXPECT_TRUE(probe::near(part.pixel(10, 10), kCanvas)); // outside the dirty rectangle: untouched
}
