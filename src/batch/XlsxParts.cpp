#include "batch/XlsxParts.h"

#include "platform/threads.h"
#include "platform/xml_encoding.h"

#include <QFile>
#include <QStringDecoder>
#include <QThread>

#include <expat.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

namespace xlsx {

qint64 parallelReadMinimum = 4 << 20;
bool plainXmlReading = true;
qint64 maxKeptBytes = qint64(144) << 20;

namespace {

constexpr int kMaxColumn = 16384; // XFD
constexpr int kMaxRow = 1048576;
constexpr int kReadBlock = 1 << 17;
// The bytes a value of kMaxCellLength characters can take in a part: a
// `_xHHHH_` escape is seven bytes for one character.
constexpr size_t kMaxValueBytes = 7 * size_t(kMaxCellLength);
// Markup that expat has to hold whole (a tag with its attributes, a
// comment, a processing instruction) longer than this refuses the part:
// no producer writes one, and expat would keep all of it in memory.
constexpr qint64 kMaxMarkupBytes = 4 << 20;

const char* localName(const char* name)
{
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

bool is(const char* local, const char* name) { return std::strcmp(local, name) == 0; }

// Value of the unprefixed attribute `name`, or null.
const char* attribute(const char** atts, const char* name)
{
    for (; atts[0]; atts += 2) {
        if (std::strcmp(atts[0], name) == 0)
            return atts[1];
    }
    return nullptr;
}

// Value of a prefixed attribute whose local name is `local` (such as r:id).
const char* prefixedAttribute(const char** atts, const char* local)
{
    for (; atts[0]; atts += 2) {
        const char* colon = std::strchr(atts[0], ':');
        if (colon && std::strcmp(colon + 1, local) == 0)
            return atts[1];
    }
    return nullptr;
}

// UTF-8 to text keeping every character: QString::fromUtf8 takes a leading
// U+FEFF for a byte-order mark and drops it, but inside a part it is data.
QString decodeUtf8(const char* s, qsizetype n)
{
    if (n >= 3 && std::memcmp(s, "\xEF\xBB\xBF", 3) == 0) {
        QStringDecoder decoder(QStringConverter::Utf8,
                               QStringConverter::Flag::ConvertInitialBom | QStringConverter::Flag::Stateless);
        return decoder(QByteArrayView(s, n));
    }
    return QString::fromUtf8(s, n);
}

QString text(const char* s) { return s ? decodeUtf8(s, qsizetype(std::strlen(s))) : QString(); }

// The value kept at its length: decoding reserves a character per byte,
// three times what a text of CJK characters needs.
QString fromUtf8(const std::string& s)
{
    QString value = decodeUtf8(s.data(), qsizetype(s.size()));
    if (s.find("_x") != std::string::npos)
        value = decodeEscapes(value);
    if (value.capacity() > value.size())
        return QString(value.constData(), value.size());
    return value;
}

// The name expat knows an encoding by; windows-1252, which it does not
// know, it asks windows1252Map for.
const char* expatEncoding(platform::XmlEncoding encoding)
{
    switch (encoding) {
    case platform::XmlEncoding::Utf8: return "UTF-8";
    case platform::XmlEncoding::Utf16LE: return "UTF-16LE";
    case platform::XmlEncoding::Utf16BE: return "UTF-16BE";
    case platform::XmlEncoding::Ascii: return "US-ASCII";
    case platform::XmlEncoding::Latin1: return "ISO-8859-1";
    case platform::XmlEncoding::Windows1252: return "windows-1252";
    }
    return "UTF-8";
}

int XMLCALL windows1252Map(void*, const XML_Char* name, XML_Encoding* info)
{
    if (std::strcmp(name, "windows-1252") != 0)
        return XML_STATUS_ERROR;
    // An undefined byte is refused (-1), as other readers refuse it.
    for (int byte = 0; byte < 256; ++byte)
        info->map[byte] = platform::windows1252((unsigned char)byte).value_or(-1);
    info->data = nullptr;
    info->convert = nullptr;
    info->release = nullptr;
    return XML_STATUS_OK;
}

// Why expat refused a part; a byte windows-1252 leaves undefined is named.
QString errorText(XML_Parser parser, platform::XmlEncoding encoding)
{
    const XML_Error error = XML_GetErrorCode(parser);
    int offset = 0, size = 0;
    const char* context = XML_GetInputContext(parser, &offset, &size);
    if (encoding == platform::XmlEncoding::Windows1252 && error == XML_ERROR_INVALID_TOKEN && context && offset < size)
        if (const auto byte = static_cast<unsigned char>(context[offset]); !platform::windows1252(byte))
            return platform::undefinedWindows1252(byte);
    return QString::fromUtf8(XML_ErrorString(error));
}

// Streams one part (or a byte range of it) through expat. Subclasses see
// local names and the depth of the element (root = 1); `collect` points at
// the string that receives character data, or is null.
class PartParser
{
public:
    virtual ~PartParser() = default;

    ParseResult run(const QString& path, QString& message) { return parse(path, 0, -1, {}, {}, message); }

    // Reads the part with the plain reader; true when it read it, false
    // when the part holds something that reader leaves to expat (this
    // parser's state then counts for nothing: the caller reads the part
    // again with a new parser).
    bool parsePlain(const QString& path, qint64 begin, qint64 end, const QByteArray& before, const QByteArray& after,
                    ParseResult& result, QString& message);

    // Parses the bytes [begin, end) of the file (end -1: to its end) between
    // `before` and `after`. With `watchMarkup`, a comment, CDATA section or
    // processing instruction stops the parse and sets unusual().
    ParseResult parse(const QString& path, qint64 begin, qint64 end, const QByteArray& before,
                      const QByteArray& after, QString& message, bool watchMarkup = false)
    {
        QFile file(path);
        if (!file.exists())
            return ParseResult::Missing;
        if (!file.open(QIODevice::ReadOnly) || !file.seek(begin)) {
            message = QStringLiteral("%1: %2").arg(path, file.errorString());
            return ParseResult::Malformed;
        }
        // The encoding is settled from the part's start and given to expat,
        // which then reads no other, whatever the part declares.
        platform::XmlEncoding encoding = platform::XmlEncoding::Utf8;
        if (begin == 0 && before.isEmpty()) {
            QString why;
            const std::optional<platform::XmlEncoding> found =
                platform::xmlEncoding(file.peek(platform::kXmlEncodingHead), &why);
            if (!found) {
                message = QStringLiteral("%1 in %2").arg(why, path);
                return ParseResult::Malformed;
            }
            encoding = *found;
        }
        XML_Parser parser = XML_ParserCreate(expatEncoding(encoding));
        XML_SetUnknownEncodingHandler(parser, &windows1252Map, nullptr);
        m_parser = parser;
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &PartParser::onStart, &PartParser::onEnd);
        XML_SetCharacterDataHandler(parser, &PartParser::onText);
        // Workbook parts declare nothing of their own, and expat's time
        // grows with the square of the attribute declarations: a document
        // type with an internal subset is refused before it is read.
        XML_SetStartDoctypeDeclHandler(
            parser, [](void* self, const XML_Char*, const XML_Char*, const XML_Char*, int internalSubset) {
                auto* p = static_cast<PartParser*>(self);
                if (internalSubset) {
                    p->m_declarations = true;
                    XML_StopParser(static_cast<XML_Parser>(p->m_parser), XML_FALSE);
                }
            });
        if (watchMarkup) {
            XML_SetCommentHandler(parser, [](void* self, const XML_Char*) { static_cast<PartParser*>(self)->markUnusual(); });
            XML_SetStartCdataSectionHandler(parser, [](void* self) { static_cast<PartParser*>(self)->markUnusual(); });
            XML_SetProcessingInstructionHandler(
                parser, [](void* self, const XML_Char*, const XML_Char*) { static_cast<PartParser*>(self)->markUnusual(); });
        }
        ParseResult result = ParseResult::Parsed;
        qint64 remaining = end < 0 ? std::numeric_limits<qint64>::max() : end - begin;
        bool more = before.isEmpty() || accepted(XML_Parse(parser, before.constData(), int(before.size()), XML_FALSE));
        qint64 fed = before.size();
        bool markupTooLong = false;
        while (more && !m_stopped) {
            void* buffer = XML_GetBuffer(parser, kReadBlock);
            const qint64 n = !buffer ? -1 : remaining > 0 ? file.read(static_cast<char*>(buffer), std::min<qint64>(kReadBlock, remaining)) : 0;
            if (n < 0) {
                message = QStringLiteral("%1: %2").arg(path, file.errorString());
                XML_ParserFree(parser);
                return ParseResult::Malformed;
            }
            remaining -= n;
            if (n == 0) {
                more = accepted(XML_Parse(parser, after.constData(), int(after.size()), XML_TRUE));
                break;
            }
            more = accepted(XML_ParseBuffer(parser, int(n), XML_FALSE));
            fed += n;
            // Outside a handler the index is just past the last parse event.
            if (more && !m_stopped && fed - std::max<qint64>(0, XML_GetCurrentByteIndex(parser)) > kMaxMarkupBytes) {
                markupTooLong = true;
                break;
            }
        }
        if (markupTooLong) {
            message = QStringLiteral("markup longer than %1 MB at line %2 of %3")
                          .arg(kMaxMarkupBytes >> 20)
                          .arg(XML_GetCurrentLineNumber(parser))
                          .arg(path);
            result = ParseResult::Malformed;
        } else if (!more && m_declarations) {
            message = QStringLiteral("a document type that declares entities or other markup in %1").arg(path);
            result = ParseResult::Malformed;
        } else if (!more) {
            message = QStringLiteral("%1 at line %2 of %3")
                          .arg(errorText(parser, encoding))
                          .arg(XML_GetCurrentLineNumber(parser))
                          .arg(path);
            result = ParseResult::Malformed;
        }
        XML_ParserFree(parser);
        m_parser = nullptr;
        return result;
    }

    bool unusual() const { return m_unusual; }

protected:
    // A value whose text grows past kMaxValueBytes is collected no further
    // and sets valueTooLong() (the handler that ends it clears it): a value
    // costs no more than a cell may hold, however long it is in the file.
    bool valueTooLong() const { return m_valueTooLong; }
    void clearValueTooLong() { m_valueTooLong = false; }

    virtual void start(const char* local, const char** atts) = 0;
    virtual void end(const char* local) = 0;

    // Ends the parse early; what was read so far stands.
    void stop()
    {
        m_stopped = true;
        if (m_parser)
            XML_StopParser(static_cast<XML_Parser>(m_parser), XML_FALSE);
    }
    void markUnusual()
    {
        m_unusual = true;
        stop();
    }
    // Byte offset, in the parsed input, just past the element tag being handled.
    qint64 offsetAfterTag() const
    {
        const auto p = static_cast<XML_Parser>(m_parser);
        return qint64(XML_GetCurrentByteIndex(p)) + XML_GetCurrentByteCount(p);
    }

    int depth = 0;
    std::string* collect = nullptr;
    const char* qualifiedName = nullptr; // of the element being started

private:
    friend class PlainXmlReader;

    // True when parsing may go on; a stop asked for by a handler counts as
    // success.
    bool accepted(XML_Status status)
    {
        if (status == XML_STATUS_OK)
            return true;
        return m_stopped && XML_GetErrorCode(static_cast<XML_Parser>(m_parser)) == XML_ERROR_ABORTED;
    }

    static void XMLCALL onStart(void* self, const XML_Char* name, const XML_Char** atts)
    {
        auto* p = static_cast<PartParser*>(self);
        ++p->depth;
        p->qualifiedName = name;
        p->start(localName(name), atts);
    }
    static void XMLCALL onEnd(void* self, const XML_Char* name)
    {
        auto* p = static_cast<PartParser*>(self);
        p->end(localName(name));
        --p->depth;
    }
    static void XMLCALL onText(void* self, const XML_Char* s, int len)
    {
        auto* p = static_cast<PartParser*>(self);
        if (!p->collect)
            return;
        if (p->collect->size() + size_t(len) > kMaxValueBytes) {
            p->m_valueTooLong = true;
            p->collect = nullptr;
            return;
        }
        p->collect->append(s, size_t(len));
    }

    void* m_parser = nullptr;
    bool m_stopped = false;
    bool m_unusual = false;
    bool m_valueTooLong = false;
    bool m_declarations = false; // the document type has an internal subset
};

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

// A reader for the plain XML spreadsheet producers write: one root element,
// elements and attributes with ASCII names, text in UTF-8 with the
// predefined entities and character references, an XML declaration of
// version 1.0 in UTF-8. For such input it makes exactly the calls expat
// makes on a parser's handlers (character data may come in other pieces,
// which the handlers only join). Anything else, whether XML allows it or
// not (comments, CDATA sections, processing instructions, a document type,
// another encoding, a CR, an entity in an attribute, malformed markup), is
// left to expat: the reader says so and the part is read again by expat,
// whose result (and message) is the one that counts.
class PlainXmlReader
{
public:
    enum class Step { Going, Done, Unsupported };

