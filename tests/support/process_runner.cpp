#include "support/process_runner.h"

#include "platform/process_runner.h"

namespace testsupport {

ProcessResult run(const QString& program, const QStringList& args, const QByteArray& input)
{
    platform::ProcessRequest request;
    request.program = program;
    request.arguments = args;
    request.input = input;
    request.deadlineMs = 300000;
    const platform::ProcessResult ran = platform::runProcess(request);
    ProcessResult result;
    result.exitCode = ran.status == platform::ProcessResult::Status::Finished ? ran.exitCode : -1;
    result.out = ran.out;
    result.err = ran.err;
    return result;
}

ProcessResult python(const QString& script, const QStringList& args, const QByteArray& input)
{
    return run(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args, input);
}

} // namespace testsupport
