#include "platform/plist_reader.h"
#include "platform/binary_plist.h"

#include <QDateTime>
#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <cctype>
#include <limits>
#include <vector>

namespace platform {

// Entries are appended in the order read, without the key search of
// Plist::insert (quadratic on a large dictionary); repeated keys are kept,
// and value() finds the first.
struct PlistReading {
    static void appendEntry(Plist& dict, QString&& key, Plist&& value)
    {
        dict.keys_.push_back(std::move(key));
        dict.items_.push_back(std::move(value));
    }

    // The XML spelling of a UID: a dictionary holding only an integer "CF$UID".
    static Plist uidOrDict(Plist&& dict)
    {
        if (dict.keys_.size() == 1 && dict.keys_[0] == QLatin1String("CF$UID")
            && dict.items_[0].type() == Plist::Type::Integer)
            return Plist::uid(quint64(dict.items_[0].toInteger()));
        return std::move(dict);
    }
};

namespace {

// Most objects visited and bytes made by one read, whatever the input size.
constexpr qint64 kMaxVisits = 8LL * 1000 * 1000;
constexpr qint64 kMaxMadeBytes = 512LL * 1024 * 1024;

class BinaryReader {
public:
    explicit BinaryReader(qint64 inputSize)
        : visitsLeft_(std::min(2 * inputSize + 1024, kMaxVisits)),
          bytesLeft_(std::min(4 * inputSize + 65536, kMaxMadeBytes))
    {
    }

    bplist::View view;
    QString error;

    std::optional<Plist> read(uint64_t object, int depth)
    {
        using Type = bplist::View::Type;
        if (depth > kMaxPlistDepth)
            return fail(QStringLiteral("nested deeper than %1 levels").arg(kMaxPlistDepth));
        if (--visitsLeft_ < 0)
            return fail(QStringLiteral("too many references for its size"));
        const bplist::View::Node n = view.node(object);
        switch (n.type) {
        case Type::Bool:
            return Plist::boolean(view.boolValue(n));
        case Type::Integer:
            return Plist::integer(view.integer(n));
        case Type::Real:
            return Plist::real(view.real(n));
        case Type::Date: {
            bplist::View::Node real = n;
            real.type = Type::Real;
            return Plist::dateSinceReference(view.real(real));
        }
        case Type::Uid:
            return Plist::uid(view.uid(n));
        case Type::Data: {
            auto it = data_.constFind(object);
            if (it != data_.constEnd())
                return Plist::data(*it);
            if (!spend(qint64(n.count)))
                return std::nullopt;
            return Plist::data(*data_.insert(object, view.data(n)));
        }
        case Type::Ascii:
        case Type::Utf16: {
            std::optional<QString> text = string(object, n);
            if (!text)
                return std::nullopt;
            return Plist::string(*text);
        }
        case Type::Array:
        case Type::Set: {
            Plist array = Plist::array();
            for (uint64_t i = 0; i < n.count; ++i) {
                const uint64_t ref = view.member(n, i);
                if (ref == bplist::kNone)
                    return fail(QStringLiteral("a reference out of range"));
                std::optional<Plist> item = read(ref, depth + 1);
                if (!item)
                    return std::nullopt;
                array.append(std::move(*item));
            }
            return array;
        }
        case Type::Dict: {
            Plist dict = Plist::dict();
            for (uint64_t i = 0; i < n.count; ++i) {
                const uint64_t keyRef = view.dictKey(n, i);
                const uint64_t valueRef = view.dictValue(n, i);
                if (keyRef == bplist::kNone || valueRef == bplist::kNone)
                    return fail(QStringLiteral("a reference out of range"));
                if (--visitsLeft_ < 0)
                    return fail(QStringLiteral("too many references for its size"));
                const bplist::View::Node keyNode = view.node(keyRef);
                if (keyNode.type != Type::Ascii && keyNode.type != Type::Utf16)
                    return fail(QStringLiteral("a dictionary key that is not a string"));
                std::optional<QString> key = string(keyRef, keyNode);
                if (!key)
                    return std::nullopt;
                std::optional<Plist> value = read(valueRef, depth + 1);
                if (!value)
                    return std::nullopt;
                PlistReading::appendEntry(dict, std::move(*key), std::move(*value));
            }
            return PlistReading::uidOrDict(std::move(dict));
        }
        case Type::Null:
        case Type::Invalid:
            break;
        }
        return fail(QStringLiteral("a damaged object"));
    }

private:
    std::nullopt_t fail(const QString& why)
    {
        if (error.isEmpty())
            error = why;
        return std::nullopt;
    }

    bool spend(qint64 bytes)
    {
        bytesLeft_ -= bytes;
        if (bytesLeft_ >= 0)
            return true;
        fail(QStringLiteral("too much content for its size"));
        return false;
    }

