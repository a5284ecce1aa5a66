#include "output/Preferences.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "platform/files.h"
#include "platform/plist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QString kRecipient = QStringLiteral("SendEmailRecipient");
const QString kSender = QStringLiteral("SendEmailSender");
const QString kPassword = QStringLiteral("SendEmailPwd");
const QString kSmtp = QStringLiteral("SendEmailSMTP");
const QString kPort = QStringLiteral("SendEmailPORT");
const QString kSsl = QStringLiteral("SendEnableSSL");
} // namespace

QString Preferences::settingsFilePath()
{
    return QDir(Resource_Path).filePath(QStringLiteral("com.velt.card.plist"));
}

std::unique_ptr<Preferences> Preferences::sharedInstance(QString* refusal)
{
    std::unique_ptr<Preferences> p(new Preferences);
    if (!QFileInfo(settingsFilePath()).isFile())
        return p;
    // A damaged or hostile file is logged and read as the defaults; it stays
    // on disk until the next save replaces it.
    QString error;
    const std::optional<platform::Plist> root = platform::readPlistFile(settingsFilePath(), &error);
    if (!root || !root->isDict()) {
        const QString why = root ? QStringLiteral("no dictionary at the top") : error;
        Show_NSLog_Message(QStringLiteral("The settings file %1 is not used: %2").arg(settingsFilePath(), why));
        if (refusal)
            *refusal = QStringLiteral("The mail settings file %1 cannot be read (%2); the settings start empty.")
                           .arg(QFileInfo(settingsFilePath()).fileName(), why);
        return p;
    }
    p->m_recipient = root->value(kRecipient).toString();
    p->m_sender = root->value(kSender).toString();
    p->m_password = root->value(kPassword).toString();
    p->m_smtp = root->value(kSmtp).toString();
    p->m_port = root->value(kPort).toString();
    p->m_ssl = root->value(kSsl).toString();
    return p;
}

bool Preferences::save() const
{
    platform::Plist root = platform::Plist::dict();
    root.insert(kRecipient, platform::Plist::string(m_recipient));
    root.insert(kSender, platform::Plist::string(m_sender));
    root.insert(kPassword, platform::Plist::string(m_password));
    root.insert(kSmtp, platform::Plist::string(m_smtp));
    root.insert(kPort, platform::Plist::string(m_port));
    root.insert(kSsl, platform::Plist::string(m_ssl));
    QString error;
    if (!platform::writeFileAtomically(settingsFilePath(), root.toXml(), platform::WriteMode::OwnerOnly, &error)) {
        Show_NSLog_Message(error);
        return false;
    }
    return true;
}
