#pragma once
// Runs the independent checkers the tests compare against (Python with its
// libraries, unzip, LibreOffice, ...) and collects what they print.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testsupport {

struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program (looked up on PATH) with arguments, standard input and NAME=value
// additions to the environment; exitCode -1 when it could not start or
// crashed.
ProcessResult run(const QString& program, const QStringList& args, const QByteArray& input = {},
                  const QStringList& extraEnvironment = {});
// Runs a Python script with the Debian interpreter (the one with openpyxl).
ProcessResult python(const QString& script, const QStringList& args = {}, const QByteArray& input = {});

} // namespace testsupport
