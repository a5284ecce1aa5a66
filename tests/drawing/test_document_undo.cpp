// The document's lists and undo by observation: one step per event or
// gesture, first old values restored, stale indexes never hitting the wrong
// graphic, and random histories undone and redone against snapshots.
#include "drawing/QBXDocument.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXLine.h"
#include "drawing/QBXText.h"
#include "drawing/Shape_Control.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <random>

namespace {

GraphicPtr shape(double x, double y = 0)
{
    auto g = std::make_shared<Shape_Control>();
    g->_bounds = QRectF(x, y, 10, 10);
    return g;
}

// Ends the current event: the queued close of the event group runs.
void endEvent()
{
    QCoreApplication::processEvents();
}

struct Snapshot {
    struct Item {
        QBXGraphic* graphic;
        QRectF bounds;
        QColor fill;
        QColor stroke;
        double width;
        bool drawFill;
        bool drawStroke;
        bool operator==(const Item&) const = default;
    };
    std::vector<Item> items;
    bool operator==(const Snapshot&) const = default;
};

Snapshot snapshot(const QBXDocument& doc)
{
    Snapshot s;
    for (const auto& g : doc.graphics())
        s.items.push_back({g.get(), g->_bounds, g->_fillColor, g->_strokeColor, g->_strokeWidth, g->_isDrawingFill,
                           g->_isDrawingStroke});
    return s;
}

} // namespace

TEST(DocumentUndo, InsertIsUndoneAndRedone)
{
    QBXDocument doc;
    EXPECT_TRUE(doc.graphics().empty());
    EXPECT_TRUE(doc.graphics_back().empty());
    EXPECT_TRUE(doc.graphics_temp().empty());
    auto g = shape(1);
    doc.insertGraphic(g, 0);
    EXPECT_EQ(g->_scriptingContainer, &doc);
    endEvent();
    auto* um = doc.undoManager();
    ASSERT_EQ(um->undoCount(), 1);
    um->undo();
    EXPECT_TRUE(doc.graphics().empty());
    EXPECT_EQ(g->_scriptingContainer, nullptr);
    um->redo();
    ASSERT_EQ(doc.graphics().size(), 1u);
    EXPECT_EQ(doc.graphics()[0], g);
}

TEST(DocumentUndo, OneEventIsOneStepRestoringFirstOldValues)
{
    QBXDocument doc;
    auto a = shape(0), b = shape(50);
    doc.insertGraphics({a, b}, {0, 1});
    endEvent();
    auto* um = doc.undoManager();
    const int before = um->undoCount();
    a->setFillColor(Qt::red);
    a->setFillColor(Qt::blue); // the first old value wins
    a->setBounds(QRectF(5, 5, 20, 20));
    b->setBounds(QRectF(60, 60, 1, 1));
    b->setStrokeWidth(4);
    EXPECT_TRUE(doc.undoGroupHasChangesToMultipleProperties() == false); // the base names every key ""
    endEvent();
    EXPECT_EQ(um->undoCount(), before + 1);
    um->undo();
    EXPECT_EQ(a->_fillColor, QColor::fromRgbF(1, 1, 1, 1));
    EXPECT_EQ(a->bounds(), QRectF(0, 0, 10, 10));
    EXPECT_EQ(b->bounds(), QRectF(50, 0, 10, 10));
    EXPECT_EQ(b->_strokeWidth, 1.0);
    um->redo();
    EXPECT_EQ(a->_fillColor, QColor(Qt::blue));
    EXPECT_EQ(b->bounds(), QRectF(60, 60, 1, 1));
    EXPECT_EQ(b->_strokeWidth, 4.0);
}

TEST(DocumentUndo, InsertAndRecolourInOneEventIsOneStep)
{
    QBXDocument doc;
    auto g = shape(0);
    doc.insertGraphic(g, 0);
    g->setColor(Qt::green);
    endEvent();
    auto* um = doc.undoManager();
    EXPECT_EQ(um->undoCount(), 1);
    um->undo();
    EXPECT_TRUE(doc.graphics().empty());
    EXPECT_FALSE(um->canUndo());
}

TEST(DocumentUndo, EqualValueRegistersNothing)
{
    QBXDocument doc;
    auto g = shape(0);
    doc.insertGraphic(g, 0);
    endEvent();
    auto* um = doc.undoManager();
    const int before = um->undoCount();
    g->setFillColor(g->_fillColor);
    g->setFillColor(QColor::fromHsvF(0.0f, 0.0f, 1.0f)); // the same white in another colour model
    g->setBounds(g->_bounds);
    g->setValueForKey(QStringLiteral("drawingFill"), true);
    endEvent();
    EXPECT_EQ(um->undoCount(), before);
}

