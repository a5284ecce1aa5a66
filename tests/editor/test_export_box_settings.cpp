// The export-result box and the mail settings store.
#include "support_editor.h"

#include "app/AppHelpers.h"
#include "output/Preferences.h"
#include "platform/window_fit.h"
#include "platform/workspace.h"
#include "support/file_mode.h"
#include "support/hostile_bytes.h"
#include "support/test_responder.h"

#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ExportBox, ShowsWhereTheExportWentAndOpensItOnOk)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    QTemporaryDir dir;
    std::vector<QUrl> opened;
    platform::workspace::setOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    int result = -1;
    auto pressOk = [&](QDialog& box) {
        box.findChildren<QPushButton*>().first()->click();
        result = box.result();
    };

    // A folder: "Open containing folder.", opened on OK with the box ticked.
    Export_File_Path = dir.path();
    Export_File_Message = QStringLiteral("Card has been exported successfully.");
    testResponder().onDialog(pressOk);
    e->Open_Export_File_Box();
    EXPECT_EQ(e->_open_log_chk->text(), QStringLiteral("Open containing folder."));
    EXPECT_EQ(e->_open_log_path->text(), dir.path());
    EXPECT_EQ(e->_open_log_message->text(), QStringLiteral("Card has been exported successfully."));
    EXPECT_EQ(result, 1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened.front().toLocalFile(), dir.path());

    // A file with the box unticked: nothing opens, and the box is ticked again.
    Export_File_Path = dir.filePath(QStringLiteral("Card_1.png"));
    QFile written(Export_File_Path.get());
    ASSERT_TRUE(written.open(QIODevice::WriteOnly));
    testResponder().onDialog([&](QDialog& box) {
        box.findChild<QCheckBox*>()->setChecked(false);
        pressOk(box);
    });
    e->Open_Export_File_Box();
    EXPECT_EQ(e->_open_log_chk->text(), QStringLiteral("Open exported file."));
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_TRUE(e->_open_log_chk->isChecked());

    // The box takes the size of each message: a long list, then one line.
    QStringList lines{QStringLiteral("3 of 63 cards were exported.")};
    for (int i = 1; i <= 60; ++i)
        lines.append(QStringLiteral("Card %1: picture \"/a/rather/long/folder/picture_%1.png\" cannot be read.").arg(i));
    QSize shown[2];
    for (int i = 0; i < 2; ++i) {
        Export_File_Message = i == 0 ? lines.join(QLatin1Char('\n')) : QStringLiteral("Card has been exported successfully.");
        testResponder().onDialog([&](QDialog& box) {
            shown[i] = box.size();
            EXPECT_EQ(box.size(), box.sizeHint());
            EXPECT_LE(box.height(), platform::windowRoom(*box.screen()).height());
            pressOk(box);
        });
        e->Open_Export_File_Box();
    }
    EXPECT_LT(shown[1].height(), shown[0].height() / 4);
    EXPECT_LT(shown[1].width(), shown[0].width());
    platform::workspace::setOpener({});
    Export_File_Path = QString();
    Export_File_Message = QString();
}

TEST(MailSettings, StoredForTheOwnerOnlyAndReadAgainAtEachUse)
{
    // The settings file lives in this program's private resource folder,
    // never in the working folder other test programs share.
    ASSERT_TRUE(Prepare_Resource_Folder());
    QFile::remove(Preferences::settingsFilePath());
    EXPECT_EQ(Preferences::sharedInstance()->send_email_SMTP_server(), QString());
    {
        std::unique_ptr<Preferences> p = Preferences::sharedInstance();
        p->setSendEmailSender(QStringLiteral("me@example.org"));
        p->setSendEmailPwd(QStringLiteral("secret"));
        p->setSendEmailSMTP(QStringLiteral("smtp.example.org"));
        p->setSendEmailPORT(QStringLiteral("587"));
        p->setSendEnableSSL(QStringLiteral("1"));
        ASSERT_TRUE(p->save());
    }
    EXPECT_EQ(fileMode(Preferences::settingsFilePath()), 0600);
    QBXWindowController::Get_Email_Details();
    EXPECT_EQ(sender_email.get(), QStringLiteral("me@example.org"));
    EXPECT_EQ(sender_pwd.get(), QStringLiteral("secret"));
    EXPECT_EQ(sending_port.get(), QStringLiteral("587"));
    EXPECT_EQ(send_enable_ssl.get(), QStringLiteral("1"));

    // An unreadable file gives "" values.
    QFile f(Preferences::settingsFilePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("not a property list");
    f.close();
    QBXWindowController::Get_Email_Details();
    EXPECT_EQ(sending_server.get(), QString());
    QFile::remove(Preferences::settingsFilePath());
}

TEST(MailSettings, AHostileSettingsFileStartsTheProgramWithDefaultsAndStays)
{
    ASSERT_TRUE(Prepare_Resource_Folder());
    // A UTF-16 key holding U+0000, and 22,500 nested arrays.
    for (const QByteArray& bytes : {hostile::nulKeyPlist(), hostile::nestedXml(22500)}) {
        QFile f(Preferences::settingsFilePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        StartedEditor e;
        EXPECT_TRUE(e.started);
        EXPECT_EQ(sending_server.get(), QString());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), bytes);
        f.close();
    }
    QFile::remove(Preferences::settingsFilePath());
}
