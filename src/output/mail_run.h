#pragma once
// Mail sending without any widget: the address test, the pause text, the
// mail script, and the whole run from a plain request to a report. The
// mail window and the settings dialog build on it; so do the tests and the
// benchmark.
#include "batch/Card_Problems.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace mail {

// Where the mail script runs. The program fixes the interpreter by full path
// and runs it isolated (-I): nothing of the script's folder or of the user's
// Python settings is used.
struct Script_Setup {
    QString program = QStringLiteral("/usr/bin/python3");
    QStringList program_arguments{QStringLiteral("-I")};
    QString script;           // empty: pyth_mail.py of the installed resources
    qint64 deadline_ms = 180000; // a send that takes longer is ended
    qint64 stop_grace_ms = 5000; // a send running when Stop comes may finish
};
Script_Setup& scriptSetup();

struct Send_Result {
    bool sent = false;
    QString reason; // why it was not sent
};

// One mail through a mail script of its own (the road of every run: see
// Run_Mail). The password goes on standard input only. `stop` (may be null)
// ends a running send after the grace time.
Send_Result sendEmail_pyth(const QString& recipient, const QString& subject, const QStringList& attachments,
                           const QString& sender, const QString& password, const QString& server,
                           const QString& port, const QString& body, const QString& enable_ssl,
                           const std::atomic<bool>* stop = nullptr);

// Trimmed, at least 6 characters, exactly one "@", at least one "." and no
// control character (a line break would reach the mail's headers).
bool isValidEmail(const QString& text);
// "Pausing the process for 1 Hour 2 Minutes 5 Seconds." for 3725000.
QString Calculate_Pause_Time(qint64 milliseconds);
// The subject as one header line: CR, LF and TAB become spaces.
QString Subject_Line(const QString& subject);
// Longest subject or body a mail may carry (UTF-8 bytes).
constexpr int Max_Argument_Bytes = 131071;

enum class Mode { Card, Data, File };

struct Mail_Request {
    Mode mode = Mode::Card;
    QString side = QStringLiteral("F"); // "BOTH", "F", "B"
    QStringList recipients;
    bool all_to_every = true; // data mode: every row to every recipient, else row i to recipient i
    QString sender, password, server, port, enable_ssl, subject, body;
    QString file_name = QStringLiteral("VELTCard");
    QString attachment; // file mode
    int pause_every = 1;
    qint64 pause_ms = 0; // 0: no pause
    // Card mode: the sides rendered before the run.
    QImage front, back;
    // Data mode: the number of rows and each row's side ("F" or "B"); a
    // null picture skips the row.
    int rows = 0;
    std::function<QImage(int row, const QString& side)> render_row;
    // Problems the renderer met, asked once at the end.
    std::function<QList<Card_Problem>()> render_problems;
};

// What the run shares with the window while it works.
struct Mail_Progress {
    std::atomic<bool> stop{false};
    std::atomic<int> total{0};
    std::atomic<int> current{0};       // 1-based item in work, 0 before the first
    std::atomic<qint64> pause_left{-1}; // milliseconds of the pause shown; -1 none
    // Waits one step of a pause; false when stopped. Default: one second,
    // ended early by Request_Stop.
    std::function<bool(int ms)> wait_step;

    void Request_Stop();
    bool Wait(int ms);

private:
    std::mutex mutex_;
    std::condition_variable wake_;
};

struct Mail_Report {
    int planned = 0;
    int sent = 0;
    bool stopped = false;
    QStringList problems; // "<recipient or card>: <reason>", every one
    // Data mode: the cards that could not be drawn or carry a problem of
    // their values, of `rows` cards.
    QList<Card_Problem> card_problems;
    int rows = 0;
    QStringList notes;    // things left off that did not stop a mail

    bool Succeeded() const { return planned > 0 && sent == planned; }
    // The end message.
    QString Text() const;
};

extern const QString Sent_Text;
extern const QString Not_Sent_Text;

// Runs the request to its end on the calling thread. Pictures are written
// into a private folder that is removed before it returns.
Mail_Report Run_Mail(const Mail_Request& request, Mail_Progress& progress);

} // namespace mail