TEST(DocumentUndo, DisabledRegistrationRecordsNothingButObserves)
{
    QBXDocument doc;
    auto* um = doc.undoManager();
    doc.Enable_Disable_Undo_Registraion(false);
    auto g = shape(0);
    doc.insertGraphic(g, 0);
    doc.Enable_Disable_Undo_Registraion(true);
    endEvent();
    EXPECT_FALSE(um->canUndo());
    g->setStrokeWidth(7); // observed, not marked as inserted: one step
    endEvent();
    EXPECT_EQ(um->undoCount(), 1);
    um->undo();
    EXPECT_EQ(g->_strokeWidth, 1.0);
    ASSERT_EQ(doc.graphics().size(), 1u);

    // Undo with registration off runs the step and keeps no redo.
    g->setStrokeWidth(9);
    endEvent();
    doc.Enable_Disable_Undo_Registraion(false);
    um->undo();
    doc.Enable_Disable_Undo_Registraion(true);
    EXPECT_EQ(g->_strokeWidth, 1.0);
    EXPECT_FALSE(um->canRedo());
}

TEST(DocumentUndo, ClearEmptiesFrontAndHistoryButNotBack)
{
    QBXDocument doc;
    doc.insertGraphics({shape(0), shape(1)}, {0, 1});
    doc.insertIntoList(QStringLiteral("graphics_back"), {shape(2)}, {0});
    endEvent();
    doc.Clear_All_Undo_Redo();
    EXPECT_TRUE(doc.graphics().empty());
    EXPECT_EQ(doc.graphics_back().size(), 1u);
    EXPECT_FALSE(doc.undoManager()->canUndo());
    EXPECT_FALSE(doc.undoManager()->canRedo());
    EXPECT_TRUE(doc.undoManager()->isUndoRegistrationEnabled());
    EXPECT_EQ(QBXDocument::canvasSize(true, QSizeF(500, 300)), QSizeF(243, 154));
    EXPECT_EQ(QBXDocument::canvasSize(false, QSizeF(500, 300)), QSizeF(500, 300));
    EXPECT_FALSE(doc.isDocumentEdited());
}

TEST(DocumentUndo, BackAndTemporaryListsRegisterNoUndoAndRemoveWithoutUndo)
{
    QBXDocument doc;
    auto* um = doc.undoManager();
    auto b = shape(0);
    doc.insertIntoList(QStringLiteral("graphics_back"), {b}, {0});
    doc.insertIntoList(QStringLiteral("graphics_temp"), {shape(1)}, {0});
    b->setStrokeWidth(3);
    endEvent();
    EXPECT_FALSE(um->canUndo());
    EXPECT_FALSE(b->hasObservers());
    // The rollback of a zero-size creation: gone, with no step left.
    doc.removeGraphicsWithoutUndo(QStringLiteral("graphics_back"), {b});
    EXPECT_TRUE(doc.graphics_back().empty());
    auto f = shape(2);
    doc.insertGraphic(f, 0);
    endEvent();
    const int steps = um->undoCount();
    doc.removeGraphicsWithoutUndo(QStringLiteral("graphics"), {f});
    endEvent();
    EXPECT_TRUE(doc.graphics().empty());
    EXPECT_EQ(um->undoCount(), steps);
}

TEST(DocumentUndo, ADragIsOneUndoAndOneRedo)
{
    QBXDocument doc;
    auto g = shape(0);
    doc.insertGraphic(g, 0);
    endEvent();
    auto* um = doc.undoManager();
    const int before = um->undoCount();
    um->beginUndoGrouping(); // press
    endEvent();
    for (int i = 1; i <= 50; ++i) {
        g->setBounds(QRectF(i, i * 2, 10, 10));
        endEvent(); // each move is an event of its own
    }
    um->endUndoGrouping(); // release
    endEvent();
    EXPECT_EQ(um->undoCount(), before + 1);
    um->undo();
    EXPECT_EQ(g->bounds(), QRectF(0, 0, 10, 10));
    EXPECT_EQ(um->redoCount(), 1);
    um->redo();
    EXPECT_EQ(g->bounds(), QRectF(50, 100, 10, 10));
    EXPECT_EQ(um->redoCount(), 0);
}

