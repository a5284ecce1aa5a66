#include "platform/process_runner.h"

#include <QElapsedTimer>

namespace platform {

namespace {

// SIGTERM, then SIGKILL when it has not ended two seconds later.
void endProcess(QProcess& process)
{
    process.terminate();
    if (!process.waitForFinished(2000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

} // namespace

ProcessSession::ProcessSession(const ProcessRequest& request)
    : request_(request)
{
    if (request.environment)
        process_.setEnvironment(*request.environment);
    process_.start(request.program, request.arguments);
    if (!process_.waitForStarted(30000)) {
        result_.startError = process_.errorString();
        return;
    }
    started_ = true;
    if (!request.input.isEmpty())
        process_.write(request.input);
}

ProcessSession::~ProcessSession()
{
    if (running())
        endProcess(process_);
}

void ProcessSession::write(const QByteArray& data)
{
    if (running())
        process_.write(data);
}

bool ProcessSession::waitUntil(const std::function<bool()>& ready, bool forOutput, qint64 deadlineMs)
{
    // Without an event loop data moves only inside waitFor...: wait in short
    // steps so the deadline and the stop flag are seen in time.
    QElapsedTimer clock;
    clock.start();
    qint64 stopAt = -1;
    while (!ready()) {
        if (!running())
            return false;
        if (forOutput)
            process_.waitForReadyRead(100);
        else
            process_.waitForFinished(100);
        const qint64 now = clock.elapsed();
        if (ready())
            return true;
        if (!running())
            return false;
        if (deadlineMs >= 0 && now >= deadlineMs) {
            endProcess(process_);
            result_.status = ProcessResult::Status::TimedOut;
            return false;
        }
        if (request_.stop && request_.stop->load()) {
            if (stopAt < 0)
                stopAt = now;
            if (now - stopAt >= request_.stopGraceMs) {
                endProcess(process_);
                result_.status = ProcessResult::Status::Stopped;
                return false;
            }
        }
    }
    return true;
}

std::optional<QByteArray> ProcessSession::readLine(qint64 deadlineMs)
{
    if (!started_ || !waitUntil([this] { return process_.canReadLine(); }, true, deadlineMs))
        return std::nullopt;
    QByteArray line = process_.readLine();
    line.chop(1);
    return line;
}

ProcessResult ProcessSession::finish(qint64 deadlineMs)
{
    if (!started_)
        return result_;
    process_.closeWriteChannel();
    waitUntil([this] { return !running(); }, false, deadlineMs);
    ProcessResult result = result_;
    result.err = process_.readAllStandardError();
    if (result.status == ProcessResult::Status::NotStarted) {
        if (process_.exitStatus() == QProcess::NormalExit) {
            result.status = ProcessResult::Status::Finished;
            result.exitCode = process_.exitCode();
        } else {
            result.status = ProcessResult::Status::Crashed;
        }
    }
    return result;
}

} // namespace platform
