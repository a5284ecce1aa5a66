// Shared main of every test program: a QApplication on the offscreen platform
// (unless QT_QPA_PLATFORM says otherwise), a private temporary resource
// folder named by CARDWRIGHT_RESOURCE_DIR, the strict test responder in
// place of every modal run, alert and panel, and a process-end seam that
// records instead of exiting.
#include "support/process_end_guard.h"
#include "support/test_responder.h"

#include "platform/picture/picture_decode.h"
#include "platform/process_end.h"
#include "platform/threads.h"

#include <QApplication>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::atomic<bool> gTestsRunning{false};
std::atomic<bool> gRealEndAllowed{false};

void failUnexpectedEnd(int status)
{
    ADD_FAILURE() << "the program was asked to end (status " << status << ") in a test that does not expect it";
}

// A test that leaves through exit() would otherwise pass without a summary.
void guardEarlyExit()
{
    if (gTestsRunning.load() && !gRealEndAllowed.load()) {
        std::fputs("A test ended the process before the test run finished.\n", stderr);
        std::fflush(stderr);
        _exit(3);
    }
}

// Each test starts with an empty record; scripted answers a test leaves
// unused fail the program.
class ResponderListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        testResponder().reset();
        platform::setProcessEndHandler(failUnexpectedEnd);
    }
    void OnTestEnd(const ::testing::TestInfo& info) override
    {
        platform::setProcessEndHandler(failUnexpectedEnd);
        if (!testResponder().reset())
            ADD_FAILURE() << info.test_suite_name() << "." << info.name() << " left scripted answers unused";
    }
};

} // namespace

void allowRealProcessEnd()
{
    gRealEndAllowed.store(true);
    platform::setProcessEndHandler({});
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir resources;
    if (!resources.isValid())
        return 2;
    qputenv("CARDWRIGHT_RESOURCE_DIR", resources.path().toUtf8());

    // Made before the application, whose end waits for the drawing threads.
    platform::DecodeBudget decodeBudget;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cardwright"));
    platform::modal::setResponder(&testResponder());
    platform::setPictureAllocationLimit();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResponderListener);
    std::atexit(guardEarlyExit);
    gTestsRunning.store(true);
    const int result = RUN_ALL_TESTS();
    gTestsRunning.store(false);
    platform::modal::setResponder(nullptr);
    platform::endIfPoolLostThread(result);
    return result;
}