    explicit PlainXmlReader(PartParser& handlers, bool documentStart) : m_handlers(handlers), m_atStart(documentStart) {}

    // Reads the complete markup at the front of [p, p + n); returns how many
    // bytes it used. `final`: no more input follows.
    size_t feed(const char* p, size_t n, bool final)
    {
        size_t i = 0;
        if (m_atStart) {
            if (n < 5 && !final)
                return 0;
            m_atStart = false;
            if (n >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
                i = 3;
            if (n - i >= 5 && std::memcmp(p + i, "<?xml", 5) == 0) {
                const char* close = static_cast<const char*>(memmem(p + i, n - i, "?>", 2));
                if (!close || !declaration(p + i + 5, close))
                    return fail();
                i = size_t(close - p) + 2;
            }
        }
        while (i < n && m_step == Step::Going && !m_handlers.m_stopped) {
            if (p[i] != '<') {
                const char* lt = static_cast<const char*>(std::memchr(p + i, '<', n - i));
                size_t end = lt ? size_t(lt - p) : n;
                if (!lt && !final) {
                    // Keep a character or reference that may be cut for the next piece.
                    end = n > 12 ? n - 12 : 0;
                    while (end > i && (static_cast<unsigned char>(p[end]) & 0xC0) == 0x80)
                        --end;
                    const char* amp = end > i ? static_cast<const char*>(memrchr(p + i, '&', end - i)) : nullptr;
                    if (amp && !std::memchr(amp, ';', size_t(p + end - amp)))
                        end = size_t(amp - p);
                    while (end > i && p[end - 1] == ']') // "]]>" may be cut too
                        --end;
                    if (end <= i)
                        break;
                }
                if (!text(p + i, end - i))
                    return fail();
                i = end;
                continue;
            }
            if (i + 1 < n && (p[i + 1] == '!' || p[i + 1] == '?'))
                return fail();
            const char* close = tagEnd(p + i, p + n);
            if (!close) {
                if (final || n - i > kMaxTag)
                    return fail();
                break;
            }
            if (!tag(p + i + 1, close))
                return fail();
            i = size_t(close - p) + 1;
        }
        if (final && m_step == Step::Going && !m_handlers.m_stopped && (!m_rootDone || i < n))
            return fail();
        if (final && m_step == Step::Going)
            m_step = Step::Done;
        return i;
    }

    Step step() const { return m_step; }

private:
    static constexpr size_t kMaxTag = 1 << 20;

    size_t fail()
    {
        m_step = Step::Unsupported;
        return 0;
    }

    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    static bool isNameStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
    static bool isNameChar(char c)
    {
        return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':';
    }

    // The '>' closing the tag at `p` (quotes respected), or null when it is
    // not in [p, end).
    static const char* tagEnd(const char* p, const char* end)
    {
        char quote = 0;
        for (const char* q = p + 1; q < end; ++q) {
            const char c = *q;
            if (quote) {
                const char* next = static_cast<const char*>(std::memchr(q, quote, size_t(end - q)));
                if (!next)
                    return nullptr;
                q = next;
                quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                return q;
            }
        }
        return nullptr;
    }

    // Length of a valid UTF-8 sequence of an XML character at p (< end), 0
    // when there is none.
    static int utf8Char(const unsigned char* p, const unsigned char* end)
    {
        const unsigned char b = p[0];
        int n;
        char32_t c;
        if (b >= 0xC2 && b <= 0xDF) {
            n = 2;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            n = 3;
            c = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            n = 4;
            c = b & 0x07;
        } else {
            return 0;
        }
        if (end - p < n)
            return 0;
        for (int k = 1; k < n; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return 0;
            c = c << 6 | (p[k] & 0x3F);
        }
        const bool shortest = (n == 3 && c >= 0x800) || (n == 4 && c >= 0x10000) || n == 2;
        const bool xmlChar = c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF) && c != 0xFFFE && c != 0xFFFF;
        return shortest && xmlChar ? n : 0;
    }

