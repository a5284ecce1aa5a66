#include "support_mail.h"

#include "support/bounded_wait.h"
#include "output/mail_run.h"
#include "support/process_runner.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <signal.h>

namespace mailtest {

namespace {
QString Source(const char* name)
{
    return QStringLiteral(CARDWRIGHT_SOURCE_DIR) + QLatin1Char('/') + QLatin1String(name);
}
} // namespace

Smtp_Server::Smtp_Server(const QStringList& options)
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("/usr/bin/python3"),
                  QStringList{Source("tests/output/smtp_server.py"), folder.path()} + options);
    if (!process.waitForStarted(kHangMilliseconds))
        return;
    while (!process.canReadLine() && process.waitForReadyRead(kHangMilliseconds)) {
    }
    port = process.readLine().trimmed().toInt();
}

Smtp_Server::~Smtp_Server()
{
    if (process.processId() > 0)
        ::kill(pid_t(process.processId()), SIGKILL);
    process.waitForFinished(5000);
}

QVector<QJsonObject> Smtp_Server::Mails() const
{
    QVector<QJsonObject> mails;
    for (int i = 1;; ++i) {
        const QString base = folder.filePath(QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')));
        if (!QFile::exists(base + QStringLiteral(".eml")))
            break;
        const testsupport::ProcessResult read = testsupport::run(
            QStringLiteral("/usr/bin/python3"), {Source("tests/output/read_mail.py"), base + QStringLiteral(".eml")});
        QJsonObject mail = QJsonDocument::fromJson(read.out).object();
        QFile envelope(base + QStringLiteral(".json"));
        envelope.open(QIODevice::ReadOnly);
        const QJsonObject env = QJsonDocument::fromJson(envelope.readAll()).object();
        mail[QStringLiteral("envelope_to")] = env[QStringLiteral("to")];
        mail[QStringLiteral("tls")] = env[QStringLiteral("tls")];
        mails << mail;
    }
    return mails;
}

QString Smtp_Server::Auth_Log() const
{
    QFile log(folder.filePath(QStringLiteral("auth.log")));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

Stand_In::Stand_In()
{
    QFile::copy(Source("tests/output/mail_stand_in.py"), script);
    mail::scriptSetup() = mail::Script_Setup();
    mail::scriptSetup().script = script;
}

Stand_In::~Stand_In()
{
    mail::scriptSetup() = mail::Script_Setup();
}

QVector<QJsonObject> Stand_In::Log() const
{
    QVector<QJsonObject> log;
    QFile file(script + QStringLiteral(".log"));
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.isEmpty())
                log << QJsonDocument::fromJson(line).object();
    return log;
}

QString Make_Certificate(const QString& folder)
{
    const QString cert = folder + QStringLiteral("/cert.pem");
    const testsupport::ProcessResult made = testsupport::run(
        QStringLiteral("openssl"),
        {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-nodes"), QStringLiteral("-newkey"),
         QStringLiteral("rsa:2048"), QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
         QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1"),
         QStringLiteral("-keyout"), folder + QStringLiteral("/key.pem"), QStringLiteral("-out"), cert});
    return made.exitCode == 0 ? cert : QString();
}

void Use_Source_Script()
{
    mail::scriptSetup() = mail::Script_Setup();
    mail::scriptSetup().script = Source("resources/pyth_mail.py");
}

QString Base64_Of(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromLatin1(file.readAll().toBase64());
}

} // namespace mailtest
