// Centring and scroll limits in points, zoom of the clip bounds, and the
// card's silhouette in the card's outline.
#include "drawing/CanvasHost.h"
#include "drawing/QBXCenteringClipView.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXZoomingScrollView.h"
#include "drawing/Repeat_Image.h"
#include "platform/ruler.h"

#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace {

struct ShapeHost : CanvasHost {
    int shape = 0;
    void Card_Base_Drawing(QPainter&, const QRectF&, const QRectF&) override {}
    int cardShape() const override { return shape; }
    void selectionSizeChanged(int) override {}
};

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// A clip view holding a canvas of the card size, with the given bounds.
struct Clip {
    QBXCenteringClipView clip;
    QBXGraphicView* canvas = new QBXGraphicView;
    Clip(QSizeF card, QSizeF visible)
    {
        canvas->setParent(&clip);
        canvas->setFrameSize(card);
        clip.setDocumentView(canvas);
        clip.setBoundsSize(visible);
    }
};

} // namespace

TEST(Centring, SmallCardIsCentredWhateverTheProposedScroll)
{
    Clip c(QSizeF(243, 154), QSizeF(400, 300));
    EXPECT_EQ(c.clip.bounds().x(), -79.0); // round(-78.5) away from zero
    EXPECT_EQ(c.clip.bounds().y(), -73.0);
    for (double proposed : {-500.0, -79.0, 0.0, 37.5, 1000.0})
        EXPECT_EQ(c.clip.constrainScrollPoint(QPointF(proposed, proposed)), QPointF(-79, -73)) << proposed;
    // The canvas sits where the bounds say, in pixels.
    EXPECT_EQ(c.canvas->pos(), QPoint(79, 73));
}

TEST(Centring, LargeCardScrollsWithinTheCard)
{
    Clip c(QSizeF(1000, 800), QSizeF(400, 300));
    EXPECT_EQ(c.clip.constrainScrollPoint(QPointF(-10, -10)), QPointF(0, 0));
    EXPECT_EQ(c.clip.constrainScrollPoint(QPointF(5000, 5000)), QPointF(600, 500));
    EXPECT_EQ(c.clip.constrainScrollPoint(QPointF(120.4, 99.5)), QPointF(120, 100));
    c.clip.scrollToPoint(QPointF(700, 20));
    EXPECT_EQ(c.clip.bounds().topLeft(), QPointF(600, 20));
    // One axis can centre while the other scrolls.
    Clip wide(QSizeF(1000, 100), QSizeF(400, 300));
    EXPECT_EQ(wide.clip.constrainScrollPoint(QPointF(-3, -3)), QPointF(0, -100));
}

TEST(Zoom, FactorDividesTheVisibleAreaAndMenuHoldsElevenFactors)
{
    QBXZoomingScrollView scroll;
    auto* canvas = new QBXGraphicView;
    canvas->setFrameSize(QSizeF(243, 154));
    scroll.setDocumentView(canvas);
    scroll.resize(800, 600);
    scroll.show();
    settle();
    scroll.viewport()->resize(600, 400);
    scroll.contentView()->setBoundsSize(QSizeF(600, 400));
    scroll.setFactor(2.0);
    settle();
    const QSize vp = scroll.viewport()->size();
    EXPECT_DOUBLE_EQ(scroll.contentView()->bounds().width(), vp.width() / 2.0);
    EXPECT_DOUBLE_EQ(scroll.contentView()->bounds().height(), vp.height() / 2.0);
    EXPECT_EQ(canvas->size(), QSize(486, 308));

    QComboBox* menu = scroll.factorPopUpButton();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->count(), 11);
    EXPECT_EQ(menu->itemText(0), QStringLiteral("10%"));
    EXPECT_EQ(menu->itemData(10).toDouble(), 16.0);
    EXPECT_EQ(menu->currentText(), QStringLiteral("200%"));
    // The horizontal bar is always there (it carries the menu).
    EXPECT_EQ(scroll.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    // Bad factors change nothing.
    scroll.setFactor(0);
    scroll.setFactor(-1);
    scroll.setFactor(qInf());
    EXPECT_EQ(scroll.factor(), 2.0);

    // A bound menu hands the choice to the bound setter.
    double chosen = 0;
    scroll.bindFactor([&](double f) { chosen = f; });
    menu->activated(8);
    EXPECT_EQ(chosen, 4.0);
    scroll.unbindFactor();
    menu->activated(4);
    EXPECT_EQ(scroll.factor(), 1.0);
}

