#pragma once
// The local SMTP server of the mail tests (tests/output/smtp_server.py) and
// readers of what it stored.
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

namespace mailtest {

class Smtp_Server {
public:
    // Options of smtp_server.py ("--starttls", "--auth", "u:p", ...).
    explicit Smtp_Server(const QStringList& options = {});
    ~Smtp_Server();
    bool ok() const { return port > 0; }
    QString Port() const { return QString::number(port); }
    // Every stored mail as read_mail.py decodes it, plus "envelope_to" and
    // "tls" from the envelope, in arrival order.
    QVector<QJsonObject> Mails() const;
    QString Auth_Log() const;

    int port = 0;
    QTemporaryDir folder;

private:
    QProcess process;
};

// The mail script's stand-in (mail_stand_in.py) copied into a folder of its
// own and put in the script's place until the end of the scope.
struct Stand_In {
    QTemporaryDir dir;
    QString script = dir.filePath(QStringLiteral("stand_in.py"));
    Stand_In();
    ~Stand_In();
    // Its log: one object per start ("argv", "env", "isolated", "password")
    // and per mail ("mail": the fields), in order.
    QVector<QJsonObject> Log() const;
};

// A self-signed certificate for 127.0.0.1 in `folder` (cert.pem, key.pem);
// returns the certificate's path, empty on failure.
QString Make_Certificate(const QString& folder);
// Points the mail sending at the script of the source tree.
void Use_Source_Script();
// The file's bytes as base64 (as Mails() gives attachment data).
QString Base64_Of(const QString& path);

} // namespace mailtest
