// Shape outlines, fills and hit tests; line geometry, drawing and hit tests.
#include "drawing/QBXLine.h"
#include "drawing/RefreshSeam.h"
#include "drawing/Shape_Control.h"
#include "support/bounded_wait.h"
#include "support_probe.h"

#include <QCoreApplication>
#include <thread>
#include <gtest/gtest.h>

namespace {

std::vector<QPointF> vertices(const QPainterPath& path)
{
    std::vector<QPointF> out;
    for (int i = 0; i < path.elementCount(); ++i)
        out.emplace_back(path.elementAt(i).x, path.elementAt(i).y);
    return out;
}

std::shared_ptr<Shape_Control> shape(const QString& type, QRectF bounds = QRectF(0, 0, 100, 100))
{
    auto s = std::make_shared<Shape_Control>();
    s->Set_Shape_Type(type);
    s->setBounds(bounds);
    return s;
}

QImage draw(QBXGraphic& g, QSizeF size = QSizeF(120, 120), double dpi = 72, DrawingContext dc = {})
{
    return probe::paintAt(size, dpi, [&](QPainter& p) { g.drawContentsInView(&p, dc, false); });
}

} // namespace

TEST(ShapeGraphic, OutlinesVisitTheirVertices)
{
    auto star = shape("S");
    const auto v = vertices(star->bezierPathForDrawing());
    const QPointF want[] = {{50, 0}, {79.39, 90.45}, {2.45, 34.55}, {97.55, 34.55}, {20.61, 90.45}};
    ASSERT_GE(v.size(), 5u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(v[i].x(), want[i].x(), 0.01) << i;
        EXPECT_NEAR(v[i].y(), want[i].y(), 0.01) << i;
    }
    auto hex = shape("P");
    hex->polygon_type = 3;
    const auto h = vertices(hex->bezierPathForDrawing());
    const QPointF hexWant[] = {{50, 0}, {93.3, 25}, {93.3, 75}, {50, 100}, {6.7, 75}, {6.7, 25}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(h[i].x(), hexWant[i].x(), 0.01);
        EXPECT_NEAR(h[i].y(), hexWant[i].y(), 0.01);
        EXPECT_NEAR(h[i + 6].x(), hexWant[i].x(), 0.01); // traced twice
    }
    hex->polygon_type = 1; // the eight-point outline
    EXPECT_EQ(vertices(hex->bezierPathForDrawing())[1], QPointF(50, 25));
    auto ds = shape("DS");
    EXPECT_EQ(vertices(ds->bezierPathForDrawing()).size(), 8u); // 7 points + close
    // Stretched: a 200 x 100 star has its points on the ellipse of radii 100 and 50.
    auto wide = shape("S", QRectF(0, 0, 200, 100));
    EXPECT_NEAR(vertices(wide->bezierPathForDrawing())[2].x(), 100 - 100 * 0.9511, 0.01);
    auto tri = shape("T");
    EXPECT_EQ(vertices(tri->bezierPathForDrawing())[1], QPointF(50, 0));
}

TEST(ShapeGraphic, EmptyOutlinesAndTheStarPointLimit)
{
    for (int variant : {0, -3, 2000000000}) {
        auto ds = shape("DS");
        ds->double_star_type = variant;
        EXPECT_TRUE(ds->bezierPathForDrawing().isEmpty()) << variant;
        EXPECT_FALSE(ds->isContentsUnderPoint({50, 50}));
    }
    auto many = shape("DS");
    many->double_star_type = 999;
    EXPECT_FALSE(many->bezierPathForDrawing().isEmpty());
    auto unknown = shape("ZZ");
    EXPECT_TRUE(unknown->bezierPathForDrawing().isEmpty());
    // An unknown code draws nothing but still asks for a refresh.
    int asked = 0;
    DrawingContext dc;
    dc.refreshCanvas = [&] { ++asked; };
    const QImage img = draw(*unknown, {120, 120}, 72, dc);
    EXPECT_TRUE(probe::inkBox(img).isNull());
    EXPECT_EQ(asked, 1);
    unknown->Set_Ctrl_Is_Visible(false);
    draw(*unknown, {120, 120}, 72, dc);
    EXPECT_EQ(asked, 1); // hidden: no refresh
}

