#include "support/file_mode.h"
#include "support/qt_print.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {


} // namespace

TEST(Program, StartsOffscreenPreparesPrivateFoldersAndExitsZero)
{
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("nested/Cardwright"));
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("CARDWRIGHT_RESOURCE_DIR"), folder);
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(CARDWRIGHT_BINARY_DIR "/bin/cardwright"), {});
    ASSERT_TRUE(program.waitForFinished(30000)) << "cardwright did not end";
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    EXPECT_EQ(fileMode(home.filePath(QStringLiteral("nested"))), 0700);
    for (const char* name : {"", "/DataSet", "/Background", "/Fill_Style_Image", "/LibraryImage", "/Templates",
                             "/Templates/User"})
        EXPECT_EQ(fileMode(folder + QString::fromLatin1(name)), 0700) << name;
}
