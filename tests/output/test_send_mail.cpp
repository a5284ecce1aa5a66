// Mail runs from request to report against a local SMTP server: every mode,
// the report, the pause, the private picture folder, and the mail window's
// checks and single run.
#include "output/MailHost.h"
#include "output/Send_Mail.h"
#include "output/card_export.h"
#include "output/mail_run.h"
#include "platform/stepper.h"
#include "support/bounded_wait.h"
#include "support/test_responder.h"
#include "support_mail.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <thread>

using namespace mailtest;
using platform::modal::AlertAnswer;

namespace {

QImage Card(int shade)
{
    QImage image(30, 20, QImage::Format_ARGB32);
    image.fill(QColor(shade, 255 - shade, 7));
    return image;
}

// What the export's writer makes of the picture.
QString Exported(const QImage& picture)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.png"));
    card_export::Write_Picture(picture, path, nullptr);
    return Base64_Of(path);
}

mail::Mail_Request Request(const Smtp_Server& server, int recipients)
{
    mail::Mail_Request request;
    request.sender = QStringLiteral("a@b.cd");
    request.server = QStringLiteral("127.0.0.1");
    request.port = server.Port();
    request.enable_ssl = QStringLiteral("N");
    request.subject = QStringLiteral("Cards");
    for (int i = 1; i <= recipients; ++i)
        request.recipients << QStringLiteral("r%1@y.zz").arg(i);
    return request;
}

QStringList Names(const QJsonObject& mail)
{
    QStringList names;
    for (const auto a : mail["attachments"].toArray())
        names << a.toObject()["name"].toString();
    return names;
}

QString Data(const QJsonObject& mail, int i)
{
    return mail["attachments"].toArray().at(i).toObject()["data"].toString();
}

QStringList Run_Folders()
{
    return QDir::temp().entryList({QStringLiteral("cardwright-mail-*")}, QDir::AllEntries | QDir::System);
}

} // namespace

TEST(MailRun, CardModeMailsTheSidesOncePerRecipientBackFirstAsTheExportWritesThem)
{
    Smtp_Server server;
    ASSERT_TRUE(server.ok());
    Use_Source_Script();
    // A temporary folder of this test's own, so parallel runs do not mix.
    QTemporaryDir tmp;
    const QByteArray old_tmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", tmp.path().toUtf8());
    // Another user's file at the old fixed name stays untouched.
    const QString planted = QDir::temp().filePath(QStringLiteral("VELTCard.jpeg"));
    QFile::remove(planted);
    ASSERT_TRUE(QFile::link(QStringLiteral("/etc/hostname"), planted));
    const QStringList folders_before = Run_Folders();

    mail::Mail_Request request = Request(server, 3);
    request.side = QStringLiteral("BOTH");
    request.front = Card(10);
    request.back = Card(200);
    mail::Mail_Progress progress;
    const mail::Mail_Report report = mail::Run_Mail(request, progress);
    EXPECT_TRUE(report.Succeeded());
    EXPECT_EQ(report.Text(), mail::Sent_Text);
    const auto mails = server.Mails();
    ASSERT_EQ(mails.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(mails[i]["to"].toString(), QStringLiteral("r%1@y.zz").arg(i + 1));
        EXPECT_EQ(Names(mails[i]), (QStringList{"VELTCard_Back.png", "VELTCard.png"}));
        EXPECT_EQ(Data(mails[i], 0), Exported(request.back));
        EXPECT_EQ(Data(mails[i], 1), Exported(request.front));
        EXPECT_EQ(mails[i]["attachments"].toArray()[0].toObject()["type"].toString(), QStringLiteral("image/png"));
    }
    EXPECT_EQ(Run_Folders(), folders_before);
    EXPECT_TRUE(QFileInfo(planted).isSymLink());

    // What the design's barcodes have against them is said after the run.
    request.render_problems = [] {
        return QList<Card_Problem>{{Problem_Kind::Barcode_Too_Fine, 0, {}, QStringLiteral("The QR Code barcode ...")}};
    };
    EXPECT_EQ(mail::Run_Mail(request, progress).Text(),
              mail::Sent_Text + QStringLiteral("\n\nBarcodes too fine to read:\nThe QR Code barcode ..."));
    qputenv("TMPDIR", old_tmp);
}

