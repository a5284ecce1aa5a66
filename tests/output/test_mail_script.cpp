// The mail script call and the script itself: what the program hands the
// interpreter, how a send ends (exit status, signal, deadline, Stop), and
// the script against a local SMTP server in plain, STARTTLS and TLS.
#include "output/mail_run.h"
#include "support/bounded_wait.h"
#include "support_mail.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>

using namespace mailtest;

namespace {

mail::Send_Result Send(const QString& to, const QString& port, const QString& ssl = QStringLiteral("N"),
                       const QString& password = QStringLiteral("pw"), const QStringList& files = {},
                       const QString& subject = QStringLiteral("Grüße"))
{
    return mail::sendEmail_pyth(to, subject, files, QStringLiteral("a@b.cd"), password, QStringLiteral("127.0.0.1"),
                                port, QStringLiteral("Body ä\n0\n2 7\nline 2"), ssl);
}

} // namespace

QStringList Strings(const QJsonValue& array)
{
    QStringList list;
    for (const auto v : array.toArray())
        list << v.toString();
    return list;
}

TEST(MailScriptCall, HandsTheInterpreterTheContractAndThePasswordOnlyOnStandardInput)
{
    Stand_In stand_in;
    qputenv("SSL_CERT_FILE", "/tmp/trusted.pem");
    // Values that look like the framing's own lines stay within their field.
    const mail::Send_Result sent = mail::sendEmail_pyth(
        QStringLiteral(" x@y.zz"), QStringLiteral("Sub\r\nBcc: e@v.il\tx"), {QStringLiteral("/f/a\n1 2.png")},
        QStringLiteral("a@b.cd"), QStringLiteral("s3cret päss\n0"), QStringLiteral("smtp.b.cd"),
        QStringLiteral("587"), QStringLiteral("Body\n3 4\n\n"), QStringLiteral("Y"));
    qunsetenv("SSL_CERT_FILE");
    EXPECT_TRUE(sent.sent) << sent.reason.toStdString();
    const QVector<QJsonObject> log = stand_in.Log();
    ASSERT_EQ(log.size(), 2);
    EXPECT_EQ(Strings(log[0]["argv"]), (QStringList{stand_in.script, "a@b.cd", "smtp.b.cd", "587", "Y"}));
    EXPECT_EQ(log[0]["isolated"].toInt(), 1);
    EXPECT_EQ(Strings(log[0]["password"]), QStringList{"s3cret päss\n0"});
    EXPECT_EQ(Strings(log[1]["mail"]), (QStringList{" x@y.zz", "Sub  Bcc: e@v.il x", "Body\n3 4\n\n", "/f/a\n1 2.png"}));
    const QJsonObject env = log[0]["env"].toObject();
    EXPECT_EQ(env[QStringLiteral("PATH")].toString(), QStringLiteral("/bin:/usr/bin:/usr/local/bin"));
    EXPECT_EQ(env[QStringLiteral("PYTHONPATH")].toString(), QString());
    EXPECT_EQ(env[QStringLiteral("SSL_CERT_FILE")].toString(), QStringLiteral("/tmp/trusted.pem"));
    for (auto it = env.begin(); it != env.end(); ++it) {
        EXPECT_TRUE(QStringList({"PATH", "PYTHONPATH", "SSL_CERT_FILE", "SSL_CERT_DIR", "LC_CTYPE"}).contains(it.key()))
            << it.key().toStdString();
        EXPECT_FALSE(it.value().toString().contains(QStringLiteral("s3cret")));
    }
}

