#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "platform/workspace.h"
#include "support/file_mode.h"
#include "support/log_capture.h"
#include "support/qt_print.h"
#include "support/test_responder.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <gtest/gtest.h>

using platform::modal::AlertAnswer;

namespace {


// Points the resource globals at a fresh folder for one test.
class ResourceScope {
public:
    ResourceScope()
    {
        Resource_Path = dir.path();
        Data_Folder_Path = dir.filePath(QStringLiteral("DataSet"));
    }
    ~ResourceScope()
    {
        Resource_Path.clear();
        Data_Folder_Path.clear();
    }
    QTemporaryDir dir;
};

} // namespace

TEST(StringHelpers, TrimRemovesSpacesControlAndFormatCharactersInOnePass)
{
    EXPECT_EQ(Trim_Str(QString::fromUtf8("\xEF\xBB\xBFName\xE2\x80\x8B\n")), QStringLiteral("Name"));
    // Blanks behind control or format characters come off in the same pass.
    EXPECT_EQ(Trim_Str(QString::fromUtf8(" Name \xE2\x80\x8B\n")), QStringLiteral("Name"));
    EXPECT_EQ(Trim_Str(QString(QChar(0)) + QStringLiteral(" 1")), QStringLiteral("1"));
    EXPECT_EQ(Trim_Str(QStringLiteral("\t\x01value\x7f\r\n")), QStringLiteral("value"));
    // An astral format character (a language tag) is one code point.
    EXPECT_EQ(Trim_Str(QString::fromUtf8("\xF3\xA0\x80\x81word\xF3\xA0\x80\x81")), QStringLiteral("word"));
    // Inner characters stay; an astral letter at the end is not cut in half.
    EXPECT_EQ(Trim_Str(QString::fromUtf8(" a\x01 b \xF0\x9D\x84\x9E")), QString::fromUtf8("a\x01 b \xF0\x9D\x84\x9E"));
    EXPECT_EQ(Trim_Str(QStringLiteral(" \x02 ")), QString());
}

TEST(StringHelpers, ReservedCharactersLeaveOnlyTheEnds)
{
    EXPECT_EQ(Remove_Reserve_Char_In_File_Name(QStringLiteral("<Birthday/Card>")), QStringLiteral("Birthday/Card"));
    EXPECT_EQ(Remove_Reserve_Char_In_File_Name(QStringLiteral("   Invitation?")), QStringLiteral("Invitation"));
    EXPECT_EQ(Remove_Reserve_Char_In_File_Name(QStringLiteral("*%\"|\\ x ")), QStringLiteral("x"));
}

TEST(StringHelpers, CuttersGuardTheirIndexes)
{
    const QString six = QStringLiteral("abcdef");
    EXPECT_EQ(Right_Str_substringFromIndex(six, 2), QStringLiteral("ef"));
    EXPECT_EQ(Right_Str_substringFromIndex(six, 10), six);
    EXPECT_EQ(Right_Str_substringFromIndex(six, -3), QString());
    EXPECT_EQ(Left_Str_substringToIndex(six, -1), QString());
    EXPECT_EQ(Left_Str_substringToIndex(six, 6), six);
    EXPECT_EQ(Read_Str_FromIndex(six, 6), QString());
    EXPECT_EQ(Read_Str_FromIndex(six, 7), QString());
    EXPECT_EQ(Read_Str_FromIndex(six, -1), QString());
    EXPECT_EQ(Read_Str_FromIndex(six, 2), QStringLiteral("cdef"));
    EXPECT_EQ(Read_Str_Upto_Index(six, 6), six);
    EXPECT_EQ(Read_Str_Upto_Index(six, 7), QString());
    EXPECT_EQ(Read_Str_Upto_Index(six, -2), QString());
}

TEST(StringHelpers, EmptySearchesFindNothingAndReplaceNothing)
{
    EXPECT_FALSE(Find_Str(QStringLiteral("abc"), QString()));
    EXPECT_FALSE(Find_Str(QStringLiteral("abc"), QStringLiteral("B")));
    EXPECT_TRUE(Find_Str(QStringLiteral("abc"), QStringLiteral("bc")));
    EXPECT_FALSE(Find_Str_Case_Insensitive(QStringLiteral("abc"), QString()));
    EXPECT_FALSE(Find_Str_Case_Insensitive(QString(), QStringLiteral("a")));
    EXPECT_TRUE(Find_Str_Case_Insensitive(QStringLiteral("abc"), QStringLiteral("B")));
    EXPECT_EQ(Replace_char_in_string(QStringLiteral("a-b"), QString(), QStringLiteral("x")), QStringLiteral("a-b"));
    EXPECT_EQ(Replace_char_in_string(QStringLiteral("a-b-c"), QStringLiteral("-"), QStringLiteral("--")),
              QStringLiteral("a--b--c"));
}

TEST(LogHelper, TextIsLoggedVerbatimAndEmptyTextNotAtAll)
{
    LogCapture capture;
    Show_NSLog_Message(QStringLiteral("100% done %s %n %@"));
    Show_NSLog_Message(QString());
    Show_NSLog_Message(QStringLiteral(""));
    EXPECT_EQ(LogCapture::lines(), QStringList{QStringLiteral("100% done %s %n %@")});
}

