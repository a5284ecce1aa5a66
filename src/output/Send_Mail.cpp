#include "output/Send_Mail.h"

#include "app/AppHelpers.h"
#include "batch/BatchUi.h"
#include "output/Email_Setting.h"
#include "output/MailHost.h"
#include "output/Send_Modeless.h"
#include "platform/threads.h"
#include "platform/files.h"
#include "platform/main_thread.h"
#include "platform/modal.h"
#include "platform/process_end.h"
#include "platform/stepper.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>

namespace {

MailHost* g_mailHost = nullptr;

const QString kCheckSettings = QStringLiteral(
    "Please make sure that:\n1.Entered E-mail Settings are correct.\n2.Internet Connectivity to E-mail server is "
    "not interrupted and E-mail server is not down.\n3.Your firewall or security software(if any) is not blocking "
    "the software to communicate with your E-mail server.");

// A stepper with its text field; both show one value. Non-numbers read 0
// and values are clamped to the range.
void Pair(QLineEdit* field, platform::Stepper* stepper, double low, double high)
{
    stepper->setRange(low, high);
    QObject::connect(stepper, &platform::Stepper::valueEdited, field,
                     [field, stepper] { field->setText(QString::number(stepper->intValue())); });
    QObject::connect(field, &QLineEdit::editingFinished, stepper, [field, stepper] {
        stepper->setValue(field->text().trimmed().toLongLong());
        field->setText(QString::number(stepper->intValue()));
    });
}

void Set_Pair(QLineEdit* field, platform::Stepper* stepper, int value)
{
    stepper->setValue(value);
    field->setText(QString::number(stepper->intValue()));
}

// The field's value within the stepper's range (what the stepper would hold).
qint64 Pair_Value(QLineEdit* field, platform::Stepper* stepper)
{
    return std::clamp<qint64>(field->text().trimmed().toLongLong(), qint64(stepper->minimum()),
                              qint64(stepper->maximum()));
}

} // namespace

namespace output {
MailHost* mailHost()
{
    return g_mailHost;
}
void setMailHost(MailHost* host)
{
    g_mailHost = host;
}
} // namespace output

Send_Mail* Send_Mail::defaultInstance()
{
    static Send_Mail* instance = [] {
        auto* mail = new Send_Mail;
        // Ending the program stops a running send and waits for its worker.
        platform::addShutdownHook([mail] { mail->Stop_And_Join(); });
        return mail;
    }();
    return instance;
}

