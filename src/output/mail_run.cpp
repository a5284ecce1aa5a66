#include "output/mail_run.h"

#include "app/AppHelpers.h"
#include "output/card_export.h"
#include "output/card_run.h"
#include "platform/files.h"
#include "platform/process_runner.h"
#include "platform/resource_folders.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <memory>

namespace mail {

const QString Sent_Text = QStringLiteral("E-mail has been sent successfully.");
const QString Not_Sent_Text = QStringLiteral(
    "Could not send email message.\nPlease make sure that:\n1. Entered E-mail settings are correct.\n2. Internet "
    "connectivity to E-mail server is not interrupted and E-mail server is not down.\n3. Your Firewall or Security "
    "software (if any) is not blocking the software to communicate with your E-mail server.");

Script_Setup& scriptSetup()
{
    static Script_Setup setup;
    return setup;
}

namespace {

QString Script_Path()
{
    const Script_Setup& setup = scriptSetup();
    return setup.script.isEmpty() ? platform::defaultSeedFolder() + QStringLiteral("/pyth_mail.py") : setup.script;
}

QString Failure_Reason(const platform::ProcessResult& result)
{
    using Status = platform::ProcessResult::Status;
    switch (result.status) {
    case Status::NotStarted:
        return QStringLiteral("the mail script could not be started (%1)").arg(result.startError);
    case Status::Crashed:
        return QStringLiteral("the mail script ended abnormally");
    case Status::TimedOut:
        return QStringLiteral("timed out");
    case Status::Stopped:
        return QStringLiteral("stopped");
    case Status::Finished:
        break;
    }
    const QStringList lines = QString::fromUtf8(result.err).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QStringLiteral("exit status %1").arg(result.exitCode) : lines.last().trimmed();
}

// A record of the script's input: the fields' byte counts on one line, then
// the fields, so no value can break the framing.
QByteArray Record(const QList<QByteArray>& fields)
{
    QByteArray counts, data;
    for (const QByteArray& field : fields) {
        if (!counts.isEmpty())
            counts += ' ';
        counts += QByteArray::number(field.size());
        data += field;
    }
    return counts + '\n' + data;
}

// The mail script of a run: started at the first mail and kept for the
// next ones over one connection, started again after it ended. The password
// goes on standard input only. Each mail gets the deadline; `stop` (may be
// null) ends a running send after the grace time.
class Mail_Script {
public:
    Mail_Script(const QString& sender, const QString& password, const QString& server, const QString& port,
                const QString& enable_ssl, const std::atomic<bool>* stop);
    ~Mail_Script();
    Mail_Script(const Mail_Script&) = delete;
    Mail_Script& operator=(const Mail_Script&) = delete;

    Send_Result Send(const QString& recipient, const QString& subject, const QString& body,
                     const QStringList& attachments);

private:
    platform::ProcessRequest request_;
    std::unique_ptr<platform::ProcessSession> session_;
    qint64 deadline_ms_ = 0;
};

Mail_Script::Mail_Script(const QString& sender, const QString& password, const QString& server, const QString& port,
                         const QString& enable_ssl, const std::atomic<bool>* stop)
{
    const Script_Setup& setup = scriptSetup();
    request_.program = setup.program;
    request_.arguments = setup.program_arguments;
    request_.arguments << Script_Path() << sender << server << port << enable_ssl;
    QStringList environment{QStringLiteral("PYTHONPATH="), QStringLiteral("PATH=/bin:/usr/bin:/usr/local/bin")};
    const QProcessEnvironment ours = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {QStringLiteral("SSL_CERT_FILE"), QStringLiteral("SSL_CERT_DIR")})
        if (ours.contains(name))
            environment << name + QLatin1Char('=') + ours.value(name);
    request_.environment = environment;
    request_.input = Record({password.toUtf8()});
    request_.stop = stop;
    request_.stopGraceMs = setup.stop_grace_ms;
    deadline_ms_ = setup.deadline_ms;
}

Mail_Script::~Mail_Script()
{
    // Every mail is answered; the script only says goodbye to the server,
    // for which a stopped run does not wait.
    if (session_)
        session_->finish(request_.stop && request_.stop->load() ? 0 : 1000);
}

Send_Result Mail_Script::Send(const QString& recipient, const QString& subject, const QString& body,
                              const QStringList& attachments)
{
    if (!session_)
        session_ = std::make_unique<platform::ProcessSession>(request_);
    QList<QByteArray> fields{recipient.toUtf8(), Subject_Line(subject).toUtf8(), body.toUtf8()};
    for (const QString& path : attachments)
        fields << QFile::encodeName(path);
    session_->write(Record(fields));
    Send_Result result;
    if (const std::optional<QByteArray> answer = session_->readLine(deadline_ms_)) {
        result.sent = *answer == "0";
        if (!result.sent) {
            const QString reason = QString::fromUtf8(answer->mid(answer->indexOf(' ') + 1)).trimmed();
            result.reason = reason.isEmpty() ? QStringLiteral("not sent") : reason;
        }
        return result;
    }
    // The script ended without an answer: the next mail starts another.
    result.reason = Failure_Reason(session_->finish(0));
    session_.reset();
    return result;
}

} // namespace

