// Canvas editing without the main window: a recording host stands in for the
// controller. Tracking, creation, undo per gesture, locks and commands.
#include "drawing/CanvasHost.h"
#include "drawing/GraphicDefaults.h"
#include "drawing/QBXDocument.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXLine.h"
#include "drawing/Shape_Control.h"
#include "app/Globals.h"
#include "support/test_responder.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QUuid>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class RecordingHost : public CanvasHost {
public:
    QString graphicClass;
    int tool = 0;
    int barcodeOpened = 0;
    std::vector<GraphicPtr> shown; // showProperties arguments
    QPointF next{30, 30};
    void Card_Base_Drawing(QPainter&, const QRectF&, const QRectF&) override {}
    int cardShape() const override { return 0; }
    void selectionSizeChanged(int) override {}
    QString currentGraphicClass() const override { return graphicClass; }
    int selectedControlTool() const override { return tool; }
    void showProperties(const GraphicPtr& g) override { shown.push_back(g); }
    void openBarcodeWindow() override { ++barcodeOpened; }
};

class FlipCounting : public Shape_Control {
public:
    int flips = 0;
    void flipHorizontally() override { ++flips; }
};

struct Editing : ::testing::Test {
    QBXDocument document;
    platform::SelectionHolder selection;
    QBXGrid grid;
    QBXGraphicView canvas;
    RecordingHost host;

    Editing()
    {
        Card_Front_Or_Back = 0;
        drawing::setCanvasHost(&host);
        canvas.setFrameSize(QSizeF(243, 154));
        canvas.bind(QBXGraphicViewGridBindingName, &grid);
        canvas.bind(QBXGraphicViewSelectionIndexesBindingName, &selection, QStringLiteral("selectionIndexes"));
        canvas.bind(QBXGraphicViewGraphicsBindingName, &document, QStringLiteral("document.graphics"));
        canvas.show();
        testResponder().reset();
    }
    ~Editing() override
    {
        drawing::setCanvasHost(nullptr);
        testResponder().reset();
    }
    // Inserted so that index 0 is the first given; undo history cleared.
    GraphicList place(const std::vector<QRectF>& rects)
    {
        GraphicList list;
        std::vector<int> indexes;
        for (const QRectF& r : rects) {
            auto g = std::make_shared<Shape_Control>();
            g->setBounds(r);
            list.push_back(g);
            indexes.push_back(int(indexes.size()));
        }
        document.insertGraphics(list, indexes);
        document.undoManager()->closeEventGroup();
        document.undoManager()->removeAllActions();
        return list;
    }
    void drag(QPointF from, QPointF to, bool shift = false)
    {
        canvas.mouseDownAt(from, shift, 1);
        canvas.mouseDraggedTo(to);
        canvas.mouseUpAt(to);
    }
    int steps() { return document.undoManager()->undoCount(); }
};

TEST_F(Editing, HitTestTakesTheTopmostAndFallsThroughUnhitContents)
{
    const GraphicList g = place({QRectF(10, 10, 40, 40), QRectF(0, 0, 100, 100)});
    int index = -1;
    EXPECT_EQ(canvas.graphicUnderPoint(QPointF(20, 20), &index), g[0]);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(canvas.graphicUnderPoint(QPointF(80, 80), &index), g[1]);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(canvas.graphicUnderPoint(QPointF(200, 140)), nullptr);
    // A marquee of zero width touches nothing.
    EXPECT_TRUE(canvas.indexesOfGraphicsIntersectingRect(QRectF(20, 0, 0, 100)).empty());
}

