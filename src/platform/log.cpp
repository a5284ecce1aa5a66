#include "platform/log.h"

Q_LOGGING_CATEGORY(lcCardwright, "cardwright")

namespace platform {
void logText(const QString& text)
{
    if (text.isEmpty())
        return;
    qCInfo(lcCardwright).noquote() << text;
}
}
