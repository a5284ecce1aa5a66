#include "batch/XlsxParts.h"

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
qint64 maxKeptBytes = qint64(256) << 20;

namespace {

constexpr int kMaxColumn = 16384; // XFD
constexpr int kMaxRow = 1048576;
constexpr int kReadBlock = 1 << 17;

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

// Streams one part (or a byte range of it) through expat. Subclasses see
// local names and the depth of the element (root = 1); `collect` points at
// the string that receives character data, or is null.
class PartParser
{
public:
    virtual ~PartParser() = default;

    ParseResult run(const QString& path, QString& message) { return parse(path, 0, -1, {}, {}, message); }

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
        XML_Parser parser = XML_ParserCreate(before.isEmpty() ? nullptr : "UTF-8");
        m_parser = parser;
        XML_SetUserData(parser, this);
        XML_SetElementHandler(parser, &PartParser::onStart, &PartParser::onEnd);
        XML_SetCharacterDataHandler(parser, &PartParser::onText);
        if (watchMarkup) {
            XML_SetCommentHandler(parser, [](void* self, const XML_Char*) { static_cast<PartParser*>(self)->markUnusual(); });
            XML_SetStartCdataSectionHandler(parser, [](void* self) { static_cast<PartParser*>(self)->markUnusual(); });
            XML_SetProcessingInstructionHandler(
                parser, [](void* self, const XML_Char*, const XML_Char*) { static_cast<PartParser*>(self)->markUnusual(); });
        }
        ParseResult result = ParseResult::Parsed;
        qint64 remaining = end < 0 ? std::numeric_limits<qint64>::max() : end - begin;
        bool more = before.isEmpty() || accepted(XML_Parse(parser, before.constData(), int(before.size()), XML_FALSE));
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
        }
        if (!more) {
            message = QStringLiteral("%1 at line %2 of %3")
                          .arg(QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(parser))))
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
    // Character data of one element longer than this stops the parse and
    // sets overflowed(): a single value must not outgrow the read's budget.
    size_t collectLimit = std::numeric_limits<size_t>::max();
    bool overflowed() const { return m_overflowed; }

    virtual void start(const char* local, const char** atts) = 0;
    virtual void end(const char* local) = 0;

    // Ends the parse early; what was read so far stands.
    void stop()
    {
        m_stopped = true;
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
        if (p->collect->size() + size_t(len) > p->collectLimit) {
            p->m_overflowed = true;
            p->collect = nullptr;
            p->stop();
            return;
        }
        p->collect->append(s, size_t(len));
    }

    void* m_parser = nullptr;
    bool m_stopped = false;
    bool m_unusual = false;
    bool m_overflowed = false;
};

// What kept data costs, in bytes: a row is one entry of the row list,
// counted twice for the list's growth reserve; a cell slot is one QString;
// a text of its own adds its characters and their allocation. Values taken
// from the shared-string table share its text and cost only their slot.
constexpr qint64 kRowCost = 2 * qint64(sizeof(QStringList));
constexpr qint64 kSlotCost = qint64(sizeof(QString));
constexpr qint64 kSharedEntryCost = 2 * kSlotCost;
qint64 textCost(qsizetype length) { return length == 0 ? 0 : 32 + 2 * qint64(length); }

// The budget of one read, shared by the threads that read its ranges.
struct Budget
{
    explicit Budget(qint64 bytes) : limit(bytes) {}
    const qint64 limit;
    std::atomic<qint64> used{0};
};