// A wizard inserts texts at the top with registration off while history
// exists; undoing the user's insertion must still take out the user's graphic.
TEST(DocumentUndo, StaleIndexesNeverHitTheWrongGraphic)
{
    QBXDocument doc;
    auto* um = doc.undoManager();
    auto user = shape(0);
    doc.insertGraphic(user, 0);
    endEvent();
    doc.Enable_Disable_Undo_Registraion(false);
    auto w1 = std::make_shared<QBXText>(), w2 = std::make_shared<QBXText>();
    doc.insertGraphics({w1, w2}, {0, 1});
    doc.Enable_Disable_Undo_Registraion(true);
    um->undo();
    ASSERT_EQ(doc.graphics().size(), 2u);
    EXPECT_EQ(doc.graphics()[0], w1);
    EXPECT_EQ(doc.graphics()[1], w2);
    um->redo(); // back where the undo found it: below the wizard texts
    ASSERT_EQ(doc.graphics().size(), 3u);
    EXPECT_EQ(doc.graphics()[2], user);

    // A removal redone after the list shrank goes back clamped to its length.
    auto last = shape(9);
    doc.insertGraphic(last, 3);
    endEvent();
    doc.removeGraphicAtIndex(3);
    endEvent();
    doc.Enable_Disable_Undo_Registraion(false);
    doc.removeGraphicsAtIndexes({0, 1});
    doc.Enable_Disable_Undo_Registraion(true);
    um->undo();
    ASSERT_EQ(doc.graphics().size(), 2u);
    EXPECT_EQ(doc.graphics()[0], user);
    EXPECT_EQ(doc.graphics()[1], last);
    // Undoing an insertion whose graphic is already gone skips it.
    doc.Enable_Disable_Undo_Registraion(false);
    doc.removeGraphics({last});
    doc.Enable_Disable_Undo_Registraion(true);
    um->undo(); // the removal of `last` was undone above; now its insertion
    ASSERT_EQ(doc.graphics().size(), 1u);
    EXPECT_EQ(doc.graphics()[0], user);
}

TEST(DocumentUndo, WeakReferencesExpireWithListAndHistory)
{
    QBXDocument doc;
    std::weak_ptr<QBXGraphic> selected;
    {
        auto g = shape(0);
        selected = g;
        doc.insertGraphic(g, 0);
    }
    endEvent();
    doc.removeGraphicAtIndex(0);
    endEvent();
    EXPECT_FALSE(selected.expired()); // the history holds it for undo
    doc.undoManager()->removeAllActions();
    EXPECT_TRUE(selected.expired());
    EXPECT_EQ(selected.lock(), nullptr);
    for (int i = 0; i < 20; ++i) {
        auto fresh = shape(i);
        std::weak_ptr<QBXGraphic> other = fresh;
        EXPECT_TRUE(selected.owner_before(other) || other.owner_before(selected));
        EXPECT_NE(selected.lock(), fresh);
    }
}

TEST(DocumentUndo, ChangingTheUndoKeysChangesWhatIsObserved)
{
    QBXDocument doc;
    auto t = std::make_shared<QBXText>();
    doc.insertGraphic(t, 0);
    endEvent();
    auto* um = doc.undoManager();
    const int before = um->undoCount();
    // Height follows the text: such bounds changes leave no undo step.
    t->willChangeValueForKey(QBXGraphicKeysForValuesToObserveForUndoKey);
    t->_boundsBeingChangedToMatchContents = true;
    t->didChangeValueForKey(QBXGraphicKeysForValuesToObserveForUndoKey);
    t->setBounds(QRectF(0, 0, 10, 99));
    t->willChangeValueForKey(QBXGraphicKeysForValuesToObserveForUndoKey);
    t->_boundsBeingChangedToMatchContents = false;
    t->didChangeValueForKey(QBXGraphicKeysForValuesToObserveForUndoKey);
    endEvent();
    EXPECT_EQ(um->undoCount(), before);
    t->setBounds(QRectF(1, 1, 1, 1));
    endEvent();
    EXPECT_EQ(um->undoCount(), before + 1);
}

TEST(DocumentUndo, ListNoticesCarryKindIndexesAndObjects)
{
    struct Recorder : platform::Observer {
        std::vector<platform::Change> changes;
        void observeValueForKey(const QString&, platform::Observable*, const platform::Change& c, void*) override
        {
            changes.push_back(c);
        }
    } rec;
    QBXDocument doc;
    doc.addObserver(&rec, QStringLiteral("graphics_temp"), platform::ObserveOld | platform::ObserveNew, nullptr);
    doc.addObserver(&rec, QStringLiteral("canvasSize"), platform::ObserveNew, nullptr);
    auto a = shape(0), b = shape(1);
    doc.insertIntoList(QStringLiteral("graphics_temp"), {a, b}, {0, 7});
    doc.removeFromList(QStringLiteral("graphics_temp"), {0});
    doc.setPrintInfo(QByteArray("x"));
    doc.setList(QStringLiteral("graphics_temp"), {a});
    ASSERT_EQ(rec.changes.size(), 4u);
    EXPECT_EQ(rec.changes[3].kind, platform::ChangeKind::Setting);
    EXPECT_EQ(rec.changes[3].oldValue.value<GraphicList>(), (GraphicList{b}));
    EXPECT_EQ(rec.changes[3].newValue.value<GraphicList>(), (GraphicList{a}));
    EXPECT_EQ(rec.changes[0].kind, platform::ChangeKind::Insertion);
    EXPECT_EQ(rec.changes[0].indexes, (std::vector<int>{0, 1})); // 7 clamped to the end
    EXPECT_EQ(rec.changes[0].newValue.value<GraphicList>(), (GraphicList{a, b}));
    EXPECT_EQ(rec.changes[1].kind, platform::ChangeKind::Removal);
    EXPECT_EQ(rec.changes[1].oldValue.value<GraphicList>(), (GraphicList{a}));
    EXPECT_EQ(rec.changes[2].newValue.toSizeF(), QSizeF(243, 154));
}