    // A reference after '&' in [p, end): appends what it stands for and
    // returns its length up to and with ';', 0 when it is not a predefined
    // entity or a character reference to an XML character.
    static size_t reference(const char* p, const char* end, std::string& out)
    {
        const char* semi = static_cast<const char*>(std::memchr(p, ';', size_t(std::min<ptrdiff_t>(end - p, 12))));
        if (!semi)
            return 0;
        const std::string_view name(p, size_t(semi - p));
        static const std::pair<std::string_view, char> kEntities[] = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        for (const auto& [entity, c] : kEntities) {
            if (name == entity) {
                out.push_back(c);
                return name.size() + 1;
            }
        }
        if (name.size() < 2 || name[0] != '#')
            return 0;
        const bool hex = name[1] == 'x';
        const std::string_view digits = name.substr(hex ? 2 : 1);
        if (digits.empty() || digits.size() > 7)
            return 0;
        char32_t c = 0;
        for (const char d : digits) {
            int v;
            if (d >= '0' && d <= '9')
                v = d - '0';
            else if (hex && d >= 'a' && d <= 'f')
                v = d - 'a' + 10;
            else if (hex && d >= 'A' && d <= 'F')
                v = d - 'A' + 10;
            else
                return 0;
            c = c * (hex ? 16 : 10) + char32_t(v);
        }
        const bool xmlChar = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
                             (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
        if (!xmlChar)
            return 0;
        appendUtf8(out, c);
        return name.size() + 1;
    }

    // Character data: outside the root only blanks; inside checked,
    // references decoded, and handed to the handlers.
    bool text(const char* p, size_t n)
    {
        const auto* u = reinterpret_cast<const unsigned char*>(p);
        const auto* end = u + n;
        if (m_stack.empty()) {
            for (size_t k = 0; k < n; ++k) {
                if (!isSpace(p[k]))
                    return false;
            }
            return true;
        }
        m_decoded.clear();
        size_t plainFrom = 0; // start of the bytes not yet copied into m_decoded
        bool decoded = false;
        for (const unsigned char* q = u; q < end;) {
            const unsigned char b = *q;
            if (b >= 0x80) {
                const int len = utf8Char(q, end);
                if (!len)
                    return false;
                q += len;
            } else if (b == '&') {
                m_decoded.append(p + plainFrom, size_t(q - u) - plainFrom);
                const size_t len = reference(reinterpret_cast<const char*>(q) + 1, p + n, m_decoded);
                if (!len)
                    return false;
                q += len + 1;
                plainFrom = size_t(q - u);
                decoded = true;
            } else if (b < 0x20 ? b != '\t' && b != '\n' : b == ']' && end - q >= 3 && q[1] == ']' && q[2] == '>') {
                return false;
            } else {
                ++q;
            }
        }
        // "]]" at the end of a piece may meet ">" in the next.
        if (n >= 2 && p[n - 1] == ']' && p[n - 2] == ']')
            return false;
        if (decoded) {
            m_decoded.append(p + plainFrom, n - plainFrom);
            PartParser::onText(&m_handlers, m_decoded.data(), int(m_decoded.size()));
        } else if (n > 0) {
            PartParser::onText(&m_handlers, p, int(n));
        }
        return true;
    }

    // Skips blanks; returns the first other position.
    static const char* skipSpace(const char* p, const char* end)
    {
        while (p < end && isSpace(*p))
            ++p;
        return p;
    }

    static const char* name(const char* p, const char* end)
    {
        if (p >= end || !isNameStart(*p))
            return nullptr;
        ++p;
        while (p < end && isNameChar(*p))
            ++p;
        return p;
    }

    // After an attribute's name: '=' and a quoted value, blanks allowed
    // around '='. Returns the closing quote and sets `open` to the opening
    // one; null when there is none.
    static const char* quotedValue(const char* p, const char* end, const char*& open)
    {
        const char* eq = skipSpace(p, end);
        if (eq == end || *eq != '=')
            return nullptr;
        open = skipSpace(eq + 1, end);
        if (open == end || (*open != '"' && *open != '\''))
            return nullptr;
        return static_cast<const char*>(std::memchr(open + 1, *open, size_t(end - open - 1)));
    }

    // The tag between '<' and '>': [p, close).
    bool tag(const char* p, const char* close)
    {
        if (p < close && *p == '/') {
            const char* nameEnd = name(p + 1, close);
            if (!nameEnd || skipSpace(nameEnd, close) != close || m_stack.empty() ||
                std::string_view(p + 1, size_t(nameEnd - p - 1)) != m_stack.back())
                return false;
            PartParser::onEnd(&m_handlers, m_stack.back().c_str());
            m_stack.pop_back();
            m_rootDone = m_stack.empty();
            return true;
        }
        if (m_rootDone)
            return false;
        const char* nameEnd = name(p, close);
        if (!nameEnd)
            return false;
        const bool empty = close[-1] == '/';
        const char* attsEnd = empty ? close - 1 : close;
        if (nameEnd > attsEnd)
            return false;
        // Names and values NUL-terminated in one buffer, as expat hands them over.
        m_strings.assign(p, size_t(nameEnd - p));
        m_strings.push_back('\0');
        m_offsets.clear();
        const char* q = nameEnd;
        while (true) {
            const char* afterSpace = skipSpace(q, attsEnd);
            if (afterSpace == attsEnd)
                break;
            if (afterSpace == q)
                return false; // attributes are set apart by blanks
            const char* attName = name(afterSpace, attsEnd);
            if (!attName)
                return false;
            const char* open = nullptr;
            const char* valueEnd = quotedValue(attName, attsEnd, open);
            if (!valueEnd)
                return false;
            const std::string_view attribute(afterSpace, size_t(attName - afterSpace));
            for (size_t k = 0; k < m_offsets.size(); k += 2) {
                if (attribute == m_strings.c_str() + m_offsets[k])
                    return false;
            }
            for (const char* v = open + 1; v < valueEnd;) {
                const auto c = static_cast<unsigned char>(*v);
                if (c >= 0x80) {
                    const int len = utf8Char(reinterpret_cast<const unsigned char*>(v),
                                             reinterpret_cast<const unsigned char*>(valueEnd));
                    if (!len)
                        return false;
                    v += len;
                } else if (c < 0x20 || c == '<' || c == '&') {
                    return false;
                } else {
                    ++v;
                }
            }
            m_offsets.push_back(m_strings.size());
            m_strings.append(attribute);
            m_strings.push_back('\0');
            m_offsets.push_back(m_strings.size());
            m_strings.append(open + 1, size_t(valueEnd - open - 1));
            m_strings.push_back('\0');
            q = valueEnd + 1;
        }
        m_atts.clear();
        for (const size_t offset : m_offsets)
            m_atts.push_back(m_strings.c_str() + offset);
        m_atts.push_back(nullptr);
        m_stack.emplace_back(p, size_t(nameEnd - p));
        PartParser::onStart(&m_handlers, m_stack.back().c_str(), m_atts.data());
        if (empty) { // expat ends an empty element even when its start stopped the parse
            PartParser::onEnd(&m_handlers, m_stack.back().c_str());
            m_stack.pop_back();
            m_rootDone = m_stack.empty();
        }
        return true;
    }

    // The pseudo-attributes of an XML declaration, [p, end): version 1.0,
    // then optionally encoding UTF-8 and standalone.
    static bool declaration(const char* p, const char* end)
    {
        static const std::string_view kNames[] = {"version", "encoding", "standalone"};
        size_t next = 0;
        bool any = false;
        while (true) {
            const char* start = skipSpace(p, end);
            if (start == end)
                return any;
            if (start == p)
                return false;
            const char* nameEnd = name(start, end);
            if (!nameEnd)
                return false;
            const std::string_view pseudo(start, size_t(nameEnd - start));
            while (next < 3 && kNames[next] != pseudo)
                ++next;
            if (next == 3 || (!any && next != 0))
                return false;
            const char* open = nullptr;
            const char* close = quotedValue(nameEnd, end, open);
            if (!close)
                return false;
            const QByteArrayView value(open + 1, close - open - 1);
            const bool ok = next == 0   ? value == "1.0"
                            : next == 1 ? value.compare("UTF-8", Qt::CaseInsensitive) == 0
                                        : value == "yes" || value == "no";
            if (!ok)
                return false;
            any = true;
            ++next;
            p = close + 1;
        }
    }

    PartParser& m_handlers;
    bool m_atStart;
    bool m_rootDone = false;
    Step m_step = Step::Going;
    std::vector<std::string> m_stack;
    std::string m_decoded;
    std::string m_strings;
    std::vector<size_t> m_offsets;
    std::vector<const char*> m_atts;
};

bool PartParser::parsePlain(const QString& path, qint64 begin, qint64 end, const QByteArray& before,
                            const QByteArray& after, ParseResult& result, QString& message)
{
    QFile file(path);
    if (!file.exists()) {
        result = ParseResult::Missing;
        return true;
    }
    if (!file.open(QIODevice::ReadOnly) || !file.seek(begin)) {
        message = QStringLiteral("%1: %2").arg(path, file.errorString());
        result = ParseResult::Malformed;
        return true;
    }
    PlainXmlReader reader(*this, before.isEmpty());
    std::string buffer(before.constData(), size_t(before.size()));
    size_t used = 0;
    qint64 remaining = end < 0 ? std::numeric_limits<qint64>::max() : end - begin;
    bool final = false;
    while (!final && !m_stopped && reader.step() == PlainXmlReader::Step::Going) {
        // Bytes read are kept only until the markup they complete was read.
        buffer.erase(0, used);
        const size_t have = buffer.size();
        buffer.resize(have + kReadBlock);
        const qint64 n = remaining > 0 ? file.read(buffer.data() + have, std::min<qint64>(kReadBlock, remaining)) : 0;
        if (n < 0) {
            message = QStringLiteral("%1: %2").arg(path, file.errorString());
            result = ParseResult::Malformed;
            return true;
        }
        buffer.resize(have + size_t(n));
        remaining -= n;
        if (n == 0) {
            buffer.append(after.constData(), size_t(after.size()));
            final = true;
        }
        used = reader.feed(buffer.data(), buffer.size(), final);
    }
    if (reader.step() == PlainXmlReader::Step::Unsupported)
        return false;
    result = ParseResult::Parsed;
    return true;
}

// What kept data costs, in bytes. An entry of the shared-string table is a
// QString in a list with its characters and their allocation. A cell slot
// is one KeptCell, a text of its own its bytes in the block's buffer; both
// lie in arrays that grow by doubling, so they count twice. Values taken
// from the shared-string table cost only their slot. A row keeps only the
// end of its cells (4 bytes, twice), but every caller gives each row an
// entry of its own (a list, a line): a row counts 32 bytes, so that a
// sheet of millions of empty rows is refused before its callers take it.
constexpr qint64 kSharedEntryCost = 2 * qint64(sizeof(QString));
qint64 sharedTextCost(qsizetype length) { return length == 0 ? 0 : 32 + 2 * qint64(length); }
constexpr qint64 kRowCost = 32;
constexpr qint64 kSlotCost = 2 * qint64(sizeof(KeptCell));
qint64 textCost(qint64 bytes) { return 2 * bytes; }

// The budget of one read, shared by the threads that read its ranges.
struct Budget
{
    explicit Budget(qint64 bytes) : limit(bytes) {}
    const qint64 limit;
    std::atomic<qint64> used{0};
};

// What the rows of `content` would keep if every row were padded to its width.
qint64 keptCost(const SheetContent& content)
{
    const qint64 rows = content.rowCount();
    return rows * kRowCost + rows * content.width * kSlotCost + content.textBytes;
}

// Text of a rich-text item (`si` or `is`) whose element sits at `base`:
// its direct `t`, or the `t` of each run `r`; phonetic runs (`rPh`) and
// their `t` are not part of the value.
class RichText
{
public:
    void begin(int base)
    {
        m_base = base;
        m_inRun = false;
        value.clear();
    }
    // Returns where character data of this element goes, or null.
    std::string* start(const char* local, int depth)
    {
        if (depth == m_base + 1) {
            if (is(local, "t"))
                return &value;
            m_inRun = is(local, "r");
        } else if (depth == m_base + 2 && m_inRun && is(local, "t")) {
            return &value;
        }
        return nullptr;
    }
    void end(int depth)
    {
        if (depth == m_base + 1)
            m_inRun = false;
    }