Send_Mail::Send_Mail()
{
    setObjectName(QStringLiteral("Send_Mail"));
    setWindowTitle(QStringLiteral("Send E-mail"));
    batch::Dialog_Background(this);
    send_modls_wnd = Send_Modeless::defaultInstance();

    auto* layout = new QGridLayout(this);
    int row = 0;
    auto line = [&](const QString& label, QWidget* widget) {
        layout->addWidget(new QLabel(label, this), row, 0);
        layout->addWidget(widget, row++, 1, 1, 3);
    };
    from_txt = new QLineEdit(this);
    setting_btn = new QPushButton(QStringLiteral("Settings..."), this);
    layout->addWidget(new QLabel(QStringLiteral("From:"), this), row, 0);
    layout->addWidget(from_txt, row, 1, 1, 2);
    layout->addWidget(setting_btn, row++, 3);
    to_txt = new QLineEdit(this);
    to_txt->setPlaceholderText(QStringLiteral("a@example.com, b@example.com"));
    line(QStringLiteral("To:"), to_txt);
    subject_txt = new QLineEdit(this);
    line(QStringLiteral("Subject:"), subject_txt);
    message_txt = new QPlainTextEdit(this);
    line(QStringLiteral("Message:"), message_txt);

    rd_mail_curr_barcode = new QRadioButton(QStringLiteral("Send the card"), this);
    rd_without_barcode = new QRadioButton(QStringLiteral("Send without the card"), this);
    layout->addWidget(rd_mail_curr_barcode, row, 0, 1, 2);
    layout->addWidget(rd_without_barcode, row++, 2, 1, 2);

    send_sett_box = new QGroupBox(QStringLiteral("Card"), this);
    auto* card = new QGridLayout(send_sett_box);
    side_both = new QRadioButton(QStringLiteral("Both sides"), send_sett_box);
    side_front = new QRadioButton(QStringLiteral("Front"), send_sett_box);
    side_back = new QRadioButton(QStringLiteral("Back"), send_sett_box);
    card->addWidget(side_both, 0, 0);
    card->addWidget(side_front, 0, 1);
    card->addWidget(side_back, 0, 2);
    file_name_txt = new QLineEdit(send_sett_box);
    card->addWidget(new QLabel(QStringLiteral("File name:"), send_sett_box), 1, 0);
    card->addWidget(file_name_txt, 1, 1, 1, 2);
    send_with_batch_chk = new QCheckBox(QStringLiteral("Send with series values"), send_sett_box);
    send_with_excel_chk = new QCheckBox(QStringLiteral("Send with spreadsheet values"), send_sett_box);
    card->addWidget(send_with_batch_chk, 2, 0, 1, 3);
    card->addWidget(send_with_excel_chk, 3, 0, 1, 3);
    rd_all_to_every = new QRadioButton(QStringLiteral("Every card to every recipient"), send_sett_box);
    rd_one_per_recp = new QRadioButton(QStringLiteral("One card per recipient"), send_sett_box);
    card->addWidget(rd_all_to_every, 4, 0, 1, 3);
    card->addWidget(rd_one_per_recp, 5, 0, 1, 3);
    layout->addWidget(send_sett_box, row++, 0, 1, 4);
    // Two groups of radios share the box: each group exclusive on its own.
    auto* sides = new QButtonGroup(send_sett_box);
    for (QRadioButton* side : {side_both, side_front, side_back})
        sides->addButton(side);
    auto* modes = new QButtonGroup(send_sett_box);
    modes->addButton(rd_all_to_every);
    modes->addButton(rd_one_per_recp);

    attachment = new QLineEdit(this);
    browse_att = new QPushButton(QStringLiteral("Browse..."), this);
    clear_att = new QPushButton(QStringLiteral("Clear"), this);
    layout->addWidget(new QLabel(QStringLiteral("File:"), this), row, 0);
    layout->addWidget(attachment, row, 1);
    layout->addWidget(browse_att, row, 2);
    layout->addWidget(clear_att, row++, 3);

    delayed_delv_chk = new QCheckBox(QStringLiteral("Pause after every"), this);
    layout->addWidget(delayed_delv_chk, row++, 0, 1, 4);
    delayed_box = new QGroupBox(this);
    auto* pause = new QHBoxLayout(delayed_box);
    auto pair = [&](QLineEdit*& field, platform::Stepper*& stepper, const QString& label, double high, double low) {
        field = new QLineEdit(delayed_box);
        field->setMaximumWidth(60);
        stepper = new platform::Stepper(delayed_box);
        Pair(field, stepper, low, high);
        pause->addWidget(field);
        pause->addWidget(stepper);
        pause->addWidget(new QLabel(label, delayed_box));
    };
    pair(mail_count_txt, mail_count_stepper, QStringLiteral("mails for"), 9999, 1);
    pair(hour_txt, hour_stepper, QStringLiteral("h"), 99, 0);
    pair(min_text, min_stepper, QStringLiteral("min"), 59, 0);
    pair(sec_txt, sec_stepper, QStringLiteral("s"), 59, 0);
    layout->addWidget(delayed_box, row++, 0, 1, 4);

    send_btn = new QPushButton(QStringLiteral("Send"), this);
    close_btn = new QPushButton(QStringLiteral("Close"), this);
    send_btn->setDefault(true);
    layout->addWidget(send_btn, row, 2);
    layout->addWidget(close_btn, row++, 3);

    connect(setting_btn, &QPushButton::clicked, this, [this] { Setting_Button(); });
    connect(browse_att, &QPushButton::clicked, this, [this] { browse_att_Button(); });
    connect(clear_att, &QPushButton::clicked, this, [this] { clear_att_Button(); });
    connect(rd_without_barcode, &QRadioButton::clicked, this, [this] { Without_barcode_rd_select(); });
    connect(rd_mail_curr_barcode, &QRadioButton::clicked, this, [this] { send_barcode_rd_select(); });
    connect(send_with_batch_chk, &QCheckBox::clicked, this, [this] { send_with_chk_select(); });
    connect(send_with_excel_chk, &QCheckBox::clicked, this, [this] { send_with_chk_select(); });
    connect(delayed_delv_chk, &QCheckBox::clicked, this, [this] { delayed_delv_chk_select(); });
    connect(side_both, &QRadioButton::clicked, this, [this] { mail_card_side_CellClick(0); });
    connect(side_front, &QRadioButton::clicked, this, [this] { mail_card_side_CellClick(1); });
    connect(side_back, &QRadioButton::clicked, this, [this] { mail_card_side_CellClick(2); });
    connect(send_btn, &QPushButton::clicked, this, [this] { Send_Button(); });
    connect(close_btn, &QPushButton::clicked, this, [this] { Close_Button(); });

    msend_modTimer = new QTimer(this);
    msend_modTimer->setInterval(500);
    connect(msend_modTimer, &QTimer::timeout, this, [this] { update_sending_progress_bar(); });
    Pause_Timer = new QTimer(this);
    Pause_Timer->setInterval(1000);
    connect(Pause_Timer, &QTimer::timeout, this, [this] { update_pause_timer_label(); });
    delayed_box->setEnabled(false);
}