// Random grouped histories: every group is checked against the snapshot
// taken after it, undone to the start and redone to the end.
TEST(DocumentUndo, RandomHistoriesRestoreEverySnapshot)
{
    for (unsigned seed = 1; seed <= 6; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        QBXDocument doc;
        auto* um = doc.undoManager();
        um->setGroupsByEvent(false);
        std::vector<Snapshot> snaps{snapshot(doc)};
        std::vector<GraphicPtr> keep; // graphics stay alive so addresses are never reused
        for (int step = 0; step < 60; ++step) {
            const int stepsBefore = um->undoCount();
            um->beginUndoGrouping();
            const int ops = 1 + int(rng() % 4);
            for (int k = 0; k < ops; ++k) {
                const auto& list = doc.graphics();
                const int n = int(list.size());
                const int op = int(rng() % 6);
                if (op == 0 || n == 0) {
                    auto g = shape(double(rng() % 100), double(rng() % 100));
                    keep.push_back(g);
                    doc.insertGraphic(g, int(rng() % uint32_t(n + 1)));
                } else if (op == 1) {
                    doc.removeGraphicAtIndex(int(rng() % uint32_t(n)));
                } else {
                    const GraphicPtr g = list[rng() % uint32_t(n)];
                    switch (rng() % 5) {
                    case 0: g->setBounds(QRectF(rng() % 200, rng() % 200, 1 + rng() % 50, 1 + rng() % 50)); break;
                    case 1: g->setFillColor(QColor::fromRgb(rng() % 256, rng() % 256, rng() % 256)); break;
                    case 2: g->setStrokeWidth(double(rng() % 10)); break;
                    case 3: g->setDrawingFill(rng() % 2); break;
                    default: g->setStrokeColor(QColor::fromRgb(rng() % 256, 0, 0)); break;
                    }
                }
            }
            um->endUndoGrouping();
            if (um->undoCount() > stepsBefore)
                snaps.push_back(snapshot(doc));
            else // only equal values were set: nothing to undo, nothing changed
                ASSERT_TRUE(snapshot(doc) == snaps.back());
        }
        ASSERT_EQ(um->undoCount(), int(snaps.size()) - 1);
        for (int i = int(snaps.size()) - 2; i >= 0; --i) {
            um->undo();
            ASSERT_TRUE(snapshot(doc) == snaps[size_t(i)]) << "undo to " << i;
        }
        EXPECT_FALSE(um->canUndo());
        for (size_t i = 1; i < snaps.size(); ++i) {
            um->redo();
            ASSERT_TRUE(snapshot(doc) == snaps[i]) << "redo to " << i;
        }
        EXPECT_FALSE(um->canRedo());
    }
}

TEST(DocumentUndo, LineEndsAndPictureFlipsAreUndoneWithTheirDirection)
{
    QBXDocument doc;
    auto line = std::make_shared<QBXLine>();
    line->_bounds = QRectF(10, 10, 100, 50);
    line->_pointsRight = line->_pointsDown = true; // (10, 10) to (110, 60)
    auto picture = std::make_shared<QBXImage>();
    doc.insertGraphics({line, picture}, {0, 1});
    endEvent();
    auto* um = doc.undoManager();
    // The end dragged past the begin point: bounds and direction change.
    line->setValueForKey(QStringLiteral("endPoint"), QPointF(0, 0));
    picture->flipHorizontally();
    endEvent();
    EXPECT_EQ(line->bounds(), QRectF(0, 0, 10, 10));
    EXPECT_FALSE(line->_pointsRight);
    EXPECT_EQ(line->valueForKey(QStringLiteral("beginPoint")).toPointF(), QPointF(10, 10));
    EXPECT_TRUE(picture->_isFlippedHorizontally);
    um->undo();
    EXPECT_EQ(line->bounds(), QRectF(10, 10, 100, 50));
    EXPECT_TRUE(line->_pointsRight);
    EXPECT_TRUE(line->_pointsDown);
    EXPECT_FALSE(picture->_isFlippedHorizontally);
    um->redo();
    EXPECT_EQ(line->valueForKey(QStringLiteral("endPoint")).toPointF(), QPointF(0, 0));
    EXPECT_TRUE(picture->_isFlippedHorizontally);
}
