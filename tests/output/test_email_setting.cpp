// The e-mail settings dialog: its checks in order, what Save stores, a
// failed save or reset, and the test mail, which saves nothing and keeps
// the window painting while it waits.
#include "app/AppHelpers.h"
#include "output/Email_Setting.h"
#include "output/MailHost.h"
#include "output/Preferences.h"
#include "output/Send_Mail.h"
#include "output/mail_run.h"
#include "support/process_runner.h"
#include "support/test_responder.h"
#include "support_mail.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSet>
#include <QTimer>

#include <gtest/gtest.h>

using namespace mailtest;
using platform::modal::AlertAnswer;

namespace {

struct Dialog_Fixture {
    Email_Setting* d = Email_Setting::defaultInstance();
    Dialog_Fixture()
    {
        testResponder().reset();
        // The settings file belongs in this program's private resource
        // folder, never in the working folder other test programs share.
        EXPECT_TRUE(Prepare_Resource_Folder());
        QFile::remove(Preferences::settingsFilePath());
        QDir().rmdir(Preferences::settingsFilePath());
    }
    ~Dialog_Fixture() { QDir().rmdir(Preferences::settingsFilePath()); }
    void Fill(const QString& sender, const QString& password, const QString& smtp, const QString& port,
              const QString& to)
    {
        d->_send_mail_sender_mail->setText(sender);
        d->_send_mail_password->setText(password);
        d->_send_mail_smtp->setText(smtp);
        d->_send_mail_port->setText(port);
        d->_send_mail_to->setText(to);
    }
    void Open(const std::function<void()>& act)
    {
        testResponder().onDialog([this, act](QDialog&) {
            act();
            if (d->isVisible())
                QMetaObject::invokeMethod(d, [this] { d->done(0); }, Qt::QueuedConnection);
        });
        d->Open_Wnd();
    }
};

QString Stored(const QString& key)
{
    const testsupport::ProcessResult read = testsupport::python(
        "import plistlib,sys; print(plistlib.load(open(sys.argv[1],'rb')).get(sys.argv[2], '<none>'), end='')",
        {Preferences::settingsFilePath(), key});
    return QString::fromUtf8(read.out);
}

} // namespace

TEST(EmailSetting, ChecksInOrderWithFocusOnTheFailingField)
{
    Dialog_Fixture f;
    struct Case {
        QStringList fields; // sender, password, smtp, port, to
        bool test;
        QString message;
        QLineEdit* focus;
    } cases[] = {
        {{"", "pw", "s", "25", ""}, false, "Please enter sender E-mail.", f.d->_send_mail_sender_mail},
        {{"a@bcd", "pw", "s", "25", ""}, false, "Please enter valid sender E-mail address.",
         f.d->_send_mail_sender_mail},
        {{"A@B.CD", "", "s", "25", ""}, false, "Please enter password.", f.d->_send_mail_password},
        {{"a@b.cd", "  ", "", "25", ""}, false, "Please enter SMTP server.", f.d->_send_mail_smtp},
        {{"a@b.cd", "pw", "s", "", ""}, false, "Please enter port number.", f.d->_send_mail_port},
        {{"a@b.cd", "pw", "s", "x", ""}, true, "Please enter recipient E-mail address.", f.d->_send_mail_to},
        {{"a@b.cd", "pw", "s", "x", "t@u"}, true, "Please enter valid recipient E-mail address.",
         f.d->_send_mail_to},
    };
    f.Open([&] {
        for (const Case& c : cases) {
            f.Fill(c.fields[0], c.fields[1], c.fields[2], c.fields[3], c.fields[4]);
            testResponder().answerAlert(AlertAnswer::Ok);
            EXPECT_FALSE(f.d->Check_Validation(c.test));
            EXPECT_EQ(testResponder().texts("alert").value(0), QStringLiteral("\n") + c.message);
            EXPECT_EQ(f.d->focusWidget(), c.focus) << c.message.toStdString();
            testResponder().reset();
        }
        f.Fill("a@b.cd", "pw", "s", "x", "");
        EXPECT_TRUE(f.d->Check_Validation(false));
    });
}