Send_Mail::~Send_Mail()
{
    Stop_And_Join();
}

int Send_Mail::Open_Wnd()
{
    // The window draws the card; its runs draw every card.
    QString refused;
    if (!platform::keepImagePoolReady(&refused)) {
        Show_MessageBox(refused);
        return 0;
    }
    send_sett_box->setEnabled(true);
    side_front->setChecked(true);
    card_side_str = QStringLiteral("F");
    MailHost* host = output::mailHost();
    from_txt->setText(host ? host->Reload_Mail_Settings().sender : QString());
    to_txt->clear();
    rd_mail_curr_barcode->setChecked(true);
    file_name_txt->setText(QStringLiteral("VELTCard"));
    const bool series = host && host->Series_Values_In_Use();
    const bool excel = host && host->Excel_Values_In_Use();
    send_with_batch_chk->setChecked(false);
    send_with_batch_chk->setEnabled(series);
    send_with_excel_chk->setChecked(false);
    send_with_excel_chk->setEnabled(excel);
    rd_all_to_every->setChecked(true);
    rd_all_to_every->setEnabled(false);
    rd_one_per_recp->setEnabled(false);
    subject_txt->clear();
    message_txt->clear();
    attachment->clear();
    attachment->setEnabled(false);
    browse_att->setEnabled(false);
    clear_att->setEnabled(false);
    delayed_delv_chk->setChecked(false);
    delayed_box->setEnabled(false);
    Set_Pair(mail_count_txt, mail_count_stepper, 1);
    Set_Pair(hour_txt, hour_stepper, 0);
    Set_Pair(min_text, min_stepper, 0);
    Set_Pair(sec_txt, sec_stepper, 0);
    const int code = platform::modal::run(*this);
    hide();
    return code;
}

void Send_Mail::Setting_Button()
{
    Email_Setting::defaultInstance()->Open_Wnd();
    if (MailHost* host = output::mailHost())
        from_txt->setText(host->Reload_Mail_Settings().sender);
}