TEST(MailRun, DataModesSendRowsToRecipientsAndCountWhatTheSheetShows)
{
    Smtp_Server server;
    ASSERT_TRUE(server.ok());
    Use_Source_Script();
    auto rows = [](int count) {
        return [count](int row, const QString&) { return row < count ? Card(40 * row) : QImage(); };
    };

    // Row i to recipient i: five recipients, three rows.
    mail::Mail_Request one = Request(server, 5);
    one.mode = mail::Mode::Data;
    one.all_to_every = false;
    one.rows = 3;
    one.render_row = rows(3);
    mail::Mail_Progress p1;
    EXPECT_TRUE(mail::Run_Mail(one, p1).Succeeded());
    auto mails = server.Mails();
    ASSERT_EQ(mails.size(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(mails[k]["to"].toString(), QStringLiteral("r%1@y.zz").arg(k + 1));
        EXPECT_EQ(Data(mails[k], 0), Exported(Card(40 * k)));
    }
    EXPECT_EQ(p1.total, 5);

    // Two recipients, five rows, the second not drawable: the end box counts
    // the two cards that were to go and names the rows left without one.
    one.recipients = one.recipients.mid(0, 2);
    one.rows = 5;
    one.render_row = [](int row, const QString&) { return row == 1 ? QImage() : Card(9); };
    mail::Mail_Progress p4;
    const QString text = mail::Run_Mail(one, p4).Text();
    EXPECT_TRUE(text.contains(QStringLiteral("\n1 of 2 e-mails were not sent."))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("1 of 2 cards carries a problem."))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("\nCard_3 to Card_5 were not sent: their rows have no recipient.")))
        << text.toStdString();

    // Every row to every recipient: two rows, three recipients, six mails.
    mail::Mail_Request all = Request(server, 3);
    all.mode = mail::Mode::Data;
    all.rows = 2;
    all.render_row = rows(2);
    mail::Mail_Progress p2;
    const mail::Mail_Report report = mail::Run_Mail(all, p2);
    EXPECT_EQ(report.planned, 6);
    EXPECT_EQ(report.sent, 6);
    EXPECT_EQ(p2.total, 2);
    EXPECT_EQ(p2.current, 2);
    EXPECT_EQ(server.Mails().size(), 10);

    // No rows: nothing sent, and it does not read as success.
    all.rows = 0;
    mail::Mail_Progress p3;
    const mail::Mail_Report none = mail::Run_Mail(all, p3);
    EXPECT_EQ(none.sent, 0);
    EXPECT_EQ(none.Text(), mail::Not_Sent_Text);
}

TEST(MailRun, FileModeAttachesOnlyARegularFileAndNamesTheOneLeftOff)
{
    Smtp_Server server;
    ASSERT_TRUE(server.ok());
    Use_Source_Script();
    QTemporaryDir dir;
    const QString doc = dir.filePath(QStringLiteral("Offer.pdf"));
    QFile f(doc);
    f.open(QIODevice::WriteOnly);
    f.write("%PDF-1.4\n");
    f.close();

    mail::Mail_Request request = Request(server, 1);
    request.mode = mail::Mode::File;
    request.attachment = QStringLiteral(" ") + doc + QStringLiteral(" ");
    mail::Mail_Progress p1;
    EXPECT_TRUE(mail::Run_Mail(request, p1).Succeeded());
    request.attachment = dir.filePath(QStringLiteral("gone.pdf"));
    mail::Mail_Progress p2;
    const mail::Mail_Report missing = mail::Run_Mail(request, p2);
    EXPECT_TRUE(missing.Succeeded());
    EXPECT_TRUE(missing.Text().contains(QStringLiteral("gone.pdf was not attached")));
    const auto mails = server.Mails();
    ASSERT_EQ(mails.size(), 2);
    EXPECT_EQ(Names(mails[0]), QStringList{"Offer.pdf"});
    EXPECT_EQ(mails[0]["attachments"].toArray()[0].toObject()["type"].toString(), QStringLiteral("application/pdf"));
    EXPECT_TRUE(Names(mails[1]).isEmpty());
}