TEST(EmailSetting, SavesAsTypedAndSaysWhenItCouldNotSaveOrReset)
{
    Dialog_Fixture f;
    f.Open([&] {
        f.Fill("Me@B.CD", " pw ", "smtp.b.cd", "587", "");
        f.d->SSL_Selected();
        f.d->Save_Button();
    });
    EXPECT_EQ(f.d->result(), 1);
    EXPECT_EQ(Stored("SendEmailSender"), QStringLiteral("Me@B.CD"));
    EXPECT_EQ(Stored("SendEmailPwd"), QStringLiteral(" pw "));
    EXPECT_EQ(Stored("SendEnableSSL"), QStringLiteral("Y"));
    EXPECT_EQ(QFile::permissions(Preferences::settingsFilePath()) & 0x0077, 0);
    f.Open([&] {
        EXPECT_EQ(f.d->_send_mail_sender_mail->text(), QStringLiteral("Me@B.CD"));
        EXPECT_TRUE(f.d->_send_mail_ssl->isChecked());
        f.d->TLS_Selected();
        f.d->Save_Button();
    });
    EXPECT_EQ(Stored("SendEnableSSL"), QStringLiteral("N"));

    // Reset: No keeps everything, Yes removes the file.
    f.Open([&] {
        testResponder().answerAlert(AlertAnswer::No);
        f.d->Reset_Button();
        EXPECT_TRUE(QFile::exists(Preferences::settingsFilePath()));
        testResponder().answerAlert(AlertAnswer::Yes);
        f.d->Reset_Button();
        EXPECT_FALSE(QFile::exists(Preferences::settingsFilePath()));
        EXPECT_TRUE(f.d->_send_mail_sender_mail->text().isEmpty());
        EXPECT_TRUE(f.d->_send_mail_tls->isChecked());
        EXPECT_TRUE(f.d->isVisible());
    });
    EXPECT_EQ(Preferences::sharedInstance()->send_email_SenderEmail(), QString());

    // The settings path taken by a folder: nothing can be written or removed.
    ASSERT_TRUE(QDir().mkdir(Preferences::settingsFilePath()));
    QFile(Preferences::settingsFilePath() + QStringLiteral("/keep")).open(QIODevice::WriteOnly);
    f.Open([&] {
        f.Fill("a@b.cd", "pw", "s", "25", "");
        testResponder().answerAlert(AlertAnswer::Ok);
        f.d->Save_Button();
        EXPECT_TRUE(f.d->isVisible());
        testResponder().answerAlert(AlertAnswer::Yes);
        testResponder().answerAlert(AlertAnswer::Ok);
        f.d->Reset_Button();
        EXPECT_EQ(f.d->_send_mail_sender_mail->text(), QStringLiteral("a@b.cd"));
    });
    EXPECT_EQ(testResponder().texts("alert"),
              (QStringList{"\nThe e-mail settings could not be saved.", "\nThe e-mail settings could not be reset."}));
    QFile::remove(Preferences::settingsFilePath() + QStringLiteral("/keep"));
}

TEST(EmailSetting, TheTestMailSavesNothingAndTheWaitSheetPaintsWhileItWaits)
{
    Smtp_Server server;
    ASSERT_TRUE(server.ok());
    Use_Source_Script();
    Dialog_Fixture f;
    f.Open([&] {
        f.Fill("Me@B.CD", "pw", "127.0.0.1", server.Port(), "You@Y.ZZ");
        testResponder().answerAlert(AlertAnswer::Ok);
        f.d->Send_Test_Email();
        EXPECT_EQ(f.d->_send_mail_result_status->toPlainText(), mail::Sent_Text);
    });
    EXPECT_FALSE(QFile::exists(Preferences::settingsFilePath()));
    const auto mails = server.Mails();
    ASSERT_EQ(mails.size(), 1);
    EXPECT_EQ(mails[0]["subject"].toString(), QApplication::applicationName() + QStringLiteral(" Test Mail"));
    EXPECT_EQ(mails[0]["from"].toString(), QStringLiteral("me@b.cd"));
    EXPECT_EQ(mails[0]["to"].toString(), QStringLiteral("you@y.zz"));

    testResponder().reset();
    Smtp_Server silent({"--silent"});
    ASSERT_TRUE(silent.ok());
    mail::scriptSetup().deadline_ms = 2000;
    bool sheet_seen = false;
    f.Open([&] {
        f.Fill("me@b.cd", "pw", "127.0.0.1", silent.Port(), "you@y.zz");
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] { sheet_seen |= f.d->plz_wait_Window->isVisible(); });
        probe.start(100);
        testResponder().answerAlert(AlertAnswer::Ok);
        f.d->Send_Test_Email();
        EXPECT_FALSE(f.d->plz_wait_Window->isVisible());
    });
    EXPECT_TRUE(sheet_seen);
    // The advice, then why the mail did not go: the system's reason, or the
    // server's.
    EXPECT_TRUE(testResponder().texts("alert").value(0).endsWith(QStringLiteral("Could not send email.\n\ntimed out")))
        << testResponder().texts("alert").value(0).toStdString();
    testResponder().reset();
    Smtp_Server refusing({"--refuse", "you@y.zz"});
    ASSERT_TRUE(refusing.ok());
    f.Open([&] {
        f.Fill("me@b.cd", "pw", "127.0.0.1", refusing.Port(), "you@y.zz");
        testResponder().answerAlert(AlertAnswer::Ok);
        f.d->Send_Test_Email();
    });
    const QString refused = testResponder().texts("alert").value(0);
    EXPECT_TRUE(refused.contains(QStringLiteral("Could not send email.\n\n"))) << refused.toStdString();
    EXPECT_TRUE(refused.contains(QStringLiteral("550"))) << refused.toStdString();
    mail::scriptSetup() = mail::Script_Setup();
}

TEST(EmailSetting, BothMailDialogsPaintTheirControlsOnTheWindowColour)
{
    for (QDialog* dialog : {static_cast<QDialog*>(Email_Setting::defaultInstance()),
                            static_cast<QDialog*>(Send_Mail::defaultInstance())}) {
        dialog->adjustSize();
        const QImage shot = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2)
                colours.insert(shot.pixel(x, y));
        EXPECT_TRUE(colours.contains(qRgb(241, 244, 250))) << dialog->objectName().toStdString();
        EXPECT_GT(colours.size(), 10) << dialog->objectName().toStdString();
    }
}