TEST_F(Editing, ClickShiftClickAndTheMoveThreshold)
{
    const GraphicList g = place({QRectF(10, 10, 30, 30), QRectF(100, 10, 30, 30)});
    drag({20, 20}, {20, 20});
    EXPECT_EQ(selection.selectionIndexes(), platform::IndexSet({0}));
    EXPECT_EQ(steps(), 0) << "a click leaves no undo step";
    canvas.mouseDownAt({110, 20}, true, 1);
    canvas.mouseUpAt({110, 20});
    EXPECT_EQ(selection.selectionIndexes(), platform::IndexSet({0, 1}));
    // Shift-click on a selected graphic removes it and starts no move.
    canvas.mouseDownAt({110, 20}, true, 1);
    canvas.mouseDraggedTo({130, 40});
    canvas.mouseUpAt({130, 40});
    EXPECT_EQ(selection.selectionIndexes(), platform::IndexSet({0}));
    EXPECT_EQ(g[1]->bounds(), QRectF(100, 10, 30, 30));
    // 1.9 points in both axes moves nothing; 2.0 in one moves.
    drag({20, 20}, {21.9, 21.9});
    EXPECT_EQ(g[0]->bounds().topLeft(), QPointF(10, 10));
    drag({20, 20}, {22, 20});
    EXPECT_EQ(g[0]->bounds().topLeft(), QPointF(12, 10));
    EXPECT_EQ(steps(), 1);
    canvas.undo();
    EXPECT_EQ(g[0]->bounds().topLeft(), QPointF(10, 10));
    EXPECT_EQ(selection.selectionIndexes(), platform::IndexSet({0})) << "undoing a move reselects";
    canvas.redo();
    EXPECT_EQ(g[0]->bounds().topLeft(), QPointF(12, 10));
}

TEST_F(Editing, GridDragSnapsTheBoxOriginAndHandles)
{
    const GraphicList g = place({QRectF(10, 10, 30, 30)});
    grid.setSpacing(9);
    grid.setConstraining(true);
    drag({20, 20}, {33, 31});
    // Box origin 10+13=23, 10+11=21 snaps to (27, 18).
    EXPECT_EQ(g[0]->bounds().topLeft(), QPointF(27, 18));
    // A handle snaps itself: lower right of (27,18,30,30) dragged to (61, 50).
    canvas.mouseDownAt({57, 48}, false, 1);
    canvas.mouseDraggedTo({61, 50});
    canvas.mouseUpAt({61, 50});
    EXPECT_EQ(g[0]->bounds(), QRectF(27, 18, 36, 36));
}

TEST_F(Editing, ResizeFlipsOnceAndChangesHandle)
{
    auto shape = std::make_shared<FlipCounting>();
    shape->setBounds(QRectF(10, 10, 20, 60));
    document.insertGraphics({shape}, {0});
    document.undoManager()->closeEventGroup();
    document.undoManager()->removeAllActions();
    canvas.changeSelectionIndexes({0});
    canvas.mouseDownAt({30, 10}, false, 1); // handle 3
    canvas.mouseDraggedTo({0, 20});
    EXPECT_EQ(shape->bounds(), QRectF(0, 20, 10, 50));
    EXPECT_EQ(shape->flips, 1);
    canvas.mouseDraggedTo({-20, 20});
    canvas.mouseUpAt({-20, 20});
    EXPECT_EQ(shape->bounds(), QRectF(-20, 20, 30, 50));
    EXPECT_EQ(shape->flips, 1);
    EXPECT_EQ(steps(), 1);
    canvas.undo();
    EXPECT_EQ(shape->bounds(), QRectF(10, 10, 20, 60));
}

