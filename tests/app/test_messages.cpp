#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "platform/alerts.h"
#include "support/bounded_wait.h"
#include "support/test_responder.h"

#include <QTest>
#include <QThread>
#include <atomic>
#include "support/qt_print.h"
#include <gtest/gtest.h>

using platform::modal::AlertAnswer;
using platform::modal::AlertKind;

namespace {

// Answers Yes only to texts containing "yes"; while answering the first
// question it keeps the main loop turning, so a second worker's question
// is answered in the middle of the first.
class InterleavingResponder : public TestResponder {
public:
    std::atomic<int> asked{0};
    AlertAnswer alert(AlertKind, const QString& text) override
    {
        if (++asked == 1 && !waitUntil([this] { return asked >= 2; }))
            ADD_FAILURE() << "the second question never came";
        return text.contains(QStringLiteral("yes")) ? AlertAnswer::Yes : AlertAnswer::No;
    }
};

class ScopedResponder {
public:
    explicit ScopedResponder(platform::modal::Responder* r) { platform::modal::setResponder(r); }
    ~ScopedResponder() { platform::modal::setResponder(&testResponder()); }
};

} // namespace

TEST(Messages, OkAlertShowsNewlineAndTextOnTheMainThread)
{
    testResponder().answerAlert(AlertAnswer::Ok);
    Show_MessageBox(QStringLiteral("File is corrupt and cannot be opened."));
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
              QStringList{QStringLiteral("\nFile is corrupt and cannot be opened.")});
}

TEST(Messages, YesNoAnswersAndMirrorsTheGlobal)
{
    testResponder().answerAlert(AlertAnswer::Yes);
    testResponder().answerAlert(AlertAnswer::No);
    EXPECT_TRUE(Show_YES_NO_MessageBox(QStringLiteral("Save changes?")));
    EXPECT_TRUE(yes_no_msg_val);
    EXPECT_FALSE(Show_YES_NO_MessageBox(QStringLiteral("Save changes?")));
    EXPECT_FALSE(yes_no_msg_val);
    // The question has no newline in front.
    EXPECT_EQ(testResponder().texts(QStringLiteral("yesno")).first(), QStringLiteral("Save changes?"));
}

TEST(Messages, WorkerWaitsWhileItsAlertRunsOnTheMainThread)
{
    testResponder().answerAlert(AlertAnswer::Yes);
    std::atomic<bool> done{false};
    std::atomic<bool> answer{false};
    QThread* worker = QThread::create([&] {
        answer = Show_YES_NO_MessageBox(QStringLiteral("Stop the export?"));
        done = true;
    });
    worker->start();
    ASSERT_TRUE(waitUntil([&] { return done.load(); }));
    ASSERT_TRUE(worker->wait(QDeadlineTimer(kHangDeadline)));
    delete worker;
    EXPECT_TRUE(answer);
    EXPECT_EQ(testResponder().texts(QStringLiteral("yesno")), QStringList{QStringLiteral("Stop the export?")});
}

TEST(Messages, ConcurrentAskersEachGetTheirOwnAnswer)
{
    InterleavingResponder interleaving;
    ScopedResponder scope(&interleaving);
    std::atomic<int> finished{0};
    std::atomic<int> yesAnswer{-1};
    std::atomic<int> noAnswer{-1};
    QThread* first = QThread::create([&] {
        yesAnswer = Show_YES_NO_MessageBox(QStringLiteral("say yes")) ? 1 : 0;
        ++finished;
    });
    QThread* second = QThread::create([&] {
        while (interleaving.asked < 1)
            QThread::msleep(1);
        noAnswer = Show_YES_NO_MessageBox(QStringLiteral("say no")) ? 1 : 0;
        ++finished;
    });
    first->start();
    second->start();
    ASSERT_TRUE(waitUntil([&] { return finished == 2; }));
    ASSERT_TRUE(first->wait(QDeadlineTimer(kHangDeadline)));
    ASSERT_TRUE(second->wait(QDeadlineTimer(kHangDeadline)));
    delete first;
    delete second;
    EXPECT_EQ(interleaving.asked, 2);
    EXPECT_EQ(yesAnswer, 1);
    EXPECT_EQ(noAnswer, 0);
}

TEST(Messages, MainThreadAlertDoesNotWaitOnItself)
{
    testResponder().answerAlert(AlertAnswer::Ok);
    EXPECT_EQ(platform::showAlert(AlertKind::Ok, QStringLiteral("direct")), AlertAnswer::Ok);
}