    std::string value;

private:
    int m_base = 0;
    bool m_inRun = false;
};

class RelationshipsParser : public PartParser
{
public:
    explicit RelationshipsParser(QList<Relationship>& out) : m_out(out) {}

protected:
    void start(const char* local, const char** atts) override
    {
        if (depth != 2 || !is(local, "Relationship"))
            return;
        const char* mode = attribute(atts, "TargetMode");
        m_out.append(Relationship{text(attribute(atts, "Id")), text(attribute(atts, "Type")),
                                  text(attribute(atts, "Target")), mode && is(mode, "External")});
    }
    void end(const char*) override {}

private:
    QList<Relationship>& m_out;
};

class WorkbookParser : public PartParser
{
public:
    explicit WorkbookParser(QList<SheetEntry>& out) : m_out(out) {}

protected:
    void start(const char* local, const char** atts) override
    {
        if (depth == 2)
            m_inSheets = is(local, "sheets");
        else if (depth == 3 && m_inSheets && is(local, "sheet"))
            m_out.append(SheetEntry{text(attribute(atts, "name")), text(prefixedAttribute(atts, "id"))});
    }
    void end(const char*) override {}

private:
    QList<SheetEntry>& m_out;
    bool m_inSheets = false;
};

class SharedStringsParser : public PartParser
{
public:
    SharedStringsParser(QStringList& out, qint64 budget, std::vector<qsizetype>* tooLong)
        : m_out(out), m_budget(budget), m_tooLong(tooLong)
    {
    }

