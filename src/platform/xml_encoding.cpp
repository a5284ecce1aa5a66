#include "platform/xml_encoding.h"

#include <QByteArray>

namespace platform {
namespace {

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The encoding named by the XML declaration at the start of `text` (blanks
// before it allowed, as lenient readers allow them); empty when there is no
// declaration or it names none. False when a declaration is there but
// cannot be read to its end.
bool declaredEncoding(const QByteArray& text, QByteArray* name)
{
    qsizetype i = 0;
    while (i < text.size() && blank(text[i]))
        ++i;
    if (!text.mid(i).startsWith("<?xml") || i + 5 >= text.size() || !blank(text[i + 5]))
        return true;
    const qsizetype end = text.indexOf("?>", i);
    if (end < 0)
        return false;
    const QByteArray declaration = text.mid(i + 5, end - i - 5);
    for (qsizetype p = 0;;) {
        while (p < declaration.size() && blank(declaration[p]))
            ++p;
        if (p == declaration.size())
            return true;
        const qsizetype nameStart = p;
        while (p < declaration.size() && !blank(declaration[p]) && declaration[p] != '=')
            ++p;
        const QByteArray pseudo = declaration.mid(nameStart, p - nameStart);
        while (p < declaration.size() && blank(declaration[p]))
            ++p;
        if (p == declaration.size() || declaration[p] != '=')
            return false;
        ++p;
        while (p < declaration.size() && blank(declaration[p]))
            ++p;
        if (p == declaration.size() || (declaration[p] != '"' && declaration[p] != '\''))
            return false;
        const qsizetype close = declaration.indexOf(declaration[p], p + 1);
        if (close < 0)
            return false;
        if (pseudo == "encoding") {
            *name = declaration.mid(p + 1, close - p - 1);
            return true;
        }
        p = close + 1;
    }
}

// True when the document starts, after blanks, with '<' and a letter, '?'
// or '!' in EBCDIC: bytes that in UTF-8 read "L" and some other character,
// which no XML document starts with.
bool ebcdic(QByteArrayView head)
{
    auto at = [&](qsizetype i) { return i < head.size() ? static_cast<unsigned char>(head[i]) : 0u; };
    qsizetype i = 0;
    for (unsigned c = at(0); c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0x40 || c == 0x25 || c == 0x05 ||
                             c == 0x15;
         c = at(++i)) {
    }
    if (at(i) != 0x4C)
        return false;
    const unsigned next = at(i + 1);
    const bool letter = (next >= 0x81 && next <= 0x89) || (next >= 0x91 && next <= 0x99) ||
                        (next >= 0xA2 && next <= 0xA9) || (next >= 0xC1 && next <= 0xC9) ||
                        (next >= 0xD1 && next <= 0xD9) || (next >= 0xE2 && next <= 0xE9);
    return letter || next == 0x6F || next == 0x5A;
}

QString printable(const QByteArray& name)
{
    QString out;
    for (const char c : name.left(40))
        out.append(c >= 0x20 && c < 0x7F ? QChar::fromLatin1(c) : QChar(u'?'));
    return out;
}

} // namespace

std::optional<XmlEncoding> xmlEncoding(QByteArrayView head, bool utf16, QString* reason)
{
    auto refuse = [reason](const QString& why) -> std::optional<XmlEncoding> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    const QByteArrayView start = head.first(std::min<qsizetype>(head.size(), 4));
    if (start.startsWith(QByteArrayView("\xFF\xFE\x00\x00", 4)) || start.startsWith(QByteArrayView("\x00\x00\xFE\xFF", 4)))
        return refuse(QStringLiteral("text in UTF-32, not UTF-8"));
    XmlEncoding encoding = XmlEncoding::Utf8;
    qsizetype skip = 0;
    if (start.startsWith("\xEF\xBB\xBF")) {
        skip = 3;
    } else if (start.startsWith("\xFE\xFF") || start.startsWith("\xFF\xFE")) {
        if (!utf16)
            return refuse(QStringLiteral("text in UTF-16, not UTF-8"));
        encoding = start.startsWith("\xFE\xFF") ? XmlEncoding::Utf16BE : XmlEncoding::Utf16LE;
        skip = 2;
    } else if (start.contains('\0')) {
        // '<' or a blank next to zero bytes: UTF-16 or UTF-32 without a mark.
        return refuse(QStringLiteral("text in UTF-16 or UTF-32 without a byte-order mark, not UTF-8"));
    } else if (ebcdic(head)) {
        return refuse(QStringLiteral("text in EBCDIC, not UTF-8"));
    }

    // The declaration in ASCII: UTF-16 units outside it become '?'.
    const QByteArrayView rest = head.sliced(std::min(skip, head.size())).first(
        std::min<qsizetype>(head.size() - std::min(skip, head.size()), kXmlEncodingHead));
    QByteArray text;
    if (encoding == XmlEncoding::Utf8) {
        text = rest.toByteArray();
    } else {
        const bool big = encoding == XmlEncoding::Utf16BE;
        for (qsizetype i = 0; i + 1 < rest.size(); i += 2) {
            const char high = rest[i + (big ? 0 : 1)];
            const char low = rest[i + (big ? 1 : 0)];
            text.append(high == 0 && static_cast<unsigned char>(low) < 0x80 ? low : '?');
        }
    }
    QByteArray name;
    if (!declaredEncoding(text, &name))
        return refuse(QStringLiteral("an XML declaration that cannot be read"));
    if (name.isEmpty())
        return encoding;
    const QByteArray lower = name.toLower();
    const bool fits = encoding == XmlEncoding::Utf8 ? lower == "utf-8"
                      : lower == "utf-16" || lower == (encoding == XmlEncoding::Utf16BE ? "utf-16be" : "utf-16le");
    if (!fits)
        return refuse(QStringLiteral("text declared in the encoding \"%1\", not %2")
                          .arg(printable(name), encoding == XmlEncoding::Utf8 ? QStringLiteral("UTF-8")
                                                                              : QStringLiteral("UTF-16")));
    return encoding;
}

} // namespace platform
