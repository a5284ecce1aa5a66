#pragma once
// The design log: one XML property list whose root array holds, without
// keys and in a fixed order, the header, the 28 items of the front and of the
// back side record, the spreadsheet binding (use, source path, column
// titles, rows) and the keyed archive of every front and back graphic, each
// list preceded by its count. Headless: encoding takes a staged design and
// gives the array; decoding checks the whole array and gives a complete
// stage or nothing, so a caller applies either all of a log or none of it.
#include "drawing/Card_Property.h"
#include "drawing/QBXGraphic.h"
#include "platform/plist.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

namespace design_log {

inline const QString kHeader = QStringLiteral("VELTCARDPROJECTHEADER");
// Header, 2 x 28 record items, 4 binding items and two counts.
inline constexpr int kItemsWithoutGraphics = 63;
inline constexpr int kRecordItems = 28;
// The most column titles a spreadsheet binding can hold (the row-number
// column and every column a sheet can have).
inline constexpr int kMaxTitles = 16385;
// Files larger than this are refused before they are read, and designs
// that would be larger are not saved.
inline constexpr qint64 kMaxFileBytes = platform::kMaxPlistBytes;
// Size the document takes when the stored front size is unusable (points).
inline constexpr double kFallbackWidth = 243.0;
inline constexpr double kFallbackHeight = 154.0;

// Everything a log holds, decoded and checked, not yet applied.
struct Stage {
    Card_Property front;
    Card_Property back;
    bool excelUse = false;
    QString excelSourcePath;
    QStringList titles;  // every column title, the row-number column first
    QVariantList rows;   // each a QVariantMap of column identifier -> cell text
    GraphicList frontGraphics;
    GraphicList backGraphics;
};

// Writes the log of the stage as the root array into `out`. Records are
// written as they stand: the caller empties a non-picture side's picture
// path first.
void encode(const Stage& stage, platform::PlistXmlWriter& out);
// The whole log file's text.
QByteArray toXml(const Stage& stage);

// Checks and decodes a whole log. Nullopt with the reason when anything is
// wrong: not an array, empty, wrong header, too few items or an item of the
// wrong type at a position, a count out of range, too many titles, an
// undecodable colour, font or graphic, or a front side over the largest
// card. Items after the last graphic are ignored (logged). Picture graphics
// reload their picture from their path when it is absolute; otherwise they
// keep the path and have no picture (logged).
std::optional<Stage> decode(const platform::Plist& root, QString* reason = nullptr);

// Why a design past kMaxFileBytes is refused ("larger than 256 MB, ...").
QString tooLarge();

// Reads and decodes a log file: refused unless it is a regular file of at
// most kMaxFileBytes (checked before it is opened, so a FIFO never blocks).
// `damaged`, when given, tells a file whose content is wrong from one that
// cannot be read at all (too large, in an encoding not read, unreadable).
std::optional<Stage> readFile(const QString& path, QString* reason = nullptr, bool* damaged = nullptr);

// Encodes and writes atomically, the text going to the file as it is made:
// on failure the old file stays as it was. `items`, when given, receives the
// number of log items written, also when encoding throws.
bool writeFile(const QString& path, const Stage& stage, QString* reason = nullptr, int* items = nullptr);

// The number a "%d"-style item holds: optional blanks, a sign and the
// leading digits, saturated to int; anything else reads 0. No locale.
int intValue(const QString& text);
// The same for "%0.2f"-style items: leading decimal number, else 0.
float floatValue(const QString& text);

} // namespace design_log
