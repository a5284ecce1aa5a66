#include "platform/geometry_text.h"

#include <charconv>
#include <system_error>

namespace platform {
namespace {

// A small reader over the brace syntax; any deviation marks it failed.
class Reader {
public:
    explicit Reader(QStringView text) : text_(text) {}

    bool ok() const { return ok_; }

    void expect(char c)
    {
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == QLatin1Char(c))
            ++pos_;
        else
            ok_ = false;
    }

    double number()
    {
        skipSpace();
        char buffer[64] = {};
        int n = 0;
        while (pos_ < text_.size() && n < int(sizeof buffer) - 1) {
            const char16_t c = text_[pos_].unicode();
            if (c == u',' || c == u'}' || c == u'{' || c == u' ' || c == u'\t' || c == u'\n' || c > 0x7f)
                break;
            buffer[n++] = char(c);
            ++pos_;
        }
        double value = 0;
        const auto [end, ec] = std::from_chars(buffer, buffer + n, value);
        if (n == 0 || ec != std::errc() || end != buffer + n)
            ok_ = false;
        return value;
    }

    bool atEnd()
    {
        skipSpace();
        return pos_ == text_.size();
    }

    void pair(double* a, double* b)
    {
        expect('{');
        *a = number();
        expect(',');
        *b = number();
        expect('}');
    }

private:
    void skipSpace()
    {
        while (pos_ < text_.size() && text_[pos_].isSpace())
            ++pos_;
    }

    QStringView text_;
    qsizetype pos_ = 0;
    bool ok_ = true;
};

} // namespace

QString numberText(double value)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc())
        return QStringLiteral("0");
    return QString::fromLatin1(buffer, end - buffer);
}

QString pointToText(const QPointF& point)
{
    return QLatin1Char('{') + numberText(point.x()) + QStringLiteral(", ") + numberText(point.y()) + QLatin1Char('}');
}

QString sizeToText(const QSizeF& size)
{
    return QLatin1Char('{') + numberText(size.width()) + QStringLiteral(", ") + numberText(size.height())
        + QLatin1Char('}');
}

QString rectToText(const QRectF& rect)
{
    return QLatin1Char('{') + pointToText(rect.topLeft()) + QStringLiteral(", ") + sizeToText(rect.size())
        + QLatin1Char('}');
}

QPointF pointFromText(QStringView text)
{
    Reader r(text);
    double x = 0, y = 0;
    r.pair(&x, &y);
    return r.ok() && r.atEnd() ? QPointF(x, y) : QPointF();
}

QSizeF sizeFromText(QStringView text)
{
    Reader r(text);
    double w = 0, h = 0;
    r.pair(&w, &h);
    return r.ok() && r.atEnd() ? QSizeF(w, h) : QSizeF(0, 0);
}

QRectF rectFromText(QStringView text)
{
    Reader r(text);
    double x = 0, y = 0, w = 0, h = 0;
    r.expect('{');
    r.pair(&x, &y);
    r.expect(',');
    r.pair(&w, &h);
    r.expect('}');
    return r.ok() && r.atEnd() ? QRectF(x, y, w, h) : QRectF();
}

} // namespace platform
