#include "platform/plist_reader.h"
#include "platform/binary_plist.h"
#include "platform/xml_encoding.h"

#include <QDateTime>
#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Containers are made from the values read, in their order, without the
// key search of Plist::insert (quadratic on a large dictionary); repeated
// keys are kept, and value() finds the first.
struct PlistReading {
    static void appendEntry(Plist& dict, QString&& key, Plist&& value)
    {
        dict.keys_.push_back(std::move(key));
        dict.items_.push_back(std::move(value));
    }

    // An array of the values, or a dictionary of the keys and values, taken
    // from the ends of the lists given.
    static Plist container(bool isArray, std::vector<Plist>& values, size_t first, std::vector<QString>& keys,
                           size_t firstKey)
    {
        Plist v = isArray ? Plist::array() : Plist::dict();
        v.items_.assign(std::make_move_iterator(values.begin() + qsizetype(first)),
                        std::make_move_iterator(values.end()));
        values.resize(first);
        if (!isArray) {
            v.keys_.assign(std::make_move_iterator(keys.begin() + qsizetype(firstKey)),
                           std::make_move_iterator(keys.end()));
            keys.resize(firstKey);
        }
        return v;
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

// XML 1.0 carries no control characters but tab, LF and CR, no U+FFFE or
// U+FFFF and no unpaired surrogates, not even as references; the writer
// spells them "&#x1;", "&#xfffe;", "&#xd800;" so that strings keep them.
// Before the general reader sees the text, such references and raw control
// characters (and a raw U+FFFE or U+FFFF) become two characters it accepts:
// U+FDD0, then a private character standing for the code (U+FDD0 itself
// becomes U+FDD0 U+FDD0); text read back is unescaped. CDATA sections are
// copied as they are.
constexpr char16_t kEscape = 0xFDD0;

bool isControl(uint32_t code)
{
    return code < 0x20 && code != '\t' && code != '\n' && code != '\r';
}

bool isEscaped(uint32_t code)
{
    return isControl(code) || code == kEscape || code == 0xFFFE || code == 0xFFFF || (code >= 0xD800 && code < 0xE000);
}

// The private character that stands for an escaped code, and back.
char16_t standIn(uint32_t code)
{
    if (code < 0x20)
        return char16_t(0xE000 + code);
    if (code >= 0xFFFE)
        return char16_t(0xE020 + (code - 0xFFFE));
    if (code >= 0xD800 && code < 0xE000)
        return char16_t(0xE800 + (code - 0xD800));
    return char16_t(code);
}

char16_t standsFor(char16_t c)
{
    if (c >= 0xE000 && c < 0xE020)
        return char16_t(c - 0xE000);
    if (c == 0xE020 || c == 0xE021)
        return char16_t(0xFFFE + (c - 0xE020));
    if (c >= 0xE800 && c < 0xF000)
        return char16_t(0xD800 + (c - 0xE800));
    return c;
}

void appendEscaped(QString& out, uint32_t code)
{
    out.append(QChar(kEscape)).append(QChar(standIn(code)));
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
        out.append(QChar(standsFor(text[++i].unicode())));
    }
    return out;
}

// Prepares the decoded text of a document for the general XML reader, piece
// by piece: the escapes above; comments left out, and blanks between
// elements where they are not a value's content (in the prolog, after an
// end tag or an empty element, inside <plist>, <array> and <dict>), so that
// a document that is mostly a comment or blank lines costs the reader
// nothing; a document type with an internal subset refused (property
// lists never declare anything of their own, entities could expand a few
// bytes into gigabytes, and the reader takes time quadratic in the
// declarations); and an element with more than one attribute refused (a
// property-list element has at most one, and the reader checks each
// attribute against every earlier one of its element).
class TextForReader {
public:
    // Appends the prepared text of what was kept from before and `in` to
    // `out`; markup cut at the end of `in` is kept for the next piece.
    // False at markup a property list never holds; refusal() says which.
    bool feed(QStringView in, QString& out, bool last)
    {
        QString joined;
        if (!carry_.isEmpty()) {
            joined = carry_;
            joined.append(in);
            in = joined;
            carry_.clear();
        }
        const qsizetype n = in.size();
        qsizetype i = 0;
        auto keep = [&] {
            carry_ = in.sliced(i).toString();
            return true;
        };
        // The end of a comment, CDATA section or processing instruction:
        // copied (or not) up to and past it; a cut end is kept.
        auto through = [&](QLatin1StringView end, bool copy) {
            const qsizetype at = in.indexOf(end, i);
            const qsizetype to = at >= 0 ? at + end.size() : last ? n : std::max(i, n - end.size() + 1);
            if (copy)
                out.append(in.sliced(i, to - i));
            else if (at < 0 && last)
                out.append(QLatin1StringView("<!--")); // unterminated: the reader refuses it
            i = to;
            if (at >= 0)
                state_ = State::Text;
        };
        while (i < n) {
            switch (state_) {
            case State::Comment:
            case State::Cdata:
            case State::Pi:
                through(QLatin1StringView(state_ == State::Comment ? "-->" : state_ == State::Cdata ? "]]>" : "?>"),
                        state_ != State::Comment);
                if (state_ != State::Text && !last)
                    return keep();
                continue;
            case State::Doctype:
            case State::Tag: {
                const QChar c = in[i++];
                if (!quote_.isNull()) {
                    if (c == quote_) {
                        quote_ = QChar();
                        // In a tag, the end of an attribute's value.
                        if (state_ == State::Tag && ++attributes_ > 1)
                            return refuse("an element with more than one attribute");
                    }
                } else if (c == u'"' || c == u'\'') {
                    quote_ = c;
                } else if (c == u'[' && state_ == State::Doctype) {
                    return refuse("a document type that declares entities or other markup");
                } else if (c == u'>') {
                    if (state_ == State::Tag) {
                        const bool empty = previous_ == u'/';
                        significant_ = !endTag_ && !empty && name_ != QLatin1StringView("plist")
                            && name_ != QLatin1StringView("array") && name_ != QLatin1StringView("dict");
                    }
                    state_ = State::Text;
                } else if (state_ == State::Tag && !nameDone_) {
                    if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'/')
                        nameDone_ = true;
                    else if (name_.size() <= kLongestName)
                        name_.append(c);
                }
                if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n')
                    previous_ = c;
                if (isEscaped(c.unicode()) && !c.isSurrogate())
                    appendEscaped(out, c.unicode());
                else
                    out.append(c);
                continue;
            }
            case State::Text:
                break;
            }
            const char16_t c = in[i].unicode();
            if (c == u'<') {
                if (n - i < 9 && !last)
                    return keep();
                const QStringView at = in.sliced(i);
                if (at.startsWith(QLatin1StringView("<!--"))) {
                    state_ = State::Comment;
                    i += 4;
                    continue;
                }
                if (at.startsWith(QLatin1StringView("<![CDATA["))) {
                    state_ = State::Cdata;
                } else if (at.startsWith(QLatin1StringView("<!DOCTYPE"))) {
                    state_ = State::Doctype;
                } else if (at.startsWith(QLatin1StringView("<?"))) {
                    state_ = State::Pi;
                    out.append(QLatin1StringView("<?"));
                    i += 2;
                    continue;
                } else {
                    state_ = State::Tag;
                    endTag_ = at.startsWith(QLatin1StringView("</"));
                    name_.clear();
                    nameDone_ = false;
                    attributes_ = 0;
                    previous_ = QChar();
                    out.append(QLatin1StringView(endTag_ ? "</" : "<"));
                    i += endTag_ ? 2 : 1;
                    continue;
                }
                const qsizetype length = 9;
                out.append(in.sliced(i, length));
                i += length;
                continue;
            }
            if (c == u'&') {
                if (n - i < 12 && !last)
                    return keep();
                if (const std::optional<uint32_t> code = reference(in, i)) {
                    appendEscaped(out, *code);
                    continue;
                }
                out.append(QChar(c));
                ++i;
                continue;
            }
            const bool blank = c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
            if (blank && !significant_) {
                ++i;
                continue;
            }
            if (!blank && c != u'<' && isEscaped(c) && !QChar::isSurrogate(c)) {
                appendEscaped(out, c);
                ++i;
                continue;
            }
            // A run of characters that need nothing.
            qsizetype j = i + 1;
            while (j < n) {
                const char16_t d = in[j].unicode();
                if (d == u'<' || d == u'&' || (!significant_ && (d == u' ' || d == u'\t' || d == u'\r' || d == u'\n'))
                    || (isEscaped(d) && !QChar::isSurrogate(d)))
                    break;
                ++j;
            }
            out.append(in.sliced(i, j - i));
            i = j;
        }
        return true;
    }