    qint64 kept = 0;
    bool tooLarge() const { return m_tooLarge; }

protected:
    void start(const char* local, const char**) override
    {
        if (depth == 2) {
            m_inItem = is(local, "si");
            if (m_inItem)
                m_item.begin(depth);
        } else if (m_inItem) {
            collect = m_item.start(local, depth);
        }
    }
    void end(const char*) override
    {
        collect = nullptr;
        if (depth == 2 && m_inItem) {
            m_inItem = false;
            QString entry = valueTooLong() ? QString() : fromUtf8(m_item.value);
            if (valueTooLong() || entry.size() > kMaxCellLength) {
                clearValueTooLong();
                entry.clear();
                if (m_tooLong)
                    m_tooLong->push_back(m_out.size());
            }
            kept += kSharedEntryCost + sharedTextCost(entry.size());
            if (kept > m_budget) {
                m_tooLarge = true;
                stop();
                return;
            }
            m_out.append(std::move(entry));
        } else if (m_inItem) {
            m_item.end(depth);
        }
    }

private:
    QStringList& m_out;
    const qint64 m_budget;
    std::vector<qsizetype>* m_tooLong;
    RichText m_item;
    bool m_inItem = false;
    bool m_tooLarge = false;
};

// Position (0-based) of a cell reference such as "AB12": letters up to XFD,
// then a row number; -1 when malformed.
int cellPosition(const char* ref)
{
    int letters = 0;
    while (ref[letters] >= 'A' && ref[letters] <= 'Z')
        ++letters;
    const int column = columnNumber(ref, letters);
    if (column < 0)
        return -1;
    const char* digits = ref + letters;
    if (*digits < '1' || *digits > '9')
        return -1;
    int row = 0;
    for (; *digits; ++digits) {
        if (*digits < '0' || *digits > '9')
            return -1;
        row = row * 10 + (*digits - '0');
        if (row > kMaxRow)
            return -1;
    }
    return column - 1;
}

// The shared-string table as worksheet reads look it up. For a whole
// sheet, whether an entry is empty is known without touching the entry
// (cells keep only its index); a header read, one row, looks at the
// entries themselves.
struct SharedTable
{
    SharedTable(const QStringList& table, bool headerOnly, const std::vector<qsizetype>& longOnes)
        : strings(table), tooLongEntries(longOnes)
    {
        if (headerOnly)
            return;
        empty.resize(size_t(table.size()));
        for (qsizetype i = 0; i < table.size(); ++i)
            empty[size_t(i)] = table.at(i).isEmpty();
    }
    bool isEmpty(qsizetype i) const { return empty.empty() ? strings.at(i).isEmpty() : bool(empty[size_t(i)]); }
    bool tooLong(qsizetype i) const
    {
        return !tooLongEntries.empty() && std::binary_search(tooLongEntries.begin(), tooLongEntries.end(), i);
    }
    const QStringList& strings;
    const std::vector<qsizetype>& tooLongEntries; // kept empty in `strings`
    std::vector<bool> empty;
};

class WorksheetParser : public PartParser
{
public:
    // bodyMode: the input is a run of rows wrapped in a synthetic worksheet
    // and sheetData; anything closing that sheetData early marks it unusual.
    // The rows, cells and texts kept are charged to `budget`, so that empty
    // rows or a few values far to the right cannot exhaust memory; past it
    // the parse stops with tooLarge set.
    WorksheetParser(const SharedTable& shared, bool headerOnly, SheetContent& out, Budget& budget,
                    bool bodyMode = false)
        : m_shared(shared), m_headerOnly(headerOnly), m_bodyMode(bodyMode), m_budget(budget), m_out(out)
    {
        m_out.blocks.emplace_back();
        m_block = &m_out.blocks.back();
    }

    bool tooLarge() const { return m_out.tooLarge; }
    bool cellTooLong() const { return !m_out.tooLongCell.isEmpty(); }

    // Gives back to the budget what this read charged, when its rows go.
    void refund() { m_budget.used.fetch_sub(m_told, std::memory_order_relaxed); }

protected:
    void start(const char* local, const char** atts) override
    {
        switch (depth) {
        case 1:
            m_worksheet = is(local, "worksheet");
            return;
        case 2:
            if (!m_worksheet)
                return;
            if (m_bodyMode && m_sheetDataSeen) {
                markUnusual();
                return;
            }
            if (!m_dimensionSeen && is(local, "dimension")) {
                m_dimensionSeen = true;
                m_out.declaredColumns = dimensionColumns(attribute(atts, "ref"));
            } else if (!m_sheetDataSeen && is(local, "sheetData")) {
                m_sheetDataSeen = true;
                m_inSheetData = true;
            }
            return;
        case 3:
            if (m_inSheetData && is(local, "row"))
                startRow(attribute(atts, "r"));
            return;
        case 4:
            if (m_inRow && is(local, "c"))
                startCell(atts);
            return;
        case 5:
            if (!m_inCell)
                return;
            if (is(local, "v")) {
                m_hasV = true;
                m_v.clear();
                collect = &m_v;
            } else if (is(local, "is")) {
                m_hasIs = true;
                m_inIs = true;
                m_inline.begin(depth);
            }
            return;
        default:
            if (m_inIs)
                collect = m_inline.start(local, depth);
            return;
        }
    }

    void end(const char*) override
    {
        collect = nullptr;
        switch (depth) {
        case 2:
            m_inSheetData = false;
            return;
        case 3:
            if (m_inRow)
                endRow();
            return;
        case 4:
            if (m_inCell)
                endCell();
            return;
        case 5:
            m_inIs = false;
            return;
        default:
            if (m_inIs)
                m_inline.end(depth);
            return;
        }
    }

private:
    enum class Kind { Plain, Shared, Inline };

    static int dimensionColumns(const char* ref)
    {
        if (!ref)
            return 0;
        const char* last = std::strrchr(ref, ':');
        last = last ? last + 1 : ref;
        while (*last && static_cast<unsigned char>(*last) <= ' ')
            ++last;
        int letters = 0;
        while (last[letters] >= 'A' && last[letters] <= 'Z')
            ++letters;
        const int column = columnNumber(last, letters);
        return column < 0 ? 0 : column;
    }

    // A row numbered as the row before it goes on with that row (later
    // cells replace earlier ones); a row without a number follows the one
    // before. A header read ends at the first row of another number.
    void startRow(const char* number)
    {
        quint32 n = 0;
        for (const char* d = number; d && *d >= '0' && *d <= '9' && n <= quint32(kMaxRow); ++d)
            n = n * 10 + quint32(*d - '0');
        const bool valid = number && *number && n >= 1 && n <= quint32(kMaxRow) &&
                           std::all_of(number, number + std::strlen(number), [](char c) { return c >= '0' && c <= '9'; });
        const quint32 previous = m_block->rowNumbers.empty() ? 0 : m_block->rowNumbers.back();
        // Rows without a number at the start of a range count from the
        // range's start; the join adds the number of the row before it.
        const bool relative = m_out.relativeRows == qsizetype(m_block->rowNumbers.size());
        if (!valid && m_bodyMode && relative)
            ++m_out.relativeRows;
        n = valid ? n : previous + 1;
        if (m_headerOnly && !m_block->rowNumbers.empty() && n != previous) {
            stop();
            return;
        }
        m_inRow = true;
        m_nextPosition = 0;
        if (!m_block->rowNumbers.empty() && n == previous && !(relative && valid)) {
            // Reopened: its cells and its charged slots stand.
            m_block->rowEnds.pop_back();
            m_block->rowNumbers.pop_back();
            m_rowStart = m_block->rowEnds.empty() ? 0 : m_block->rowEnds.back();
            m_rowSlots = m_lastRowSlots;
        } else {
            m_rowStart = m_block->cells.size();
            // As many cells as the widest row so far, charged now: every
            // row reads as wide as the sheet.
            m_rowSlots = m_out.width;
            if (!charge(m_rowSlots * kSlotCost + kRowCost))
                return;
        }
        m_rowNumber = n;
    }

    // The cell at `position` of the row being read, as "B7".
    QString reference(int position) const { return columnLetters(position + 1) + QString::number(m_rowNumber); }

    void refuseLongCell()
    {
        m_out.tooLongCell = reference(m_position);
        stop();
    }