void Send_Mail::browse_att_Button()
{
    if (const auto path = platform::modal::openFile(QStringLiteral("Choose a file"), {}, {}))
        attachment->setText(*path);
}

void Send_Mail::clear_att_Button()
{
    attachment->clear();
}

void Send_Mail::Without_barcode_rd_select()
{
    rd_without_barcode->setChecked(true);
    send_sett_box->setEnabled(false);
    attachment->setEnabled(true);
    browse_att->setEnabled(true);
    clear_att->setEnabled(true);
}

void Send_Mail::send_barcode_rd_select()
{
    rd_mail_curr_barcode->setChecked(true);
    send_sett_box->setEnabled(true);
    MailHost* host = output::mailHost();
    const bool series = host && host->Series_Values_In_Use();
    const bool excel = host && host->Excel_Values_In_Use();
    send_with_batch_chk->setEnabled(series);
    if (!series)
        send_with_batch_chk->setChecked(false);
    send_with_excel_chk->setEnabled(excel);
    if (!excel)
        send_with_excel_chk->setChecked(false);
    send_with_chk_select();
    attachment->setEnabled(false);
    browse_att->setEnabled(false);
    clear_att->setEnabled(false);
}

void Send_Mail::send_with_chk_select()
{
    const bool data = send_with_batch_chk->isChecked() || send_with_excel_chk->isChecked();
    rd_all_to_every->setEnabled(data);
    rd_one_per_recp->setEnabled(data);
}

void Send_Mail::delayed_delv_chk_select()
{
    delayed_box->setEnabled(delayed_delv_chk->isChecked());
}

void Send_Mail::mail_card_side_CellClick(int row)
{
    card_side_str = row == 0 ? QStringLiteral("BOTH") : row == 1 ? QStringLiteral("F") : QStringLiteral("B");
    Show_NSLog_Message(card_side_str);
}

std::optional<mail::Mail_Request> Send_Mail::Take_Request()
{
    auto refuse = [](const QString& text) {
        Show_MessageBox(text);
        return std::nullopt;
    };
    mail::Mail_Request request;
    request.sender = Trim_Str(from_txt->text().toLower());
    if (request.sender.isEmpty())
        return refuse(kCheckSettings);
    const QString to = Trim_Str(to_txt->text());
    if (to.isEmpty())
        return refuse(QStringLiteral("Please specify the Recipient E-mail address."));
    // Every piece must pass: a mistyped address never drops silently.
    for (const QString& piece : to.toLower().split(QLatin1Char(','))) {
        if (!mail::isValidEmail(piece))
            return refuse(QStringLiteral("Recipient E-mail address is invalid or incomplete."));
        request.recipients << piece;
    }
    request.subject = subject_txt->text();
    request.body = message_txt->toPlainText();
    if (request.subject.toUtf8().size() > mail::Max_Argument_Bytes
        || request.body.toUtf8().size() > mail::Max_Argument_Bytes)
        return refuse(QStringLiteral("The subject or message is too long to send."));

    const bool card = rd_mail_curr_barcode->isChecked();
    if (card) {
        request.file_name = Trim_Str(Remove_Reserve_Char_In_File_Name(file_name_txt->text()));
        if (!platform::childPath(QStringLiteral("/"), request.file_name))
            return refuse(QStringLiteral("Please enter valid file name."));
    }
    MailHost* host = output::mailHost();
    if (host) {
        const Mail_Settings settings = host->Reload_Mail_Settings();
        request.password = settings.password;
        request.server = settings.server;
        request.port = settings.port;
        request.enable_ssl = settings.enable_ssl;
        host->Check_Series_Or_Excel_Use_or_not();
    }
    request.side = card_side_str;
    if (delayed_delv_chk->isChecked()) {
        request.pause_every = int(Pair_Value(mail_count_txt, mail_count_stepper));
        request.pause_ms = Pair_Value(hour_txt, hour_stepper) * 3600000 + Pair_Value(min_text, min_stepper) * 60000
                           + Pair_Value(sec_txt, sec_stepper) * 1000;
    }
    const bool series = send_with_batch_chk->isChecked();
    const bool excel = send_with_excel_chk->isChecked();
    if (!card) {
        request.mode = mail::Mode::File;
        request.attachment = attachment->text();
    } else if (series || excel) {
        request.mode = mail::Mode::Data;
        request.all_to_every = rd_all_to_every->isChecked();
        if (host) {
            const Mail_Rows rows = host->Take_Mail_Rows(series, excel);
            request.rows = rows.count;
            request.render_row = rows.render;
            request.render_problems = rows.problems;
        }
    } else {
        request.mode = mail::Mode::Card;
        if (host) {
            if (request.side != QLatin1String("F"))
                request.back = host->Render_Card_Side(1);
            if (request.side != QLatin1String("B"))
                request.front = host->Render_Card_Side(0);
            request.render_problems = [problems = host->Card_Barcode_Problems(request.side)] { return problems; };
        }
    }
    return request;
}