TEST(MailScriptCall, ARunKeepsOneScriptWhileItAnswersAndStartsAnotherAfterItEnded)
{
    Stand_In stand_in;
    const mail::Send_Result exit3 = Send(QStringLiteral("exit3@y.zz"), QStringLiteral("25"));
    EXPECT_FALSE(exit3.sent);
    EXPECT_EQ(exit3.reason, QStringLiteral("exit status 3"));
    EXPECT_FALSE(Send(QStringLiteral("kill@y.zz"), QStringLiteral("25")).sent);

    // Every row to every recipient: a refusal ends a row, the script goes on;
    // a script that ended is started again for the next row.
    mail::Mail_Request request;
    request.mode = mail::Mode::Data;
    request.rows = 3;
    request.render_row = [](int, const QString&) { return QImage(4, 4, QImage::Format_ARGB32); };
    mail::Mail_Progress progress;
    request.recipients = {QStringLiteral("a@y.zz"), QStringLiteral("no@y.zz")};
    const mail::Mail_Report refused = mail::Run_Mail(request, progress);
    EXPECT_EQ(refused.sent, 3);
    EXPECT_EQ(refused.problems.value(0), QStringLiteral("Card_1 to no@y.zz: not sent: refused"));
    request.recipients = {QStringLiteral("a@y.zz"), QStringLiteral("exit3@y.zz")};
    const mail::Mail_Report ended = mail::Run_Mail(request, progress);
    EXPECT_EQ(ended.sent, 3);
    EXPECT_EQ(ended.problems.value(2), QStringLiteral("Card_3 to exit3@y.zz: exit status 3"));
    QStringList starts_and_mails;
    for (const QJsonObject& entry : stand_in.Log())
        starts_and_mails << (entry.contains("argv") ? QStringLiteral("start") : entry["mail"].toArray()[0].toString());
    EXPECT_EQ(starts_and_mails.mid(4), (QStringList{"start", "a@y.zz", "no@y.zz", "a@y.zz", "no@y.zz", "a@y.zz",
                                                    "no@y.zz", "start", "a@y.zz", "exit3@y.zz", "start", "a@y.zz",
                                                    "exit3@y.zz", "start", "a@y.zz", "exit3@y.zz"}));

    mail::scriptSetup().program = QStringLiteral("/nonexistent/python3");
    EXPECT_FALSE(Send(QStringLiteral("x@y.zz"), QStringLiteral("25")).sent);
    mail::scriptSetup().program = QStringLiteral("/usr/bin/python3");
    mail::scriptSetup().script = stand_in.dir.filePath(QStringLiteral("missing.py"));
    EXPECT_FALSE(Send(QStringLiteral("x@y.zz"), QStringLiteral("25")).sent);
}

TEST(MailScriptCall, ASilentServerIsEndedAtTheDeadlineAndStopEndsASendWithinItsGrace)
{
    Smtp_Server silent({QStringLiteral("--silent")});
    ASSERT_TRUE(silent.ok());
    Use_Source_Script();
    mail::scriptSetup().deadline_ms = 2000;
    const mail::Send_Result timed_out = Send(QStringLiteral("x@y.zz"), silent.Port());
    EXPECT_FALSE(timed_out.sent);
    EXPECT_EQ(timed_out.reason, QStringLiteral("timed out"));

    Stand_In stand_in;
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    // Past the deadline the send would read "timed out".
    const mail::Send_Result stopped = mail::sendEmail_pyth(QStringLiteral("sleep@y.zz"), {}, {}, {}, {}, {}, {}, {},
                                                           QStringLiteral("N"), &stop);
    joinWithinDeadline(stopper, "the thread that stops the send");
    EXPECT_FALSE(stopped.sent);
    EXPECT_EQ(stopped.reason, QStringLiteral("stopped"));
}

