#include "platform/date_pattern.h"

#include <QLocale>

namespace platform {

QString qtDatePattern(const QString& unicodePattern)
{
    static const QString kept = QStringLiteral("dMyhHms");
    QString out;
    QString literal;
    auto flushLiteral = [&] {
        if (literal.isEmpty())
            return;
        QString escaped = literal;
        escaped.replace(QLatin1Char('\''), QStringLiteral("''"));
        out += QLatin1Char('\'') + escaped + QLatin1Char('\'');
        literal.clear();
    };
    for (qsizetype i = 0; i < unicodePattern.size(); ++i) {
        const QChar c = unicodePattern.at(i);
        if (c == QLatin1Char('\'')) {
            // Quoted text, '' being a quote character.
            qsizetype j = i + 1;
            if (j < unicodePattern.size() && unicodePattern.at(j) == QLatin1Char('\'')) {
                literal += QLatin1Char('\'');
                i = j;
                continue;
            }
            while (j < unicodePattern.size()) {
                if (unicodePattern.at(j) == QLatin1Char('\'')) {
                    if (j + 1 < unicodePattern.size() && unicodePattern.at(j + 1) == QLatin1Char('\'')) {
                        literal += QLatin1Char('\'');
                        j += 2;
                        continue;
                    }
                    break;
                }
                literal += unicodePattern.at(j);
                ++j;
            }
            i = j;
            continue;
        }
        if (kept.contains(c)) {
            flushLiteral();
            out += c;
        } else if (c == QLatin1Char('a')) {
            flushLiteral();
            out += QStringLiteral("AP");
            while (i + 1 < unicodePattern.size() && unicodePattern.at(i + 1) == QLatin1Char('a'))
                ++i;
        } else {
            literal += c;
        }
    }
    flushLiteral();
    return out;
}

QString formatDate(const QDateTime& moment, const QString& unicodePattern)
{
    return QLocale::c().toString(moment, qtDatePattern(unicodePattern));
}

} // namespace platform
