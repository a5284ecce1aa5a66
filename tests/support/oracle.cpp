#include "support/oracle.h"

#include <QProcess>

namespace oracle {

Result run(const QString& program, const QStringList& args, const QByteArray& input)
{
    Result result;
    QProcess process;
    process.start(program, args);
    if (!process.waitForStarted(10000))
        return result;
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

Result python(const QString& script, const QStringList& args, const QByteArray& input)
{
    return run(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args, input);
}

} // namespace oracle
