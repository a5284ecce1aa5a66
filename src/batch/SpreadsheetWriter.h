#pragma once
// Reading and writing .xlsx workbooks (SpreadsheetML packages).
//
// Reading: a workbook is unpacked into its own private work folder, its
// sheets are listed in tab order, and the header row or all rows of one
// sheet come back as text. Writing: a one-sheet workbook of text and number
// cells is built from the template "Template.xlsx" of the resource folder.
//
// No operation reports an error to its caller: failures are logged through
// Show_NSLog_Message and give empty results (or false from WriteWorkbook).
#include "batch/SheetRows.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <vector>

class QTemporaryDir;

// 1-based position, in tab order, of the worksheet the readers read.
extern int Excel_Sheet_Number;
// Number of text slots in every row the readers last returned.
extern int Excel_Sheet_Columns;

class SpreadsheetWriter
{
public:
    using Rows = QList<QStringList>;
    using SheetRows = xlsx::SheetRows;

    // only_col true: opens the workbook at the URL's path (unpacks it and
    // reads its shared strings, its sheet list) and returns the instance's
    // data (empty). only_col false: every row of sheet Excel_Sheet_Number,
    // header row included, each as wide as the rightmost value of the sheet,
    // kept compactly (a cell becomes a text when asked for); the URL is not
    // used.
    static SheetRows ReadWorkbook(const QUrl& url, bool only_col);
    // The first row of sheet Excel_Sheet_Number (zero or one row); cells
    // without a value hold "Untitled Column %d". Sets Excel_Sheet_Columns to
    // the larger of the sheet's declared width and the row's last value.
    static Rows ReadData_only_column();
    // The worksheet names of the open workbook in tab order (chartsheets
    // left out); position n - 1 is read for Excel_Sheet_Number n.
    static QStringList Read_Sheet_Name();
    // Forgets the open workbook and removes its work folder.
    static void Release_Data();
    // Why the file last opened by ReadWorkbook(url, true) is no readable
    // workbook (not a zip archive, no workbook or worksheet part, a
    // shared-strings part refused: it then lists no sheet), or why the
    // sheet read last was refused (it gave no rows); empty when the
    // workbook and that sheet read, even empty ones.
    static QString Open_Error();

    // Writes `data` (at least one row) as a one-sheet workbook at the URL's
    // path. A value becomes a number cell only when it is exactly the text
    // every reader shows for that number (xlsx::isCanonicalNumber), else
    // text, so the workbook reads alike everywhere. The
    // target is replaced only by a complete workbook; false (logged) when
    // nothing was written. hasTitleRow changes nothing: the first row is
    // written like every other.
    static bool WriteWorkbook(const QUrl& url, const Rows& data, bool hasTitleRow);

    // 1-based column number to its letters: 1 -> "A", 27 -> "AA", 703 -> "AAA".
    static QString ColumnIndexToName(int number);

    SpreadsheetWriter();
    ~SpreadsheetWriter();

    SheetRows data;            // rows of the last full read
    Rows header;               // row of the last header read
    QStringList sharedStrings; // shared-string table of the open workbook
    QString tmpDir;            // work folder of the open workbook, "" when none
    QString openError;         // see Open_Error

private:
    static SpreadsheetWriter& instance();
    // The header row or all rows of sheet Excel_Sheet_Number into header or data.
    static void readChosenSheet(bool headerOnly);
    bool listSheets(QString& sharedPart);
    QString sheetPartPath(int number) const;
    struct SharedStringsRead;
    // Takes the shared strings (or the failure) of a read of their part.
    void ReadSharedStrings(SharedStringsRead read);
    bool ReadData(const QString& path, const QString& sheetName, bool headerOnly);
    // Logs why a part is refused and keeps the reason for Open_Error;
    // everySheet: no sheet is listed or read any more.
    void refuse(const QString& message, bool everySheet);

    std::unique_ptr<QTemporaryDir> workFolder;
    QStringList sheetNames;  // tab order
    QStringList sheetParts;  // part path of each sheet, relative to tmpDir
    qint64 budget = 0;            // what a read of the open workbook may keep (xlsx::readBudget)
    qint64 sharedStringsCost = 0; // memory the shared strings keep, of the budget
    std::vector<qsizetype> tooLongShared; // shared strings longer than a cell holds
};

// Letters of a cell reference ("AB12" -> "AB").
QString Get_Column_Char_Str(const QString& reference);
// Column letters to a number: base 64 gives 1-based (A = 1), base 65
// 0-based (A = 0). -1 for anything that is not 1 to 3 letters up to XFD.
int Get_Col_index(const QString& letters, int base);
// Low 8 bits of the first character (0 for an empty text).
int Asc_Val(const QString& text);

// The main window controller's Delete_Excel_File_Temp_Folder forwards here:
// forgets the open workbook and removes its unpacked parts.
void Delete_Excel_File_Temp_Folder();
