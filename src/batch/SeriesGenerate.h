#pragma once
// Values made by rule: sequential numbers, a constant, random numbers.
// Headless: the generator dialog validates its fields through these and
// shows the messages for the results.
#include <QString>
#include <QStringList>
#include <optional>

namespace series_gen {

// Most values one sequential range may produce.
constexpr qint64 Max_Sequential_Values = 1000000;

// An integer read the platform way: leading blanks skipped, an optional sign,
// then digits; text that does not start with a number reads 0. None when the
// number does not fit in 64 bits.
std::optional<qint64> Leading_Integer(const QString& text);
// The same, with a number too large reading 0 (for fields that only count).
qint64 Leading_Integer_Or_Zero(const QString& text);

// Zeros in front until the text is `length` long; for a negative number the
// zeros go after the sign and the sign counts towards the length.
QString PadZero(const QString& text, int length);

enum class Sequential_Check {
    Ok,
    From_Empty,      // "Please enter valid 'From' value." (also: does not fit)
    To_Empty,        // "Please enter valid 'To' value." (also: does not fit)
    From_Not_Smaller,// "'From' value must be smaller than 'To' value."
    Too_Many         // more than Max_Sequential_Values values
};

struct Sequential {
    QString prefix, suffix, from, to;
    bool pad = false;
};
Sequential_Check Check_Sequential(const Sequential& seq);
// The values of a checked range, in ascending order.
QStringList Sequential_Values(const Sequential& seq);

// The value `count` times (none for 0 or less).
QStringList Constant_Values(const QString& value, qint64 count);

// An evenly drawn number from min to max inclusive.
int getRandomNumberBetweenMin(int min, int max);
// The digit count of a random-length text ("1" to "9" after trimming), or
// none.
std::optional<int> Random_Length(const QString& text);
// `count` random numbers of exactly `length` digits with prefix and suffix.
QStringList Random_Values(const QString& prefix, const QString& suffix, int length, qint64 count);

// The typing filter of a count or length field: empty or 0 gives "1", text
// longer than max_chars is cut, a value over max_value becomes max_value;
// otherwise the text stays as typed.
QString Filter_Count_Text(const QString& text, int max_chars, int max_value);

} // namespace series_gen
