#include "support/process_runner.h"

#include <QProcess>

namespace testsupport {

ProcessResult run(const QString& program, const QStringList& args, const QByteArray& input)
{
    ProcessResult result;
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(30000))
        return result;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(300000);
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

ProcessResult python(const QString& script, const QStringList& args, const QByteArray& input)
{
    return run(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args, input);
}

} // namespace testsupport
