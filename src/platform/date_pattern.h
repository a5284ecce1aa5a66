#pragma once
// Date and time patterns in the Unicode notation the design files and menus
// use ("M-d-yyyy", "hh:mm:ss a") turned into Qt's notation, and formatting
// with them independent of the user's locale.
#include <QDateTime>
#include <QString>

namespace platform {

// Letters d M y h H m s keep their meaning; "a" (am/pm) becomes "AP"; any
// other letter and quoted text stay literal.
QString qtDatePattern(const QString& unicodePattern);
// The moment formatted with the pattern, English month names.
QString formatDate(const QDateTime& moment, const QString& unicodePattern);

} // namespace platform
