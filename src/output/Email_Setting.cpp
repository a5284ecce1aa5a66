#include "output/Email_Setting.h"

#include "app/AppHelpers.h"
#include "batch/BatchUi.h"
#include "output/MailHost.h"
#include "output/Preferences.h"
#include "output/mail_run.h"
#include "platform/threads.h"
#include "platform/modal.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <thread>

namespace {

const QString kTestFailed = QStringLiteral(
    "Please make sure that:\n1. Entered E-mail settings are correct.\n2. Internet connectivity to E-mail server is "
    "not interrupted and E-mail server is not down.\n3. Your Firewall or Security software (if any) is not blocking "
    "the software to communicate with your E-mail server.\n\nCould not send email.");

} // namespace

Email_Setting* Email_Setting::defaultInstance()
{
    static Email_Setting* instance = new Email_Setting;
    return instance;
}

Email_Setting::Email_Setting()
{
    setObjectName(QStringLiteral("Email_Setting"));
    setWindowTitle(QStringLiteral("E-mail Settings"));
    batch::Dialog_Background(this);
    auto* layout = new QGridLayout(this);
    int row = 0;
    auto field = [&](const QString& label) {
        auto* edit = new QLineEdit(this);
        layout->addWidget(new QLabel(label, this), row, 0);
        layout->addWidget(edit, row++, 1, 1, 3);
        return edit;
    };
    _send_mail_sender_mail = field(QStringLiteral("Sender E-mail:"));
    _send_mail_password = field(QStringLiteral("Password:"));
    _send_mail_password->setEchoMode(QLineEdit::Password);
    _send_mail_smtp = field(QStringLiteral("SMTP server:"));
    _send_mail_port = field(QStringLiteral("Port:"));
    _send_mail_ssl = new QRadioButton(QStringLiteral("SSL"), this);
    _send_mail_tls = new QRadioButton(QStringLiteral("TLS"), this);
    layout->addWidget(_send_mail_ssl, row, 1);
    layout->addWidget(_send_mail_tls, row++, 2);
    _send_mail_to = field(QStringLiteral("Test recipient:"));
    _send_mail_test_mail = new QLineEdit(this);
    _send_mail_test_mail->hide();
    test_btn = new QPushButton(QStringLiteral("Send Test E-mail"), this);
    layout->addWidget(test_btn, row++, 1, 1, 3);
    _send_mail_result_status = new QPlainTextEdit(this);
    _send_mail_result_status->setReadOnly(true);
    _send_mail_result_status->setMaximumHeight(100);
    layout->addWidget(_send_mail_result_status, row++, 0, 1, 4);
    reset_btn = new QPushButton(QStringLiteral("Reset"), this);
    close_btn = new QPushButton(QStringLiteral("Close"), this);
    save_btn = new QPushButton(QStringLiteral("Save"), this);
    save_btn->setDefault(true);
    layout->addWidget(reset_btn, row, 0);
    layout->addWidget(close_btn, row, 2);
    layout->addWidget(save_btn, row++, 3);

    plz_wait_Window = new QDialog(this);
    plz_wait_Window->setObjectName(QStringLiteral("plz_wait_Window"));
    batch::Dialog_Background(plz_wait_Window);
    auto* wait = new QVBoxLayout(plz_wait_Window);
    wait->addWidget(new QLabel(QStringLiteral("Sending the test mail, please wait..."), plz_wait_Window));
    auto* busy = new QProgressBar(plz_wait_Window);
    busy->setRange(0, 0);
    wait->addWidget(busy);

    connect(_send_mail_ssl, &QRadioButton::clicked, this, [this] { SSL_Selected(); });
    connect(_send_mail_tls, &QRadioButton::clicked, this, [this] { TLS_Selected(); });
    connect(test_btn, &QPushButton::clicked, this, [this] { Send_Test_Email(); });
    connect(reset_btn, &QPushButton::clicked, this, [this] { Reset_Button(); });
    connect(close_btn, &QPushButton::clicked, this, [this] { Close_Button(); });
    connect(save_btn, &QPushButton::clicked, this, [this] { Save_Button(); });
}

int Email_Setting::Open_Wnd()
{
    loadPreferences();
    const int code = platform::modal::run(*this);
    hide();
    return code;
}

void Email_Setting::loadPreferences()
{
    QString refusal;
    const auto prefs = Preferences::sharedInstance(&refusal);
    if (!refusal.isEmpty())
        Show_MessageBox(refusal);
    _send_mail_to->setText(prefs->send_email_Recipient());
    _send_mail_sender_mail->setText(prefs->send_email_SenderEmail());
    _send_mail_smtp->setText(prefs->send_email_SMTP_server());
    _send_mail_port->setText(prefs->send_email_PORT_num());
    _send_mail_password->setText(prefs->send_email_Password());
    if (prefs->send_email_enable_ssl() == QLatin1String("Y"))
        SSL_Selected();
    else
        TLS_Selected();
    _send_mail_result_status->clear();
}

