// Template pairs on disk: names, copy names, and copy, rename and delete that
// leave whole pairs or the old state.
#include "app/Globals.h"
#include "platform/files.h"
#include "wizards/Template_Store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ts = template_store;

namespace {

class Pairs : public ::testing::Test {
protected:
    QTemporaryDir dir;
    void TearDown() override { platform::failFileOperation(0); }
    QString path(const QString& name) const { return dir.filePath(name); }
    void touch(const QString& name, const QByteArray& bytes = "x")
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList files() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
};

} // namespace

TEST(TemplateNames, CleanedAtTheEndsAndUnsafeNamesRefused)
{
    EXPECT_EQ(ts::Clean_Name(QStringLiteral("  /Wedding* \n")), QStringLiteral("Wedding"));
    EXPECT_EQ(ts::Clean_Name(QStringLiteral("Mum & Dad")), QStringLiteral("Mum & Dad"));
    for (const QString& bad : {QString(), QStringLiteral(" */?* "), QStringLiteral("a/b"), QStringLiteral(".."),
                               QStringLiteral(".x"), QStringLiteral("a") + QChar(0) + QStringLiteral("b"),
                               QString(250, QLatin1Char('n'))})
        EXPECT_FALSE(ts::Clean_Name(bad).has_value()) << bad.toStdString();
    // 249 bytes plus ".dcard" is the longest file name.
    EXPECT_TRUE(ts::Clean_Name(QString(249, QLatin1Char('n'))).has_value());
    EXPECT_FALSE(ts::Clean_Name(QString(125, QChar(0x00e9))).has_value()) << "bytes, not characters, count";
    // Each refusal says why.
    QString why;
    ts::Clean_Name(QStringLiteral(" */?* "), &why);
    EXPECT_EQ(why, QStringLiteral("Please enter template name."));
    ts::Clean_Name(QStringLiteral("Mum/Dad"), &why);
    EXPECT_EQ(why, QStringLiteral("Template name cannot contain the character \"/\"."));
    ts::Clean_Name(QString(250, QLatin1Char('n')), &why);
    EXPECT_EQ(why, QStringLiteral("Template name is too long for a file name."));
}

TEST_F(Pairs, CopyNamesSkipEveryTakenPairMember)
{
    for (const char* n : {"Party.png", "Party.dcard", "Party (copy 1).png", "Party (copy 3).png"})
        touch(QString::fromLatin1(n));
    EXPECT_EQ(QFileInfo(*ts::Create_New_File_Path(path("Party.png"))).fileName(), QStringLiteral("Party (copy 2).png"));
    touch(QStringLiteral("Party (copy 2).dcard")); // a lone design takes the name too
    EXPECT_EQ(QFileInfo(*ts::Create_New_File_Path(path("Party.png"))).fileName(), QStringLiteral("Party (copy 4).png"));
    touch(QStringLiteral("100%1 off.jpg"));
    EXPECT_EQ(QFileInfo(*ts::Create_New_File_Path(path("100%1 off.jpg"))).fileName(),
              QStringLiteral("100%1 off (copy 1).jpg"));
    EXPECT_TRUE(ts::Name_Taken(dir.path(), QStringLiteral("Party (copy 2)")));
    touch(QStringLiteral("Lone.JPG"));
    EXPECT_TRUE(ts::Name_Taken(dir.path(), QStringLiteral("Lone")));
    EXPECT_FALSE(ts::Name_Taken(dir.path(), QStringLiteral("party")));
}

TEST_F(Pairs, CopyRenameAndDeleteMoveWholePairsAndUndoHalfDoneWork)
{
    touch(QStringLiteral("Party.png"), "picture");
    touch(QStringLiteral("Party.dcard"), "design");
    QString why;

    // A copy whose second file fails leaves no half copy.
    platform::failFileOperation(2);
    EXPECT_FALSE(ts::Copy_Pair(path("Party.png"), path("Party (copy 1).png"), &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(files(), QStringList({"Party.dcard", "Party.png"}));
    EXPECT_TRUE(ts::Copy_Pair(path("Party.png"), path("Party (copy 1).png"), &why));
    EXPECT_EQ(files().size(), 4);

    // A rename whose second move fails puts the first back.
    platform::failFileOperation(2);
    EXPECT_FALSE(ts::Rename_Pair(path("Party (copy 1).png"), path("Fest.png"), &why));
    EXPECT_TRUE(QFileInfo::exists(path("Party (copy 1).png")));
    EXPECT_TRUE(QFileInfo::exists(path("Party (copy 1).dcard")));
    EXPECT_FALSE(QFileInfo::exists(path("Fest.png")));
    EXPECT_TRUE(ts::Rename_Pair(path("Party (copy 1).png"), path("Fest.png"), &why));
    EXPECT_EQ(files(), QStringList({"Fest.dcard", "Fest.png", "Party.dcard", "Party.png"}));

    // Never onto an existing file.
    EXPECT_FALSE(ts::Rename_Pair(path("Fest.png"), path("Party.png"), &why));
    EXPECT_EQ(files().size(), 4);

    // A delete whose second step fails keeps the whole pair.
    platform::failFileOperation(2);
    EXPECT_FALSE(ts::Delete_Pair(path("Fest.png"), &why));
    EXPECT_EQ(files(), QStringList({"Fest.dcard", "Fest.png", "Party.dcard", "Party.png"}));
    EXPECT_TRUE(ts::Delete_Pair(path("Fest.png"), &why));
    EXPECT_EQ(files(), QStringList({"Party.dcard", "Party.png"}));
}

TEST_F(Pairs, AJpgTemplateRenamedToItsOwnNameKeepsItsDesign)
{
    touch(QStringLiteral("Old.jpg"), "picture");
    touch(QStringLiteral("Old.dcard"), "design");
    QString why;
    ASSERT_TRUE(ts::Rename_Pair(path("Old.jpg"), path("Old.png"), &why)) << why.toStdString();
    EXPECT_EQ(files(), QStringList({"Old.dcard", "Old.png"}));
    QFile design(path("Old.dcard"));
    ASSERT_TRUE(design.open(QIODevice::ReadOnly));
    EXPECT_EQ(design.readAll(), QByteArray("design"));
}
