#pragma once
// The XML parts of a SpreadsheetML package as the workbook reader and writer
// need them: streaming readers (expat) for relationships, the workbook's
// sheet list, the shared strings and one worksheet, and the text helpers of
// the writer. Element and attribute names match by local name, whatever the
// prefix, so transitional, strict and prefixed parts read alike.
#include "batch/SheetRows.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace xlsx {

// Result of reading one part.
// TooLarge: the part would keep more than the read's memory budget.
// CellTooLong: a cell of the sheet holds more than kMaxCellLength characters.
enum class ParseResult { Parsed, Missing, Malformed, TooLarge, CellTooLong };

// The most characters a cell holds, as in every spreadsheet program.
constexpr int kMaxCellLength = 32767;

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
// runs' `t` joined (phonetic runs left out), `_xHHHH_` decoded. `kept`
// receives what the table costs of `budget`; past it the table is
// refused (TooLarge, `out` empty). An entry longer than a cell may hold is
// kept empty and its index goes to `tooLong` (when given), in order: only
// a cell that shows it is refused.
ParseResult readSharedStrings(const QString& path, QStringList& out, QString& message, qint64& kept,
                              qint64 budget, std::vector<qsizetype>* tooLong = nullptr);

// What a worksheet read gives back.
struct SheetContent
{
    std::vector<RowBlock> blocks; // the rows of each `row`, as wide as its last value
    qsizetype rowCount() const;
    // The rows, each as wide as the widest, shared-string cells taken from
    // `sharedStrings` (the table the read was given); the blocks move into them.
    SheetRows takeRows(const QStringList& sharedStrings);
    int declaredColumns = 0;  // column of the `dimension` range's last cell, 0 when none
    int width = 0;            // rightmost value's position + 1 over the rows read
    int badReferences = 0;    // cells skipped for a malformed or too wide reference
    QString firstBadReference;
    int badSharedIndexes = 0; // shared-string indexes that resolve to nothing
    QString firstBadSharedIndex;
    int ranges = 1;           // byte ranges read on their own threads
    bool plain = false;       // read by the plain reader (every range of it)
    qint64 textBytes = 0;     // what the values' own texts cost
    bool tooLarge = false;    // the rows would keep more than the budget
    QString tooLongCell;      // reference (such as "B7") of a cell longer than kMaxCellLength
    qsizetype relativeRows = 0; // first rows of a range, numbered from the range's start
};

// The most a workbook read may keep in memory, in bytes: its shared
// strings and the rows of one sheet (rows, cell slots up to the sheet's
// width, texts, as SheetRows keeps them). Past it the part is refused; bounded so that no file,
// however small its zip, can drive the memory further.
extern qint64 maxKeptBytes;
// What the read of a workbook file of `fileBytes` may keep: a workbook
// keeps about five times its zip in memory, so small files get a fixed
// share well under what they could claim by their size, large ones up to
// maxKeptBytes.
qint64 readBudget(qint64 fileBytes);

// Reads the rows of a worksheet part (only the first with headerOnly);
// cells with no value hold "". Rows are packed in document order; a row
// whose number was read before is merged into that row, later cells
// replacing earlier ones of their column. A cell longer than kMaxCellLength
// (its own text, or a shared string listed in `tooLongShared`, sorted)
// gives CellTooLong and its reference in out.tooLongCell. Rows that
// would keep more than `budget` bytes, once padded to the sheet's width,
// give TooLarge and no rows. A full read of a part of at least
// parallelReadMinimum bytes is cut at row tags and read on several threads;
// whenever that road does not finish cleanly the part is read in one pass,
// so the result never depends on the threads.
ParseResult readWorksheet(const QString& path, const QStringList& sharedStrings, bool headerOnly,
                          SheetContent& out, QString& message, qint64 budget,
                          const std::vector<qsizetype>& tooLongShared = {});

extern qint64 parallelReadMinimum;

// Shared strings and worksheets are read by a reader of the plain XML that
// producers write, and by expat whenever a part holds anything else; both
// give the same result. Tests turn the plain reader off to compare.
extern bool plainXmlReading;

// Decodes `_xHHHH_` escapes of an ECMA-376 string.
QString decodeEscapes(const QString& text);

// Appends `text` as UTF-8 element content: &, <, > as entities, CR as a
// character reference, other characters XML cannot hold and a literal
// `_xHHHH_` as `_xHHHH_` escapes, so the part is always well-formed.
void appendEscaped(std::string& out, const QString& text);

// True when `text` is exactly the text readers show for the number it
// stands for, so the workbook can hold it as a number cell: optional "-",
// digits without a superfluous leading zero, optional "." and digits not
// ending in 0, 15 digits at most, not "-0" and not below 0.0001 ("12",
// "-3.5", "0.5"; not "0.50", "1.0", "-0", "007", "1e5").
bool isCanonicalNumber(const QString& text);

// 1-based column number of letters A..XFD, -1 for anything else.
int columnNumber(const char* letters, int length);
// Letters of a 1-based column number: 1 -> "A", 27 -> "AA", 703 -> "AAA".
QString columnLetters(int number);

} // namespace xlsx