// What the rows of `content` keep once every row is padded to its width.
qint64 keptCost(const SheetContent& content)
{
    const qint64 rows = content.rows.size();
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
    SharedStringsParser(QStringList& out, qint64 budget) : m_out(out), m_budget(budget)
    {
        collectLimit = size_t(std::max<qint64>(0, budget / 2));
    }

    qint64 kept = 0;
    bool tooLarge() const { return m_tooLarge || overflowed(); }

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
            QString entry = fromUtf8(m_item.value);
            kept += kSharedEntryCost + textCost(entry.size());
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

class WorksheetParser : public PartParser
{
public:
    // bodyMode: the input is a run of rows wrapped in a synthetic worksheet
    // and sheetData; anything closing that sheetData early marks it unusual.
    // The rows, cells and texts kept are charged to `budget`, so that empty
    // rows or a few values far to the right cannot exhaust memory; past it
    // the parse stops with tooLarge set.
    WorksheetParser(const QStringList& shared, bool headerOnly, SheetContent& out, Budget& budget,
                    bool bodyMode = false)
        : m_shared(shared), m_headerOnly(headerOnly), m_bodyMode(bodyMode), m_budget(budget), m_out(out)
    {
        collectLimit = size_t(std::max<qint64>(0, budget.limit / 2));
    }

    bool tooLarge() const { return m_out.tooLarge || overflowed(); }

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
            if (m_inSheetData && is(local, "row")) {
                m_inRow = true;
                m_row = QStringList();
                // Room for as many cells as the widest row so far, charged
                // now: every row is padded to the sheet's width in the end.
                m_rowSlots = m_out.width;
                if (!charge(m_rowSlots * kSlotCost))
                    return;
                m_row.reserve(m_rowSlots);
                m_nextPosition = 0;
            }
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
        QString value;
        switch (m_kind) {
        case Kind::Shared:
            if (m_hasV)
                value = sharedString();
            break;
        case Kind::Inline:
            if (m_hasIs)
                value = fromUtf8(m_inline.value);
            break;
        case Kind::Plain:
            if (m_hasV)
                value = fromUtf8(m_v);
            break;
        }
        // A cell without a value (a formatted blank) widens nothing.
        if (value.isEmpty())
            return;
        qint64 cost = 0;
        if (m_kind != Kind::Shared) {
            cost = textCost(value.size());
            m_out.textBytes += cost;
        }
        if (m_rowSlots <= m_position) {
            cost += (m_position + 1 - m_rowSlots) * kSlotCost;
            m_rowSlots = m_position + 1;
        }
        if (!charge(cost))
            return;
        if (m_row.size() == m_position) {
            m_row.append(std::move(value)); // the usual case: cells in order, none skipped
            return;
        }
        if (m_row.size() < m_position)
            m_row.resize(m_position + 1, m_empty);
        m_row[m_position] = std::move(value);
    }

    QString sharedString()
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
        if (ok && i < size_t(m_shared.size()))
            return m_shared.at(qsizetype(i));
        if (m_out.badSharedIndexes++ == 0)
            m_out.firstBadSharedIndex = QString::fromUtf8(m_v.data(), qsizetype(m_v.size()));
        return m_empty;
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
        if (!charge(kRowCost))
            return;
        if (m_row.size() > m_out.width)
            m_out.width = int(m_row.size());
        m_out.rows.append(std::move(m_row));
        if (m_headerOnly)
            stop();
    }

    const QStringList& m_shared;
    const bool m_headerOnly;
    const bool m_bodyMode;
    Budget& m_budget;
    qint64 m_pending = 0;
    SheetContent& m_out;
    const QString m_empty = QStringLiteral("");

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
    int m_rowSlots = 0; // slots of m_row charged to the budget
    QStringList m_row;
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
    if (end < 0)
        return false;
    // Everything but the rows must be well-formed on its own.
    file.seek(end);
    const QByteArray frame = head + file.readAll();
    XML_Parser check = XML_ParserCreate("UTF-8");
    const bool frameOk = XML_Parse(check, frame.constData(), int(frame.size()), XML_TRUE) == XML_STATUS_OK;
    XML_ParserFree(check);
    if (!frameOk)
        return false;

    // Cut points: the first row start tag after each equal share.
    const QByteArray rowTag = "<" + locator.prefix + "row";
    const int parts = int(std::clamp<qint64>((end - begin) / std::max<qint64>(1, parallelReadMinimum / 2), 1, std::min(8, QThread::idealThreadCount())));
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

// Reads the planned ranges on their own threads, all charged to one
// budget, and joins their rows in order. False when a range did not parse
// cleanly or went over the budget: the caller then reads the part in one
// pass, whose result (rows, refusal or error) is the one that counts.
bool readRowRanges(const QString& path, const QStringList& sharedStrings, const RowRanges& plan, qint64 budget,
                   SheetContent& out)
{
    const qsizetype n = plan.ranges.size();
    std::vector<SheetContent> parts(static_cast<size_t>(n));
    std::vector<char> ok(size_t(n), char(0));
    Budget shared(budget);
    auto work = [&](qsizetype k) {
        WorksheetParser parser(sharedStrings, false, parts[size_t(k)], shared, /*bodyMode*/ true);
        QString message;
        const auto [from, to] = plan.ranges[k];
        ok[size_t(k)] = parser.parse(path, from, to, "<worksheet><sheetData>", "</sheetData></worksheet>", message,
                                     /*watchMarkup*/ true) == ParseResult::Parsed &&
                        !parser.unusual() && !parser.tooLarge();
    };
    std::vector<std::thread> threads;
    for (qsizetype k = 1; k < n; ++k)
        threads.emplace_back(work, k);
    work(0);
    for (auto& t : threads)
        t.join();
    if (std::find(ok.begin(), ok.end(), 0) != ok.end())
        return false;
    qsizetype total = 0;
    for (const auto& p : parts)
        total += p.rows.size();
    out.rows.reserve(total);
    out.ranges = int(n);
    for (auto& p : parts) {
        out.rows.append(std::move(p.rows));
        p.rows = QList<QStringList>(); // its list goes now, not after the join
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

void appendCodeEscape(std::string& out, char16_t u)
{
    static const char digits[] = "0123456789ABCDEF";
    out += "_x";
    for (int shift = 12; shift >= 0; shift -= 4)
        out.push_back(digits[(u >> shift) & 0xF]);
    out.push_back('_');
}

} // namespace

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

ParseResult readSharedStrings(const QString& path, QStringList& out, QString& message, qint64& kept)
{
    SharedStringsParser parser(out, maxKeptBytes);
    ParseResult result = parser.run(path, message);
    kept = parser.kept;
    if (result == ParseResult::Parsed && parser.tooLarge()) {
        out = QStringList();
        result = ParseResult::TooLarge;
    }
    return result;
}

ParseResult readWorksheet(const QString& path, const QStringList& sharedStrings, bool headerOnly,
                          SheetContent& out, QString& message, qint64 budget)
{
    ParseResult result = ParseResult::Parsed;
    RowRanges plan;
    if (headerOnly || !planRowRanges(path, plan) || !readRowRanges(path, sharedStrings, plan, budget, out)) {
        out = SheetContent();
        Budget own(budget);
        WorksheetParser parser(sharedStrings, headerOnly, out, own);
        result = parser.run(path, message);
        out.tooLarge = parser.tooLarge();
    }
    if (result == ParseResult::Parsed && (out.tooLarge || keptCost(out) > budget)) {
        out = SheetContent();
        out.tooLarge = true;
        result = ParseResult::TooLarge;
    }
    return result;
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