bool Send_Mail::Send_Button()
{
    if (Run_Active())
        return false;
    std::optional<mail::Mail_Request> request = Take_Request();
    if (!request)
        return false;

    m_progress = std::make_shared<mail::Mail_Progress>();
    m_dataRun = request->mode == mail::Mode::Data;
    send_btn->setEnabled(false);
    close_btn->setEnabled(false);
    const int total = request->mode == mail::Mode::Data && request->all_to_every ? request->rows
                                                                                    : request->recipients.size();
    send_modls_wnd->Prepare(total, QStringLiteral("%1 / %2").arg(0).arg(total));
    m_stopConnection = connect(send_modls_wnd, &Send_Modeless::stopConfirmed, this,
                               [progress = m_progress] { progress->Request_Stop(); });
    send_modls_wnd->setWindowModality(Qt::ApplicationModal);
    send_modls_wnd->open();
    msend_modTimer->start();
    Pause_Timer->start();

    // A system that refuses the thread gets the run on this one; it ends
    // as a threaded run does, from the event loop.
    platform::startThreadOrRun(m_worker, [this, progress = m_progress, request = std::move(*request)] {
        const mail::Mail_Report report = mail::Run_Mail(request, *progress);
        platform::runOnMainQueued([this, progress, report] {
            if (progress == m_progress)
                Finish_Run(report);
        });
    });
    return true;
}

void Send_Mail::Finish_Run(const mail::Mail_Report& report)
{
    if (m_worker.joinable())
        m_worker.join();
    msend_modTimer->stop();
    Pause_Timer->stop();
    update_sending_progress_bar();
    disconnect(m_stopConnection);
    send_modls_wnd->hide();
    send_modls_wnd->pause_label->clear();
    if (m_dataRun)
        if (MailHost* host = output::mailHost())
            host->Mail_Data_Run_Ended();
    m_progress.reset();
    send_btn->setEnabled(true);
    close_btn->setEnabled(true);
    Show_MessageBox(report.Text());
}

void Send_Mail::Stop_And_Join()
{
    if (m_progress)
        m_progress->Request_Stop();
    if (m_worker.joinable())
        m_worker.join();
}

void Send_Mail::Close_Button()
{
    if (!Run_Active())
        done(0);
}

void Send_Mail::reject()
{
    // Escape and the close box wait for the run like Close does.
    Close_Button();
}

void Send_Mail::update_sending_progress_bar()
{
    if (m_progress)
        send_modls_wnd->Update_Progress(m_progress->current, m_progress->total);
}

void Send_Mail::update_pause_timer_label()
{
    if (!m_progress)
        return;
    const qint64 left = m_progress->pause_left;
    send_modls_wnd->pause_label->setText(left < 0 ? QString() : mail::Calculate_Pause_Time(left));
}
