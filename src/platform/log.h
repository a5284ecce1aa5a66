#pragma once
// The program's log: one logging category, and a writer that treats the text
// as data (never as a format string).
#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcCardwright)

namespace platform {
// Writes the text as one log line. Empty text writes nothing.
void logText(const QString& text);
}
