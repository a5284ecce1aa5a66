#pragma once
// The mail settings store: the property list "com.velt.card.plist" in the
// resource folder, read again at each use. A missing or unreadable file gives
// "" for every value. Saving writes the file for its owner only (0600).
#include <QString>

#include <memory>

class Preferences {
public:
    // A new settings object read from the file now. A file that is there but
    // cannot be used gives the defaults and, in `refusal` when given, why.
    static std::unique_ptr<Preferences> sharedInstance(QString* refusal = nullptr);
    static QString settingsFilePath();

    QString send_email_Recipient() const { return m_recipient; }
    QString send_email_SenderEmail() const { return m_sender; }
    QString send_email_Password() const { return m_password; }
    QString send_email_SMTP_server() const { return m_smtp; }
    QString send_email_PORT_num() const { return m_port; }
    QString send_email_enable_ssl() const { return m_ssl; }

    void setSendEmailRecipient(const QString& v) { m_recipient = v; }
    void setSendEmailSender(const QString& v) { m_sender = v; }
    void setSendEmailPwd(const QString& v) { m_password = v; }
    void setSendEmailSMTP(const QString& v) { m_smtp = v; }
    void setSendEmailPORT(const QString& v) { m_port = v; }
    void setSendEnableSSL(const QString& v) { m_ssl = v; }
    // Writes every value; false (logged) on failure.
    bool save() const;

private:
    Preferences() = default;
    QString m_recipient, m_sender, m_password, m_smtp, m_port, m_ssl;
};
