#pragma once
// Helpers of the batch tests: running the oracles (Python zipfile and
// openpyxl, unzip, LibreOffice) and making archives and workbooks from parts.
#include "support/process_runner.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <ostream>

// Readable failure output for Qt texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '[' << l.join(QStringLiteral(" | ")).toStdString() << ']';
}

namespace batchtest {

using testsupport::ProcessResult;
using testsupport::python;
using testsupport::run;

using Entries = QList<QPair<QString, QByteArray>>;
// Writes a zip with Python's zipfile, entries in the given order, names as given.
void pythonZip(const QString& zipPath, const Entries& entries, bool stored = false);

// One piece of a generated entry: `bytes` repeated `repeat` times.
struct Piece
{
    QByteArray bytes;
    qint64 repeat = 1;
};
using RepeatedEntries = QList<QPair<QString, QList<Piece>>>;
// Writes a deflated zip whose entries are pieces repeated: each piece is
// compressed once and its compressed bytes repeated, so entries of hundreds
// of megabytes cost next to nothing to build.
void zipRepeated(const QString& zipPath, const RepeatedEntries& entries);

// Peak resident memory of this process since the last call, in MB (the
// first call starts the count and returns the current size).
double residentPeakMB();

// A minimal workbook package around the given worksheets (name, xml) in
// tab order, stored as xl/worksheets/sheet<k>.xml for k = 1, 2, ...
Entries workbookParts(const QList<QPair<QString, QByteArray>>& sheets, const QByteArray& sharedStrings = {});
// A worksheet part holding `sheetData` content (rows) and an optional dimension.
QByteArray sheetXml(const QByteArray& rows, const QByteArray& dimension = {});
QByteArray sharedStringsXml(const QByteArray& items);

// openpyxl (data_only) values of a sheet as JSON: a list of rows, each a list
// of [kind, text] with kind "s" text, "n" number, "b" boolean, "" empty.
QJsonDocument openpyxlValues(const QString& path, const QString& sheetName = {});

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
// Every file and folder below `folder`, relative, sorted.
QStringList treeOf(const QString& folder);
// The template folder of the build (Resource_Path for the writer).
QString builtResourceFolder();

} // namespace batchtest