TEST(Zoom, RulersToggleAndFollowScrollAndZoom)
{
    QBXZoomingScrollView scroll;
    auto* canvas = new QBXGraphicView;
    canvas->setFrameSize(QSizeF(1000, 1000));
    scroll.setDocumentView(canvas);
    scroll.resize(500, 400);
    scroll.setHasHorizontalRuler(true);
    scroll.setHasVerticalRuler(true);
    scroll.show();
    settle();
    EXPECT_FALSE(scroll.rulersVisible());
    canvas->showOrHideRulers();
    canvas->showOrHideRulers();
    EXPECT_FALSE(scroll.rulersVisible());
    canvas->showOrHideRulers();
    EXPECT_TRUE(scroll.horizontalRulerView()->isVisible());
    scroll.horizontalScrollBar()->setValue(100);
    settle();
    EXPECT_EQ(scroll.contentView()->bounds().x(), 100.0);
    EXPECT_EQ(scroll.horizontalRulerView()->offset(), -100.0);

    // Ruler marks: six lines while echoing, none afterwards.
    canvas->beginEchoingMoveToRulers(QRectF(10, 20, 30, 40));
    EXPECT_EQ(scroll.horizontalRulerView()->rulerlines(), (std::vector<double>{10, 25, 40}));
    canvas->continueEchoingMoveToRulers(QRectF(20, 20, 30, 40));
    EXPECT_EQ(scroll.horizontalRulerView()->rulerlines(), (std::vector<double>{20, 35, 50}));
    EXPECT_EQ(scroll.verticalRulerView()->rulerlines(), (std::vector<double>{20, 40, 60}));
    canvas->stopEchoingMoveToRulers();
    EXPECT_TRUE(scroll.horizontalRulerView()->rulerlines().empty());
    EXPECT_TRUE(scroll.verticalRulerView()->rulerlines().empty());
}

TEST(Silhouette, FollowsTheCardOutline)
{
    ShapeHost host;
    CanvasHost* before = drawing::canvasHost();
    drawing::setCanvasHost(&host);
    QBXZoomingScrollView scroll;
    auto* canvas = new QBXGraphicView;
    canvas->setFrameSize(QSizeF(200, 120));
    scroll.setDocumentView(canvas);
    scroll.resize(500, 400);
    scroll.show();
    settle();
    canvas->hide(); // the silhouette alone
    const QRect card = canvas->geometry();
    auto cornerOf = [&](int shape) {
        host.shape = shape;
        scroll.viewport()->update();
        const QImage shot = scroll.viewport()->grab().toImage();
        return std::pair{shot.pixelColor(card.topLeft() + QPoint(2, 2)),
                         shot.pixelColor(card.center())};
    };
    const auto [rectCorner, rectCentre] = cornerOf(0);
    const auto [roundCorner, roundCentre] = cornerOf(1);
    const auto [ovalCorner, ovalCentre] = cornerOf(2);
    EXPECT_EQ(rectCorner, rectCentre);   // the corner is card
    EXPECT_NE(roundCorner, roundCentre); // rounded off
    EXPECT_NE(ovalCorner, ovalCentre);
    EXPECT_EQ(ovalCentre, rectCentre);
    // Around the card: the grey gradient (lighter at the top).
    const QImage shot = scroll.viewport()->grab().toImage();
    const QColor top = shot.pixelColor(5, 2);
    const QColor bottom = shot.pixelColor(5, shot.height() - 3);
    EXPECT_GT(top.red(), bottom.red());
    EXPECT_NEAR(top.red(), 224, 3);
    drawing::setCanvasHost(before);
}

TEST(Banner, TilesFromTheTopLeftCornerUnderItsOwnPicture)
{
    QImage banner(2, 2, QImage::Format_RGB32);
    banner.setPixel(0, 0, qRgb(255, 0, 0));
    banner.setPixel(1, 0, qRgb(0, 255, 0));
    banner.setPixel(0, 1, qRgb(0, 0, 255));
    banner.setPixel(1, 1, qRgb(255, 255, 0));
    Repeat_Image::setBannerSource([banner] { return banner; });
    Repeat_Image view;
    view.resize(7, 5);
    QImage shot = view.grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 0), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(4, 2), QColor(255, 0, 0));
    EXPECT_EQ(shot.pixelColor(5, 2), QColor(0, 255, 0));
    EXPECT_EQ(shot.pixelColor(6, 3), QColor(0, 0, 255));
    EXPECT_EQ(shot.pixelColor(5, 3), QColor(255, 255, 0));
    // Its own picture goes over the pattern.
    QImage own(7, 5, QImage::Format_RGB32);
    own.fill(Qt::black);
    view.setImage(own);
    shot = view.grab().toImage();
    EXPECT_EQ(shot.pixelColor(5, 2), QColor(Qt::black));
    Repeat_Image::setBannerSource(nullptr);
}
