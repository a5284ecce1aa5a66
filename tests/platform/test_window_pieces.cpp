// The small window pieces the editor is built from: tab items that keep
// their labels, the selection that follows its list, work hopping to the main
// thread, the process-end seam and the stepper's range.
#include "platform/main_thread.h"
#include "platform/process_end.h"
#include "platform/selection_holder.h"
#include "platform/stepper.h"
#include "platform/tab_item.h"

#include "support/bounded_wait.h"
#include "support/process_runner.h"
#include <QApplication>
#include <QSignalSpy>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <stdexcept>

#include <atomic>
#include <thread>

TEST(TabItem, KeepsItsLabelOutOfTheViewAndRelabels)
{
    QTabWidget tabs;
    platform::TabItem a(new QWidget, QStringLiteral("Card"));
    platform::TabItem b(new QWidget, QStringLiteral("Shape"));
    a.addTo(&tabs);
    b.addTo(&tabs);
    b.removeFrom(&tabs);
    EXPECT_EQ(tabs.count(), 1);
    b.setLabel(QStringLiteral("Star Properties"));
    b.insertInto(&tabs, 0);
    b.insertInto(&tabs, 1); // already shown: nothing
    ASSERT_EQ(tabs.count(), 2);
    EXPECT_EQ(tabs.tabText(0), QStringLiteral("Star Properties"));
    b.setLabel(QStringLiteral("Polygon Properties"));
    EXPECT_EQ(tabs.tabText(0), QStringLiteral("Polygon Properties"));
    EXPECT_EQ(a.indexIn(&tabs), 1);
    a.removeFrom(&tabs);
    a.insertInto(&tabs, 99); // clamped to the end
    EXPECT_EQ(a.indexIn(&tabs), 1);
    EXPECT_EQ(tabs.tabText(1), QStringLiteral("Card"));
}

TEST(SelectionHolder, FollowsInsertionsAndRemovalsAndReportsRealChanges)
{
    platform::SelectionHolder s;
    QSignalSpy spy(&s, &platform::SelectionHolder::selectionChanged);
    s.setSelectionIndexes({-1, 1, 3});
    EXPECT_EQ(s.selectionIndexes(), (platform::IndexSet{1, 3}));
    s.setSelectionIndexes({1, 3});
    EXPECT_EQ(spy.count(), 1);
    s.listInserted({0, 2}); // [a b c d] -> [x a y b c d]: b and d move to 3 and 5
    EXPECT_EQ(s.selectionIndexes(), (platform::IndexSet{3, 5}));
    s.listRemoved({3, 4});
    EXPECT_EQ(s.selectionIndexes(), (platform::IndexSet{3}));
    s.listRemoved({0});
    EXPECT_EQ(s.selectionIndexes(), (platform::IndexSet{2}));
    s.listReset();
    EXPECT_TRUE(s.selectionIndexes().empty());
    EXPECT_EQ(spy.count(), 5);
}

TEST(MainThread, WaitingAndQueuedWorkRunOnTheMainThread)
{
    std::atomic<bool> ranOnMain{false};
    std::atomic<int> queued{0};
    std::thread worker([&] {
        EXPECT_FALSE(platform::isMainThread());
        platform::runOnMainWaiting([&] { ranOnMain = platform::isMainThread(); });
        platform::runOnMainQueued([&] { queued += platform::isMainThread() ? 1 : 100; });
    });
    // The waiting call needs the main loop to run while the worker waits.
    EXPECT_TRUE(waitUntil([&] { return ranOnMain.load(); }));
    joinWithinDeadline(worker, "the worker waiting on the main thread");
    QApplication::processEvents();
    EXPECT_TRUE(ranOnMain);
    EXPECT_EQ(queued, 1);
    bool inline_ = false;
    EXPECT_TRUE(platform::runOnMainWaiting([&] { inline_ = true; }));
    EXPECT_TRUE(inline_);
}

TEST(ProcessEnd, ShutdownHooksRunOnceBeforeTheSeamReceivesTheStatus)
{
    QStringList order;
    platform::addShutdownHook([&] { order << "first"; });
    platform::addShutdownHook([&] {
        order << "second";
        throw std::runtime_error("a failing hook");
    });
    platform::setProcessEndHandler([&](int s) { order << QString::number(s); });
    platform::endProcess(3);
    platform::endProcess(4);
    EXPECT_EQ(order, (QStringList{"second", "first", "3", "4"}));
    platform::setProcessEndHandler({});
}

// Runs in a child process: a test that asks for the end of the program,
// then leaves through exit(0) in the middle of the run.
TEST(ProcessEndChild, LeavesInTheMiddle)
{
    if (qEnvironmentVariableIsEmpty("CW_EXIT_MID_TEST"))
        GTEST_SKIP() << "run by ProcessEnd.ATestThatEndsTheProcessFailsLoudly";
    platform::endProcess(0);
    std::exit(0);
}

TEST(ProcessEnd, ATestThatEndsTheProcessFailsLoudly)
{
    const testsupport::ProcessResult child =
        testsupport::run(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=ProcessEndChild.*")},
                         {}, {QStringLiteral("CW_EXIT_MID_TEST=1")});
    const QByteArray log = child.out + child.err;
    EXPECT_EQ(child.exitCode, 3) << log.toStdString();
    EXPECT_TRUE(log.contains("does not expect it")) << log.toStdString();
    EXPECT_FALSE(log.contains("PASSED")) << log.toStdString();
}

TEST(Stepper, ClampsToItsRangeAndReportsOnlyUserSteps)
{
    platform::Stepper stepper;
    QSignalSpy edited(&stepper, &platform::Stepper::valueEdited);
    stepper.setRange(0, 10);
    stepper.setValue(12);
    EXPECT_EQ(stepper.value(), 10.0);
    stepper.setValue(qQNaN());
    EXPECT_EQ(stepper.value(), 10.0);
    EXPECT_EQ(edited.count(), 0);
    stepper.stepBy(1); // at the top: no change, no report
    EXPECT_EQ(edited.count(), 0);
    stepper.setIncrement(2.5);
    stepper.stepBy(-1);
    EXPECT_EQ(stepper.value(), 7.5);
    EXPECT_EQ(stepper.intValue(), 7);
    ASSERT_EQ(edited.count(), 1);
    EXPECT_EQ(edited.at(0).at(0).toDouble(), 7.5);
}
