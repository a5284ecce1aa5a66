#include "drawing/QBXGrid.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include "support/bounded_wait.h"
#include "support/qt_print.h"
#include <gtest/gtest.h>

namespace {

// The line segments of a path as (x1, y1, x2, y2).
std::vector<QLineF> segments(const QPainterPath& path)
{
    std::vector<QLineF> lines;
    for (int i = 0; i + 1 < path.elementCount(); ++i) {
        const auto a = path.elementAt(i);
        const auto b = path.elementAt(i + 1);
        if (a.isMoveTo() && b.isLineTo())
            lines.emplace_back(a.x, a.y, b.x, b.y);
    }
    return lines;
}

} // namespace

TEST(Grid, DefaultsAndDerivedValues)
{
    QBXGrid grid;
    EXPECT_EQ(grid.spacing(), 9.0);
    EXPECT_EQ(grid.color(), QColor(Qt::lightGray));
    EXPECT_FALSE(grid.isAlwaysShown());
    EXPECT_FALSE(grid.isConstraining());
    EXPECT_TRUE(grid.isUsable());
    EXPECT_FALSE(grid.canSetColor());
    EXPECT_FALSE(grid.canSetSpacing());
    grid.setConstraining(true);
    EXPECT_TRUE(grid.canSetSpacing());
    grid.setAlwaysShown(true);
    EXPECT_TRUE(grid.canSetColor());
    grid._spacing = 0;
    EXPECT_FALSE(grid.canSetColor());
    EXPECT_FALSE(grid.canAlign());
}

TEST(Grid, SnapsToTheNearestPointWithHalvesUp)
{
    QBXGrid grid;
    EXPECT_EQ(grid.constrainedPoint(QPointF(13.4, 4.5)), QPointF(13.4, 4.5)); // snapping off
    grid.setConstraining(true);
    EXPECT_EQ(grid.constrainedPoint(QPointF(13.4, 4.5)), QPointF(9, 9));
    EXPECT_EQ(grid.constrainedPoint(QPointF(13.5, 4.4)), QPointF(18, 0));
    EXPECT_EQ(grid.constrainedPoint(QPointF(-4.5, -4.6)), QPointF(0, -9));
    grid._spacing = 0;
    EXPECT_EQ(grid.constrainedPoint(QPointF(13.4, 4.5)), QPointF(13.4, 4.5));
}

TEST(Grid, AlignsEveryEdgeWithoutLookingAtSnapping)
{
    QBXGrid grid;
    EXPECT_EQ(grid.alignedRect(QRectF(10, 10, 20, 20)), QRectF(9, 9, 18, 18));
    EXPECT_EQ(grid.alignedRect(QRectF(14, 3, 1, 2)), QRectF(18, 0, 0, 9));
}

TEST(Grid, LinePathCoversTheDirtyRectangleOnly)
{
    QBXGrid grid;
    EXPECT_TRUE(grid.linePath(QRectF(0, 0, 100, 100)).isEmpty()); // not shown
    grid.setAlwaysShown(true);
    const auto lines = segments(grid.linePath(QRectF(5, 10, 20, 8)));
    // Verticals at x = 9 and 18 spanning the height, then the one horizontal at y = 18.
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], QLineF(9, 10, 9, 18));
    EXPECT_EQ(lines[1], QLineF(18, 10, 18, 18));
    EXPECT_EQ(lines[2], QLineF(5, 18, 25, 18));
    // Narrower than the spacing and between two lines: no vertical line.
    const auto narrow = segments(grid.linePath(QRectF(10, 0.5, 5, 5)));
    EXPECT_TRUE(narrow.empty());
    // Spacing 0 draws nothing.
    grid._spacing = 0;
    EXPECT_TRUE(grid.linePath(QRectF(0, 0, 100, 100)).isEmpty());
}

TEST(Grid, DrawsWithTheGridColour)
{
    QBXGrid grid;
    grid._color = QColor(255, 0, 0);
    grid.setAlwaysShown(true);
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    grid.drawRect(painter, QRectF(0, 0, 20, 20));
    painter.end();
    EXPECT_EQ(image.pixelColor(9, 3).red(), 255);
    EXPECT_LT(image.pixelColor(9, 3).green(), 255);
    EXPECT_EQ(image.pixelColor(4, 4), QColor(Qt::white));
}

TEST(Grid, EverySetterEmitsEvenWhenUnchanged)
{
    QBXGrid grid;
    QSignalSpy changed(&grid, &QBXGrid::changed);
    QSignalSpy shown(&grid, &QBXGrid::alwaysShownChanged);
    grid.setConstraining(false);
    grid.setAlwaysShown(false);
    grid.setSpacing(9.0);
    EXPECT_EQ(changed.count(), 3);
    ASSERT_EQ(shown.count(), 1);
    EXPECT_EQ(shown.at(0).at(0).toBool(), false);
    EXPECT_EQ(grid._hidingTimer, nullptr); // an unchanged spacing starts no showing
    grid.setAlwaysShown(true);
    EXPECT_EQ(shown.last().at(0).toBool(), true);
}

TEST(Grid, TemporaryShowingEndsAboutOneSecondAfterTheLastChange)
{
    QBXGrid grid;
    QSignalSpy changed(&grid, &QBXGrid::changed);
    QElapsedTimer clock;
    clock.start();
    grid.setSpacing(12);
    EXPECT_TRUE(grid.isShowing());
    QTest::qWait(400);
    grid.setSpacing(15); // moves the end to one second from now
    const qint64 lastChange = clock.elapsed();
    ASSERT_NE(grid._hidingTimer, nullptr);
    EXPECT_GT(grid._hidingTimer->remainingTime(), 900);
    // A coarse timer may be set up to 5% later than asked.
    EXPECT_LE(grid._hidingTimer->remainingTime(), 1050);
    ASSERT_TRUE(changed.wait(kHangMilliseconds));
    EXPECT_GE(clock.elapsed() - lastChange, 900); // never before its time
    EXPECT_FALSE(grid.isShowing());
    EXPECT_TRUE(grid.linePath(QRectF(0, 0, 50, 50)).isEmpty());
}

TEST(Grid, AlwaysShownCancelsATemporaryShowing)
{
    QBXGrid grid;
    grid.setSpacing(20);
    ASSERT_NE(grid._hidingTimer, nullptr);
    grid.setAlwaysShown(true);
    EXPECT_EQ(grid._hidingTimer, nullptr);
    grid.setSpacing(30); // always shown: no timer
    EXPECT_EQ(grid._hidingTimer, nullptr);
    grid.setAlwaysShown(false);
    QSignalSpy changed(&grid, &QBXGrid::changed);
    EXPECT_FALSE(changed.wait(1300)); // nothing pending any more
    EXPECT_FALSE(grid.isShowing());
}
