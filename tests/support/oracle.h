#pragma once
// Runs the independent checkers tests compare against.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace oracle {

struct Result {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program with arguments and standard input; exitCode -1 when it
// could not start.
Result run(const QString& program, const QStringList& args, const QByteArray& input = {});
// Runs a Python script with the Debian interpreter.
Result python(const QString& script, const QStringList& args = {}, const QByteArray& input = {});

} // namespace oracle
