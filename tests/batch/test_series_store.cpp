// The series store: names that stay in the data folder, one stable listing,
// readers that keep row i on card i, writers that never damage a series.
#include "batch/SeriesStore.h"
#include "support/file_limits.h"
#include "support/test_responder.h"
#include "support_binding.h"

#include <QDir>
#include <QFile>
#include <cstring>
#include <gtest/gtest.h>

using namespace series;

TEST(SeriesStore, RoundTripKeepsEveryValueInItsRow)
{
    TempSeriesFolder folder;
    const QStringList values{QString(),
                             QStringLiteral("Ünïcödé àccents"),
                             QString(),
                             QStringLiteral("漢字かな"),
                             QStringLiteral("😀 emoji 👍🏽"),
                             QStringLiteral("שלום עולם"),
                             QStringLiteral("last")};
    ASSERT_TRUE(Save_Series(QStringLiteral("Mixed"), values, Values::Trimmed_Keep_Empty, Write::Replace, true,
                            folder.path()));
    EXPECT_EQ(Read_Series_Rows(QStringLiteral("Mixed"), folder.path()), values);
    EXPECT_EQ(Read_Series_Values(QStringLiteral("Mixed"), folder.path()).size(), 5);
    // A leading empty value is card 0's value: the preview shows it.
    EXPECT_EQ(Get_First_Value_Of_Dataset(QStringLiteral("Mixed"), folder.path()), QString());
    EXPECT_TRUE(folder.read(QStringLiteral("Mixed.txt")).startsWith("\nÜnïcödé"));
}

TEST(SeriesStore, ReadersHandleCrlfBomBlankLinesAndBadBytes)
{
    TempSeriesFolder folder;
    folder.write(QStringLiteral("Crlf.txt"), "\xEF\xBB\xBF" "a\r\n\r\nc\r\n");
    EXPECT_EQ(Read_Series_Rows(QStringLiteral("Crlf"), folder.path()),
              (QStringList{QStringLiteral("a\r"), QStringLiteral("\r"), QStringLiteral("c\r")}));
    EXPECT_EQ(Get_First_Value_Of_Dataset(QStringLiteral("Crlf"), folder.path()), QStringLiteral("a"));
    EXPECT_EQ(Read_Series_Values(QStringLiteral("Crlf"), folder.path()), (QStringList{"a", "c"}));

    folder.write(QStringLiteral("Lead.txt"), "\n\nx\n \n\t\n\n");
    EXPECT_EQ(Read_Series_Rows(QStringLiteral("Lead"), folder.path()), (QStringList{"", "", "x"}));
    EXPECT_EQ(Get_First_Value_Of_Dataset(QStringLiteral("Lead"), folder.path()), QString());

    folder.write(QStringLiteral("Zero.txt"), "");
    folder.write(QStringLiteral("Blank.txt"), " \n\r\n\n");
    EXPECT_EQ(Read_Series_Rows(QStringLiteral("Zero"), folder.path()), QStringList());
    EXPECT_EQ(Read_Series_Rows(QStringLiteral("Blank"), folder.path()), QStringList());

    folder.write(QStringLiteral("Bad.txt"), "ok\n\xC3\x28\n");
    EXPECT_FALSE(Read_Series_Rows(QStringLiteral("Bad"), folder.path()).has_value());
    EXPECT_EQ(Get_First_Value_Of_Dataset(QStringLiteral("Bad"), folder.path()), QString());
    EXPECT_TRUE(Read_Series_Values(QStringLiteral("Bad"), folder.path()).isEmpty());
    EXPECT_FALSE(Read_Series_Rows(QStringLiteral("Missing"), folder.path()).has_value());
}