Send_Result sendEmail_pyth(const QString& recipient, const QString& subject, const QStringList& attachments,
                           const QString& sender, const QString& password, const QString& server,
                           const QString& port, const QString& body, const QString& enable_ssl,
                           const std::atomic<bool>* stop)
{
    return Mail_Script(sender, password, server, port, enable_ssl, stop).Send(recipient, subject, body, attachments);
}

bool isValidEmail(const QString& text)
{
    const QString address = Trim_Str(text);
    if (address.size() < 6)
        return false;
    for (const QChar c : address)
        if (c.category() == QChar::Other_Control)
            return false;
    return address.split(QLatin1Char('@')).size() == 2 && address.split(QLatin1Char('.')).size() >= 2;
}

QString Calculate_Pause_Time(qint64 milliseconds)
{
    const qint64 seconds = milliseconds / 1000;
    const qint64 hours = seconds / 3600;
    const qint64 rest = seconds % 3600;
    const qint64 minutes = rest / 60;
    const qint64 secs = rest % 60;
    const QString h = QString::fromLatin1(hours < 2 ? "%1 Hour " : "%1 Hours ").arg(hours);
    const QString m = QString::fromLatin1(minutes < 2 ? "%1 Minute " : "%1 Minutes ").arg(minutes);
    const QString s = QString::fromLatin1(secs < 2 ? "%1 Second." : "%1 Seconds.").arg(secs);
    const QString text = QStringLiteral("Pausing the process for ");
    if (hours >= 1)
        return text + h + m + s;
    if (minutes < 1)
        return text + s;
    return text + m + s;
}

QString Subject_Line(const QString& subject)
{
    QString line = subject;
    for (QChar& c : line)
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return line;
}

void Mail_Progress::Request_Stop()
{
    {
        std::lock_guard lock(mutex_);
        stop = true;
    }
    wake_.notify_all();
}

bool Mail_Progress::Wait(int ms)
{
    if (wait_step)
        return wait_step(ms) && !stop;
    std::unique_lock lock(mutex_);
    return !wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop.load(); });
}

QString Mail_Report::Text() const
{
    QString text;
    if (Succeeded()) {
        text = Sent_Text;
    } else {
        text = Not_Sent_Text;
        if (planned > 0)
            text += QStringLiteral("\n\n%1 of %2 e-mails were not sent.").arg(planned - sent).arg(planned);
        if (stopped)
            text += QStringLiteral("\nStopped after %1 of %2 e-mails.").arg(sent).arg(planned);
        // Short enough, with the cards' list below, for the end box to fit
        // the screen.
        const int shown = std::min<int>(8, problems.size());
        for (int i = 0; i < shown; ++i)
            text += QLatin1Char('\n') + problems[i];
        if (problems.size() > shown)
            text += QStringLiteral("\n\u2026 and %1 more.").arg(problems.size() - shown);
    }
    if (!card_problems.isEmpty())
        text += QStringLiteral("\n\n") + Problems_Text(card_problems, rows, {}, 12);
    for (const QString& note : notes)
        text += QStringLiteral("\n") + note;
    return text;
}

namespace {

class Mail_Run {
public:
    Mail_Run(const Mail_Request& request, Mail_Progress& progress)
        : r(request)
        , p(progress)
        , script(r.sender, r.password, r.server, r.port, r.enable_ssl, &p.stop)
    {
    }

    Mail_Report Go();

private:
    bool Send(const QString& recipient, const QStringList& attachments, const QString& what);
    bool Write(const QImage& picture, const QString& path, const QString& what);
    void Pause();

