#include "batch/SeriesGenerate.h"

#include "app/AppHelpers.h"

#include <QRandomGenerator>

namespace series_gen {

std::optional<qint64> Leading_Integer(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    quint64 magnitude = 0;
    const quint64 limit = negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                   : quint64(std::numeric_limits<qint64>::max());
    for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        const quint64 digit = text[i].unicode() - u'0';
        if (magnitude > (limit - digit) / 10)
            return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    if (negative)
        return magnitude == limit ? std::numeric_limits<qint64>::min() : -qint64(magnitude);
    return qint64(magnitude);
}

qint64 Leading_Integer_Or_Zero(const QString& text)
{
    return Leading_Integer(text).value_or(0);
}

QString PadZero(const QString& text, int length)
{
    if (text.size() >= length)
        return text;
    const bool negative = text.startsWith(QLatin1Char('-'));
    const QString zeros(length - text.size(), QLatin1Char('0'));
    return negative ? QStringLiteral("-") + zeros + text.mid(1) : zeros + text;
}

Sequential_Check Check_Sequential(const Sequential& seq)
{
    if (seq.from.isEmpty())
        return Sequential_Check::From_Empty;
    if (seq.to.isEmpty())
        return Sequential_Check::To_Empty;
    const auto from = Leading_Integer(seq.from);
    if (!from)
        return Sequential_Check::From_Empty;
    const auto to = Leading_Integer(seq.to);
    if (!to)
        return Sequential_Check::To_Empty;
    if (*from >= *to)
        return Sequential_Check::From_Not_Smaller;
    // to > from, so the difference fits unsigned.
    if (quint64(*to) - quint64(*from) >= quint64(Max_Sequential_Values))
        return Sequential_Check::Too_Many;
    return Sequential_Check::Ok;
}

QStringList Sequential_Values(const Sequential& seq)
{
    QStringList values;
    if (Check_Sequential(seq) != Sequential_Check::Ok)
        return values;
    const qint64 from = *Leading_Integer(seq.from);
    const qint64 to = *Leading_Integer(seq.to);
    const int width = int(qMax(seq.from.size(), seq.to.size()));
    values.reserve(to - from + 1);
    for (qint64 n = from;; ++n) {
        QString number = QString::number(n);
        if (seq.pad)
            number = PadZero(number, width);
        values.append(seq.prefix + number + seq.suffix);
        if (n == to)
            break;
    }
    return values;
}

QStringList Constant_Values(const QString& value, qint64 count)
{
    QStringList values;
    for (qint64 i = 0; i < count; ++i)
        values.append(value);
    return values;
}

int getRandomNumberBetweenMin(int min, int max)
{
    const quint32 span = quint32(max) - quint32(min) + 1;
    return int(quint32(min) + (span ? QRandomGenerator::global()->bounded(span) : QRandomGenerator::global()->generate()));
}

std::optional<int> Random_Length(const QString& text)
{
    const QString t = Trim_Str(text);
    if (t.size() != 1 || t[0] < QLatin1Char('1') || t[0] > QLatin1Char('9'))
        return std::nullopt;
    return t[0].unicode() - u'0';
}

QStringList Random_Values(const QString& prefix, const QString& suffix, int length, qint64 count)
{
    QStringList values;
    int low = 1;
    for (int i = 1; i < length; ++i)
        low *= 10;
    const int high = low * 10 - 1;
    for (qint64 i = 0; i < count; ++i)
        values.append(prefix + QString::number(getRandomNumberBetweenMin(low, high)) + suffix);
    return values;
}

QString Filter_Count_Text(const QString& text, int max_chars, int max_value)
{
    const QString t = Trim_Str(text);
    QString field = text;
    if (t.isEmpty() || Leading_Integer_Or_Zero(t) == 0)
        field = QStringLiteral("1");
    if (t.size() > max_chars)
        field = t.left(max_chars);
    if (Leading_Integer_Or_Zero(field) > max_value)
        field = QString::number(max_value);
    return field;
}

} // namespace series_gen
