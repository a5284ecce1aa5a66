// Shared main of every test program: a QApplication on the offscreen platform
// (unless QT_QPA_PLATFORM says otherwise) and a private temporary resource
// folder named by CARDWRIGHT_RESOURCE_DIR.
#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