TEST(ShapeGraphic, FillsWindingInsideStarsAndHitTests)
{
    auto star = shape("S");
    star->setFillColor(Qt::red);
    star->_isDrawingStroke = false;
    const QImage img = draw(*star);
    EXPECT_TRUE(probe::near(img.pixel(50, 50), Qt::red)); // the inner pentagon is filled
    EXPECT_TRUE(probe::near(img.pixel(50, 85), Qt::white)); // between two lower points
    EXPECT_TRUE(star->isContentsUnderPoint({50, 50}));
    EXPECT_FALSE(star->isContentsUnderPoint({50, 85}));
    auto hex = shape("P");
    hex->polygon_type = 3;
    hex->setFillColor(Qt::blue);
    EXPECT_TRUE(probe::near(draw(*hex).pixel(50, 50), Qt::blue)); // twice traced, still filled
    EXPECT_TRUE(hex->isContentsUnderPoint({50, 50}));

    // Rounded corners limited to half the side: radius 30 on 100 x 40.
    auto rr = shape("RR", QRectF(0, 0, 100, 40));
    rr->cor_rad_val_val = 30;
    rr->setFillColor(Qt::black);
    rr->_isDrawingStroke = false;
    const QImage r = draw(*rr);
    EXPECT_TRUE(probe::near(r.pixel(50, 1), Qt::black));   // the top edge is still straight in the middle
    EXPECT_TRUE(probe::near(r.pixel(3, 3), Qt::white));    // corner cut
    EXPECT_TRUE(probe::near(r.pixel(1, 20), Qt::black));   // vertical radius 20 meets at mid height
    rr->cor_rad_val_val = 10;
    EXPECT_TRUE(probe::near(draw(*rr).pixel(1, 12), Qt::black));

    // Gradient, hatch background and opacity from the record.
    auto g = shape("R");
    g->_fill_type = "G";
    g->_fill_Grad_clr1 = Qt::red;
    g->_fill_Grad_clr2 = Qt::blue;
    g->_fill_grad_angle = 90;
    g->_isDrawingStroke = false;
    const QImage gi = draw(*g);
    EXPECT_TRUE(probe::near(gi.pixel(50, 0), Qt::red, 6));
    EXPECT_TRUE(probe::near(gi.pixel(50, 99), Qt::blue, 6));
    g->_fill_type = "S";
    g->_fillColor = Qt::black;
    g->alpha_val = 0.5f;
    EXPECT_TRUE(probe::near(draw(*g).pixel(50, 50), QColor(128, 128, 128), 2));
}

TEST(LineGraphic, GeometryHandlesAndDirection)
{
    QBXLine line;
    bool right = false, down = false;
    line.setBounds(QBXLine::boundsWithBeginPoint({10, 10}, {110, 60}, &right, &down));
    line._pointsRight = right;
    line._pointsDown = down;
    EXPECT_EQ(line.bounds(), QRectF(10, 10, 100, 50));
    EXPECT_EQ(line.beginPoint(), QPointF(10, 10));
    EXPECT_EQ(line.endPoint(), QPointF(110, 60));
    EXPECT_EQ(line.handleUnderPoint({11, 9}), 1);
    EXPECT_EQ(line.handleUnderPoint({110, 60}), 2);
    EXPECT_EQ(line.handleUnderPoint({60, 35}), 0);
    EXPECT_EQ(line.resizeByMovingHandle(1, {200, 100}), 1);
    EXPECT_EQ(line.bounds(), QRectF(110, 60, 90, 40));
    EXPECT_FALSE(line._pointsRight);
    EXPECT_EQ(line.beginPoint(), QPointF(200, 100));
    EXPECT_EQ(line.endPoint(), QPointF(110, 60));
    line.setEndPoint({0, 0});
    EXPECT_EQ(line.bounds(), QRectF(0, 0, 200, 100));
    EXPECT_TRUE(line._pointsDown == false && line._pointsRight == false);
    EXPECT_FALSE(line.canMakeNaturalSize());
    EXPECT_FALSE(line.isDrawingFill());
    line.setColor(Qt::red);
    EXPECT_EQ(line._strokeColor, QColor(Qt::red));
}

