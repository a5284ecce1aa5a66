// The ready-made title and message lists and the insert dialog that offers
// them.
#include "app/Globals.h"
#include "editor/QBXWindowController.h"
#include "support/test_responder.h"
#include "wizards/Insert_Template.h"
#include "wizards/Title_Message_Lists.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Lists : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved = Resource_Path;
        Resource_Path = dir.path();
    }
    void TearDown() override { Resource_Path = saved; }
    void write(const QString& name, const QByteArray& bytes)
    {
        QFile f(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QTemporaryDir dir;
    QString saved;
};

} // namespace

TEST_F(Lists, UnicodeCrlfBomAndBlankLinesLoadAsEntries)
{
    // BOM, CRLF line ends, a blank line in the middle, blank lines at both
    // ends, accents, CJK, emoji and right-to-left text.
    write("Title.txt", "\xEF\xBB\xBF\r\n\r\nCaf\xC3\xA9 \xE2\x80\x94 f\xC3\xAAte\r\n"
                       "\xE3\x81\x8A\xE7\xA5\x9D\xE3\x81\x84\r\n\r\n"
                       "Party \xF0\x9F\x8E\x89\r\n\xD8\xB9\xD9\x8A\xD8\xAF\r\n\r\n");
    write("Message.txt", "only one");
    Title_Message_Lists lists;
    lists.Load_Msg_And_Title();
    const QStringList expected{QStringLiteral(u"Café — fête"), QStringLiteral(u"お祝い"), QString(),
                               QStringLiteral(u"Party 🎉"), QStringLiteral(u"عيد")};
    EXPECT_EQ(lists.Title_Array, expected);
    EXPECT_EQ(lists.title_count, 5);
    for (const QString& entry : lists.Title_Array)
        EXPECT_FALSE(entry.contains(QChar(u'\r')) || entry.contains(QChar(0xFEFF))) << entry.toStdString();

    // Browsing wraps both ways; a blank entry shows an empty field.
    EXPECT_EQ(lists.Get_Title(), expected[0]);
    EXPECT_EQ(lists.Title_Back(), expected[4]);
    EXPECT_EQ(lists.Title_Next(), expected[0]);
    lists.Title_Next();
    EXPECT_EQ(lists.Title_Next(), QString());
    // A single entry keeps showing itself.
    EXPECT_EQ(lists.message_count, 1);
    EXPECT_EQ(lists.Msg_Next(), QStringLiteral("only one"));
    EXPECT_EQ(lists.Msg_Back(), QStringLiteral("only one"));
}

TEST_F(Lists, MissingOrInvalidFilesGiveNoListAndEmptyFields)
{
    write("Title.txt", "good line\n\xC3\x28 broken\n"); // invalid UTF-8
    Title_Message_Lists lists;
    lists.title_index = 3;
    lists.Load_Msg_And_Title(); // Message.txt is missing
    EXPECT_TRUE(lists.Title_Array.isEmpty());
    EXPECT_EQ(lists.title_count, 0);
    EXPECT_EQ(lists.message_count, 0);
    EXPECT_EQ(lists.Get_Title(), QString());
    EXPECT_EQ(lists.Title_Next(), QString());
    EXPECT_EQ(lists.Title_Back(), QString());
    EXPECT_EQ(lists.Msg_Next(), QString());
    EXPECT_EQ(lists.Msg_Back(), QString());

    // A folder in place of the file reads as missing.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Message.txt")));
    lists.Load_Msg_And_Title();
    EXPECT_EQ(lists.message_count, 0);
}

TEST(ListLimits, CutsNeverSplitASurrogatePair)
{
    const QString emoji = QStringLiteral(u"🎉");
    EXPECT_EQ(Title_Message_Lists::Cut_To_Length(QString(99, u'a') + emoji, 100), QString(99, u'a'));
    EXPECT_EQ(Title_Message_Lists::Cut_To_Length(QString(98, u'a') + emoji + QStringLiteral("b"), 100), QString(98, u'a') + emoji);
    EXPECT_EQ(Title_Message_Lists::Cut_To_Length(QStringLiteral("short"), 100), QStringLiteral("short"));
    EXPECT_EQ(Title_Message_Lists::Cut_To_Length(emoji, 1), QString());
}

TEST_F(Lists, InsertDialogReturnsTheTrimmedFieldRefusesBlanksAndCancelGivesNothing)
{
    write("Title.txt", "First title\r\nSecond title\r\n");
    write("Message.txt", "  A message  \n\n");
    Insert_Template* dialog = Insert_Template::defaultInstance();

    // Titles: next shows the second; OK hands it back trimmed of nothing.
    dialog->title_or_msg = QStringLiteral("T");
    testResponder().onDialog([dialog](QDialog&) {
        EXPECT_EQ(dialog->msg_value->text(), QStringLiteral("First title"));
        dialog->next_btn->click();
        dialog->ok_btn->click();
    });
    EXPECT_EQ(dialog->Open_Template_Dialog(), 1);
    EXPECT_EQ(Template_Msg_Val, QStringLiteral("Second title"));

    // Messages: blanks are refused with the message; an edited text is
    // returned trimmed.
    dialog->title_or_msg = QStringLiteral("M");
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    testResponder().onDialog([dialog](QDialog& window) {
        dialog->msg_value->setText(QStringLiteral(" \t "));
        dialog->ok_btn->click();
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.focusWidget(), dialog->msg_value);
        dialog->msg_value->setText(QStringLiteral("  typed words \n"));
        dialog->ok_btn->click();
    });
    EXPECT_EQ(dialog->Open_Template_Dialog(), 1);
    EXPECT_EQ(Template_Msg_Val, QStringLiteral("typed words"));
    const QStringList alerts = testResponder().texts(QStringLiteral("alert"));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts[0].trimmed(), QStringLiteral("Please select message."));

    // Cancel: 0 and nothing chosen.
    testResponder().onDialog([dialog](QDialog&) { dialog->cancel_btn->click(); });
    EXPECT_EQ(dialog->Open_Template_Dialog(), 0);
    EXPECT_EQ(Template_Msg_Val, QString());
}