bool Email_Setting::flushPreferences()
{
    const auto prefs = Preferences::sharedInstance();
    prefs->setSendEmailRecipient(_send_mail_to->text());
    prefs->setSendEmailSender(_send_mail_sender_mail->text());
    prefs->setSendEmailSMTP(_send_mail_smtp->text());
    prefs->setSendEmailPORT(_send_mail_port->text());
    prefs->setSendEmailPwd(_send_mail_password->text());
    prefs->setSendEnableSSL(SSL_Flag());
    return prefs->save();
}

QString Email_Setting::SSL_Flag() const
{
    return _send_mail_ssl->isChecked() && !_send_mail_tls->isChecked() ? QStringLiteral("Y") : QStringLiteral("N");
}

bool Email_Setting::Check_Validation(bool test)
{
    auto fail = [this](QLineEdit* field, const QString& text) {
        Show_MessageBox(text);
        field->setFocus();
        return false;
    };
    const QString sender = _send_mail_sender_mail->text().toLower();
    if (sender.isEmpty())
        return fail(_send_mail_sender_mail, QStringLiteral("Please enter sender E-mail."));
    if (!mail::isValidEmail(sender))
        return fail(_send_mail_sender_mail, QStringLiteral("Please enter valid sender E-mail address."));
    if (_send_mail_password->text().isEmpty())
        return fail(_send_mail_password, QStringLiteral("Please enter password."));
    if (_send_mail_smtp->text().isEmpty())
        return fail(_send_mail_smtp, QStringLiteral("Please enter SMTP server."));
    if (_send_mail_port->text().isEmpty())
        return fail(_send_mail_port, QStringLiteral("Please enter port number."));
    if (test) {
        const QString to = _send_mail_to->text().toLower();
        if (to.isEmpty())
            return fail(_send_mail_to, QStringLiteral("Please enter recipient E-mail address."));
        if (!mail::isValidEmail(to))
            return fail(_send_mail_to, QStringLiteral("Please enter valid recipient E-mail address."));
    }
    return true;
}

void Email_Setting::Save_Button()
{
    if (!Check_Validation(false))
        return;
    if (!flushPreferences()) {
        Show_MessageBox(QStringLiteral("The e-mail settings could not be saved."));
        return;
    }
    done(1);
}

void Email_Setting::Close_Button()
{
    done(0);
}

void Email_Setting::Send_Test_Email()
{
    if (!Check_Validation(true))
        return;
    Show_Create_Modeless();
    MailHost* host = output::mailHost();
    const QString app = host ? host->Application_Name() : QCoreApplication::applicationName();
    _send_mail_result_status->setPlainText(QStringLiteral("It may take a while, Please wait..."));
    const QString to = _send_mail_to->text().toLower();
    const QString sender = _send_mail_sender_mail->text().toLower();
    const QString password = _send_mail_password->text();
    const QString server = _send_mail_smtp->text();
    const QString port = _send_mail_port->text();
    const QString ssl = SSL_Flag();

    // The script runs on a thread of its own while a local event loop keeps
    // the please-wait sheet painted.
    mail::Send_Result result;
    QEventLoop loop;
    // A system that refuses the thread gets the mail sent on this one.
    std::thread sender_thread;
    platform::startThreadOrRun(sender_thread, [&] {
        result = mail::sendEmail_pyth(to, app + QStringLiteral(" Test Mail"), {}, sender, password, server, port,
                                      QStringLiteral("This is test mail sent by %1.").arg(app), ssl);
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (sender_thread.joinable())
        sender_thread.join();
    Hide_Destroy_Modeless();
    if (!result.sent)
        Show_NSLog_Message(QStringLiteral("The test mail was not sent: %1").arg(result.reason));
    // The server's or the system's reason follows the advice.
    const QString text = result.sent ? mail::Sent_Text : kTestFailed + QStringLiteral("\n\n") + result.reason;
    _send_mail_result_status->setPlainText(text);
    Show_MessageBox(text);
}

void Email_Setting::Reset_Button()
{
    if (!Show_YES_NO_MessageBox(QStringLiteral("Are you sure you want to reset current email settings?")))
        return;
    const QString path = Preferences::settingsFilePath();
    // Only the settings file goes: something else at its path (a folder)
    // is left alone and the reset reported as failed.
    const QFileInfo file(path);
    if ((file.exists() || file.isSymLink()) && ((file.isDir() && !file.isSymLink()) || !Delete_File(path))) {
        Show_MessageBox(QStringLiteral("The e-mail settings could not be reset."));
        return;
    }
    for (QLineEdit* field : {_send_mail_to, _send_mail_sender_mail, _send_mail_smtp, _send_mail_port,
                             _send_mail_password, _send_mail_test_mail})
        field->clear();
    TLS_Selected();
    if (MailHost* host = output::mailHost())
        host->Reload_Mail_Settings();
}

void Email_Setting::SSL_Selected()
{
    _send_mail_ssl->setChecked(true);
    _send_mail_tls->setChecked(false);
}

void Email_Setting::TLS_Selected()
{
    _send_mail_ssl->setChecked(false);
    _send_mail_tls->setChecked(true);
}

void Email_Setting::Show_Create_Modeless()
{
    plz_wait_Window->setWindowModality(Qt::WindowModal);
    plz_wait_Window->open();
}

void Email_Setting::Hide_Destroy_Modeless()
{
    plz_wait_Window->hide();
}