TEST(LineGraphic, AForwardSlashSurvivesTheArchive)
{
    // Drawn from lower left to upper right: "/".
    auto line = std::make_shared<QBXLine>();
    line->setBounds(QRectF(10, 10, 80, 80));
    line->setBeginPoint({10, 90});
    line->setEndPoint({90, 10});
    const GraphicPtr back = QBXGraphic::graphicWithArchivedData(QBXGraphic::archivedDataWithGraphic(*line));
    ASSERT_TRUE(back);
    auto* l = dynamic_cast<QBXLine*>(back.get());
    ASSERT_TRUE(l);
    EXPECT_EQ(l->beginPoint(), QPointF(10, 90));
    EXPECT_EQ(l->endPoint(), QPointF(90, 10));
    // Drawn: ink at the lower-left and upper-right ends, none at the others.
    const QImage img = draw(*l, {100, 100});
    EXPECT_FALSE(probe::near(img.pixel(15, 85), Qt::white, 40));
    EXPECT_FALSE(probe::near(img.pixel(85, 15), Qt::white, 40));
    EXPECT_TRUE(probe::near(img.pixel(15, 15), Qt::white));
    EXPECT_TRUE(probe::near(img.pixel(85, 85), Qt::white));
}

TEST(LineGraphic, HitTestsMeasureAtRightAngles)
{
    QBXLine line;
    line._pointsRight = line._pointsDown = true;
    line.setBounds(QRectF(10, 10, 100, 50));
    EXPECT_TRUE(line.isContentsUnderPoint({60, 35}));
    EXPECT_FALSE(line.isContentsUnderPoint({60, 39}));
    line.setStrokeWidth(5.0);
    EXPECT_TRUE(line.isContentsUnderPoint({60, 39}));
    EXPECT_FALSE(line.isContentsUnderPoint({120, 65})); // outside the bounds
    line.setStrokeWidth(1.0);
    // A steep line: 1 across, 100 down. 1.5 pt beside it is a hit.
    QBXLine steep;
    steep._pointsRight = steep._pointsDown = true;
    steep.setBounds(QRectF(50, 0, 1, 100));
    EXPECT_TRUE(steep.isContentsUnderPoint({50.5, 30}));
    EXPECT_FALSE(steep.isContentsUnderPoint({50.5 + 60, 30}));
    // Level and upright lines (zero extent) are hit near their body.
    QBXLine level;
    level.setBounds(QRectF(0, 50, 100, 0));
    EXPECT_TRUE(level.isContentsUnderPoint({50, 51}));
    EXPECT_TRUE(level.isContentsUnderPoint({50, 48}));
    EXPECT_FALSE(level.isContentsUnderPoint({50, 55}));
    QBXLine upright;
    upright.setBounds(QRectF(30, 0, 0, 100));
    EXPECT_TRUE(upright.isContentsUnderPoint({31, 40}));
    EXPECT_FALSE(upright.isContentsUnderPoint({36, 40}));
}

TEST(LineGraphic, DashesCapsAndColour)
{
    QBXLine line;
    line._pointsRight = true;
    line.setBounds(QRectF(10, 20, 100, 0));
    line._strokeWidth = 2;
    line._stroke_border_type = "DA";
    auto black = [](QRgb p) { return qRed(p) < 128; };
    auto runs = probe::runsAlongRow(draw(line, {130, 40}), 20, 0, 130, black);
    ASSERT_GE(runs.size(), 4u);
    EXPECT_NEAR(runs[0], 8, 1);
    EXPECT_NEAR(runs[1], 2, 1);
    // Caps: butt ends at the points, round and square extend by half the width.
    line._stroke_border_type = "S";
    line._strokeWidth = 10;
    for (int cap : {0, 1, 2}) {
        line._line_cap_style = cap;
        const QRect box = probe::inkBox(draw(line, {130, 40}));
        EXPECT_NEAR(box.left(), cap == 0 ? 10 : 5, 1) << cap;
        EXPECT_NEAR(box.right(), cap == 0 ? 109 : 114, 1) << cap;
    }
    // A line never fills, whatever its record says.
    line._isDrawingFill = true;
    line._fillColor = Qt::green;
    line._strokeColor = Qt::red;
    const QImage img = draw(line, {130, 40});
    EXPECT_TRUE(probe::near(img.pixel(50, 20), Qt::red));
}

TEST(RefreshSeam, RequestsCoalesceAndAreDroppedWhilePainting)
{
    int runs = 0;
    drawing::setRefreshHandler([&] { ++runs; });
    {
        drawing::CanvasPaintScope painting;
        drawing::requestRefresh();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 0);
    for (int i = 0; i < 5; ++i)
        drawing::requestRefresh();
    std::thread worker([] { drawing::requestRefresh(); });
    joinWithinDeadline(worker, "a worker asking for a refresh");
    QCoreApplication::processEvents();
    EXPECT_EQ(runs, 1);
    drawing::setRefreshHandler({});
}