TEST(DataFolders, CreatedPrivateOnceAndExistingFoldersKept)
{
    ResourceScope scope;
    const QString templates = scope.dir.filePath(QStringLiteral("Templates"));
    ASSERT_TRUE(QDir().mkdir(templates));
    ASSERT_EQ(::chmod(QFile::encodeName(templates).constData(), 0755), 0);

    EXPECT_TRUE(Check_Path_And_Create_Files());
    for (const char* name : {"DataSet", "Background", "Fill_Style_Image", "LibraryImage", "Templates/User"})
        EXPECT_EQ(fileMode(scope.dir.filePath(QString::fromLatin1(name))), 0700) << name;
    EXPECT_EQ(fileMode(templates), 0755);

    // A second run creates nothing: a file placed in a folder survives and
    // the folder's time stamp does not move.
    QFile marker(scope.dir.filePath(QStringLiteral("DataSet/Names.txt")));
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    const QDateTime before = QFileInfo(scope.dir.filePath(QStringLiteral("DataSet"))).lastModified();
    EXPECT_TRUE(Check_Path_And_Create_Files());
    EXPECT_TRUE(marker.exists());
    EXPECT_EQ(QFileInfo(scope.dir.filePath(QStringLiteral("DataSet"))).lastModified(), before);
}

TEST(DataFolders, FailureIsLoggedAndReported)
{
    ResourceScope scope;
    // "Background" is a file, so no folder can be made there.
    QFile blocker(scope.dir.filePath(QStringLiteral("Background")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    LogCapture capture;
    EXPECT_FALSE(Check_Path_And_Create_Files());
    ASSERT_EQ(LogCapture::lines().size(), 1);
    EXPECT_TRUE(LogCapture::lines().first().contains(QStringLiteral("Background")));
    // The others were still made.
    EXPECT_TRUE(QFileInfo(scope.dir.filePath(QStringLiteral("Templates/User"))).isDir());
}

TEST(DeleteFile, RemovesFilesAndFoldersAndReportsFailure)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("a.txt"));
    const QString folder = dir.filePath(QStringLiteral("folder/inner"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(Delete_File(file));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_TRUE(Delete_File(dir.filePath(QStringLiteral("folder"))));
    EXPECT_FALSE(QFileInfo::exists(folder));

    LogCapture capture;
    EXPECT_FALSE(Delete_File(file));
    EXPECT_EQ(LogCapture::lines().size(), 1);
}

TEST(HelpFile, MissingHelpSaysSoAndPresentHelpOpens)
{
    ResourceScope scope;
    QList<QUrl> opened;
    platform::workspace::setOpener([&opened](const QUrl& url) {
        opened.append(url);
        return true;
    });
    testResponder().answerAlert(AlertAnswer::Ok);
    Open_Help_File();
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")), QStringList{QStringLiteral("\nHelp file does not exist!")});
    EXPECT_TRUE(opened.isEmpty());

    QFile help(scope.dir.filePath(QStringLiteral("Help.pdf")));
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    help.close();
    Open_Help_File();
    platform::workspace::setOpener({});
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first(), QUrl::fromLocalFile(help.fileName()));
}

TEST(EnableHelper, GroupBoxGreysItsControlsAndPlainContainersStay)
{
    QWidget window;
    auto* box = new QGroupBox(QStringLiteral("Border"), &window);
    auto* layout = new QVBoxLayout(box);
    auto* field = new QLineEdit(box);
    auto* label = new QLabel(QStringLiteral("Width"), box);
    layout->addWidget(field);
    layout->addWidget(label);
    auto* plain = new QWidget(&window);
    auto* inside = new QLineEdit(plain);

    SetObjEnabled(box, false);
    EXPECT_FALSE(field->isEnabled());
    EXPECT_FALSE(label->isEnabled());
    SetObjEnabled(plain, false);
    EXPECT_TRUE(plain->isEnabled());
    EXPECT_TRUE(inside->isEnabled());
    SetObjEnabled(box, true);
    EXPECT_TRUE(field->isEnabled());

    QAction action(QStringLiteral("Paste"));
    SetObjEnabled(&action, false);
    EXPECT_FALSE(action.isEnabled());
    SetObjEnabled(nullptr, false); // nothing to do, no crash
}

TEST(ResourceFolder, SeedsMissingFilesOnlyAndKeepsEditedOnes)
{
    QTemporaryDir seed;
    QTemporaryDir home;
    const QString folder = home.filePath(QStringLiteral("Cardwright"));
    ASSERT_TRUE(QDir().mkpath(seed.filePath(QStringLiteral("Fill_Style_Image"))));
    for (const char* name : {"Title.txt", "Message.txt", "Fill_Style_Image/Dots.png"}) {
        QFile f(seed.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("seed");
    }
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile edited(folder + QStringLiteral("/Title.txt"));
    ASSERT_TRUE(edited.open(QIODevice::WriteOnly));
    edited.write("mine");
    edited.close();

    EXPECT_TRUE(Prepare_Resource_Folder(folder, seed.path()));
    EXPECT_EQ(Resource_Path, folder);
    EXPECT_EQ(Data_Folder_Path, folder + QStringLiteral("/DataSet"));
    ASSERT_TRUE(edited.open(QIODevice::ReadOnly));
    EXPECT_EQ(edited.readAll(), QByteArray("mine"));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/Message.txt")));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/Fill_Style_Image/Dots.png")));
    EXPECT_EQ(fileMode(folder + QStringLiteral("/Fill_Style_Image")), 0700);
    Resource_Path.clear();
    Data_Folder_Path.clear();
}

TEST(ResourceFolder, UncreatableFolderShowsTheMessage)
{
    QTemporaryDir home;
    QFile blocker(home.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    testResponder().answerAlert(AlertAnswer::Ok);
    EXPECT_FALSE(Prepare_Resource_Folder(blocker.fileName() + QStringLiteral("/Cardwright"), QString()));
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
              QStringList{QStringLiteral("\nCan not access Tessmark Data file.")});
    Resource_Path.clear();
    Data_Folder_Path.clear();
}