    void startCell(const char** atts)
    {
        const char* ref = attribute(atts, "r");
        const char* type = attribute(atts, "t");
        m_position = ref ? cellPosition(ref) : m_nextPosition;
        if (m_position < 0 || m_position >= kMaxColumn) {
            if (m_out.badReferences++ == 0)
                m_out.firstBadReference = text(ref);
            return;
        }
        m_inCell = true;
        m_kind = !type ? Kind::Plain : is(type, "s") ? Kind::Shared : is(type, "inlineStr") ? Kind::Inline : Kind::Plain;
        m_hasV = false;
        m_hasIs = false;
    }

    void endCell()
    {
        m_inCell = false;
        m_nextPosition = m_position + 1;
        if (valueTooLong()) {
            refuseLongCell();
            return;
        }
        const std::string* own = nullptr; // the value's bytes when it is a text of its own
        KeptCell cell;
        switch (m_kind) {
        case Kind::Shared:
            if (m_hasV) {
                const qsizetype shared = sharedIndex();
                if (shared >= 0 && m_shared.tooLong(shared)) {
                    refuseLongCell();
                    return;
                }
                // A cell without a value (a formatted blank) widens nothing.
                if (shared < 0 || m_shared.isEmpty(shared))
                    return;
                cell.at = quint32(shared);
                cell.what = KeptCell::Shared;
            }
            break;
        case Kind::Inline:
            if (m_hasIs)
                own = &m_inline.value;
            break;
        case Kind::Plain:
            if (m_hasV)
                own = &m_v;
            break;
        }
        QString value;
        qint64 bytes = 0;
        if (own) {
            // Plain ASCII (numbers, dates, codes) is kept as it is; other
            // text decoded, in one byte per character when Latin-1 holds it.
            const bool ascii = isPlainAscii(*own);
            if (!ascii)
                value = fromUtf8(*own);
            const qsizetype length = ascii ? qsizetype(own->size()) : value.size();
            if (length == 0)
                return;
            if (length > kMaxCellLength) {
                refuseLongCell();
                return;
            }
            const bool latin1 = ascii || isLatin1(value);
            bytes = latin1 ? length : 2 * qint64(length);
            const size_t offset = latin1 ? m_block->latin1.size() : m_block->utf16.size();
            if (quint64(length) > KeptCell::kMaxLength || offset + size_t(length) > UINT32_MAX) {
                m_out.tooLarge = true;
                stop();
                return;
            }
            cell.at = quint32(offset);
            cell.what = (latin1 ? KeptCell::Latin1 : KeptCell::Utf16) | quint32(length);
        } else if (cell.kind() == KeptCell::Empty) {
            return;
        }
        qint64 cost = textCost(bytes);
        m_out.textBytes += cost;
        if (m_rowSlots <= m_position) {
            cost += (m_position + 1 - m_rowSlots) * kSlotCost;
            m_rowSlots = m_position + 1;
        }
        if (!charge(cost))
            return;
        if (cell.kind() == KeptCell::Latin1 && value.isNull())
            m_block->latin1.append(*own);
        else if (cell.kind() == KeptCell::Latin1)
            m_block->latin1.append(value.toLatin1().constData(), size_t(value.size()));
        else if (cell.kind() == KeptCell::Utf16)
            m_block->utf16.append(reinterpret_cast<const char16_t*>(value.utf16()), size_t(value.size()));
        // Cells usually come in order, none skipped; a later cell of the
        // same column replaces an earlier one.
        const size_t at = m_rowStart + size_t(m_position);
        if (m_block->cells.size() <= at)
            m_block->cells.resize(at + 1);
        m_block->cells[at] = cell;
    }

    static bool isLatin1(const QString& text)
    {
        for (const QChar c : text) {
            if (c.unicode() > 0xFF)
                return false;
        }
        return true;
    }

    static bool isPlainAscii(const std::string& bytes)
    {
        for (const char c : bytes) {
            if (static_cast<unsigned char>(c) >= 0x80)
                return false;
        }
        return bytes.find("_x") == std::string::npos;
    }

    // The index of a shared-string cell, -1 (counted) when it names none.
    qsizetype sharedIndex()
    {
        size_t i = 0;
        size_t begin = m_v.find_first_not_of(" \t\r\n");
        size_t end = m_v.find_last_not_of(" \t\r\n");
        bool ok = begin != std::string::npos && end - begin < 10;
        for (size_t k = begin; ok && k <= end; ++k) {
            const char c = m_v[k];
            ok = c >= '0' && c <= '9';
            i = i * 10 + size_t(c - '0');
        }
        if (ok && i < size_t(m_shared.strings.size()))
            return qsizetype(i);
        if (m_out.badSharedIndexes++ == 0)
            m_out.firstBadSharedIndex = QString::fromUtf8(m_v.data(), qsizetype(m_v.size()));
        return -1;
    }

    // Adds `bytes` to the read's budget, telling the other threads in steps
    // of kChargeStep; false (and the parse stopped) once the read is over it.
    bool charge(qint64 bytes)
    {
        static constexpr qint64 kChargeStep = 1 << 16;
        m_pending += bytes;
        if (m_pending < kChargeStep)
            return true;
        const qint64 total = m_budget.used.fetch_add(m_pending, std::memory_order_relaxed) + m_pending;
        m_told += m_pending;
        m_pending = 0;
        if (total <= m_budget.limit)
            return true;
        m_out.tooLarge = true;
        stop();
        return false;
    }

    void endRow()
    {
        m_inRow = false;
        const size_t end = m_block->cells.size();
        if (qint64(end - m_rowStart) > m_out.width)
            m_out.width = int(end - m_rowStart);
        if (end > UINT32_MAX) {
            m_out.tooLarge = true;
            stop();
            return;
        }
        m_block->rowEnds.push_back(quint32(end));
        m_block->rowNumbers.push_back(m_rowNumber);
        m_lastRowSlots = m_rowSlots;
    }

    const SharedTable& m_shared;
    const bool m_headerOnly;
    const bool m_bodyMode;
    Budget& m_budget;
    qint64 m_pending = 0;
    qint64 m_told = 0; // charged to the budget so far
    SheetContent& m_out;
    RowBlock* m_block; // where the rows go

    bool m_worksheet = false;
    bool m_dimensionSeen = false;
    bool m_sheetDataSeen = false;
    bool m_inSheetData = false;
    bool m_inRow = false;
    bool m_inCell = false;
    bool m_inIs = false;
    bool m_hasV = false;
    bool m_hasIs = false;
    Kind m_kind = Kind::Plain;
    int m_position = 0;
    int m_nextPosition = 0;
    int m_rowSlots = 0;   // slots of the row charged to the budget
    int m_lastRowSlots = 0; // those of the row read last
    quint32 m_rowNumber = 0;
    size_t m_rowStart = 0; // the row's first cell in the block
    std::string m_v;
    RichText m_inline;
};

// Finds where the rows of a worksheet begin: the offset just past the first
// sheetData start tag under a worksheet root, and that tag's prefix.
class SheetDataLocator : public PartParser
{
public:
    qint64 contentStart = -1;
    QByteArray prefix;

protected:
    void start(const char* local, const char**) override
    {
        if (depth == 1 && !is(local, "worksheet")) {
            stop();
        } else if (depth == 2 && is(local, "sheetData")) {
            contentStart = offsetAfterTag();
            prefix = QByteArray(qualifiedName, qsizetype(local - qualifiedName));
            stop();
        }
    }
    void end(const char*) override {}
};

// A worksheet's rows as byte ranges that parse on their own: every range
// starts at a row start tag and the ranges together hold the whole content
// of sheetData. Used to read large sheets on several threads.
struct RowRanges
{
    QList<std::pair<qint64, qint64>> ranges;
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int readThreads() { return std::clamp(QThread::idealThreadCount(), 1, 8); }

// Plans the ranges; false when the sheet is small or anything about it
// (another encoding, a document type, a sheetData without content, markup
// outside the rows that does not parse) asks for the plain sequential read.
bool planRowRanges(const QString& path, RowRanges& plan)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < parallelReadMinimum)
        return false;
    const qint64 size = file.size();
    SheetDataLocator locator;
    QString message;
    if (locator.run(path, message) != ParseResult::Parsed || locator.contentStart <= 0)
        return false;
    const qint64 begin = locator.contentStart;
    // The markup around the rows is read whole below: it has to be small.
    if (begin > kMaxMarkupBytes)
        return false;
    const QByteArray head = file.read(begin);
    if (head.size() != begin || head.endsWith("/>") || head.contains("<!DOCTYPE") || head.startsWith("\xFE\xFF") ||
        head.startsWith("\xFF\xFE") || head.contains('\0'))
        return false;
    const qsizetype declEnd = head.startsWith("<?xml") ? head.indexOf("?>") : -1;
    const qsizetype enc = declEnd > 0 ? head.left(declEnd).indexOf("encoding") : -1;
    if (enc >= 0 && !head.mid(enc, declEnd - enc).toLower().contains("utf-8"))
        return false;

