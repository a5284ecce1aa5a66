#include "support/bounded_wait.h"
#include "support/file_mode.h"
#include "support/qt_print.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

// A test start of the program: offscreen, over its own resource folder, and
// told to end at once when exitAtStart.
QProcessEnvironment programEnvironment(const QString& folder, bool exitAtStart)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("CARDWRIGHT_RESOURCE_DIR"), folder);
    if (exitAtStart)
        env.insert(QStringLiteral("CARDWRIGHT_EXIT_AT_START"), QStringLiteral("1"));
    return env;
}

} // namespace

// The program prepares its private folders, then stays in its event loop with
// the main window open until it is told to end.
TEST(Program, StartsOffscreenPreparesPrivateFoldersAndKeepsRunning)
{
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("nested/Cardwright"));
    QProcess program;
    program.setProcessEnvironment(programEnvironment(folder, false));
    program.start(QStringLiteral(CARDWRIGHT_BINARY_DIR "/bin/cardwright"), {});
    ASSERT_TRUE(program.waitForStarted(kHangMilliseconds));
    EXPECT_TRUE(waitUntil([&] { return QFileInfo::exists(folder + QStringLiteral("/Templates/User")); }));
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
    program.setProcessEnvironment(programEnvironment(folder, true));
    program.start(QStringLiteral(CARDWRIGHT_BINARY_DIR "/bin/cardwright"), {});
    ASSERT_TRUE(program.waitForFinished(kHangMilliseconds));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/Templates/User")));
}

// `cmake --install` into a scratch DESTDIR, under a prefix with a space in
// it: the program, its resources, its icon and a desktop entry that passes
// desktop-file-validate and names the installed program. That program seeds
// the user's folder from the installed resources and starts to its start
// wizard.
TEST(Program, InstallsAsADesktopProgramThatStartsFromWhereItIsInstalled)
{
    const QString cmake = QStandardPaths::findExecutable(QStringLiteral("cmake"));
    const QString validate = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    ASSERT_FALSE(cmake.isEmpty());
    ASSERT_FALSE(validate.isEmpty()) << "desktop-file-validate (desktop-file-utils) is needed";
    QTemporaryDir stage;
    const QString prefix = QStringLiteral("/opt/Card Designer");
    QProcess install;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DESTDIR"), stage.path());
    install.setProcessEnvironment(env);
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(cmake, {QStringLiteral("--install"), QStringLiteral(CARDWRIGHT_BINARY_DIR), QStringLiteral("--prefix"),
                          prefix});
    ASSERT_TRUE(install.waitForFinished(kHangMilliseconds));
    ASSERT_EQ(install.exitCode(), 0) << install.readAll().toStdString();
    EXPECT_FALSE(QFileInfo::exists(prefix)) << "installed outside DESTDIR";

    const QString root = stage.path() + prefix;
    const QString program = root + QStringLiteral("/bin/cardwright");
    EXPECT_TRUE(QFileInfo(program).isExecutable());
    for (const char* name : {"Title.txt", "Help.pdf", "Template.xlsx", "Templates/Membership Card.dcard"})
        EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("/share/cardwright/") + QString::fromLatin1(name))) << name;
    for (const int size : {16, 48, 256}) {
        const QImage icon(root + QStringLiteral("/share/icons/hicolor/%1x%1/apps/cardwright.png").arg(size));
        EXPECT_EQ(icon.size(), QSize(size, size));
    }
    const QString entry = root + QStringLiteral("/share/applications/cardwright.desktop");
    QProcess check;
    check.setProcessChannelMode(QProcess::MergedChannels);
    check.start(validate, {entry});
    ASSERT_TRUE(check.waitForFinished(kHangMilliseconds));
    const QByteArray said = check.readAll();
    EXPECT_EQ(check.exitCode(), 0) << said.toStdString();
    EXPECT_TRUE(said.isEmpty()) << said.toStdString();
    QFile file(entry);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    EXPECT_TRUE(lines.contains(QStringLiteral("Exec=\"") + prefix + QStringLiteral("/bin/cardwright\"")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Icon=cardwright")));

    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("Cardwright"));
    QProcess started;
    started.setProcessEnvironment(programEnvironment(folder, true));
    started.start(program, {});
    ASSERT_TRUE(started.waitForFinished(kHangMilliseconds));
    const QString log = QString::fromLocal8Bit(started.readAllStandardError());
    EXPECT_EQ(started.exitCode(), 0) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("start-up reached: New Card"))) << log.toStdString();
    for (const char* name : {"Title.txt", "Help.pdf", "Templates/Membership Card.dcard"})
        EXPECT_TRUE(QFileInfo::exists(folder + QLatin1Char('/') + QString::fromLatin1(name))) << name;
}
