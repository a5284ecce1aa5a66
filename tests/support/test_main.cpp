// Shared main of every test program: a QApplication on the offscreen platform
// (unless QT_QPA_PLATFORM says otherwise), a private temporary resource
// folder named by CARDWRIGHT_RESOURCE_DIR, and the strict test responder in
// place of every modal run, alert and panel.
#include "support/test_responder.h"

#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Each test starts with an empty record; scripted answers a test leaves
// unused fail the program.
class ResponderListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { testResponder().reset(); }
    void OnTestEnd(const ::testing::TestInfo& info) override
    {
        if (!testResponder().reset())
            ADD_FAILURE() << info.test_suite_name() << "." << info.name() << " left scripted answers unused";
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir resources;
    if (!resources.isValid())
        return 2;
    qputenv("CARDWRIGHT_RESOURCE_DIR", resources.path().toUtf8());

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cardwright"));
    platform::modal::setResponder(&testResponder());
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new ResponderListener);
    const int result = RUN_ALL_TESTS();
    platform::modal::setResponder(nullptr);
    return result;
}
