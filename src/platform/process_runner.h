#pragma once
// Runs a program to its end on the calling thread (no event loop needed):
// its standard input written and closed, an optional deadline and an
// optional stop flag. A process past its deadline, or asked to stop and not
// done within its grace time, gets SIGTERM, then SIGKILL two seconds later.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>

namespace platform {

struct ProcessRequest {
    QString program;
    QStringList arguments;
    // The whole environment ("NAME=value"); nullopt inherits ours.
    std::optional<QStringList> environment;
    QByteArray input;
    qint64 deadlineMs = -1;                 // -1: none
    const std::atomic<bool>* stop = nullptr; // polled every 100 ms
    qint64 stopGraceMs = 0;                 // time a stopped process still gets
    bool captureOutput = true;              // else standard output is inherited
};

struct ProcessResult {
    enum class Status { Finished, NotStarted, Crashed, TimedOut, Stopped };
    Status status = Status::NotStarted;
    int exitCode = -1; // meaningful for Finished
    QByteArray out;
    QByteArray err;
    QString startError;
    // Ended by itself with status 0.
    bool succeeded() const { return status == Status::Finished && exitCode == 0; }
};

ProcessResult runProcess(const ProcessRequest& request);

} // namespace platform
