// Dashes, gradients and hatch tiles.
#include "drawing/PaintStyle.h"
#include "support_probe.h"

#include <gtest/gtest.h>

using namespace drawing;

namespace {
bool black(QRgb p) { return qRed(p) < 128; }
}

TEST(PaintStyle, DashesMeasureInPointsAtAnyWidthAndResolution)
{
    struct Case { const char* code; double width; double dpi; std::vector<int> want; };
    const Case cases[] = {
        {"DA", 2, 72, {8, 2, 8, 2}},
        {"DDD", 3, 72, {24, 8, 8, 8, 8, 8, 24}},
        {"DO", 1, 72, {4, 6, 4, 6}},
        {"DA", 0, 300, {33, 8, 33, 8}}, // hairline: 8 pt, 2 pt at 300 dpi
    };
    for (const Case& c : cases) {
        const QImage img = probe::paintAt(QSizeF(200, 20), c.dpi, [&](QPainter& p) {
            QPainterPath path;
            path.moveTo(0, 10);
            path.lineTo(200, 10);
            strokePath(p, path, Qt::black, c.width, c.code);
        });
        const int y = int(10 * c.dpi / 72);
        std::vector<int> runs = probe::runsAlongRow(img, y, 0, img.width(), black);
        runs.resize(std::min(runs.size(), c.want.size()));
        for (size_t i = 0; i < c.want.size(); ++i)
            EXPECT_NEAR(runs[i], c.want[i], 1) << c.code << " run " << i;
    }
    // Unknown codes are solid.
    const QImage solid = probe::paintAt(QSizeF(100, 20), 72, [](QPainter& p) {
        QPainterPath path(QPointF(0, 10));
        path.lineTo(100, 10);
        strokePath(p, path, Qt::black, 2, "zz");
    });
    EXPECT_EQ(probe::runsAlongRow(solid, 10, 0, 100, black), std::vector<int>{100});
}

TEST(PaintStyle, GradientRunsAlongTheAngleBetweenExtremeCorners)
{
    QPainterPath rect;
    rect.addRect(0, 0, 100, 100);
    const QImage down = probe::paintAt(QSizeF(100, 100), 72, [&](QPainter& p) {
        fillGradient(p, rect, Qt::red, Qt::blue, 90);
    });
    EXPECT_TRUE(probe::near(down.pixel(50, 0), QColor(250, 0, 5), 6));
    EXPECT_TRUE(probe::near(down.pixel(50, 99), QColor(5, 0, 250), 6));
    EXPECT_EQ(down.pixel(0, 50), down.pixel(99, 50)); // constant across
    const QImage across = probe::paintAt(QSizeF(100, 100), 72, [&](QPainter& p) {
        fillGradient(p, rect, Qt::red, Qt::blue, 0);
    });
    EXPECT_TRUE(probe::near(across.pixel(0, 50), QColor(250, 0, 5), 6));
    EXPECT_TRUE(probe::near(across.pixel(99, 50), QColor(5, 0, 250), 6));
    // 45 degrees: the top-left corner is the start, the bottom-right the end.
    const QImage diag = probe::paintAt(QSizeF(100, 100), 72, [&](QPainter& p) {
        fillGradient(p, rect, Qt::red, Qt::blue, 45);
    });
    EXPECT_TRUE(probe::near(diag.pixel(0, 0), Qt::red, 6));
    EXPECT_TRUE(probe::near(diag.pixel(99, 99), Qt::blue, 6));
    EXPECT_TRUE(probe::near(diag.pixel(99, 0), diag.pixel(0, 99), 2));
}

TEST(PaintStyle, HatchTilesOverTheBackgroundAndRefusesBadNames)
{
    const QString res = probe::tempDir() + "/hatch_res";
    QImage tile(4, 4, QImage::Format_ARGB32);
    tile.fill(Qt::transparent);
    tile.setPixel(0, 0, qRgb(0, 0, 0));
    tile.setDotsPerMeterX(2835); // 72 dpi: one point per pixel
    tile.setDotsPerMeterY(2835);
    ASSERT_TRUE(probe::writePng(tile, res + "/Fill_Style_Image/dots.png"));
    ASSERT_TRUE(probe::writePng(tile, res + "/secret.png"));
    QPainterPath rect;
    rect.addRect(0, 0, 20, 20);
    auto paint = [&](const QString& name) {
        return probe::paintAt(QSizeF(20, 20), 72, [&](QPainter& p) { fillHatch(p, rect, Qt::yellow, res, name); });
    };
    const QImage dots = paint("dots");
    EXPECT_TRUE(probe::near(dots.pixel(0, 0), Qt::black));
    EXPECT_TRUE(probe::near(dots.pixel(4, 4), Qt::black));
    EXPECT_TRUE(probe::near(dots.pixel(1, 1), Qt::yellow));
    // At 144 dpi the tile keeps its size in points: dots every 8 pixels.
    const QImage fine = probe::paintAt(QSizeF(20, 20), 144, [&](QPainter& p) { fillHatch(p, rect, Qt::yellow, res, "dots"); });
    EXPECT_TRUE(probe::near(fine.pixel(8, 8), Qt::black));
    EXPECT_TRUE(probe::near(fine.pixel(4, 4), Qt::yellow));
    for (const QString& bad : {QString("missing"), QString("../secret"), QString("a/b")}) {
        const QImage img = paint(bad);
        EXPECT_TRUE(probe::near(img.pixel(0, 0), Qt::yellow)) << bad.toStdString();
        EXPECT_TRUE(probe::near(img.pixel(4, 4), Qt::yellow));
    }
}
