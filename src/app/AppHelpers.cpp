// Provisional bodies so that every library links; the foundation work
// replaces them with the full helpers.
#include "app/AppHelpers.h"
#include "platform/log.h"

void Show_MessageBox(const QString& text) { platform::logText(QStringLiteral("\n") + text); }
bool Show_YES_NO_MessageBox(const QString& text) { platform::logText(text); return false; }
void Show_NSLog_Message(const QString& text) { platform::logText(text); }
QString Trim_Str(const QString& text) { return text.trimmed(); }
