#include "support/file_mode.h"
#include "support/qt_print.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

// The program prepares its private folders, then stays in its event loop with
// the main window open until it is told to end.
TEST(Program, StartsOffscreenPreparesPrivateFoldersAndKeepsRunning)
{
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("nested/Cardwright"));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("CARDWRIGHT_RESOURCE_DIR"), folder);
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(CARDWRIGHT_BINARY_DIR "/bin/cardwright"), {});
    ASSERT_TRUE(program.waitForStarted(10000));
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(folder + QStringLiteral("/Templates/User")) && clock.elapsed() < 20000)
        QThread::msleep(50);
    // Still running: the event loop holds it.
    EXPECT_FALSE(program.waitForFinished(1000)) << program.readAllStandardError().toStdString();
    EXPECT_EQ(program.state(), QProcess::Running);
    program.kill();
    program.waitForFinished(5000);
    EXPECT_EQ(fileMode(home.filePath(QStringLiteral("nested"))), 0700);
    for (const char* name : {"", "/DataSet", "/Background", "/Fill_Style_Image", "/LibraryImage", "/Templates",
                             "/Templates/User"})
        EXPECT_EQ(fileMode(folder + QString::fromLatin1(name)), 0700) << name;
}

// Told to end at once (the start-up check of ./run.sh), the program still
// prepares its folders and opens its first window, then ends with status 0.
TEST(Program, ExitAtStartEndsWithStatusZeroAfterStartingUp)
{
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("Cardwright"));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("CARDWRIGHT_RESOURCE_DIR"), folder);
    env.insert(QStringLiteral("CARDWRIGHT_EXIT_AT_START"), QStringLiteral("1"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(CARDWRIGHT_BINARY_DIR "/bin/cardwright"), {});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/Templates/User")));
}