    const Mail_Request& r;
    Mail_Progress& p;
    Mail_Script script;
    Mail_Report report;
};

bool Mail_Run::Send(const QString& recipient, const QStringList& attachments, const QString& what)
{
    Show_NSLog_Message(recipient);
    const Send_Result result = script.Send(recipient, r.subject, r.body, attachments);
    if (result.sent) {
        ++report.sent;
        return true;
    }
    Show_NSLog_Message(QStringLiteral("error in mail: %1").arg(result.reason));
    report.problems << QStringLiteral("%1%2: %3").arg(what, recipient.trimmed(), result.reason);
    return false;
}

bool Mail_Run::Write(const QImage& picture, const QString& path, const QString& what)
{
    QString reason;
    if (card_export::Write_Picture(picture, path, &reason))
        return true;
    report.problems << QStringLiteral("%1: the picture could not be written (%2)").arg(what, reason);
    return false;
}

void Mail_Run::Pause()
{
    // The text counts down from the whole pause to one second; the wait is
    // one second shorter than the pause.
    const qint64 seconds = r.pause_ms / 1000;
    p.pause_left = r.pause_ms;
    for (qint64 left = (seconds - 1) * 1000; left >= 1 && !p.stop; left -= 1000) {
        if (!p.Wait(1000))
            break;
        p.pause_left = left;
    }
    p.pause_left = -1;
}

Mail_Report Mail_Run::Go()
{
    const int A = r.recipients.size();
    const int R = std::max(0, r.rows);
    const bool data = r.mode == Mode::Data;
    const int count = data && r.all_to_every ? R : A;
    report.planned = !data ? A : r.all_to_every ? R * A : std::min(R, A);
    p.total = count;
    p.current = 0;

    // A private folder (0700) of this run only, removed when the run ends.
    QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/cardwright-mail-XXXXXX"));
    const auto front_path = platform::childPath(folder.path(), r.file_name, QStringLiteral("png"));
    if (!folder.isValid() || !front_path) {
        report.problems << QStringLiteral("The pictures could not be made: %1")
                               .arg(folder.isValid() ? QStringLiteral("invalid file name") : folder.errorString());
        return report;
    }
    const QString back_path = card_export::Create_Back_Card_Path(*front_path);
    const output::Run_Sides sides = output::Run_Sides::Of(r.side);
    const bool with_front = sides.front, with_back = sides.back;
    // Data mode: the rows to be sent, drawn, named and counted as every
    // run's are; a row past the recipients is not one of them.
    const int cards_sent = data ? std::min(count, R) : 0;
    output::Card_Run cards(r.side, cards_sent);
    cards.Add_Problem_Source(r.render_problems);
    const auto no_row = [](int, const QString&) { return QImage(); };

    int since_pause = 0;
    for (int i = 0; i < count && !p.stop; ++i) {
        p.current = i + 1;
        QStringList attachments;
        if (r.mode == Mode::Card) {
            if (with_back)
                attachments << back_path;
            if (with_front)
                attachments << *front_path;
            if (i == 0 && ((with_back && !Write(r.back, back_path, QStringLiteral("Card")))
                           || (with_front && !Write(r.front, *front_path, QStringLiteral("Card")))))
                break;
            if (!Send(r.recipients[i], attachments, {}))
                break;
        } else if (data) {
            if (i >= R) {
                p.current = count;
                break;
            }
            const QString card = QStringLiteral("Card_%1").arg(i + 1);
            const output::Run_Card<QImage> row =
                r.render_row ? cards.Draw(i, r.render_row) : cards.Draw(i, no_row);
            // A row that cannot be drawn is skipped and does not count
            // towards the pause.
            if (!row.drawn)
                continue;
            if (with_back) {
                attachments << back_path;
                if (!Write(row.back, back_path, card))
                    continue;
            }
            if (with_front) {
                attachments << *front_path;
                if (!Write(row.front, *front_path, card))
                    continue;
            }
            const QString what = card + QStringLiteral(" to ");
            if (r.all_to_every) {
                for (int k = 0; k < A && !p.stop; ++k)
                    if (!Send(r.recipients[k], attachments, what))
                        break;
            } else if (!Send(r.recipients[i], attachments, what)) {
                break;
            }
        } else {
            const QString path = Trim_Str(r.attachment);
            if (!path.isEmpty()) {
                if (platform::isRegularFile(path))
                    attachments << path;
                else if (i == 0)
                    report.notes << QStringLiteral("The file %1 was not attached: it is missing or not a regular file.")
                                        .arg(path);
            }
            if (!Send(r.recipients[i], attachments, {}))
                break;
        }
        if (r.pause_ms > 0 && ++since_pause >= r.pause_every && p.current != count) {
            Pause();
            since_pause = 0;
        }
    }
    report.stopped = p.stop && report.sent < report.planned;
    if (data) {
        report.rows = cards_sent;
        if (cards_sent < R)
            report.notes << (R - cards_sent == 1
                                 ? QStringLiteral("Card_%1 was not sent: its row has no recipient.").arg(R)
                                 : QStringLiteral("Card_%1 to Card_%2 were not sent: their rows have no recipient.")
                                       .arg(cards_sent + 1)
                                       .arg(R));
    }
    report.card_problems = cards.Problems();
    for (const QString& problem : report.problems)
        Show_NSLog_Message(problem);
    return report;
}

} // namespace

Mail_Report Run_Mail(const Mail_Request& request, Mail_Progress& progress)
{
    return Mail_Run(request, progress).Go();
}

} // namespace mail