    // A string object is made once; further references share it.
    std::optional<QString> string(uint64_t object, const bplist::View::Node& n)
    {
        auto it = strings_.constFind(object);
        if (it != strings_.constEnd())
            return *it;
        if (!spend(2 * qint64(n.count)))
            return std::nullopt;
        return *strings_.insert(object, view.string(n));
    }

    qint64 visitsLeft_;
    qint64 bytesLeft_;
    QHash<uint64_t, QString> strings_;
    QHash<uint64_t, QByteArray> data_;
};

const QDateTime& referenceDate()
{
    static const QDateTime epoch(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return epoch;
}

// Integers as the writers spell them: decimal, optionally signed; "0x" hex
// is accepted. Values above the signed range keep their bits. Unreadable
// text reads as 0.
qint64 integerText(QStringView text)
{
    bool ok = false;
    if (text.startsWith(QLatin1String("0x")) || text.startsWith(QLatin1String("0X")))
        return qint64(text.mid(2).toULongLong(&ok, 16));
    if (text.startsWith(QLatin1Char('-'))) {
        const qint64 v = text.toLongLong(&ok);
        return ok ? v : 0;
    }
    const quint64 u = text.toULongLong(&ok);
    return ok ? qint64(u) : 0;
}

// XML 1.0 allows no control characters but tab, LF and CR, not even as
// references; the writer spells them "&#x1;" so that strings keep them.
// Before parsing, such references and raw control bytes become two
// characters the parser accepts: U+FDD0, then U+E000 plus the code (U+FDD0
// itself becomes U+FDD0 U+FDD0); text read back is unescaped. CDATA
// sections and comments are copied as they are.
constexpr char16_t kEscape = 0xFDD0;

void appendEscaped(QByteArray& out, uint32_t code)
{
    out.append("\xEF\xB7\x90", 3); // U+FDD0
    if (code == kEscape)
        out.append("\xEF\xB7\x90", 3);
    else
        out.append("\xEE\x80").append(char(0x80 + code)); // U+E000 + code, code < 0x20
}

bool isControl(uint32_t code)
{
    return code < 0x20 && code != '\t' && code != '\n' && code != '\r';
}

QByteArray escapeControls(const QByteArray& in, bool* changed)
{
    *changed = false;
    QByteArray out;
    out.reserve(in.size());
    const char* p = in.constData();
    const qsizetype n = in.size();
    auto copyThrough = [&](qsizetype& i, const char* end) {
        const qsizetype stop = in.indexOf(end, i);
        const qsizetype to = stop < 0 ? n : stop + qsizetype(qstrlen(end));
        out.append(p + i, to - i);
        i = to;
    };
    for (qsizetype i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(p[i]);
        if (c == '<' && QByteArrayView(p + i, n - i).startsWith("<![CDATA[")) {
            copyThrough(i, "]]>");
            continue;
        }
        if (c == '<' && QByteArrayView(p + i, n - i).startsWith("<!--")) {
            copyThrough(i, "-->");
            continue;
        }
        if (isControl(c)) {
            appendEscaped(out, c);
            *changed = true;
            ++i;
            continue;
        }
        if (c == 0xEF && i + 2 < n && static_cast<unsigned char>(p[i + 1]) == 0xB7
            && static_cast<unsigned char>(p[i + 2]) == 0x90) {
            appendEscaped(out, kEscape);
            *changed = true;
            i += 3;
            continue;
        }
        if (c == '&' && i + 3 < n && p[i + 1] == '#') {
            const bool hex = p[i + 2] == 'x';
            const qsizetype start = i + (hex ? 3 : 2);
            qsizetype j = start;
            while (j < n && j - start < 8 && (hex ? std::isxdigit(static_cast<unsigned char>(p[j]))
                                                  : std::isdigit(static_cast<unsigned char>(p[j]))))
                ++j;
            bool ok = false;
            const uint32_t code = j < n && p[j] == ';' ? QByteArray(p + start, j - start).toUInt(&ok, hex ? 16 : 10) : 0;
            if (ok && (isControl(code) || code == kEscape)) {
                appendEscaped(out, code);
                *changed = true;
                i = j + 1;
                continue;
            }
        }
        out.append(char(c));
        ++i;
    }
    return out;
}

QString unescapeControls(const QString& text)
{
    if (!text.contains(QChar(kEscape)))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c != kEscape || i + 1 == text.size()) {
            out.append(QChar(c));
            continue;
        }
        const char16_t next = text[++i].unicode();
        out.append(next >= 0xE000 && next < 0xE020 ? QChar(char16_t(next - 0xE000)) : QChar(next));
    }
    return out;
}

// Reals in the C locale; infinities spelled "inf" or "infinity", with a
// sign or not. Unreadable text reads as 0.
double realText(QStringView text)
{
    bool ok = false;
    const double r = text.toDouble(&ok);
    if (ok)
        return r;
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative || text.startsWith(QLatin1Char('+')))
        text = text.mid(1);
    if (text.compare(QLatin1String("infinity"), Qt::CaseInsensitive) == 0
        || text.compare(QLatin1String("inf"), Qt::CaseInsensitive) == 0)
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    return 0.0;
}

} // namespace