    // The last sheetData end tag, searched from the end of the part.
    const QByteArray closeTag = "</" + locator.prefix + "sheetData";
    const qint64 window = 1 << 20;
    qint64 end = -1;
    for (qint64 to = size; to > begin && end < 0; to -= window) {
        const qint64 from = std::max(begin, to - window - qint64(closeTag.size()));
        file.seek(from);
        const QByteArray block = file.read(to - from);
        const qsizetype at = block.lastIndexOf(closeTag);
        if (at >= 0)
            end = from + at;
    }
    if (end < 0 || size - end > kMaxMarkupBytes)
        return false;
    // Everything but the rows must be well-formed on its own.
    file.seek(end);
    const QByteArray frame = head + file.readAll();
    XML_Parser check = XML_ParserCreate("UTF-8");
    const bool frameOk = XML_Parse(check, frame.constData(), int(frame.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(check);
    if (!frameOk)
        return false;

    // Cut points: the first row start tag after each equal share; two
    // shares per thread, so that a thread held up finds the others taking
    // on its second share.
    const QByteArray rowTag = "<" + locator.prefix + "row";
    const int parts = int(std::clamp<qint64>((end - begin) / std::max<qint64>(1, parallelReadMinimum / 2), 1,
                                             2 * readThreads()));
    qint64 from = begin;
    for (int k = 1; k < parts; ++k) {
        qint64 probe = std::max(from + 1, begin + (end - begin) * k / parts);
        qint64 cut = -1;
        while (cut < 0 && probe < end) {
            file.seek(probe);
            const QByteArray block = file.read(std::min<qint64>(65536, end - probe) + rowTag.size() + 1);
            for (qsizetype at = block.indexOf(rowTag); at >= 0; at = block.indexOf(rowTag, at + 1)) {
                const qsizetype after = at + rowTag.size();
                if (after < block.size() && (isSpace(block[after]) || block[after] == '>' || block[after] == '/')) {
                    cut = probe + at;
                    break;
                }
            }
            probe += 65536;
        }
        if (cut < 0 || cut >= end)
            break;
        plan.ranges.append({from, cut});
        from = cut;
    }
    plan.ranges.append({from, end});
    return plan.ranges.size() > 1;
}

// Reads the planned ranges on several threads, all charged to one
// budget, and joins their rows in order. False when a range did not parse
// cleanly or went over the budget: the caller then reads the part in one
// pass, whose result (rows, refusal or error) is the one that counts.
bool readRowRanges(const QString& path, const SharedTable& sharedStrings, const RowRanges& plan, qint64 budget,
                   SheetContent& out)
{
    const qsizetype n = plan.ranges.size();
    std::vector<SheetContent> parts(static_cast<size_t>(n));
    std::vector<char> ok(size_t(n), char(0));
    Budget shared(budget);
    static const QByteArray before = "<worksheet><sheetData>";
    static const QByteArray after = "</sheetData></worksheet>";
    auto work = [&](qsizetype k) {
        QString message;
        const auto [from, to] = plan.ranges[k];
        if (plainXmlReading) {
            WorksheetParser parser(sharedStrings, false, parts[size_t(k)], shared, /*bodyMode*/ true);
            ParseResult result;
            if (parser.parsePlain(path, from, to, before, after, result, message)) {
                ok[size_t(k)] = result == ParseResult::Parsed && !parser.unusual() && !parser.tooLarge() &&
                                !parser.cellTooLong();
                parts[size_t(k)].plain = true;
                return;
            }
            parser.refund();
            parts[size_t(k)] = SheetContent();
        }
        WorksheetParser parser(sharedStrings, false, parts[size_t(k)], shared, /*bodyMode*/ true);
        ok[size_t(k)] = parser.parse(path, from, to, before, after, message, /*watchMarkup*/ true) == ParseResult::Parsed &&
                        !parser.unusual() && !parser.tooLarge() && !parser.cellTooLong();
    };
    std::atomic<qsizetype> next{0};
    auto pull = [&] {
        for (qsizetype k = next++; k < n; k = next++) {
            work(k);
        }
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < std::min<qsizetype>(n, readThreads()) && platform::startThread(threads, pull); ++t)
        ;
    pull();
    for (auto& t : threads)
        t.join();
    if (std::find(ok.begin(), ok.end(), 0) != ok.end())
        return false;
    out.ranges = int(n);
    out.plain = std::all_of(parts.begin(), parts.end(), [](const SheetContent& p) { return p.plain; });
    quint32 lastNumber = 0; // of the last row of the ranges joined so far
    for (auto& p : parts) {
        for (RowBlock& block : p.blocks) {
            for (qsizetype r = 0; r < p.relativeRows; ++r)
                block.rowNumbers[size_t(r)] += lastNumber;
            if (!block.rowNumbers.empty())
                lastNumber = block.rowNumbers.back();
            out.blocks.push_back(std::move(block));
        }
        out.textBytes += p.textBytes;
        out.width = std::max(out.width, p.width);
        if (out.badReferences == 0)
            out.firstBadReference = p.firstBadReference;
        out.badReferences += p.badReferences;
        if (out.badSharedIndexes == 0)
            out.firstBadSharedIndex = p.firstBadSharedIndex;
        out.badSharedIndexes += p.badSharedIndexes;
    }
    return true;
}

// Rows out of order (a sheet that goes back, or a repeat read on another
// thread) are put in the order of their numbers, as other readers order
// them; rows of one number merge, as the row just before does while
// reading: their cells in order, a later value replacing an earlier one of
// its column. False when the merged copy would not fit the budget beside
// the rows.
bool mergeRepeatedRows(SheetContent& out, qint64 budget)
{
    auto done = [&] {
        for (RowBlock& block : out.blocks)
            std::vector<quint32>().swap(block.rowNumbers);
        return true;
    };
    quint32 last = 0;
    bool increasing = true;
    for (const RowBlock& block : out.blocks) {
        for (const quint32 n : block.rowNumbers) {
            increasing = increasing && n > last;
            last = n;
        }
    }
    if (increasing)
        return done();
    if (2 * keptCost(out) > budget)
        return false;
    // Every row as (block, row), in the order of their numbers; rows of one
    // number keep their reading order.
    std::vector<std::pair<quint32, quint32>> rows;
    for (size_t b = 0; b < out.blocks.size(); ++b)
        for (size_t r = 0; r < out.blocks[b].rowEnds.size(); ++r)
            rows.emplace_back(quint32(b), quint32(r));
    const auto number = [&](const std::pair<quint32, quint32>& row) {
        return out.blocks[row.first].rowNumbers[row.second];
    };
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const auto& a, const auto& b) { return number(a) < number(b); });
    RowBlock merged;
    for (size_t i = 0; i < rows.size();) {
        const quint32 n = number(rows[i]);
        const size_t start = merged.cells.size();
        for (; i < rows.size() && number(rows[i]) == n; ++i) {
            const RowBlock& block = out.blocks[rows[i].first];
            const quint32 r = rows[i].second;
            const quint32 from = r == 0 ? 0 : block.rowEnds[r - 1];
            for (quint32 c = from; c < block.rowEnds[r]; ++c) {
                KeptCell cell = block.cells[c];
                if (cell.kind() == KeptCell::Empty)
                    continue;
                if (cell.kind() == KeptCell::Latin1) {
                    const quint32 at = quint32(merged.latin1.size());
                    merged.latin1.append(block.latin1, cell.at, cell.length());
                    cell.at = at;
                } else if (cell.kind() == KeptCell::Utf16) {
                    const quint32 at = quint32(merged.utf16.size());
                    merged.utf16.append(block.utf16, cell.at, cell.length());
                    cell.at = at;
                }
                const size_t slot = start + (c - from);
                if (merged.cells.size() <= slot)
                    merged.cells.resize(slot + 1);
                merged.cells[slot] = cell;
            }
        }
        merged.rowEnds.push_back(quint32(merged.cells.size()));
    }
    out.blocks.clear();
    out.blocks.push_back(std::move(merged));
    return true;
}

bool isHex(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'F') || (u >= 'a' && u <= 'f');
}

// True when text[i..] starts a `_xHHHH_` escape.
bool escapeAt(const QString& text, qsizetype i)
{
    if (i + 7 > text.size() || text[i] != u'_' || text[i + 1] != u'x' || text[i + 6] != u'_')
        return false;
    return isHex(text[i + 2]) && isHex(text[i + 3]) && isHex(text[i + 4]) && isHex(text[i + 5]);
}

void appendCodeEscape(std::string& out, char16_t u)
{
    static const char digits[] = "0123456789ABCDEF";
    out += "_x";
    for (int shift = 12; shift >= 0; shift -= 4)
        out.push_back(digits[(u >> shift) & 0xF]);
    out.push_back('_');
}

} // namespace

