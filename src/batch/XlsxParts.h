#pragma once
// The XML parts of a SpreadsheetML package as the workbook reader and writer
// need them: streaming readers (expat) for relationships, the workbook's
// sheet list, the shared strings and one worksheet, and the text helpers of
// the writer. Element and attribute names match by local name, whatever the
// prefix, so transitional, strict and prefixed parts read alike.
#include <QList>
#include <QString>
#include <QStringList>

#include <string>

namespace xlsx {

// Result of reading one part.
enum class ParseResult { Parsed, Missing, Malformed };

// One relationship of a part's ".rels" file.
struct Relationship
{
    QString id;
    QString type;
    QString target;
    bool external = false;
};

// Reads a ".rels" part. `message` receives the parser's complaint.
ParseResult readRelationships(const QString& path, QList<Relationship>& out, QString& message);

// One sheet of the workbook part: its tab name and relationship id.
struct SheetEntry
{
    QString name;
    QString relationshipId;
};
ParseResult readWorkbookSheets(const QString& path, QList<SheetEntry>& out, QString& message);

// Reads the shared-string table: one entry per `si`, its direct `t` or its
// runs' `t` joined (phonetic runs left out), `_xHHHH_` decoded.
ParseResult readSharedStrings(const QString& path, QStringList& out, QString& message);

// What a worksheet read gives back.
struct SheetContent
{
    QList<QStringList> rows;  // one list per `row`, as wide as its last value
    int declaredColumns = 0;  // column of the `dimension` range's last cell, 0 when none
    int width = 0;            // rightmost value's position + 1 over the rows read
    int badReferences = 0;    // cells skipped for a malformed or too wide reference
    QString firstBadReference;
    int badSharedIndexes = 0; // shared-string indexes that resolve to nothing
    QString firstBadSharedIndex;
    int ranges = 1;           // byte ranges read on their own threads
    bool tooLarge = false;    // the rows would hold more than maxRowSlots cells
};

// The most cells (values and the blanks before them) the rows of one read
// may hold in all, about 400 MB; a larger sheet reads as empty.
extern qint64 maxRowSlots;

// Reads the rows of a worksheet part (only the first with headerOnly);
// cells with no value hold "". Rows are packed in document order. A full
// read of a part of at least parallelReadMinimum bytes is cut at row tags
// and read on several threads, with the same result as one pass.
ParseResult readWorksheet(const QString& path, const QStringList& sharedStrings, bool headerOnly,
                          SheetContent& out, QString& message);

extern qint64 parallelReadMinimum;

// Decodes `_xHHHH_` escapes of an ECMA-376 string.
QString decodeEscapes(const QString& text);

// Appends `text` as UTF-8 element content: &, <, > as entities, CR as a
// character reference, other characters XML cannot hold and a literal
// `_xHHHH_` as `_xHHHH_` escapes, so the part is always well-formed.
void appendEscaped(std::string& out, const QString& text);

// True for a plain decimal the workbook can hold as a number and give back
// unchanged: optional "-", digits without a superfluous leading zero,
// optional "." followed by digits, 15 digits at most.
bool isPlainDecimal(const QString& text);

// 1-based column number of letters A..XFD, -1 for anything else.
int columnNumber(const char* letters, int length);

} // namespace xlsx