TEST(MailRun, TheReportCountsEveryMailThatDidNotGo)
{
    Smtp_Server server({"--refuse", "r6@y.zz"});
    ASSERT_TRUE(server.ok());
    Use_Source_Script();
    mail::Mail_Request card = Request(server, 6);
    card.front = Card(1);
    mail::Mail_Progress p1;
    const mail::Mail_Report refused = mail::Run_Mail(card, p1);
    EXPECT_EQ(refused.sent, 5);
    EXPECT_TRUE(refused.Text().startsWith(mail::Not_Sent_Text));
    EXPECT_TRUE(refused.Text().contains(QStringLiteral("1 of 6 e-mails were not sent.\nr6@y.zz: ")));

    // A row that cannot be drawn is listed; Stop after the second row.
    mail::Mail_Request data = Request(server, 1);
    data.mode = mail::Mode::Data;
    data.rows = 4;
    mail::Mail_Progress p2;
    data.render_row = [&p2](int row, const QString&) {
        if (row == 2)
            p2.Request_Stop();
        return row == 1 ? QImage() : Card(row);
    };
    const mail::Mail_Report stopped = mail::Run_Mail(data, p2);
    EXPECT_EQ(stopped.sent, 1);
    EXPECT_TRUE(stopped.Text().contains(QStringLiteral("3 of 4 e-mails were not sent.")));
    EXPECT_TRUE(stopped.Text().contains(QStringLiteral("Stopped after 1 of 4 e-mails.")));
    EXPECT_TRUE(stopped.Text().contains(QStringLiteral("1 of 4 cards carries a problem.\nCards that could not be "
                                                       "drawn:\nCard 2: the card could not be drawn.")));
}

TEST(MailRun, OneScriptCarriesTheRunOverDroppedConnectionsAndStopEndsItAtTheMailInWork)
{
    // A server that closes every connection after one mail still gets all.
    Smtp_Server dropping({"--drop"});
    ASSERT_TRUE(dropping.ok());
    Use_Source_Script();
    mail::Mail_Request card = Request(dropping, 3);
    card.front = Card(5);
    mail::Mail_Progress p1;
    EXPECT_EQ(mail::Run_Mail(card, p1).Text(), mail::Sent_Text);
    const auto mails = dropping.Mails();
    ASSERT_EQ(mails.size(), 3);
    EXPECT_EQ(mails[2]["envelope_to"].toArray()[0].toString(), QStringLiteral("r3@y.zz"));
    EXPECT_EQ(Data(mails[2], 0), Exported(card.front));

    // Stop in a long run: no mail after the one in work goes, and the
    // report counts exactly the mails the server took.
    Smtp_Server server;
    ASSERT_TRUE(server.ok());
    mail::Mail_Request file = Request(server, 2000);
    file.mode = mail::Mode::File;
    mail::Mail_Progress p2;
    std::atomic<int> in_work_at_stop{0};
    std::atomic<bool> over{false};
    std::thread stopper([&] {
        while (p2.current < 20 && !over)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        in_work_at_stop = p2.current.load();
        p2.Request_Stop();
    });
    const mail::Mail_Report stopped = mail::Run_Mail(file, p2);
    over = true;
    joinWithinDeadline(stopper, "the thread that stops the run");
    EXPECT_LE(stopped.sent, in_work_at_stop.load());
    const int arrived = int(QDir(server.folder.path()).entryList({QStringLiteral("*.eml")}).size());
    EXPECT_GE(arrived, 19);
    EXPECT_EQ(stopped.sent, arrived);
    EXPECT_EQ(stopped.Text(), mail::Not_Sent_Text + QStringLiteral("\n\n%1 of 2000 e-mails were not sent.\nStopped "
                                                                    "after %2 of 2000 e-mails.")
                                                        .arg(2000 - arrived)
                                                        .arg(arrived));
}

