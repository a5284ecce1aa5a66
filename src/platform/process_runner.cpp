#include "platform/process_runner.h"

#include <QElapsedTimer>
#include <QProcess>

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

ProcessResult runProcess(const ProcessRequest& request)
{
    ProcessResult result;
    QProcess process;
    if (request.environment)
        process.setEnvironment(*request.environment);
    process.setProcessChannelMode(request.captureOutput ? QProcess::SeparateChannels
                                                        : QProcess::ForwardedOutputChannel);
    process.start(request.program, request.arguments);
    if (!process.waitForStarted(30000)) {
        result.startError = process.errorString();
        return result;
    }
    if (!request.input.isEmpty())
        process.write(request.input);
    process.closeWriteChannel();

    // Without an event loop data moves only inside waitFor...: wait in short
    // steps so the deadline and the stop flag are seen in time.
    QElapsedTimer clock;
    clock.start();
    qint64 stopAt = -1;
    while (!process.waitForFinished(100)) {
        if (process.state() == QProcess::NotRunning)
            break;
        const qint64 now = clock.elapsed();
        if (request.deadlineMs >= 0 && now >= request.deadlineMs) {
            endProcess(process);
            result.status = ProcessResult::Status::TimedOut;
            break;
        }
        if (request.stop && request.stop->load()) {
            if (stopAt < 0)
                stopAt = now;
            if (now - stopAt >= request.stopGraceMs) {
                endProcess(process);
                result.status = ProcessResult::Status::Stopped;
                break;
            }
        }
    }
    result.err = process.readAllStandardError();
    if (request.captureOutput)
        result.out = process.readAllStandardOutput();
    if (result.status == ProcessResult::Status::NotStarted) {
        if (process.exitStatus() == QProcess::NormalExit) {
            result.status = ProcessResult::Status::Finished;
            result.exitCode = process.exitCode();
        } else {
            result.status = ProcessResult::Status::Crashed;
        }
    }
    return result;
}

} // namespace platform
