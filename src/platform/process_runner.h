#pragma once
// Runs a program on the calling thread (no event loop needed) as a session
// that writes to its standard input and reads its answers line by line while
// it runs. Waits take an optional deadline and an optional stop flag. A
// process past its deadline, or asked to stop and not done within its grace
// time, gets SIGTERM, then SIGKILL two seconds later.
#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

namespace platform {

struct ProcessRequest {
    QString program;
    QStringList arguments;
    // The whole environment ("NAME=value"); nullopt inherits ours.
    std::optional<QStringList> environment;
    QByteArray input;                       // written first
    const std::atomic<bool>* stop = nullptr; // polled every 100 ms
    qint64 stopGraceMs = 0;                 // time a stopped process still gets
};

struct ProcessResult {
    enum class Status { Finished, NotStarted, Crashed, TimedOut, Stopped };
    Status status = Status::NotStarted;
    int exitCode = -1; // meaningful for Finished
    QByteArray err;
    QString startError;
};

// A running program the caller talks to: started with the request's input
// written and its standard input left open.
class ProcessSession {
public:
    explicit ProcessSession(const ProcessRequest& request);
    // A process still running is ended.
    ~ProcessSession();
    ProcessSession(const ProcessSession&) = delete;
    ProcessSession& operator=(const ProcessSession&) = delete;

    bool running() const { return process_.state() != QProcess::NotRunning; }
    void write(const QByteArray& data);
    // The next line of standard output without its "\n". nullopt when the
    // process ended, passed the deadline (milliseconds from now, -1 none)
    // or was stopped before a whole line came; finish() then says how.
    std::optional<QByteArray> readLine(qint64 deadlineMs);
    // Closes standard input, waits for the end under the same rules and
    // reports how it ended.
    ProcessResult finish(qint64 deadlineMs);

private:
    // Waits, in steps for output or for the end, until `ready` holds; false
    // when the process ended first (by itself, or by us at the deadline or
    // after a stop).
    bool waitUntil(const std::function<bool()>& ready, bool forOutput, qint64 deadlineMs);

    ProcessRequest request_;
    QProcess process_;
    ProcessResult result_;
    bool started_ = false;
};

} // namespace platform
