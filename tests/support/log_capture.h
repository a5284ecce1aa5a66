#pragma once
// Captures the program's log lines (category "cardwright") for the life of
// the object.
#include <QByteArray>
#include <QStringList>
#include <QtGlobal>

class LogCapture {
public:
    LogCapture() { previous_ = qInstallMessageHandler(&LogCapture::handler); lines().clear(); }
    ~LogCapture() { qInstallMessageHandler(previous_); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    static QStringList& lines()
    {
        static QStringList captured;
        return captured;
    }

private:
    static void handler(QtMsgType, const QMessageLogContext& context, const QString& message)
    {
        if (context.category && QByteArray(context.category) == "cardwright")
            lines().append(message);
    }
    QtMessageHandler previous_ = nullptr;
};