    const QString& refusal() const { return refusal_; }

private:
    enum class State { Text, Comment, Cdata, Pi, Doctype, Tag };
    // Names are kept as far as they tell "plist", "array" and "dict" apart
    // from longer ones.
    static constexpr qsizetype kLongestName = 5;

    bool refuse(const char* why)
    {
        refusal_ = QString::fromLatin1(why);
        return false;
    }

    // A character reference to a code the reader refuses, at in[i] ('&'):
    // the code, and i past it; nullopt (i unchanged) for anything else.
    static std::optional<uint32_t> reference(QStringView in, qsizetype& i)
    {
        const qsizetype n = in.size();
        if (i + 3 >= n || in[i + 1] != u'#')
            return std::nullopt;
        const bool hex = in[i + 2] == u'x';
        const qsizetype start = i + (hex ? 3 : 2);
        qsizetype j = start;
        while (j < n && j - start < 8 && (hex ? isxdigit(in[j]) : in[j].isDigit() && in[j].unicode() < 0x80))
            ++j;
        if (j == start || j >= n || in[j] != u';')
            return std::nullopt;
        bool ok = false;
        const uint32_t code = in.sliced(start, j - start).toUInt(&ok, hex ? 16 : 10);
        if (!ok || !isEscaped(code))
            return std::nullopt;
        i = j + 1;
        return code;
    }
    static bool isxdigit(QChar c)
    {
        const char16_t u = c.unicode();
        return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
    }