TEST(MailScript, DeliversOverPlainStartTlsAndTlsWithAUtf8Login)
{
    QTemporaryDir dir;
    const QString cert = Make_Certificate(dir.path());
    ASSERT_FALSE(cert.isEmpty());
    Use_Source_Script();
    const QString picture = dir.filePath(QStringLiteral("Card Ä.png"));
    QImage(4, 3, QImage::Format_ARGB32).save(picture);

    Smtp_Server plain;
    ASSERT_TRUE(plain.ok());
    const mail::Send_Result sent = Send(QStringLiteral(" x@y.zz"), plain.Port(), "N", "pw", {picture});
    ASSERT_TRUE(sent.sent) << sent.reason.toStdString();
    const QJsonObject mail = plain.Mails().value(0);
    EXPECT_EQ(mail["envelope_to"].toArray().first().toString(), QStringLiteral("x@y.zz"));
    EXPECT_EQ(mail["to"].toString(), QStringLiteral("x@y.zz"));
    EXPECT_EQ(mail["from"].toString(), QStringLiteral("a@b.cd"));
    EXPECT_EQ(mail["subject"].toString(), QStringLiteral("Grüße"));
    EXPECT_EQ(mail["body"].toString(), QStringLiteral("Body ä\n0\n2 7\nline 2\n"));
    EXPECT_FALSE(mail["date"].toString().isEmpty());
    EXPECT_TRUE(mail["id"].toString().endsWith(QStringLiteral("@b.cd>")));
    const QJsonObject att = mail["attachments"].toArray().first().toObject();
    EXPECT_EQ(att["name"].toString(), QStringLiteral("Card Ä.png"));
    EXPECT_EQ(att["type"].toString(), QStringLiteral("image/png"));
    EXPECT_EQ(att["data"].toString(), Base64_Of(picture));

    qputenv("SSL_CERT_FILE", cert.toUtf8());
    const QString key = dir.filePath(QStringLiteral("key.pem"));
    for (const char* mode : {"--starttls", "--tls"}) {
        Smtp_Server server({QLatin1String(mode), "--cert", cert, "--key", key, "--auth", "a@b.cd: päss "});
        ASSERT_TRUE(server.ok());
        const QString ssl = QLatin1String(mode) == QLatin1String("--tls") ? "Y" : "N";
        const mail::Send_Result ok = Send(QStringLiteral("x@y.zz"), server.Port(), ssl, QStringLiteral(" päss "));
        EXPECT_TRUE(ok.sent) << mode << ok.reason.toStdString();
        EXPECT_FALSE(Send(QStringLiteral("x@y.zz"), server.Port(), ssl, QStringLiteral("päss")).sent) << mode;
        EXPECT_EQ(server.Auth_Log(), QStringLiteral("PLAIN ok\nPLAIN bad\n")) << mode;
        ASSERT_EQ(server.Mails().size(), 1) << mode;
        EXPECT_TRUE(server.Mails()[0]["tls"].toBool()) << mode;
    }
    qunsetenv("SSL_CERT_FILE");
}

TEST(MailScript, RefusesWhatIsNotSafeOrNotTaken)
{
    QTemporaryDir dir;
    const QString cert = Make_Certificate(dir.path());
    ASSERT_FALSE(cert.isEmpty());
    Use_Source_Script();

    // An untrusted certificate: verification stays on.
    Smtp_Server tls({"--tls", "--cert", cert, "--key", dir.filePath(QStringLiteral("key.pem"))});
    ASSERT_TRUE(tls.ok());
    EXPECT_FALSE(Send(QStringLiteral("x@y.zz"), tls.Port(), "Y").sent);

    // A login offered without encryption is never attempted.
    Smtp_Server plain_auth({"--auth", "a@b.cd:pw"});
    ASSERT_TRUE(plain_auth.ok());
    EXPECT_FALSE(Send(QStringLiteral("x@y.zz"), plain_auth.Port()).sent);
    EXPECT_TRUE(plain_auth.Auth_Log().isEmpty());
    EXPECT_TRUE(plain_auth.Mails().isEmpty());

    Smtp_Server refusing({"--refuse", "no@y.zz"});
    ASSERT_TRUE(refusing.ok());
    const mail::Send_Result refused = Send(QStringLiteral("no@y.zz"), refusing.Port());
    EXPECT_FALSE(refused.sent);
    EXPECT_TRUE(refused.reason.contains(QStringLiteral("550"))) << refused.reason.toStdString();
    // A header line break never reaches the server.
    EXPECT_FALSE(Send(QStringLiteral("x@y.zz\r\nBcc: e@v.il"), refusing.Port()).sent);
    EXPECT_TRUE(refusing.Mails().isEmpty());
}
