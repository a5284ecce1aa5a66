// The canvas redraws only what changed, keeps a weak current graphic, and asks
// for the card's properties once after painting an empty list.
#include "drawing/CanvasHost.h"
#include "drawing/QBXDocument.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "drawing/RefreshSeam.h"

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <map>

namespace {

// A graphic that counts its drawings and can ask for a refresh while drawing.
class CountingGraphic : public QBXGraphic {
public:
    int drawn = 0;
    bool refreshWhileDrawing = false;
    void drawContentsInView(QPainter* painter, const DrawingContext& context, bool) override
    {
        ++drawn;
        painter->fillRect(bounds(), Qt::blue);
        if (refreshWhileDrawing && context.refreshCanvas)
            context.refreshCanvas();
    }
};

std::shared_ptr<CountingGraphic> counting(double x, double y)
{
    auto g = std::make_shared<CountingGraphic>();
    g->setBounds(QRectF(x, y, 20, 20));
    return g;
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// Two canvases (front and back) over one document, shown offscreen.
struct Canvases {
    QBXDocument document;
    platform::SelectionHolder frontSelection;
    platform::SelectionHolder backSelection;
    QBXGrid grid;
    QBXGraphicView front;
    QBXGraphicView back;

    Canvases()
    {
        for (QBXGraphicView* c : {&front, &back}) {
            c->setFrameSize(QSizeF(300, 200));
            c->bind(QBXGraphicViewGridBindingName, &grid);
        }
        front.bind(QBXGraphicViewSelectionIndexesBindingName, &frontSelection, QStringLiteral("selectionIndexes"));
        back.bind(QBXGraphicViewSelectionIndexesBindingName, &backSelection, QStringLiteral("selectionIndexes"));
        front.bind(QBXGraphicViewGraphicsBindingName, &document, QStringLiteral("document.graphics"));
        back.bind(QBXGraphicViewGraphicsBindingName_back, &document, QStringLiteral("document.graphics_back"));
        front.show();
        back.show();
        settle();
    }
};

std::vector<std::shared_ptr<CountingGraphic>> insertRow(Canvases& c, const QString& key, int n)
{
    std::vector<std::shared_ptr<CountingGraphic>> made;
    GraphicList list;
    std::vector<int> indexes;
    for (int i = 0; i < n; ++i) {
        made.push_back(counting(10 + 50 * i, 10 + 30 * i));
        list.push_back(made.back());
        indexes.push_back(i);
    }
    c.document.insertIntoList(key, list, indexes);
    settle();
    return made;
}

void resetCounts(const std::vector<std::shared_ptr<CountingGraphic>>& gs)
{
    for (const auto& g : gs)
        g->drawn = 0;
}

} // namespace

TEST(Canvas, ListChangesRedrawOnlyTheCanvasOfThatList)
{
    Canvases c;
    const int frontBefore = c.front.paintCount();
    const int backBefore = c.back.paintCount();
    auto gs = insertRow(c, QStringLiteral("graphics_back"), 1);
    EXPECT_EQ(c.front.paintCount(), frontBefore);
    EXPECT_GT(c.back.paintCount(), backBefore);
    EXPECT_GE(gs[0]->drawn, 1);
    EXPECT_EQ(c.back.graphics().size(), 1u);
    EXPECT_TRUE(c.front.graphics().empty());

    // Moving a graphic redraws its old and new places only.
    auto more = insertRow(c, QStringLiteral("graphics"), 3);
    resetCounts(more);
    more[0]->setBounds(QRectF(15, 12, 20, 20));
    settle();
    EXPECT_EQ(more[0]->drawn, 1);
    EXPECT_EQ(more[1]->drawn, 0);
    EXPECT_EQ(more[2]->drawn, 0);
}

TEST(Canvas, SelectionChangeRedrawsOnlyGraphicsWhoseStateChanged)
{
    Canvases c;
    auto gs = insertRow(c, QStringLiteral("graphics"), 4);
    c.front.changeSelectionIndexes({0, 2});
    settle();
    resetCounts(gs);
    c.front.changeSelectionIndexes({2, 3});
    settle();
    EXPECT_EQ(gs[0]->drawn, 1);
    EXPECT_EQ(gs[1]->drawn, 0);
    EXPECT_EQ(gs[2]->drawn, 0);
    EXPECT_EQ(gs[3]->drawn, 1);

    // The selection follows the list: an insertion at 0 shifts it, a removal
    // drops the removed index.
    auto extra = counting(250, 150);
    c.document.insertIntoList(QStringLiteral("graphics"), {extra}, {0});
    EXPECT_EQ(c.front.selectionIndexes(), (platform::IndexSet{3, 4}));
    c.document.removeFromList(QStringLiteral("graphics"), {3});
    EXPECT_EQ(c.front.selectionIndexes(), (platform::IndexSet{3}));
    // Indexes past the list are skipped when drawing and removing.
    c.frontSelection.setSelectionIndexes({3, 40});
    c.front.removeGraphicsAtIndexes({40});
    settle();
    EXPECT_EQ(c.front.graphics().size(), 4u);
}

TEST(Canvas, CurrentGraphicIsTheTopmostSelectedAndAWeakReference)
{
    Canvases c;
    auto gs = insertRow(c, QStringLiteral("graphics"), 5);
    c.front.changeSelectionIndexes({1, 4});
    c.front.repaint();
    EXPECT_EQ(c.front.Selected_Graphic(), gs[1]);

    // With handles hidden, drawing leaves the current graphic alone.
    c.front.Set_Selected_Graphic(gs[3]);
    c.front._isHidingHandles = true;
    c.front.repaint();
    EXPECT_EQ(c.front.Selected_Graphic(), gs[3]);

    // Leaving the list does not clear it; destruction does (the undo step
    // holding the removed graphic goes first).
    c.document.removeFromList(QStringLiteral("graphics"), {3});
    EXPECT_EQ(c.front.Selected_Graphic(), gs[3]);
    c.document.Clear_All_Undo_Redo();
    gs[3].reset();
    EXPECT_EQ(c.front.Selected_Graphic(), nullptr);
}

TEST(Canvas, EmptyCanvasAsksForCardPropertiesOnceAfterThePaint)
{
    Canvases c;
    settle();
    QSignalSpy spy(&c.front, &QBXGraphicView::showCardPropertiesRequested);
    int paintsAtRequest = -1;
    QObject::connect(&c.front, &QBXGraphicView::showCardPropertiesRequested,
                     [&] { paintsAtRequest = c.front.paintCount(); });
    c.front.repaint();
    c.front.repaint();
    EXPECT_EQ(spy.count(), 0); // not from inside the paint
    settle();
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(paintsAtRequest, c.front.paintCount());
    settle();
    EXPECT_EQ(spy.count(), 1); // the request itself repaints nothing
}

TEST(Canvas, RefreshRequestedWhileDrawingCausesNoSecondPaint)
{
    Canvases c;
    QBXGraphicView* front = &c.front;
    drawing::setRefreshHandler([front] { front->setNeedsDisplay(); });
    auto gs = insertRow(c, QStringLiteral("graphics"), 1);
    gs[0]->refreshWhileDrawing = true;
    settle();
    const int before = c.front.paintCount();
    c.front.update();
    settle();
    EXPECT_EQ(c.front.paintCount(), before + 1);

    // A request from outside the paint still redraws, once for a burst.
    drawing::requestRefresh();
    drawing::requestRefresh();
    settle();
    EXPECT_EQ(c.front.paintCount(), before + 2);
    drawing::setRefreshHandler(nullptr);
}

TEST(Canvas, UnboundCanvasDrawsNothingAndChangesNothing)
{
    QBXGraphicView canvas;
    canvas.setFrameSize(QSizeF(100, 50));
    EXPECT_TRUE(canvas.graphics().empty());
    EXPECT_TRUE(canvas.selectionIndexes().empty());
    canvas.changeSelectionIndexes({1}); // logged, no effect
    canvas.insertGraphics({counting(0, 0)}, {0});
    EXPECT_TRUE(canvas.graphics().empty());

    // Options are refused; a list bound under another key path is drawn but
    // its changes are not followed.
    QBXDocument doc;
    EXPECT_FALSE(canvas.bind(QBXGraphicViewGraphicsBindingName, &doc, QStringLiteral("document.graphics"),
                             {{QStringLiteral("x"), 1}}));
    EXPECT_TRUE(canvas.bind(QBXGraphicViewGraphicsBindingName, &doc, QStringLiteral("graphics")));
    EXPECT_EQ(doc.observationCount(QStringLiteral("graphics")), 0);
    canvas.unbind(QBXGraphicViewGraphicsBindingName);
    EXPECT_TRUE(canvas.bind(QBXGraphicViewGraphicsBindingName, &doc, QStringLiteral("document.graphics")));
    EXPECT_EQ(doc.observationCount(QStringLiteral("graphics")), 1);
    canvas.unbind(QBXGraphicViewGraphicsBindingName_temp);
    EXPECT_EQ(doc.observationCount(QStringLiteral("graphics")), 0);
}

TEST(Canvas, SizeAndZoomSetThePixelSizeAndBadValuesAreIgnored)
{
    QBXGraphicView canvas;
    canvas.setFrameSize(QSizeF(243, 154));
    canvas.setZoom(2.0);
    EXPECT_EQ(canvas.size(), QSize(486, 308));
    canvas.setFrameSize(QSizeF(-1, 10));
    canvas.setFrameSize(QSizeF(qInf(), 10));
    canvas.setZoom(0);
    canvas.setZoom(-2);
    canvas.setZoom(qQNaN());
    EXPECT_EQ(canvas.frameSize(), QSizeF(243, 154));
    EXPECT_EQ(canvas.zoom(), 2.0);
    EXPECT_EQ(canvas.bounds(), QRectF(0, 0, 243, 154));
}
