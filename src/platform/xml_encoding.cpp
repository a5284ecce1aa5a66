#include "platform/xml_encoding.h"

#include <QByteArray>
#include <QStringDecoder>

#include <algorithm>

namespace platform {
namespace {

const QString kRead = QStringLiteral(", not in UTF-8, UTF-16 or Latin-1");

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool digit(char c) { return c >= '0' && c <= '9'; }

QString printable(QByteArrayView name)
{
    QString out;
    for (const char c : name.first(std::min<qsizetype>(name.size(), 40)))
        out.append(c >= 0x20 && c < 0x7F ? QChar::fromLatin1(c) : QChar(u'?'));
    return out;
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

// The names of EBCDIC code pages: "EBCDIC-...", and IBM, CP or IBM- with
// the number of one of the common pages.
bool ebcdicName(const QByteArray& lower)
{
    if (lower.startsWith("ebcdic"))
        return true;
    QByteArray number = lower.startsWith("ibm-") ? lower.mid(4)
                        : lower.startsWith("ibm") || lower.startsWith("cp") ? lower.mid(lower.startsWith("cp") ? 2 : 3)
                                                                            : QByteArray();
    while (number.startsWith('0'))
        number.remove(0, 1);
    bool ok = false;
    const int page = number.toInt(&ok);
    static constexpr int kPages[] = {37, 273, 277, 278, 280, 284, 285, 290, 297, 420, 424, 500, 870, 871, 875, 1025, 1026, 1047};
    return ok && (std::find(std::begin(kPages), std::end(kPages), page) != std::end(kPages) || (page >= 1140 && page <= 1149));
}

struct Declaration {
    bool present = false;
    QByteArray encoding; // as written; empty when not declared
};

// Reads the XML declaration at the start of `text` (ASCII: the declaration
// of a UTF-16 document with its units narrowed). Per XML 1.0:
//   '<?xml' S 'version' Eq '1.' [0-9]+ (S 'encoding' Eq EncName)? (S 'standalone' Eq ('yes'|'no'))? S? '?>'
// with each value in single or double quotes. Anything else is refused
// with what is wrong.
bool readDeclaration(const QByteArray& text, Declaration* out, QString* wrong)
{
    qsizetype i = 0;
    while (i < text.size() && blank(text[i]))
        ++i;
    if (!text.mid(i).startsWith("<?xml") || i + 5 >= text.size() || !(blank(text[i + 5]) || text[i + 5] == '?'))
        return true;
    if (i > 0) {
        *wrong = QStringLiteral("it does not start the document");
        return false;
    }
    out->present = true;
    const qsizetype end = text.indexOf("?>");
    if (end < 0) {
        *wrong = QStringLiteral("it is not closed within %1 bytes").arg(kXmlEncodingHead);
        return false;
    }
    static const char* const kNames[] = {"version", "encoding", "standalone"};
    int next = 0; // the first pseudo-attribute that may still come
    qsizetype p = 5;
    for (;;) {
        const qsizetype spaced = p;
        while (p < end && blank(text[p]))
            ++p;
        if (p == end)
            break;
        if (p == spaced) {
            *wrong = QStringLiteral("no blank before \"%1\"").arg(printable(QByteArrayView(text).sliced(p, std::min<qsizetype>(end - p, 12))));
            return false;
        }
        const qsizetype nameStart = p;
        while (p < end && letter(text[p]))
            ++p;
        const QByteArray name = text.mid(nameStart, p - nameStart);
        int index = 0;
        while (index < 3 && name != kNames[index])
            ++index;
        if (index == 3) {
            *wrong = QStringLiteral("\"%1\" where version, encoding or standalone belongs").arg(printable(name.isEmpty() ? text.mid(p, 1) : name));
            return false;
        }
        if (index < next) {
            *wrong = QStringLiteral("\"%1\" given twice or out of order").arg(printable(name));
            return false;
        }
        if (next == 0 && index != 0) {
            *wrong = QStringLiteral("no version first");
            return false;
        }
        next = index + 1;
        while (p < end && blank(text[p]))
            ++p;
        if (p == end || text[p] != '=') {
            *wrong = QStringLiteral("\"%1\" without a value").arg(printable(name));
            return false;
        }
        ++p;
        while (p < end && blank(text[p]))
            ++p;
        const qsizetype close = p < end && (text[p] == '"' || text[p] == '\'') ? text.indexOf(text[p], p + 1) : -1;
        if (close < 0 || close > end) {
            *wrong = QStringLiteral("the value of \"%1\" not in quotes").arg(printable(name));
            return false;
        }
        const QByteArray value = text.mid(p + 1, close - p - 1);
        bool ok = false;
        if (index == 0) {
            ok = value.size() > 2 && value.startsWith("1.") && std::all_of(value.begin() + 2, value.end(), digit);
        } else if (index == 1) {
            ok = !value.isEmpty() && letter(value[0]) && std::all_of(value.begin(), value.end(), [](char c) {
                return letter(c) || digit(c) || c == '.' || c == '_' || c == '-';
            });
            out->encoding = value;
        } else {
            ok = value == "yes" || value == "no";
        }
        if (!ok) {
            *wrong = QStringLiteral("%1 \"%2\"").arg(QLatin1String(kNames[index]), printable(value));
            return false;
        }
        p = close + 1;
    }
    if (next == 0) {
        *wrong = QStringLiteral("no version");
        return false;
    }
    return true;
}

std::optional<XmlEncoding> singleByte(const QByteArray& lower)
{
    static const char* const kAscii[] = {"us-ascii", "ascii", "ansi_x3.4-1968", "iso646-us", "csascii", "iso-ir-6",
                                         "cp367", "ibm367", "us"};
    static const char* const kLatin1[] = {"iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "latin-1", "l1",
                                          "iso-ir-100", "cp819", "ibm819", "csisolatin1", "8859-1"};
    static const char* const kWindows[] = {"windows-1252", "cp1252", "x-cp1252", "cp-1252"};
    auto in = [&](const auto& names) {
        return std::any_of(std::begin(names), std::end(names), [&](const char* n) { return lower == n; });
    };
    if (in(kAscii))
        return XmlEncoding::Ascii;
    if (in(kLatin1))
        return XmlEncoding::Latin1;
    if (in(kWindows))
        return XmlEncoding::Windows1252;
    return std::nullopt;
}

} // namespace

std::optional<XmlEncoding> xmlEncoding(QByteArrayView head, QString* reason)
{
    auto refuse = [reason](const QString& why) -> std::optional<XmlEncoding> {
        if (reason)
            *reason = why;
        return std::nullopt;
    };
    const QByteArrayView start = head.first(std::min<qsizetype>(head.size(), 4));
    if (start.startsWith(QByteArrayView("\xFF\xFE\x00\x00", 4)) || start.startsWith(QByteArrayView("\x00\x00\xFE\xFF", 4)))
        return refuse(QStringLiteral("text written in UTF-32") + kRead);
    enum class Mark { None, Utf8, Utf16LE, Utf16BE } mark = Mark::None;
    if (start.startsWith("\xEF\xBB\xBF"))
        mark = Mark::Utf8;
    else if (start.startsWith("\xFE\xFF"))
        mark = Mark::Utf16BE;
    else if (start.startsWith("\xFF\xFE"))
        mark = Mark::Utf16LE;
    else if (start.contains('\0'))
        // '<' or a blank next to zero bytes: UTF-16 or UTF-32 without a mark.
        return refuse(QStringLiteral("text written in UTF-16 or UTF-32 without a byte-order mark") + kRead);
    else if (ebcdic(head))
        return refuse(QStringLiteral("text written in EBCDIC") + kRead);

    // The declaration in ASCII: UTF-16 units outside it become '?'.
    const qsizetype skip = std::min<qsizetype>(mark == Mark::Utf8 ? 3 : mark == Mark::None ? 0 : 2, head.size());
    const QByteArrayView rest = head.sliced(skip).first(std::min<qsizetype>(head.size() - skip, kXmlEncodingHead));
    QByteArray text;
    if (mark == Mark::Utf16LE || mark == Mark::Utf16BE) {
        const bool big = mark == Mark::Utf16BE;
        for (qsizetype i = 0; i + 1 < rest.size(); i += 2) {
            const char high = rest[i + (big ? 0 : 1)];
            const char low = rest[i + (big ? 1 : 0)];
            text.append(high == 0 && static_cast<unsigned char>(low) < 0x80 ? low : '?');
        }
    } else {
        text = rest.toByteArray();
    }
    Declaration declaration;
    QString wrong;
    if (!readDeclaration(text, &declaration, &wrong))
        return refuse(QStringLiteral("an XML declaration that is not well-formed (%1)").arg(wrong));
    const QByteArray lower = declaration.encoding.toLower();
    const bool utf8 = lower.isEmpty() || lower == "utf-8" || lower == "utf8";
    if (mark == Mark::Utf16LE || mark == Mark::Utf16BE) {
        if (lower.isEmpty() || lower == "utf-16" || lower == (mark == Mark::Utf16BE ? "utf-16be" : "utf-16le"))
            return mark == Mark::Utf16BE ? XmlEncoding::Utf16BE : XmlEncoding::Utf16LE;
        return refuse(QStringLiteral("text marked as UTF-16 but declared in the encoding \"%1\"").arg(printable(declaration.encoding)));
    }
    if (utf8)
        return XmlEncoding::Utf8;
    if (mark == Mark::Utf8)
        return refuse(QStringLiteral("text marked as UTF-8 but declared in the encoding \"%1\"").arg(printable(declaration.encoding)));
    if (const std::optional<XmlEncoding> single = singleByte(lower))
        return single;
    if (ebcdicName(lower))
        return refuse(QStringLiteral("text written in EBCDIC (\"%1\")").arg(printable(declaration.encoding)) + kRead);
    if (lower.startsWith("utf-16"))
        return refuse(QStringLiteral("text declared in the encoding \"%1\" without a byte-order mark").arg(printable(declaration.encoding)));
    return refuse(QStringLiteral("text declared in the encoding \"%1\"").arg(printable(declaration.encoding)) + kRead);
}

std::optional<char16_t> windows1252(unsigned char byte)
{
    constexpr char16_t kUndefined = 0;
    static constexpr char16_t kHigh[32] = {0x20AC, kUndefined, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030,     0x0160, 0x2039, 0x0152, kUndefined, 0x017D, kUndefined,
                                           kUndefined, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122,     0x0161, 0x203A, 0x0153, kUndefined, 0x017E, 0x0178};
    if (byte < 0x80 || byte >= 0xA0)
        return char16_t(byte);
    if (kHigh[byte - 0x80] == kUndefined)
        return std::nullopt;
    return kHigh[byte - 0x80];
}

QString undefinedWindows1252(unsigned char byte)
{
    return QStringLiteral("text declared in windows-1252 holding the byte 0x%1, which it leaves undefined")
        .arg(QString::number(byte, 16).toUpper());
}

bool XmlTextDecoder::decode(QByteArrayView bytes, QString& out, bool last, QString* reason)
{
    QByteArray joined;
    if (!carry_.isEmpty()) {
        joined = carry_;
        joined.append(bytes);
        bytes = joined;
        carry_.clear();
    }
    const bool utf16 = encoding_ == XmlEncoding::Utf16LE || encoding_ == XmlEncoding::Utf16BE;
    if (!started_) {
        const qsizetype mark = encoding_ == XmlEncoding::Utf8 ? 3 : utf16 ? 2 : 0;
        if (bytes.size() < mark && !last) {
            carry_ = bytes.toByteArray();
            return true;
        }
        started_ = true;
        if (mark == 3 && bytes.startsWith("\xEF\xBB\xBF"))
            bytes = bytes.sliced(3);
        else if (mark == 2 && bytes.size() >= 2 && (bytes.startsWith("\xFE\xFF") || bytes.startsWith("\xFF\xFE")))
            bytes = bytes.sliced(2);
    }
    auto refuse = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    switch (encoding_) {
    case XmlEncoding::Utf8:
    case XmlEncoding::Utf16LE:
    case XmlEncoding::Utf16BE: {
        qsizetype keep = 0; // bytes of a cut character left for the next piece
        if (!last && encoding_ == XmlEncoding::Utf8) {
            for (qsizetype back = 1; back <= std::min<qsizetype>(3, bytes.size()); ++back) {
                const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
                if ((c & 0xC0) == 0x80)
                    continue;
                const qsizetype length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
                if (length > back)
                    keep = back;
                break;
            }
        } else if (!last) {
            keep = bytes.size() % 2;
            if (bytes.size() - keep >= 2) {
                const qsizetype at = bytes.size() - keep - 2;
                const char16_t unit = encoding_ == XmlEncoding::Utf16BE
                    ? char16_t((static_cast<unsigned char>(bytes[at]) << 8) | static_cast<unsigned char>(bytes[at + 1]))
                    : char16_t((static_cast<unsigned char>(bytes[at + 1]) << 8) | static_cast<unsigned char>(bytes[at]));
                if (QChar::isHighSurrogate(unit))
                    keep += 2;
            }
        }
        carry_ = bytes.last(keep).toByteArray();
        QStringDecoder decoder(encoding_ == XmlEncoding::Utf8     ? QStringConverter::Utf8
                               : encoding_ == XmlEncoding::Utf16LE ? QStringConverter::Utf16LE
                                                                   : QStringConverter::Utf16BE,
                               QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        out.append(decoder(bytes.first(bytes.size() - keep)));
        if (decoder.hasError())
            return refuse(encoding_ == XmlEncoding::Utf8 ? QStringLiteral("text that is not valid UTF-8")
                                                         : QStringLiteral("text that is not valid UTF-16"));
        return true;
    }
    case XmlEncoding::Ascii: {
        const auto high = std::find_if(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        if (high != bytes.end())
            return refuse(QStringLiteral("text declared in US-ASCII holding the byte 0x%1")
                              .arg(QString::number(static_cast<unsigned char>(*high), 16).toUpper()));
        out.append(QLatin1StringView(bytes.data(), bytes.size()));
        return true;
    }
    case XmlEncoding::Latin1:
        out.append(QLatin1StringView(bytes.data(), bytes.size()));
        return true;
    case XmlEncoding::Windows1252: {
        const qsizetype at = out.size();
        out.resize(at + bytes.size());
        QChar* to = out.data() + at;
        for (const char c : bytes) {
            const std::optional<char16_t> u = windows1252(static_cast<unsigned char>(c));
            if (!u)
                return refuse(undefinedWindows1252(static_cast<unsigned char>(c)));
            *to++ = QChar(*u);
        }
        return true;
    }
    }
    return true;
}

} // namespace platform
