// Key-value observation and the undo manager.
#include "platform/observation.h"
#include "platform/undo_manager.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

using namespace platform;

namespace {

// An object with a value "a", a value "b" derived from "a", and "c" derived from "b".
class Model : public Observable {
public:
    int a = 0;
    void setA(int v)
    {
        willChangeValueForKey(QStringLiteral("a"));
        a = v;
        didChangeValueForKey(QStringLiteral("a"));
    }
    QVariant valueForKey(const QString& key) const override
    {
        if (key == QLatin1String("a"))
            return a;
        if (key == QLatin1String("b"))
            return a * 10;
        if (key == QLatin1String("c"))
            return a * 100;
        return {};
    }
    void setValueForKey(const QString& key, const QVariant& v) override
    {
        if (key == QLatin1String("a"))
            setA(v.toInt());
    }
    QStringList keysAffectedByKey(const QString& key) const override
    {
        if (key == QLatin1String("a"))
            return {QStringLiteral("b")};
        if (key == QLatin1String("b"))
            return {QStringLiteral("c")};
        return {};
    }
};

struct Recorder : Observer {
    struct Seen {
        QString key;
        Change change;
        void* context;
    };
    std::vector<Seen> seen;
    std::function<void(const QString&)> during;
    void observeValueForKey(const QString& key, Observable*, const Change& c, void* ctx) override
    {
        seen.push_back({key, c, ctx});
        if (during)
            during(key);
    }
};

} // namespace

TEST(Observation, OldNewValuesReachDependentKeysTransitively)
{
    Model m;
    Recorder r;
    int ctx = 0;
    m.addObserver(&r, QStringLiteral("a"), ObserveOld | ObserveNew, &ctx);
    m.addObserver(&r, QStringLiteral("c"), ObserveNew, nullptr);
    m.setA(3);
    ASSERT_EQ(r.seen.size(), 2u);
    EXPECT_EQ(r.seen[0].key, "a");
    EXPECT_EQ(r.seen[0].change.oldValue.toInt(), 0);
    EXPECT_EQ(r.seen[0].change.newValue.toInt(), 3);
    EXPECT_EQ(r.seen[0].context, &ctx);
    EXPECT_EQ(r.seen[1].key, "c");
    EXPECT_FALSE(r.seen[1].change.oldValue.isValid()); // not asked for
    EXPECT_EQ(r.seen[1].change.newValue.toInt(), 300);

    r.seen.clear();
    m.a = 9; // a direct write tells nobody
    EXPECT_TRUE(r.seen.empty());
    m.removeObserver(&r, QStringLiteral("a"), &ctx);
    m.removeObserver(&r, QStringLiteral("c"));
    m.setA(4);
    EXPECT_TRUE(r.seen.empty());
    EXPECT_FALSE(m.hasObservers());
}

TEST(Observation, PriorNoticesAndNestedChanges)
{
    Model m;
    Recorder r;
    m.addObserver(&r, QStringLiteral("a"), ObserveOld | ObserveNew | ObservePrior, nullptr);
    m.willChangeValueForKey(QStringLiteral("a"));
    m.willChangeValueForKey(QStringLiteral("a"));
    m.a = 5;
    m.didChangeValueForKey(QStringLiteral("a"));
    m.a = 6;
    m.didChangeValueForKey(QStringLiteral("a"));
    ASSERT_EQ(r.seen.size(), 4u);
    EXPECT_TRUE(r.seen[0].change.isPrior);
    EXPECT_FALSE(r.seen[0].change.newValue.isValid());
    EXPECT_EQ(r.seen[2].change.newValue.toInt(), 5);
    EXPECT_EQ(r.seen[3].change.oldValue.toInt(), 0);
    EXPECT_EQ(r.seen[3].change.newValue.toInt(), 6);
}

TEST(Observation, ObserversMayChangeObservationsWhileBeingTold)
{
    Model m;
    Recorder first, second, late;
    m.addObserver(&first, QStringLiteral("a"), ObserveNew, nullptr);
    m.addObserver(&second, QStringLiteral("a"), ObserveNew, nullptr);
    // The first removes the second and adds another: the second is not told
    // any more, the newcomer only from the next change on.
    first.during = [&](const QString&) {
        m.removeObserver(&second, QStringLiteral("a"));
        m.addObserver(&late, QStringLiteral("a"), ObserveNew, nullptr);
        first.during = {};
    };
    m.setA(1);
    EXPECT_EQ(first.seen.size(), 1u);
    EXPECT_TRUE(second.seen.empty());
    EXPECT_TRUE(late.seen.empty());
    // Re-entrant change from inside a notice.
    late.during = [&](const QString&) {
        late.during = {};
        m.setA(7);
    };
    m.setA(2);
    ASSERT_EQ(first.seen.size(), 3u);
    EXPECT_EQ(first.seen[1].change.newValue.toInt(), 2);
    EXPECT_EQ(first.seen[2].change.newValue.toInt(), 7);
    EXPECT_EQ(m.a, 7);
}