TEST(SeriesStore, UnsafeNamesHaveNoPath)
{
    TempSeriesFolder folder;
    const QString base = folder.path();
    EXPECT_EQ(Series_Path(QStringLiteral("/x/"), base), base + QStringLiteral("/x.txt"));
    // Reserved characters go only at the very ends, blanks after them.
    EXPECT_EQ(Series_Path(QStringLiteral("?Name* "), base), base + QStringLiteral("/Name*.txt"));
    for (const QString& bad : {QStringLiteral(""), QStringLiteral("  "), QStringLiteral("."), QStringLiteral(".."),
                               QStringLiteral("../x"), QStringLiteral("a/../../b"), QStringLiteral("/../"),
                               QStringLiteral("a") + QChar(0) + QStringLiteral("b")})
        EXPECT_FALSE(Series_Path(bad, base).has_value()) << bad.toStdString();

    // A writer refuses such a name with the usual message and writes nothing.
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    EXPECT_FALSE(Save_Series(QStringLiteral("../escape"), {QStringLiteral("v")}, Values::As_Given, Write::Replace,
                             true, base));
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
              QStringList{QStringLiteral("\nError in file accessing.\nThe series \"../escape\" could not be written: "
                                         "the name names no file in the data folder")});
    EXPECT_FALSE(QFile::exists(base + QStringLiteral("/../escape.txt")));
    // A reader treats it as a missing series.
    EXPECT_FALSE(Read_Series_Text(QStringLiteral("../") + QDir(base).dirName(), base).has_value());
}

TEST(SeriesStore, ListingShowsOnlyTxtSeriesInOneOrder)
{
    TempSeriesFolder folder;
    for (const char* name : {"b.txt", "B.txt", "a.txt", "Ä.txt", "c.csv", "d.TXT", "e.txt.bak", ".txt", " pad .txt",
                             ".hidden.txt", "10.txt", "9.txt"})
        folder.write(QString::fromUtf8(name), "v\n");
    QDir(folder.path()).mkdir(QStringLiteral("folder.txt"));
    EXPECT_EQ(Get_datasheet_File_Name_Array(folder.path()),
              (QStringList{".hidden", "10", "9", "a", "B", "b", QStringLiteral("Ä")}));
    EXPECT_TRUE(Get_datasheet_File_Name_Array(folder.path() + QStringLiteral("/none")).isEmpty());
}

TEST(SeriesStore, WritersTreatValuesAndAppendWithoutJoining)
{
    TempSeriesFolder folder;
    const QString base = folder.path();
    // A value holding line breaks stays one row.
    ASSERT_TRUE(Save_Series(QStringLiteral("S"), {QStringLiteral(" a\r\nb\rc\nd "), QString()},
                            Values::Trimmed_Keep_Empty, Write::Replace, true, base));
    EXPECT_EQ(folder.read(QStringLiteral("S.txt")), QByteArray("a b c d\n\n"));
    ASSERT_TRUE(Save_Series(QStringLiteral("S"), {QStringLiteral(" x "), QString(), QStringLiteral("  ")},
                            Values::Trimmed_Drop_Empty, Write::Replace, true, base));
    EXPECT_EQ(folder.read(QStringLiteral("S.txt")), QByteArray("x\n"));
    ASSERT_TRUE(Save_Series(QStringLiteral("S"), {QStringLiteral(" x "), QString(), QStringLiteral("  ")},
                            Values::As_Given_Drop_Empty, Write::Replace, true, base));
    EXPECT_EQ(folder.read(QStringLiteral("S.txt")), QByteArray(" x \n  \n"));

    // A file edited elsewhere without its final line feed: the append adds one.
    folder.write(QStringLiteral("A.txt"), "one\ntwo");
    ASSERT_TRUE(Save_Series(QStringLiteral("A"), {QStringLiteral("three")}, Values::Trimmed_Keep_Empty, Write::Append,
                            true, base));
    EXPECT_EQ(folder.read(QStringLiteral("A.txt")), QByteArray("one\ntwo\nthree\n"));
    ASSERT_TRUE(Save_Series(QStringLiteral("A"), {QStringLiteral("four")}, Values::Trimmed_Keep_Empty, Write::Append,
                            true, base));
    EXPECT_EQ(folder.read(QStringLiteral("A.txt")), QByteArray("one\ntwo\nthree\nfour\n"));
    ASSERT_TRUE(Save_Series(QStringLiteral("New"), {QStringLiteral("v")}, Values::As_Given, Write::Append, true, base));
    EXPECT_EQ(folder.read(QStringLiteral("New.txt")), QByteArray("v\n"));
}