qsizetype SheetContent::rowCount() const
{
    qsizetype rows = 0;
    for (const RowBlock& block : blocks)
        rows += qsizetype(block.rowEnds.size());
    return rows;
}

SheetRows SheetContent::takeRows(const QStringList& sharedStrings)
{
    SheetRows rows(sharedStrings, std::move(blocks), width);
    blocks.clear();
    return rows;
}

ParseResult readRelationships(const QString& path, QList<Relationship>& out, QString& message)
{
    RelationshipsParser parser(out);
    return parser.run(path, message);
}

ParseResult readWorkbookSheets(const QString& path, QList<SheetEntry>& out, QString& message)
{
    WorkbookParser parser(out);
    return parser.run(path, message);
}

ParseResult readSharedStrings(const QString& path, QStringList& out, QString& message, qint64& kept,
                              qint64 budget, std::vector<qsizetype>* tooLong)
{
    ParseResult result;
    if (tooLong)
        tooLong->clear();
    if (plainXmlReading) {
        SharedStringsParser parser(out, budget, tooLong);
        if (parser.parsePlain(path, 0, -1, {}, {}, result, message)) {
            kept = parser.kept;
            if (result == ParseResult::Parsed && parser.tooLarge()) {
                out = QStringList();
                result = ParseResult::TooLarge;
            }
            return result;
        }
        out = QStringList();
        if (tooLong)
            tooLong->clear();
    }
    SharedStringsParser parser(out, budget, tooLong);
    result = parser.run(path, message);
    kept = parser.kept;
    if (result == ParseResult::Parsed && parser.tooLarge()) {
        out = QStringList();
        result = ParseResult::TooLarge;
    }
    return result;
}

ParseResult readWorksheet(const QString& path, const QStringList& sharedStrings, bool headerOnly,
                          SheetContent& out, QString& message, qint64 budget,
                          const std::vector<qsizetype>& tooLongShared)
{
    ParseResult result = ParseResult::Parsed;
    const SharedTable table(sharedStrings, headerOnly, tooLongShared);
    RowRanges plan;
    if (headerOnly || !planRowRanges(path, plan) || !readRowRanges(path, table, plan, budget, out)) {
        bool read = false;
        if (plainXmlReading) {
            out = SheetContent();
            Budget own(budget);
            WorksheetParser parser(table, headerOnly, out, own);
            read = parser.parsePlain(path, 0, -1, {}, {}, result, message);
            out.tooLarge = parser.tooLarge();
            out.plain = read;
        }
        if (!read) {
            out = SheetContent();
            Budget own(budget);
            WorksheetParser parser(table, headerOnly, out, own);
            result = parser.run(path, message);
            out.tooLarge = parser.tooLarge();
        }
    }
    if (result == ParseResult::Parsed && !out.tooLongCell.isEmpty()) {
        const QString cell = out.tooLongCell;
        out = SheetContent();
        out.tooLongCell = cell;
        return ParseResult::CellTooLong;
    }
    if (result == ParseResult::Parsed &&
        (out.tooLarge || keptCost(out) > budget || !mergeRepeatedRows(out, budget))) {
        out = SheetContent();
        out.tooLarge = true;
        result = ParseResult::TooLarge;
    }
    return result;
}

qint64 readBudget(qint64 fileBytes)
{
    return std::min(maxKeptBytes, std::max(qint64(80) << 20, 7 * fileBytes));
}

QString columnLetters(int number)
{
    QString name;
    for (int n = number; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

int columnNumber(const char* letters, int length)
{
    if (length < 1 || length > 3)
        return -1;
    int n = 0;
    for (int i = 0; i < length; ++i) {
        if (letters[i] < 'A' || letters[i] > 'Z')
            return -1;
        n = n * 26 + (letters[i] - 'A' + 1);
    }
    return n <= kMaxColumn ? n : -1;
}

QString decodeEscapes(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (escapeAt(text, i)) {
            out.append(QChar(char16_t(text.mid(i + 2, 4).toUShort(nullptr, 16))));
            i += 7;
        } else {
            out.append(text[i++]);
        }
    }
    return out;
}

void appendEscaped(std::string& out, const QString& text)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text[i].unicode();
        switch (u) {
        case u'&': out += "&amp;"; continue;
        case u'<': out += "&lt;"; continue;
        case u'>': out += "&gt;"; continue;
        case u'\r': out += "&#13;"; continue;
        case u'\t':
        case u'\n': out.push_back(char(u)); continue;
        case u'_':
            if (escapeAt(text, i))
                out += "_x005F";
            out.push_back('_');
            continue;
        default: break;
        }
        if (u < 0x20 || u == 0xFFFE || u == 0xFFFF) {
            appendCodeEscape(out, u);
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(text[i + 1].unicode())) {
            appendUtf8(out, QChar::surrogateToUcs4(u, text[i + 1].unicode()));
            ++i;
        } else if (QChar::isSurrogate(u)) {
            appendCodeEscape(out, u);
        } else {
            appendUtf8(out, u);
        }
    }
}

bool isCanonicalNumber(const QString& text)
{
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    const qsizetype intStart = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    const qsizetype intDigits = i - intStart;
    if (intDigits == 0 || (intDigits > 1 && text[intStart] == u'0'))
        return false;
    qsizetype fracDigits = 0;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        const qsizetype fracStart = i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
        fracDigits = i - fracStart;
        // "1.", "1.50" and "1.0" are not how any reader shows a number.
        if (fracDigits == 0 || text[i - 1] == u'0')
            return false;
        // Below 0.0001 readers switch to exponent notation.
        if (text[intStart] == u'0' && text.mid(fracStart, 4) == QLatin1String("0000"))
            return false;
    }
    // "-0" reads as 0 everywhere.
    if (intStart == 1 && fracDigits == 0 && text[1] == u'0')
        return false;
    // Up to 15 digits a decimal is the shortest text of the double it
    // parses to, so every reader shows these very characters.
    return i == text.size() && intDigits + fracDigits <= 15;
}

} // namespace xlsx