TEST(MailRun, PausesAfterEveryNMailsCountingDownAndStopEndsAPause)
{
    EXPECT_EQ(mail::Calculate_Pause_Time(3725000),
              QStringLiteral("Pausing the process for 1 Hour 2 Minutes 5 Seconds."));
    EXPECT_EQ(mail::Calculate_Pause_Time(60000), QStringLiteral("Pausing the process for 1 Minute 0 Second."));

    Smtp_Server server;
    ASSERT_TRUE(server.ok());
    Use_Source_Script();
    mail::Mail_Request request = Request(server, 5);
    request.front = Card(3);
    request.pause_every = 2;
    request.pause_ms = 10000;
    mail::Mail_Progress progress;
    QList<QPair<int, qint64>> waits; // mails sent so far, pause shown
    progress.wait_step = [&](int ms) {
        EXPECT_EQ(ms, 1000);
        waits << qMakePair(int(server.Mails().size()), qint64(progress.pause_left));
        return true;
    };
    EXPECT_TRUE(mail::Run_Mail(request, progress).Succeeded());
    ASSERT_EQ(waits.size(), 18);
    EXPECT_EQ(waits.first(), qMakePair(2, qint64(10000)));
    EXPECT_EQ(waits[8], qMakePair(2, qint64(2000)));
    EXPECT_EQ(waits[9], qMakePair(4, qint64(10000)));
    EXPECT_EQ(progress.pause_left, -1);

    request.pause_ms = 1000; // a second or less shows the text only
    mail::Mail_Progress short_pause;
    short_pause.wait_step = [](int) {
        ADD_FAILURE() << "waited";
        return true;
    };
    mail::Run_Mail(request, short_pause);

    // A stop wakes a real wait at once: it returns false, where an
    // unbroken wait would return true.
    mail::Mail_Progress real;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        real.Request_Stop();
    });
    EXPECT_FALSE(real.Wait(kHangMilliseconds));
    joinWithinDeadline(stopper, "the thread that stops the pause");
}

TEST(MailRun, TheAddressTestKeepsLineBreaksOutOfHeaders)
{
    EXPECT_TRUE(mail::isValidEmail(QStringLiteral("a@b.cd")));
    EXPECT_FALSE(mail::isValidEmail(QStringLiteral("a@b.c")));
    EXPECT_FALSE(mail::isValidEmail(QStringLiteral("a@bbcd")));
    EXPECT_FALSE(mail::isValidEmail(QStringLiteral("a@b@c.d")));
    EXPECT_FALSE(mail::isValidEmail(QStringLiteral("a@b.cd\r\nBcc: e@v.il")));
    EXPECT_EQ(mail::Subject_Line(QStringLiteral("a\r\nb\tc")), QStringLiteral("a  b c"));
}

namespace {

class Fake_Host : public MailHost {
public:
    int rows = 2;
    std::atomic<int> rendered{0};
    void Check_Series_Or_Excel_Use_or_not() override {}
    bool Series_Values_In_Use() const override { return true; }
    bool Excel_Values_In_Use() const override { return false; }
    Mail_Settings Reload_Mail_Settings() override { return {"a@b.cd", "pw", "127.0.0.1", port, "N"}; }
    QImage Render_Card_Side(int side) override { return Card(side * 100); }
    Mail_Rows Take_Mail_Rows(bool, bool) override
    {
        return {rows, [this](int row, const QString&) {
                    ++rendered;
                    return Card(row);
                }, {}};
    }
    void Mail_Data_Run_Ended() override { ++ended; }
    QString Application_Name() const override { return QStringLiteral("Cardwright"); }
    QString port;
    int ended = 0;
};

struct Window_Fixture {
    Fake_Host host;
    Send_Mail* window = Send_Mail::defaultInstance();
    Window_Fixture()
    {
        output::setMailHost(&host);
        testResponder().reset();
    }
    ~Window_Fixture() { output::setMailHost(nullptr); }
    // Opens the window, lets `act` work in it, then closes it.
    void Open(const std::function<void()>& act)
    {
        testResponder().onDialog([act](QDialog& dialog) {
            act();
            QMetaObject::invokeMethod(&dialog, [&dialog] { dialog.done(0); }, Qt::QueuedConnection);
        });
        window->Open_Wnd();
    }
};

} // namespace