    State state_ = State::Text;
    bool significant_ = false; // text here is a value's content
    QChar quote_;              // in a tag or document type: the open quote
    bool endTag_ = false;
    bool nameDone_ = false;
    QString name_;
    int attributes_ = 0;       // of the tag being read
    QChar previous_;           // the last character of a tag other than a blank
    QString carry_;
    QString refusal_;
};

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


// The values being read: the open arrays and dictionaries, innermost last,
// and the values and keys each holds so far, all in one list, so that every
// container is made once at its full size when it closes.
class XmlTree {
public:
    std::optional<Plist> root;

    bool empty() const { return frames_.empty(); }
    size_t depth() const { return frames_.size(); }
    bool inArray() const { return frames_.back().isArray; }
    // The innermost open container is a dictionary whose next item is a key.
    bool wantsKey() const { return !frames_.empty() && !frames_.back().isArray && !frames_.back().haveKey; }
    // Its last key still waits for its value.
    bool keyPending() const { return frames_.back().haveKey; }

    void open(bool isArray) { frames_.push_back(Frame{isArray, values_.size(), keys_.size(), false}); }
    void key(QString&& key)
    {
        keys_.push_back(std::move(key));
        frames_.back().haveKey = true;
    }

    // Places a finished value in its container, or as the top value; false
    // when it has no place (a second top value, a dictionary value without a
    // key).
    bool attach(Plist&& value)
    {
        if (frames_.empty()) {
            if (root)
                return false;
            root = std::move(value);
            return true;
        }
        Frame& top = frames_.back();
        if (!top.isArray && !top.haveKey)
            return false;
        top.haveKey = false;
        values_.push_back(std::move(value));
        return true;
    }