std::optional<Plist> readBinaryPlist(const QByteArray& bytes, QString* error)
{
    BinaryReader reader(bytes.size());
    std::optional<Plist> value;
    if (!reader.view.open(bytes))
        reader.error = QStringLiteral("a damaged binary property list");
    else
        value = reader.read(reader.view.top(), 0);
    if (!value && error)
        *error = QStringLiteral("not a property list: ") + reader.error;
    return value;
}

std::optional<Plist> readXmlPlist(const QByteArray& bytes, QString* error)
{
    struct Frame {
        Plist value;
        QString key;
        bool haveKey = false;
    };
    auto fail = [error](const QString& why) -> std::optional<Plist> {
        if (error)
            *error = QStringLiteral("not a property list: ") + why;
        return std::nullopt;
    };
    // Every element takes at least four bytes ("<a/>").
    const qint64 elementBudget = std::min<qint64>(bytes.size() / 4 + 16, kMaxVisits);
    qint64 elements = 0;
    std::vector<Frame> stack;
    std::optional<Plist> root;
    bool inPlist = false;
    bool escaped = false;
    QXmlStreamReader xml(escapeControls(bytes, &escaped));
    auto textOf = [&] { return escaped ? unescapeControls(xml.readElementText()) : xml.readElementText(); };

    // Places a finished value in its container, or as the top value.
    auto attach = [&](Plist&& value) -> bool {
        if (stack.empty()) {
            if (root)
                return false;
            root = std::move(value);
            return true;
        }
        Frame& top = stack.back();
        if (top.value.isArray()) {
            top.value.append(std::move(value));
            return true;
        }
        if (!top.haveKey)
            return false;
        PlistReading::appendEntry(top.value, std::move(top.key), std::move(value));
        top.key = QString();
        top.haveKey = false;
        return true;
    };

    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            const QStringView name = xml.name();
            if (name == QLatin1String("plist")) {
                inPlist = false;
                continue;
            }
            if (stack.empty())
                return fail(QStringLiteral("an unexpected end tag"));
            Frame frame = std::move(stack.back());
            stack.pop_back();
            if (frame.haveKey)
                return fail(QStringLiteral("a key without a value"));
            if (!attach(frame.value.isDict() ? PlistReading::uidOrDict(std::move(frame.value)) : std::move(frame.value)))
                return fail(QStringLiteral("more than one top value"));
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (++elements > elementBudget)
            return fail(QStringLiteral("too many elements"));
        const QString name = xml.name().toString();
        if (name == QLatin1String("plist") && stack.empty() && !root && !inPlist) {
            inPlist = true;
            continue;
        }
        if (!stack.empty() && stack.back().value.isDict() && !stack.back().haveKey) {
            if (name != QLatin1String("key"))
                return fail(QStringLiteral("a dictionary value without a key"));
            stack.back().key = textOf();
            stack.back().haveKey = true;
            continue;
        }
        if (name == QLatin1String("array") || name == QLatin1String("dict")) {
            if (stack.size() >= size_t(kMaxPlistDepth))
                return fail(QStringLiteral("nested deeper than %1 levels").arg(kMaxPlistDepth));
            stack.push_back(Frame{name == QLatin1String("array") ? Plist::array() : Plist::dict(), {}, false});
            continue;
        }
        const QString text = textOf();
        if (xml.hasError())
            break;
        Plist value;
        if (name == QLatin1String("string")) {
            value = Plist::string(text);
        } else if (name == QLatin1String("integer")) {
            value = Plist::integer(integerText(QStringView(text).trimmed()));
        } else if (name == QLatin1String("real")) {
            value = Plist::real(realText(QStringView(text).trimmed()));
        } else if (name == QLatin1String("true") || name == QLatin1String("false")) {
            value = Plist::boolean(name == QLatin1String("true"));
        } else if (name == QLatin1String("date")) {
            const QDateTime when = QDateTime::fromString(text.trimmed(), Qt::ISODate);
            value = Plist::dateSinceReference(when.isValid() ? double(referenceDate().msecsTo(when)) / 1000.0 : 0.0);
        } else if (name == QLatin1String("data")) {
            value = Plist::data(QByteArray::fromBase64(text.toLatin1()));
        } else {
            return fail(QStringLiteral("an unknown element <%1>").arg(name.left(64)));
        }
        if (!attach(std::move(value)))
            return fail(QStringLiteral("more than one top value"));
    }
    if (xml.hasError())
        return fail(xml.errorString());
    if (!stack.empty() || !root)
        return fail(QStringLiteral("no complete value"));
    return root;
}

} // namespace platform