TEST(Observation, ListChangesCarryKindIndexesAndObjects)
{
    Model m;
    Recorder r;
    m.addObserver(&r, QStringLiteral("items"), ObserveOld | ObserveNew | ObservePrior, nullptr);
    m.willChangeList(ChangeKind::Replacement, {1, 3}, QStringLiteral("items"), QVariant(QStringList{"x", "y"}));
    m.didChangeList(ChangeKind::Replacement, {1, 3}, QStringLiteral("items"), QVariant(QStringList{"p", "q"}));
    ASSERT_EQ(r.seen.size(), 2u);
    EXPECT_TRUE(r.seen[0].change.isPrior);
    const Change& c = r.seen[1].change;
    EXPECT_EQ(c.kind, ChangeKind::Replacement);
    EXPECT_EQ(c.indexes, (std::vector<int>{1, 3}));
    EXPECT_EQ(c.oldValue.toStringList(), QStringList({"x", "y"}));
    EXPECT_EQ(c.newValue.toStringList(), QStringList({"p", "q"}));
}

namespace {
// A value with undo by registering the inverse.
struct Value {
    UndoManager* um;
    int v = 0;
    void set(int n)
    {
        const int old = v;
        um->registerUndo(this, [this, old] { set(old); });
        v = n;
    }
};
} // namespace

TEST(UndoManager, OneEventIsOneStepClosedByTheEventLoop)
{
    UndoManager um;
    Value x{&um};
    x.set(1);
    x.set(2);
    x.set(3);
    EXPECT_EQ(um.groupingLevel(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(um.groupingLevel(), 0);
    EXPECT_EQ(um.undoCount(), 1);
    x.set(4);
    um.undo(); // closes the open event group first
    EXPECT_EQ(x.v, 3);
    um.undo();
    EXPECT_EQ(x.v, 0);
    um.redo();
    EXPECT_EQ(x.v, 3);
    um.redo();
    EXPECT_EQ(x.v, 4);
    EXPECT_FALSE(um.canRedo());
}

TEST(UndoManager, NestedGroupsAreOneStepAndANewChangeClearsRedo)
{
    UndoManager um;
    um.setGroupsByEvent(false);
    Value x{&um};
    um.beginUndoGrouping();
    x.set(1);
    um.beginUndoGrouping();
    x.set(2);
    um.endUndoGrouping();
    um.undo(); // refused inside an explicit group
    EXPECT_EQ(x.v, 2);
    um.endUndoGrouping();
    EXPECT_EQ(um.undoCount(), 1);
    um.undo();
    EXPECT_EQ(x.v, 0);
    EXPECT_TRUE(um.canRedo());
    x.set(5); // without a group: a step of its own
    EXPECT_FALSE(um.canRedo());
    EXPECT_EQ(um.undoCount(), 1);
    um.beginUndoGrouping();
    um.endUndoGrouping(); // empty groups leave no step
    EXPECT_EQ(um.undoCount(), 1);
}

TEST(UndoManager, CountedSwitchAndUndoWithoutRedo)
{
    UndoManager um;
    Value x{&um};
    um.disableUndoRegistration();
    um.disableUndoRegistration();
    x.set(1);
    um.enableUndoRegistration();
    x.set(2);
    EXPECT_FALSE(um.isUndoRegistrationEnabled());
    um.enableUndoRegistration();
    um.closeEventGroup();
    EXPECT_FALSE(um.canUndo());
    x.set(3);
    um.closeEventGroup();
    um.disableUndoRegistration();
    um.undo();
    um.enableUndoRegistration();
    EXPECT_EQ(x.v, 2);
    EXPECT_FALSE(um.canRedo());
}

TEST(UndoManager, RemovalByTargetSignalsAndCheckpoints)
{
    UndoManager um;
    um.setGroupsByEvent(false);
    QSignalSpy canUndo(&um, &UndoManager::canUndoChanged);
    QSignalSpy canRedo(&um, &UndoManager::canRedoChanged);
    int checkpoints = 0;
    um.setCheckpointCallback([&] { ++checkpoints; });
    Value x{&um}, y{&um};
    um.beginUndoGrouping();
    EXPECT_EQ(checkpoints, 0); // opening a top-level group is no checkpoint
    x.set(1);
    y.set(1);
    um.endUndoGrouping();
    EXPECT_EQ(checkpoints, 1);
    ASSERT_EQ(canUndo.count(), 1);
    EXPECT_TRUE(canUndo.at(0).at(0).toBool());
    um.removeAllActionsWithTarget(&x);
    um.undo();
    EXPECT_EQ(x.v, 1);
    EXPECT_EQ(y.v, 0);
    EXPECT_EQ(canRedo.count(), 1);
    um.removeAllActionsWithTarget(&y);
    EXPECT_FALSE(um.canRedo());
    EXPECT_EQ(canRedo.count(), 2);
    um.redo(); // nothing left
    EXPECT_EQ(y.v, 0);
}