TEST_F(Editing, LockedAndHiddenClicks)
{
    const GraphicList g = place({QRectF(10, 10, 30, 30), QRectF(10, 10, 30, 30), QRectF(100, 10, 30, 30)});
    g[0]->ctrl_is_visible = false;
    g[2]->ctrl_is_locked = true;
    // Hidden on top of a visible one: nothing changes and no properties show.
    canvas.changeSelectionIndexes({2});
    drag({20, 20}, {40, 40});
    EXPECT_EQ(selection.selectionIndexes(), platform::IndexSet({2}));
    EXPECT_TRUE(host.shown.empty());
    EXPECT_EQ(canvas.Selected_Graphic(), g[0]);
    // A locked graphic is selected alone, never moved, and shows.
    canvas.changeSelectionIndexes({1});
    drag({110, 20}, {150, 60});
    EXPECT_EQ(selection.selectionIndexes(), platform::IndexSet({2}));
    EXPECT_EQ(g[2]->bounds(), QRectF(100, 10, 30, 30));
    ASSERT_FALSE(host.shown.empty());
    EXPECT_EQ(host.shown.back(), g[2]);
    // Arrows move only the unlocked graphics; modified arrows do nothing.
    canvas.changeSelectionIndexes({1, 2});
    QTest::keyClick(&canvas, Qt::Key_Right);
    QTest::keyClick(&canvas, Qt::Key_Down);
    QTest::keyClick(&canvas, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(g[1]->bounds().topLeft(), QPointF(11, 11));
    EXPECT_EQ(g[2]->bounds().topLeft(), QPointF(100, 10));
    EXPECT_TRUE(canvas._isHidingHandles);
    canvas.unhideHandlesForTimer();
    EXPECT_FALSE(canvas._isHidingHandles);
}

TEST_F(Editing, MarqueeTogglesFromTheStartAndKeepsTouched)
{
    const GraphicList g = place({QRectF(10, 10, 20, 20), QRectF(60, 10, 20, 20)});
    canvas.mouseDownAt({5, 5}, false, 1);
    canvas.mouseDraggedTo({40, 40});
    EXPECT_EQ(selection.selectionIndexes(), platform::IndexSet({0}));
    EXPECT_FALSE(canvas._marqueeSelectionBounds.isNull());
    canvas.mouseDraggedTo({6, 6}); // back until it covers nothing
    canvas.mouseUpAt({6, 6});
    EXPECT_EQ(selection.selectionIndexes(), platform::IndexSet({0}));
    EXPECT_TRUE(canvas._marqueeSelectionBounds.isNull());
    ASSERT_FALSE(host.shown.empty());
    EXPECT_EQ(host.shown.back(), nullptr) << "the card's properties after a marquee";
    // With shift the marquee toggles against the selection it started with.
    canvas.mouseDownAt({5, 5}, true, 1);
    canvas.mouseDraggedTo({90, 40});
    canvas.mouseUpAt({90, 40});
    EXPECT_EQ(selection.selectionIndexes(), platform::IndexSet({1}));
    // Straight down: zero width selects nothing new.
    canvas.mouseDownAt({65, 0}, true, 1);
    canvas.mouseUpAt({65, 100});
    EXPECT_EQ(selection.selectionIndexes(), platform::IndexSet({1}));
    EXPECT_EQ(steps(), 0);
}

TEST_F(Editing, CreationByDraggingIsOneStepAndAClickCreatesNothing)
{
    host.graphicClass = QStringLiteral("Shape_Control");
    host.tool = 3;
    drag({20, 20}, {60, 50});
    ASSERT_EQ(document.graphics().size(), 1u);
    const GraphicPtr made = document.graphics()[0];
    EXPECT_EQ(made->bounds(), QRectF(20, 20, 40, 30));
    EXPECT_EQ(made->Get_shape_type(), QStringLiteral("R"));
    EXPECT_EQ(selection.selectionIndexes(), platform::IndexSet({0}));
    EXPECT_EQ(canvas.Selected_Graphic(), made);
    EXPECT_EQ(canvas._creatingGraphic, nullptr);
    EXPECT_EQ(steps(), 1);
    // A click creates nothing and leaves no step.
    drag({100, 100}, {100, 100});
    EXPECT_EQ(document.graphics().size(), 1u);
    EXPECT_EQ(steps(), 1);
    EXPECT_FALSE(document.undoManager()->canRedo());
    EXPECT_EQ(canvas.Selected_Graphic(), nullptr);
    // A line dragged out keeps a zero height.
    host.graphicClass = QStringLiteral("QBXLine");
    host.tool = 1;
    drag({10, 100}, {80, 100});
    ASSERT_EQ(document.graphics().size(), 2u);
    EXPECT_EQ(document.graphics()[0]->className(), QStringLiteral("QBXLine"));
    EXPECT_GE(document.graphics()[0]->bounds().width(), 70) << "a drag of no height keeps its line";
    canvas.undo();
    canvas.undo();
    EXPECT_TRUE(document.graphics().empty());
}

TEST_F(Editing, ZeroSizeCreationOnTheBackListLeavesNothing)
{
    QBXGraphicView back;
    platform::SelectionHolder backSelection;
    back.setFrameSize(QSizeF(243, 154));
    back.bind(QBXGraphicViewSelectionIndexesBindingName, &backSelection, QStringLiteral("selectionIndexes"));
    back.bind(QBXGraphicViewGraphicsBindingName_back, &document, QStringLiteral("document.graphics_back"));
    place({QRectF(0, 0, 10, 10)});
    host.graphicClass = QStringLiteral("QBXText");
    host.tool = 2;
    back.mouseDownAt({50, 50}, false, 1);
    back.mouseUpAt({50, 50});
    EXPECT_TRUE(document.graphics_back().empty());
    EXPECT_EQ(document.graphics().size(), 1u) << "the front list is untouched";
    EXPECT_EQ(steps(), 0);
}

TEST_F(Editing, GridCreationAndPartyTexts)
{
    grid.setSpacing(9);
    grid.setConstraining(true);
    host.tool = 3;
    canvas.createGraphicOfClass(QStringLiteral("Shape_Control"), std::nullopt, true, QRectF(30, 30, 50, 50),
                                QStringLiteral("F"), QString(), QStringLiteral("X"));
    EXPECT_EQ(document.graphics()[0]->bounds(), QRectF(27, 27, 54, 54));
    grid.setConstraining(false);
    host.tool = 0;
    canvas.createGraphicOfClass(QStringLiteral("QBXText"), std::nullopt, true, QRectF(5, 6, 100, 20),
                                QStringLiteral("F"), QStringLiteral("Welcome"), QStringLiteral("PARTY_TITLE"));
    const GraphicPtr title = document.graphics()[0];
    EXPECT_EQ(title->bounds(), QRectF(5, 6, 100, 20));
    EXPECT_EQ(title->text_alignmnet, 2);
    EXPECT_EQ(title->text_ctrl_font.pointSizeF(), 18.0);
    EXPECT_FALSE(title->_isDrawingFill);
    EXPECT_FALSE(title->_isDrawingStroke);
    EXPECT_EQ(title->control_ID, QStringLiteral("PARTY_TITLE"));
    canvas.createGraphicOfClass(QStringLiteral("QBXText"), std::nullopt, true, QRectF(5, 6, 100, 20),
                                QStringLiteral("F"), QString(), QStringLiteral("PARTY_FROM"));
    EXPECT_EQ(document.graphics()[0]->Text_Value, QStringLiteral("Text here"));
    EXPECT_EQ(document.graphics()[0]->text_alignmnet, 0);
    // Replacement by ID: an empty text keeps the hidden graphic hidden.
    title->ctrl_is_visible = false;
    canvas.ReplaceGraphicText(QStringLiteral("QBXText"), std::nullopt, true, QRectF(), QStringLiteral("F"),
                              QString(), QStringLiteral("PARTY_TITLE"));
    EXPECT_FALSE(title->ctrl_is_visible);
    canvas.ReplaceGraphicText(QStringLiteral("QBXText"), std::nullopt, true, QRectF(), QStringLiteral("F"),
                              QStringLiteral("Hello"), QStringLiteral("PARTY_TITLE"));
    EXPECT_TRUE(title->ctrl_is_visible);
    EXPECT_EQ(title->Text_Value, QStringLiteral("Hello"));
    EXPECT_EQ(canvas.Selected_Graphic(), title);
    EXPECT_EQ(document.graphics().size(), 3u);
}

TEST_F(Editing, UseRectWithoutIdCascadesAndPictureReplacementsNeedAFile)
{
    graphicDefaults().controlNewPoint = [](const QString& side, const QSizeF&) {
        return side == QLatin1String("B") ? QPointF(70, 70) : QPointF(40, 40);
    };
    host.tool = 3;
    canvas.createGraphicOfClass(QStringLiteral("Shape_Control"), std::nullopt, true, QRectF(5, 6, 30, 20),
                                QStringLiteral("F"), QString(), QString());
    EXPECT_EQ(document.graphics()[0]->bounds(), QRectF(40, 40, 30, 20)) << "only the size comes from the rectangle";
    graphicDefaults().controlNewPoint = nullptr;
    // Tool 9 keeps the path even without a file; a replacement needs one.
    host.tool = 9;
    canvas.createGraphicOfClass(QStringLiteral("QBXImage"), std::nullopt, true, QRectF(0, 0, 50, 50),
                                QStringLiteral("F"), QString(), QStringLiteral("Fup_Photo"));
    const GraphicPtr photo = document.graphics()[0];
    EXPECT_EQ(photo->className(), QStringLiteral("QBXImage"));
    const QString before = photo->FilePath();
    canvas.ReplaceGraphicText(QStringLiteral("QBXImage"), std::nullopt, true, QRectF(), QStringLiteral("F"),
                              QStringLiteral("/no/such/picture.png"), QStringLiteral("Fup_Photo"));
    EXPECT_EQ(photo->FilePath(), before);
    EXPECT_EQ(document.graphics().size(), 2u);
}

TEST_F(Editing, BarcodeDoubleClickOpensTheDesignerUnlessLocked)
{
    auto code = QBXGraphic::graphicOfClass(QStringLiteral("QBXBarcode"));
    code->setBounds(QRectF(10, 10, 120, 60));
    document.insertGraphics({code}, {0});
    canvas.mouseDownAt({50, 40}, false, 2);
    canvas.mouseUpAt({50, 40});
    EXPECT_EQ(host.barcodeOpened, 1);
    code->ctrl_is_locked = true;
    canvas.mouseDownAt({50, 40}, false, 2);
    canvas.mouseUpAt({50, 40});
    EXPECT_EQ(host.barcodeOpened, 1);
}

TEST_F(Editing, QtEventsCarryFractionalPointsAndKeysWaitForTheRelease)
{
    const GraphicList g = place({QRectF(10, 10, 30, 30)});
    canvas.setZoom(2.0);
    const auto send = [&](QEvent::Type type, QPointF px, Qt::MouseButtons buttons) {
        QMouseEvent e(type, px, canvas.mapToGlobal(px), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&canvas, &e);
    };
    send(QEvent::MouseButtonPress, {40, 40}, Qt::LeftButton);
    send(QEvent::MouseMove, {44.2, 40}, Qt::LeftButton); // 2.1 points
    QTest::keyClick(&canvas, Qt::Key_Delete);
    EXPECT_EQ(document.graphics().size(), 1u) << "the key waits for the release";
    send(QEvent::MouseButtonRelease, {44.2, 40}, Qt::NoButton);
    EXPECT_TRUE(document.graphics().empty());
    canvas.undo(); // the delete
    ASSERT_EQ(document.graphics().size(), 1u);
    EXPECT_DOUBLE_EQ(g[0]->bounds().x(), 12.1);
    canvas.undo(); // the drag
    EXPECT_EQ(g[0]->bounds().x(), 10);
}

TEST_F(Editing, HidingTheCanvasEndsTheGestureAsARelease)
{
    const GraphicList g = place({QRectF(10, 10, 30, 30)});
    canvas.mouseDownAt({20, 20}, false, 1);
    canvas.mouseDraggedTo({30, 20});
    EXPECT_TRUE(canvas.isTracking());
    canvas.hide();
    EXPECT_FALSE(canvas.isTracking());
    EXPECT_EQ(document.undoManager()->groupingLevel(), 0) << "no group stays open";
    EXPECT_EQ(steps(), 1);
    EXPECT_FALSE(canvas._isHidingHandles);
    // A double-click on a hidden graphic makes it current and shows nothing.
    canvas.show();
    g[0]->ctrl_is_visible = false;
    host.shown.clear();
    canvas.mouseDownAt({30, 20}, false, 2);
    canvas.mouseUpAt({30, 20});
    EXPECT_EQ(canvas.Selected_Graphic(), g[0]);
    EXPECT_TRUE(host.shown.empty());
}

TEST_F(Editing, LocksRefuseOrAreSkipped)
{
    const GraphicList g = place({QRectF(10, 10, 30, 30), QRectF(50, 50, 20, 20), QRectF(100, 20, 10, 10)});
    g[1]->ctrl_is_locked = true;
    canvas.changeSelectionIndexes({0, 1, 2});
    for (auto command : {&QBXGraphicView::delete_, &QBXGraphicView::bringToFront, &QBXGraphicView::sendToBack,
                         &QBXGraphicView::copy, &QBXGraphicView::cut}) {
        testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
        (canvas.*command)();
    }
    const QStringList alerts = testResponder().texts(QStringLiteral("alert"));
    ASSERT_EQ(alerts.size(), 5);
    for (const QString& text : alerts)
        EXPECT_EQ(text.trimmed(), QStringLiteral("Selected control is locked."));
    EXPECT_EQ(document.graphics(), g);
    canvas.alignLeftEdges();
    EXPECT_EQ(g[1]->bounds().x(), 50);
    EXPECT_EQ(g[2]->bounds().x(), 10) << "the third takes the first one's left edge";
    canvas.print_contol_or_not(1);
    EXPECT_EQ(g[1]->print_object, 0);
    EXPECT_EQ(g[0]->print_object, 1);
    // Natural size skips locked graphics and lines.
    auto line = std::make_shared<QBXLine>();
    line->setBounds(QRectF(0, 0, 80, 10));
    document.insertGraphics({line}, {0});
    canvas.changeSelectionIndexes({0, 2});
    canvas.makeNaturalSize();
    EXPECT_EQ(line->bounds(), QRectF(0, 0, 80, 10));
    EXPECT_EQ(g[1]->bounds(), QRectF(50, 50, 20, 20));
}

TEST_F(Editing, AlignmentSameSizeAndOrderingAreOneStepEach)
{
    const GraphicList g =
        place({QRectF(0, 0, 10, 10), QRectF(20, 0, 10, 10), QRectF(40, 0, 10, 10), QRectF(60, 5, 10, 20),
               QRectF(80, 0, 10, 10), QRectF(100, 7, 30, 10)});
    canvas.changeSelectionIndexes({3});
    canvas.alignRightEdges();
    EXPECT_EQ(g[3]->bounds().x(), 243 - 10);
    canvas.changeSelectionIndexes({3, 5});
    canvas.alignVerticalCenters();
    EXPECT_EQ(g[3]->bounds().y(), 5) << "the reference never moves";
    EXPECT_EQ(g[5]->bounds().y(), 10);
    canvas.makeSameWidth();
    EXPECT_EQ(g[5]->bounds(), QRectF(100, 10, 10, 10));
    canvas.makeSameHeight();
    EXPECT_EQ(g[5]->bounds().height(), 20);
    canvas.alignformCenter();
    EXPECT_EQ(g[5]->bounds().topLeft(), QPointF(243 / 2.0 - 5, 154 / 2.0 - 10));
    document.undoManager()->closeEventGroup();
    const int before = steps();
    canvas.bringToFront();
    document.undoManager()->closeEventGroup(); // back in the event loop
    EXPECT_EQ(document.graphics()[0], g[3]);
    EXPECT_EQ(document.graphics()[1], g[5]);
    EXPECT_EQ(selection.selectionIndexes(), platform::IndexSet({0, 1}));
    canvas.sendToBack();
    document.undoManager()->closeEventGroup();
    EXPECT_EQ(document.graphics()[4], g[3]);
    EXPECT_EQ(document.graphics()[5], g[5]);
    EXPECT_EQ(selection.selectionIndexes(), platform::IndexSet({4, 5}));
    canvas.undo();
    EXPECT_EQ(document.graphics()[0], g[3]);
    EXPECT_EQ(steps(), before + 1);
}

TEST_F(Editing, GridAlignmentKeepsAtLeastOneSpacing)
{
    const GraphicList g = place({QRectF(10, 10, 3, 40), QRectF(1, 1, 2, 2)});
    grid.setSpacing(9);
    canvas.changeSelectionIndexes({0, 1});
    canvas.alignWithGrid();
    EXPECT_EQ(g[0]->bounds(), QRectF(9, 9, 9, 45));
    EXPECT_EQ(g[1]->bounds().size(), QSizeF(9, 9));
    canvas.undo();
    EXPECT_EQ(g[0]->bounds(), QRectF(10, 10, 3, 40));
}

TEST_F(Editing, DeleteForgetsTheCurrentGraphicAndIdLookUp)
{
    const GraphicList g = place({QRectF(10, 10, 30, 30), QRectF(50, 50, 20, 20)});
    auto text = QBXGraphic::graphicOfClass(QStringLiteral("QBXText"));
    text->control_ID = QStringLiteral("Fup_Name");
    auto shape = std::make_shared<Shape_Control>();
    shape->control_ID = QStringLiteral("Fup_Title");
    document.insertGraphics({text, shape}, {0, 1});
    document.undoManager()->closeEventGroup();
    EXPECT_EQ(canvas.Selcect_Ctrl_With_ID(QStringLiteral("Fup_Name")), text);
    EXPECT_EQ(canvas.Selcect_Ctrl_With_ID(QStringLiteral("Fup_Title")), nullptr);
    canvas.Hide_all_Text_control_FUP_Control();
    EXPECT_FALSE(text->ctrl_is_visible);
    EXPECT_TRUE(shape->ctrl_is_visible);
    canvas.changeSelectionIndexes({2});
    canvas.Set_Selected_Graphic(g[0]);
    canvas.delete_();
    EXPECT_EQ(canvas.Selected_Graphic(), nullptr) << "a removed graphic is no longer current";
    canvas.undo();
    EXPECT_EQ(document.graphics()[2], g[0]);
    canvas.Set_Selected_Graphic(g[0]);
    canvas.redo();
    EXPECT_EQ(canvas.Selected_Graphic(), nullptr);
}

} // namespace

// Clicks and repaints write no log line each: a picture that cannot be read
// is logged once for its path.
TEST_F(Editing, ClicksAndPaintsLogAnAbsentPictureOnce)
{
    static QStringList lines;
    lines.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext& c, const QString& m) {
        if (c.category && QByteArray(c.category) == "cardwright")
            lines << m;
    });
    place({QRectF(100, 10, 30, 30)});
    const QString absent = QStringLiteral("/nonexistent/%1.png").arg(QUuid::createUuid().toString(QUuid::Id128));
    auto picture = std::make_shared<QBXImage>();
    picture->setFilePath(absent);
    picture->setBounds(QRectF(10, 10, 40, 40));
    document.insertGraphics({picture}, {0});
    for (int i = 0; i < 3; ++i) {
        drag({20, 20}, {20, 20});
        drag({110, 20}, {110, 20});
        QImage drawn(243, 154, QImage::Format_ARGB32);
        QPainter painter(&drawn);
        canvas.drawRect(painter, canvas.bounds());
    }
    qInstallMessageHandler(previous);
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].contains(absent));
}