    // Closes the innermost container (not waiting for a value) into its place.
    bool close()
    {
        const Frame top = frames_.back();
        frames_.pop_back();
        Plist value = PlistReading::container(top.isArray, values_, top.firstValue, keys_, top.firstKey);
        return attach(top.isArray ? std::move(value) : PlistReading::uidOrDict(std::move(value)));
    }

private:
    struct Frame {
        bool isArray;
        size_t firstValue;
        size_t firstKey;
        bool haveKey;
    };
    std::vector<Frame> frames_;
    std::vector<Plist> values_;
    std::vector<QString> keys_;
};

// Files written the plain way (ours, and most other writers' too) are read by
// a direct scan, which builds the same values as the general reader below.
// Whatever the scan does not know or finds wrong (comments, CDATA,
// attributes, other declarations, CR, characters outside the plain set,
// broken structure) sends the whole document to the general reader, which
// gives the same result or the reason for the refusal.
class PlainXmlReader {
public:
    explicit PlainXmlReader(const QByteArray& bytes)
        : p_(bytes.constData()),
          end_(bytes.constData() + bytes.size()),
          elementsLeft_(std::min<qint64>(bytes.size() / 4 + 16, kMaxVisits))
    {
    }

    // Nullopt: not a plain document.
    std::optional<Plist> read()
    {
        if (!take("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"))
            return std::nullopt;
        space();
        if (take("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                 "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"))
            space();
        if (!take("<plist version=\"1.0\">"))
            return std::nullopt;
        --elementsLeft_; // the general reader counts <plist> as well
        for (;;) {
            space();
            if (end_ - p_ < 2 || *p_ != '<')
                return std::nullopt;
            if (p_[1] == '/') {
                if (take("</plist>")) {
                    space();
                    if (p_ != end_ || !tree_.empty() || !tree_.root)
                        return std::nullopt;
                    return std::move(tree_.root);
                }
                const bool array = take("</array>");
                if (!array && !take("</dict>"))
                    return std::nullopt;
                if (tree_.empty() || tree_.inArray() != array || tree_.keyPending() || !tree_.close())
                    return std::nullopt;
                continue;
            }
            ++p_;
            const char* name = p_;
            while (p_ < end_ && *p_ >= 'a' && *p_ <= 'z')
                ++p_;
            const std::string_view tag(name, size_t(p_ - name));
            bool empty = false;
            if (take("/>"))
                empty = true;
            else if (!take(">"))
                return std::nullopt;
            if (--elementsLeft_ < 0)
                return std::nullopt;
            if (tree_.wantsKey()) {
                if (tag != "key" || empty || !key())
                    return std::nullopt;
                continue;
            }
            if (tag == "array" || tag == "dict") {
                if (empty) {
                    if (!tree_.attach(tag == "array" ? Plist::array() : Plist::dict()))
                        return std::nullopt;
                } else {
                    if (tree_.depth() >= size_t(kMaxPlistDepth))
                        return std::nullopt;
                    tree_.open(tag == "array");
                }
                continue;
            }
            std::optional<Plist> value = scalar(tag, empty);
            if (!value || !tree_.attach(std::move(*value)))
                return std::nullopt;
        }
    }

private:
    bool take(std::string_view literal)
    {
        if (size_t(end_ - p_) < literal.size() || std::memcmp(p_, literal.data(), literal.size()) != 0)
            return false;
        p_ += literal.size();
        return true;
    }

    void space()
    {
        while (p_ < end_ && (*p_ == ' ' || *p_ == '\t' || *p_ == '\n'))
            ++p_;
    }

    std::optional<Plist> scalar(std::string_view tag, bool empty)
    {
        if (tag == "true" || tag == "false")
            return empty ? std::optional<Plist>(Plist::boolean(tag == "true")) : std::nullopt;
        if (tag == "data") {
            const char* start = p_;
            if (!empty && !skipAscii("</data>"))
                return std::nullopt;
            return Plist::data(QByteArray::fromBase64(QByteArray::fromRawData(start, p_ - start - (empty ? 0 : 7))));
        }
        QString content;
        const bool known = tag == "string" || tag == "integer" || tag == "real" || tag == "date";
        if (!known || (!empty && !text("</" + std::string(tag) + ">", &content)))
            return std::nullopt;
        if (tag == "string")
            return Plist::string(content);
        if (tag == "integer")
            return Plist::integer(integerText(QStringView(content).trimmed()));
        if (tag == "real")
            return Plist::real(realText(QStringView(content).trimmed()));
        const QDateTime when = QDateTime::fromString(content.trimmed(), Qt::ISODate);
        return Plist::dateSinceReference(when.isValid() ? double(referenceDate().msecsTo(when)) / 1000.0 : 0.0);
    }

    // Base64 text up to and past the end tag: printable ASCII, blanks, no
    // references.
    bool skipAscii(std::string_view endTag)
    {
        for (; p_ < end_; ++p_) {
            const auto c = static_cast<unsigned char>(*p_);
            if (c == '<')
                return take(endTag);
            if (c >= 0x7F || c == '&' || c == '>' || (c < 0x20 && c != '\t' && c != '\n'))
                return false;
        }
        return false;
    }

    // Element text up to and past the end tag, references resolved.
    bool text(std::string_view endTag, QString* out)
    {
        const char* start = p_;
        const char* run = p_; // start of the text not yet copied
        bool copied = false;
        auto flush = [&](const char* to) {
            if (to > run)
                out->append(QString::fromUtf8(run, to - run));
        };
        while (p_ < end_) {
            const auto c = static_cast<unsigned char>(*p_);
            if (c >= 0x20 && c < 0x7F && c != '<' && c != '&' && c != ']') {
                ++p_;
                continue;
            }
            if (c == '<') {
                if (!copied)
                    *out = QString::fromUtf8(start, p_ - start);
                else
                    flush(p_);
                return take(endTag);
            }
            if (c == '\t' || c == '\n') {
                ++p_;
            } else if (c == ']') {
                if (end_ - p_ >= 3 && p_[1] == ']' && p_[2] == '>')
                    return false;
                ++p_;
            } else if (c == '&') {
                if (!copied) {
                    out->reserve(p_ - start);
                    copied = true;
                }
                flush(p_);
                const std::optional<uint32_t> code = reference();
                if (!code)
                    return false;
                if (QChar::requiresSurrogates(*code)) {
                    out->append(QChar(QChar::highSurrogate(*code)));
                    out->append(QChar(QChar::lowSurrogate(*code)));
                } else {
                    out->append(QChar(char16_t(*code)));
                }
                run = p_;
            } else if (c >= 0x80) {
                if (!utf8())
                    return false;
            } else {
                return false;
            }
        }
        return false;
    }

    // One UTF-8 sequence of a character the general reader takes as it is.
    bool utf8()
    {
        const auto* u = reinterpret_cast<const unsigned char*>(p_);
        const qsizetype left = end_ - p_;
        uint32_t code = 0;
        int length = 0;
        if (u[0] >= 0xC2 && u[0] < 0xE0) {
            code = u[0] & 0x1F;
            length = 2;
        } else if (u[0] >= 0xE0 && u[0] < 0xF0) {
            code = u[0] & 0x0F;
            length = 3;
        } else if (u[0] >= 0xF0 && u[0] < 0xF5) {
            code = u[0] & 0x07;
            length = 4;
        } else {
            return false;
        }
        if (left < length)
            return false;
        for (int i = 1; i < length; ++i) {
            if ((u[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (u[i] & 0x3F);
        }
        static constexpr uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kLeast[length] || !plainCharacter(code))
            return false;
        p_ += length;
        return true;
    }

    static bool plainCharacter(uint32_t code)
    {
        if (code < 0x20)
            return code == '\t' || code == '\n';
        return code <= 0x10FFFF && !(code >= 0xD800 && code < 0xE000) && !(code >= 0xFDD0 && code <= 0xFDEF)
            && (code & 0xFFFE) != 0xFFFE;
    }

    // An entity or character reference at '&'; past it on success.
    std::optional<uint32_t> reference()
    {
        static const struct {
            std::string_view name;
            char value;
        } kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        for (const auto& e : kEntities)
            if (take(e.name))
                return uint32_t(e.value);
        if (!take("&#"))
            return std::nullopt;
        const bool hex = take("x");
        const char* start = p_;
        while (p_ < end_ && p_ - start <= 8 && (hex ? std::isxdigit(static_cast<unsigned char>(*p_)) : std::isdigit(static_cast<unsigned char>(*p_))))
            ++p_;
        uint32_t code = 0;
        if (p_ == start || p_ - start > 8 || std::from_chars(start, p_, code, hex ? 16 : 10).ptr != p_ || !take(";"))
            return std::nullopt;
        if (code == '\r' || isEscaped(code) || plainCharacter(code))
            return code;
        return std::nullopt;
    }

    // A dictionary key. Keys repeat (every row of a table has the same
    // ones): a plain key read lately is shared instead of made again.
    bool key()
    {
        const char* start = p_;
        while (p_ < end_ && *p_ >= 0x20 && *p_ < 0x7F && *p_ != '<' && *p_ != '&' && *p_ != ']')
            ++p_;
        if (p_ == end_ || *p_ != '<') {
            p_ = start;
            QString key;
            if (!text("</key>", &key))
                return false;
            tree_.key(std::move(key));
            return true;
        }
        const std::string_view bytes(start, size_t(p_ - start));
        if (!take("</key>"))
            return false;
        for (const auto& [known, text] : recentKeys_) {
            if (known == bytes) {
                tree_.key(QString(text));
                return true;
            }
        }
        QString key = QString::fromLatin1(start, qsizetype(bytes.size()));
        recentKeys_[nextKey_] = {std::string(bytes), key};
        nextKey_ = (nextKey_ + 1) % recentKeys_.size();
        tree_.key(std::move(key));
        return true;
    }

    const char* p_;
    const char* end_;
    qint64 elementsLeft_;
    XmlTree tree_;
    std::array<std::pair<std::string, QString>, 16> recentKeys_;
    size_t nextKey_ = 0;
};

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


std::optional<Plist> readXmlPlist(const QByteArray& input, QString* error)
{
    auto refuse = [error](const QString& why) -> std::optional<Plist> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    auto fail = [&](const QString& why) { return refuse(QStringLiteral("not a property list: ") + why); };
    // The encoding is settled here, once; the general reader is handed
    // text, so that nothing it reads can change it.
    QString why;
    const std::optional<XmlEncoding> encoding = xmlEncoding(input, &why);
    if (!encoding)
        return refuse(why);
    if (*encoding == XmlEncoding::Utf8) {
        if (std::optional<Plist> plain = PlainXmlReader(input).read())
            return plain;
    }
    // Every element takes at least four bytes ("<a/>").
    const qint64 elementBudget = std::min<qint64>(input.size() / 4 + 16, kMaxVisits);
    qint64 elements = 0;
    XmlTree tree;
    bool inPlist = false;
    // The scalar element whose text is being gathered, and its text.
    QString scalar;
    bool gathering = false;
    QString content;
    XmlTextDecoder decoder(*encoding);
    TextForReader prepare;
    QXmlStreamReader xml;
    // The document goes to the reader in pieces, each read before the next
    // is decoded: what is held at once is a piece, the value being read and
    // the values made.
    constexpr qsizetype kPiece = qsizetype(1) << 18;
    QString text;
    QString ready;
    for (qsizetype at = 0;;) {
        const qsizetype length = std::min(kPiece, input.size() - at);
        const bool last = at + length == input.size();
        text.clear();
        ready.clear();
        if (!decoder.decode(QByteArrayView(input).sliced(at, length), text, last, &why))
            return refuse(why);
        if (!prepare.feed(text, ready, last))
            return fail(prepare.refusal());
        at += length;
        if (!ready.isEmpty())
            xml.addData(ready);
        for (;;) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::Invalid || token == QXmlStreamReader::EndDocument)
                break;
            if (token == QXmlStreamReader::Characters || token == QXmlStreamReader::EntityReference) {
                if (gathering)
                    content.append(xml.text());
                continue;
            }
            if (token == QXmlStreamReader::EndElement) {
                if (gathering) {
                    gathering = false;
                    QString value = unescapeControls(content);
                    content.clear();
                    if (scalar == QLatin1String("key")) {
                        tree.key(std::move(value));
                        continue;
                    }
                    Plist made;
                    if (scalar == QLatin1String("string")) {
                        made = Plist::string(value);
                    } else if (scalar == QLatin1String("integer")) {
                        made = Plist::integer(integerText(QStringView(value).trimmed()));
                    } else if (scalar == QLatin1String("real")) {
                        made = Plist::real(realText(QStringView(value).trimmed()));
                    } else if (scalar == QLatin1String("true") || scalar == QLatin1String("false")) {
                        made = Plist::boolean(scalar == QLatin1String("true"));
                    } else if (scalar == QLatin1String("date")) {
                        const QDateTime when = QDateTime::fromString(value.trimmed(), Qt::ISODate);
                        made = Plist::dateSinceReference(when.isValid() ? double(referenceDate().msecsTo(when)) / 1000.0 : 0.0);
                    } else {
                        made = Plist::data(QByteArray::fromBase64(value.toLatin1()));
                    }
                    if (!tree.attach(std::move(made)))
                        return fail(QStringLiteral("more than one top value"));
                    continue;
                }
                if (xml.name() == QLatin1String("plist")) {
                    inPlist = false;
                    continue;
                }
                if (tree.empty())
                    return fail(QStringLiteral("an unexpected end tag"));
                if (tree.keyPending())
                    return fail(QStringLiteral("a key without a value"));
                if (!tree.close())
                    return fail(QStringLiteral("more than one top value"));
                continue;
            }
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (gathering)
                return fail(QStringLiteral("an element inside <%1>").arg(scalar));
            if (++elements > elementBudget)
                return fail(QStringLiteral("too many elements"));
            const QStringView name = xml.name();
            if (name == QLatin1String("plist") && tree.empty() && !tree.root && !inPlist) {
                inPlist = true;
                continue;
            }
            if (tree.wantsKey() && name != QLatin1String("key"))
                return fail(QStringLiteral("a dictionary value without a key"));
            if (name == QLatin1String("array") || name == QLatin1String("dict")) {
                if (tree.depth() >= size_t(kMaxPlistDepth))
                    return fail(QStringLiteral("nested deeper than %1 levels").arg(kMaxPlistDepth));
                tree.open(name == QLatin1String("array"));
                continue;
            }
            static const QLatin1String kScalars[] = {QLatin1String("key"),  QLatin1String("string"), QLatin1String("integer"),
                                                     QLatin1String("real"), QLatin1String("true"),   QLatin1String("false"),
                                                     QLatin1String("date"), QLatin1String("data")};
            if (std::find(std::begin(kScalars), std::end(kScalars), name) == std::end(kScalars)
                || (name == QLatin1String("key") && !tree.wantsKey()))
                return fail(QStringLiteral("an unknown element <%1>").arg(name.left(64)));
            scalar = name.toString();
            gathering = true;
        }
        if (xml.hasError() && xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            return fail(xml.errorString());
        if (last)
            break;
    }
    if (xml.hasError() && (inPlist || gathering || !tree.empty() || !tree.root))
        return fail(xml.errorString());
    if (!tree.empty() || !tree.root)
        return fail(QStringLiteral("no complete value"));
    return std::move(tree.root);
}

} // namespace platform