// The message names the series and the system's reason (a full disk, a
// folder in the way).
TEST(SeriesStore, FailedWriteKeepsTheOldSeries)
{
    TempSeriesFolder folder;
    const QString base = folder.path();
    folder.write(QStringLiteral("Full.txt"), "old\n");
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    bool saved;
    {
        const FileSizeLimit limit(4096);
        saved = Save_Series(QStringLiteral("Full"), QStringList(1000, QStringLiteral("value")), Values::As_Given,
                            Write::Replace, true, base);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(folder.read(QStringLiteral("Full.txt")), QByteArray("old\n"));
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
              QStringList{QStringLiteral("\nError in file accessing.\nThe series \"Full\" could not be written: ")
                          + QString::fromLocal8Bit(std::strerror(EFBIG))});
    // The series path is taken by a non-empty folder: the rename cannot succeed.
    QDir(base).mkpath(QStringLiteral("Busy.txt"));
    folder.write(QStringLiteral("Busy.txt/inner"), "keep");
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    EXPECT_FALSE(Save_Series(QStringLiteral("Busy"), {QStringLiteral("new")}, Values::As_Given, Write::Replace, true,
                             base));
    EXPECT_TRUE(testResponder().texts(QStringLiteral("alert")).constLast().startsWith(
        QStringLiteral("\nError in file accessing.\nThe series \"Busy\" could not be written: ")));
    EXPECT_EQ(folder.read(QStringLiteral("Busy.txt/inner")), QByteArray("keep"));
    // No temporary file is left behind, and nothing new is listed.
    EXPECT_EQ(QDir(base).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Full.txt")});

    // The per-column writer asks for no message.
    EXPECT_FALSE(Save_Series(QStringLiteral("Busy"), {QStringLiteral("new")}, Values::As_Given, Write::Append, false,
                             base));
    // The data folder itself missing.
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    EXPECT_FALSE(Save_Series(QStringLiteral("X"), {QStringLiteral("new")}, Values::As_Given, Write::Replace, true,
                             base + QStringLiteral("/absent")));
}

TEST(SeriesStore, InUseRuleByExactNameOnTheSidesThatCount)
{
    TempSeriesFolder folder;
    folder.write(QStringLiteral("Names.txt"), "a\n");
    auto front = GraphicList{std::make_shared<QBXText>()};
    auto back = GraphicList{Series_Picture(QStringLiteral("Names"))};
    EXPECT_FALSE(Check_Batch_File_In_Use_Validation(QStringLiteral("Names"), front, back, QStringLiteral("1"),
                                                    folder.path()));
    EXPECT_TRUE(Check_Batch_File_In_Use_Validation(QStringLiteral("Names"), front, back, QStringLiteral("2"),
                                                   folder.path()));
    EXPECT_FALSE(Check_Batch_File_In_Use_Validation(QStringLiteral("names"), front, back, QStringLiteral("2"),
                                                    folder.path()));
    // A bound manual graphic or a missing file does not count.
    back.front()->Set_Data_source_type(0);
    EXPECT_FALSE(Check_Batch_File_In_Use_Validation(QStringLiteral("Names"), front, back, QStringLiteral("2"),
                                                    folder.path()));
    front.push_back(Series_Text(QStringLiteral("Gone")));
    EXPECT_FALSE(Check_Batch_File_In_Use_Validation(QStringLiteral("Gone"), front, back, QStringLiteral("2"),
                                                    folder.path()));
}

TEST(SeriesStore, ReplaceAnswerLastsOneWalk)
{
    Replace_Walk first;
    EXPECT_FALSE(first.Remembered().has_value());
    first.Remember(true, true);
    EXPECT_EQ(first.Remembered(), std::optional<bool>(true));
    Replace_Walk next; // a later import asks again
    EXPECT_FALSE(next.Remembered().has_value());
    EXPECT_FALSE(next.Msg_Apply_All_Chk);
}