TEST(MailWindow, RefusesBadInputBeforeAnythingIsSent)
{
    Window_Fixture f;
    const QString long_body(70000, QChar(0x00e4));
    struct Case {
        QString to, file_name, body, message;
    } cases[] = {
        {"", "VELTCard", "", "Please specify the Recipient E-mail address."},
        {"a@b.cd,", "VELTCard", "", "Recipient E-mail address is invalid or incomplete."},
        {"bad, a@b.cd", "VELTCard", "", "Recipient E-mail address is invalid or incomplete."},
        {"a@b.cd", "..", "", "Please enter valid file name."},
        {"a@b.cd", "a/b", "", "Please enter valid file name."},
        {"a@b.cd", " ", "", "Please enter valid file name."},
        {"a@b.cd", "VELTCard", long_body, "The subject or message is too long to send."},
    };
    f.Open([&] {
        for (const Case& c : cases) {
            f.window->to_txt->setText(c.to);
            f.window->file_name_txt->setText(c.file_name);
            f.window->message_txt->setPlainText(c.body);
            testResponder().answerAlert(AlertAnswer::Ok);
            EXPECT_FALSE(f.window->Send_Button());
            EXPECT_EQ(testResponder().texts("alert").value(0), QStringLiteral("\n") + c.message);
            testResponder().reset();
        }
    });
}

TEST(MailWindow, OneRunAtATimeWithSendAndCloseOffUntilItEnds)
{
    Smtp_Server server;
    ASSERT_TRUE(server.ok());
    Use_Source_Script();
    Window_Fixture f;
    f.host.port = server.Port();
    f.Open([&] {
        f.window->to_txt->setText(QStringLiteral("x@y.zz, z@y.zz"));
        f.window->send_with_batch_chk->setChecked(true);
        f.window->send_with_chk_select();
        f.window->delayed_delv_chk->setChecked(true);
        f.window->mail_count_txt->setText(QStringLiteral("abc")); // reads 0, clamped to 1
        f.window->hour_txt->setText(QStringLiteral("0"));
        testResponder().answerAlert(AlertAnswer::Ok);
        ASSERT_TRUE(f.window->Send_Button());
        EXPECT_FALSE(f.window->Send_Button());
        EXPECT_FALSE(f.window->send_btn->isEnabled());
        EXPECT_FALSE(f.window->close_btn->isEnabled());
        // Edits while the run works do not reach it.
        f.window->to_txt->setText(QStringLiteral("late@y.zz"));
        f.window->subject_txt->setText(QStringLiteral("late"));
        EXPECT_TRUE(waitUntil([&] { return !f.window->Run_Active(); }));
        EXPECT_TRUE(f.window->send_btn->isEnabled());
    });
    EXPECT_EQ(testResponder().texts("alert"), QStringList{QStringLiteral("\n") + mail::Sent_Text});
    EXPECT_EQ(f.host.ended, 1);
    const auto mails = server.Mails();
    ASSERT_EQ(mails.size(), 4);
    EXPECT_EQ(mails[1]["envelope_to"].toArray()[0].toString(), QStringLiteral("z@y.zz"));
    EXPECT_EQ(mails[3]["subject"].toString(), QString());
}

TEST(MailWindow, EndingTheProgramStopsARunningSendAndWaitsForItsWorker)
{
    Smtp_Server silent({"--silent"});
    ASSERT_TRUE(silent.ok());
    Use_Source_Script();
    Window_Fixture f;
    f.host.port = silent.Port();
    f.Open([&] {
        f.window->to_txt->setText(QStringLiteral("x@y.zz"));
        ASSERT_TRUE(f.window->Send_Button());
        QTest::qWait(300);
        withinDeadline("stopping the send", [&] { f.window->Stop_And_Join(); });
        EXPECT_FALSE(f.window->Run_Active());
        testResponder().answerAlert(AlertAnswer::Ok);
        QTest::qWait(50);
    });
    const QStringList alerts = testResponder().texts("alert");
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts[0].contains(QStringLiteral("Stopped after 0 of 1 e-mails.\nx@y.zz: stopped")));
}
