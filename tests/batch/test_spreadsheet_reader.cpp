// Reading workbooks: cell values against openpyxl, widths, sheet order, bad
// parts, real producers (openpyxl write-only, LibreOffice) and work folders.
#include "batch/SpreadsheetWriter.h"
#include "batch/XlsxParts.h"
#include "batch/support_batch.h"
#include "support/hostile_bytes.h"
#include "support/log_capture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace batchtest;
using Rows = SpreadsheetWriter::Rows;

namespace {

class SpreadsheetReader : public ::testing::Test
{
protected:
    void TearDown() override { SpreadsheetWriter::Release_Data(); }

    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    // Zips the parts into a workbook file, opens it and returns its path.
    QString open(const Entries& parts, const QString& name = QStringLiteral("book.xlsx"))
    {
        const QString file = path(name);
        pythonZip(file, parts);
        SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(file), true);
        return file;
    }
    static Rows header(int sheet = 1)
    {
        Excel_Sheet_Number = sheet;
        return SpreadsheetWriter::ReadData_only_column();
    }
    static Rows rows(int sheet = 1)
    {
        Excel_Sheet_Number = sheet;
        return SpreadsheetWriter::ReadWorkbook(QUrl(), false).toLists();
    }

    QTemporaryDir dir;
};

// Our text of a cell against openpyxl's typed value.
void expectSameValue(const QString& ours, const QJsonArray& theirs, const std::string& where)
{
    SCOPED_TRACE(where);
    const QString kind = theirs.at(0).toString();
    const QString text = theirs.at(1).toString();
    if (kind == QLatin1String("n")) {
        bool ok = false;
        EXPECT_DOUBLE_EQ(ours.toDouble(&ok), text.toDouble()) << ours.toStdString();
        EXPECT_TRUE(ok);
    } else {
        EXPECT_EQ(ours, text); // strings as they are, booleans 1/0, empty for no value
    }
}

const QByteArray kSharedItems =
    "<si><t>plain</t></si>\n"
    "<si>\n  <r><rPr><b/></rPr><t>Bold</t></r>\n  <r><t xml:space=\"preserve\"> and tail </t></r>\n"
    "  <rPh sb=\"0\" eb=\"1\"><t>PHONETIC</t></rPh><phoneticPr fontId=\"1\"/>\n</si>\n"
    "<si><t xml:space=\"preserve\">  spaced  </t></si>\n"
    "<si><t>Gr\xc3\xbc\xc3\x9f" "e &amp; &lt;tags&gt;</t></si>\n";

TEST_F(SpreadsheetReader, CellValuesAgreeWithOpenpyxl)
{
    const QByteArray sheet = sheetXml(
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>\n"
        "  <c r=\"B1\" t=\"s\">\n    <v>1</v>\n  </c>\n"
        "  <c r=\"C1\" t=\"inlineStr\"><is><r><t>in</t></r><r><t>line</t></r><rPh sb=\"0\" eb=\"1\"><t>X</t></rPh></is></c>\n"
        "  <c r=\"D1\" t=\"s\"><v>2</v></c><c r=\"E1\" t=\"s\"><v>3</v></c></row>\n"
        "<row r=\"2\"><c r=\"A2\"><f>B2*3</f><v>6</v></c><c r=\"B2\"><v>2</v></c><c r=\"C2\"><f>A9</f></c>"
        "<c r=\"D2\" t=\"b\"><v>1</v></c><c r=\"E2\" t=\"b\"><v>0</v></c></row>\n"
        "<row r=\"3\"><c r=\"A3\"><v>3.50</v></c><c r=\"B3\"><v>45000.75</v></c>"
        "<c r=\"C3\" t=\"str\"><f>\"a\"&amp;\"b\"</f><v>ab</v></c><c r=\"D3\" t=\"e\"><v>#DIV/0!</v></c>"
        "<c r=\"E3\" t=\"inlineStr\"><is><t>direct</t></is></c></row>",
        "A1:E3");
    const QString file = open(workbookParts({{"Data", sheet}}, sharedStringsXml(kSharedItems)));

    const Rows all = rows();
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all[0], QStringList({"plain", "Bold and tail ", "inline", "  spaced  ", "Grüße & <tags>"}));
    // Cached formula results, not the formula text; no cached value reads "".
    EXPECT_EQ(all[1], QStringList({"6", "2", "", "1", "0"}));
    // Numbers come back exactly as stored.
    EXPECT_EQ(all[2], QStringList({"3.50", "45000.75", "ab", "#DIV/0!", "direct"}));
    EXPECT_EQ(Excel_Sheet_Columns, 5);

    const QJsonArray theirs = openpyxlValues(file).array();
    ASSERT_EQ(theirs.size(), 3);
    for (int r = 0; r < 3; ++r) {
        const QJsonArray row = theirs.at(r).toArray();
        ASSERT_EQ(row.size(), 5);
        for (int c = 0; c < 5; ++c) {
            if (r == 2 && c == 3)
                continue; // openpyxl gives error cells as text too, but as its own type
            expectSameValue(all[r][c], row.at(c).toArray(), "row " + std::to_string(r) + " col " + std::to_string(c));
        }
    }
}

TEST_F(SpreadsheetReader, WidthsFromDimensionAndCells)
{
    // A1:C3 with header cells in A and C only.
    open(workbookParts({{"S", sheetXml("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Name</t></is></c>"
                                         "<c r=\"C1\" t=\"inlineStr\"><is><t>City</t></is></c></row>"
                                         "<row r=\"2\"><c r=\"A2\"><v>1</v></c><c r=\"C2\"><v>3</v></c></row>",
                                         "A1:C3")}}));
    EXPECT_EQ(header(), Rows({{"Name", "Untitled Column 2", "City"}}));
    EXPECT_EQ(Excel_Sheet_Columns, 3);
    EXPECT_EQ(rows(), Rows({{"Name", "", "City"}, {"1", "", "3"}}));

    // No dimension (openpyxl's write-only output) or one too small: cells
    // beyond it still count, nothing is lost.
    for (const QByteArray& dimension : {QByteArray(), QByteArray("A1:B2")}) {
        open(workbookParts({{"S", sheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"D1\"><v>4</v></c></row>"
                                             "<row r=\"2\"><c r=\"F2\"><v>6</v></c></row>",
                                             dimension)}}));
        EXPECT_EQ(header(), Rows({{"1", "Untitled Column 2", "Untitled Column 3", "4"}}));
        EXPECT_EQ(Excel_Sheet_Columns, 4);
        EXPECT_EQ(rows(), Rows({{"1", "", "", "4", "", ""}, {"", "", "", "", "", "6"}}));
        EXPECT_EQ(Excel_Sheet_Columns, 6);
    }

    // A dimension reaching XFD widens the header only; a range starting
    // below row 9 is read by its last cell.
    open(workbookParts({{"S", sheetXml("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>", "A1:XFD1048576")}}));
    EXPECT_EQ(header().constFirst().size(), 16384);
    EXPECT_EQ(rows(), Rows({{"1"}}));
    open(workbookParts({{"S", sheetXml("<row r=\"12\"><c r=\"B12\"><v>1</v></c></row>", "B12:E40")}}));
    EXPECT_EQ(header(), Rows({{"Untitled Column 1", "1", "Untitled Column 3", "Untitled Column 4", "Untitled Column 5"}}));
}

TEST_F(SpreadsheetReader, PrefixesLettersPackedRowsAndBlankHeaders)
{
    // Strict namespace with a prefix, columns of one to three letters,
    // cells without a reference, skipped row numbers, a blank header cell.
    const QByteArray sheet =
        "<?xml version=\"1.0\"?>\n<x:worksheet xmlns:x=\"http://purl.oclc.org/ooxml/spreadsheetml/main\">"
        "<x:sheetData>"
        "<x:row r=\"1\"><x:c r=\"A1\" t=\"inlineStr\"><x:is><x:t>a</x:t></x:is></x:c>"
        "<x:c r=\"B1\" t=\"inlineStr\"><x:is><x:t> \t </x:t></x:is></x:c>"
        "<x:c t=\"inlineStr\"><x:is><x:t>c</x:t></x:is></x:c></x:row>"
        "<x:row r=\"2\"><x:c r=\"Z2\"><x:v>26</x:v></x:c><x:c><x:v>27</x:v></x:c>"
        "<x:c r=\"AZ2\"><x:v>52</x:v></x:c><x:c r=\"ZZ2\"><x:v>702</x:v></x:c><x:c r=\"AAA2\"><x:v>703</x:v></x:c></x:row>"
        "<x:row r=\"5\"><x:c r=\"B5\"><x:v>five</x:v></x:c><x:c r=\"XFE5\"><x:v>beyond</x:v></x:c>"
        "<x:c r=\"b5\"><x:v>lower</x:v></x:c><x:c r=\"C0\"><x:v>zero</x:v></x:c></x:row>"
        "<x:row r=\"6\"/>"
        "</x:sheetData></x:worksheet>";
    open(workbookParts({{"S", sheet}}));
    const Rows head = header();
    ASSERT_EQ(head.size(), 1);
    EXPECT_EQ(head[0], QStringList({"a", "Untitled Column 2", "c"}));

    const Rows all = rows();
    ASSERT_EQ(all.size(), 4);
    EXPECT_EQ(Excel_Sheet_Columns, 703);
    for (const QStringList& row : all)
        EXPECT_EQ(row.size(), 703);
    EXPECT_EQ(all[0][1], QStringLiteral(" \t ")); // the full read keeps the value as stored
    EXPECT_EQ(all[1][25], QStringLiteral("26"));
    EXPECT_EQ(all[1][26], QStringLiteral("27")); // AA by position after Z
    EXPECT_EQ(all[1][51], QStringLiteral("52"));
    EXPECT_EQ(all[1][701], QStringLiteral("702"));
    EXPECT_EQ(all[1][702], QStringLiteral("703"));
    EXPECT_EQ(all[2][1], QStringLiteral("five"));  // row 5 is the third row
    EXPECT_EQ(all[2].count(QString()), 702);     // bad references skipped
    EXPECT_EQ(all[3], QStringList(703, QString()));

    EXPECT_EQ(Get_Col_index(Get_Column_Char_Str(QStringLiteral("ZZ12")), 64), 702);
    EXPECT_EQ(Get_Col_index(QStringLiteral("AA"), 65), 26);
    EXPECT_EQ(Get_Col_index(QStringLiteral("XFE"), 64), -1);
}

TEST_F(SpreadsheetReader, ValuesFarRightCannotExhaustMemory)
{
    // Formatted blanks far right widen nothing; values there cost a slot
    // in every row, up to a bound past which the sheet reads as empty.
    QByteArray rowsXml;
    for (int r = 1; r <= 10; ++r)
        rowsXml += "<row><c r=\"A" + QByteArray::number(r) + "\"><v>1</v></c><c r=\"XFD" + QByteArray::number(r) +
                   "\" s=\"3\"/></row>";
    open(workbookParts({{"Blanks", sheetXml(rowsXml)}, {"Values", sheetXml(QByteArray(rowsXml).replace("s=\"3\"/>", "><v>2</v></c>"))}}));
    EXPECT_EQ(rows(1), Rows(10, QStringList({"1"})));
    EXPECT_EQ(rows(2).size(), 10);
    EXPECT_EQ(Excel_Sheet_Columns, 16384);
    const qint64 saved = xlsx::maxKeptBytes;
    xlsx::maxKeptBytes = 100000 * qint64(sizeof(QString));
    SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(path(QStringLiteral("book.xlsx"))), true);
    EXPECT_TRUE(rows(2).isEmpty());
    xlsx::maxKeptBytes = saved;
}

// Processor time of this process so far, in seconds: unlike the clock it
// does not grow with the machine's load.
double processorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A workbook whose only sheet (or shared-string table) is `piece` repeated.
RepeatedEntries generatedWorkbook(const QString& part, const QByteArray& head, const Piece& piece,
                                  const QByteArray& tail)
{
    RepeatedEntries entries;
    for (const auto& [name, bytes] : workbookParts({{"Bomb", sheetXml("<row><c><v>1</v></c></row>")}},
                                                   sharedStringsXml("<si><t>x</t></si>")))
        entries.append({name, name == part ? QList<Piece>{{head}, piece, {tail}} : QList<Piece>{{bytes}}});
    return entries;
}

TEST_F(SpreadsheetReader, EmptyRowsAndStringsCountAgainstTheBudget)
{
    // 100 million empty rows: 600 MB of XML in a zip under 1 MB.
    const QString rowsBomb = path(QStringLiteral("rows.xlsx"));
    zipRepeated(rowsBomb, generatedWorkbook(QStringLiteral("xl/worksheets/sheet1.xml"),
                                            "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>",
                                            {QByteArray("<row/>").repeated(1000000), 100}, "</sheetData></worksheet>"));
    ASSERT_LT(QFileInfo(rowsBomb).size(), 1 << 20);
    const double base = residentPeakMB();
    const double started = processorSeconds();
    {
        LogCapture log;
        SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(rowsBomb), true);
        EXPECT_EQ(header().size(), 1); // the first row alone is cheap
        EXPECT_TRUE(rows().isEmpty());
        EXPECT_TRUE(LogCapture::lines().filter(QStringLiteral("sheet \"Bomb\"")).filter(QStringLiteral("more cells than can be read")).size() == 1)
            << LogCapture::lines().join(QLatin1Char('\n')).toStdString();
    }
    // Unpacking 600 MB and reading rows up to the budget (twice at most).
    EXPECT_LT(processorSeconds() - started, 10.0);
    EXPECT_LT(residentPeakMB() - base, 100);

    // 30 million empty shared strings: the table is refused, and with it
    // every sheet whose cells would read without their texts.
    const QString stringsBomb = path(QStringLiteral("strings.xlsx"));
    zipRepeated(stringsBomb, generatedWorkbook(QStringLiteral("xl/sharedStrings.xml"),
                                               "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">",
                                               {QByteArray("<si/>").repeated(1000000), 30}, "</sst>"));
    {
        LogCapture log;
        SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(stringsBomb), true);
        EXPECT_TRUE(rows().isEmpty());
        EXPECT_TRUE(SpreadsheetWriter::Read_Sheet_Name().isEmpty());
        // Blamed on the table, named as the workbook names it.
        EXPECT_TRUE(SpreadsheetWriter::Open_Error().startsWith(QStringLiteral("xl/sharedStrings.xml holds more text")))
            << SpreadsheetWriter::Open_Error().toStdString();
        EXPECT_TRUE(LogCapture::lines().filter(QStringLiteral("more cells than can be read")).isEmpty());
    }
    EXPECT_LT(residentPeakMB() - base, 100);
}

TEST_F(SpreadsheetReader, SharedStringIndexesResolveOnlyInRange)
{
    const QByteArray row = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c><c r=\"B1\" t=\"s\"><v>2</v></c>"
                           "<c r=\"C1\" t=\"s\"><v>x1</v></c><c r=\"D1\" t=\"s\"><v>-1</v></c>"
                           "<c r=\"E1\" t=\"s\"><v>0</v></c><c r=\"F1\"><v>7</v></c></row>";
    open(workbookParts({{"S", sheetXml(row)}}, sharedStringsXml("<si><t>zero</t></si><si><t>one</t></si>")));
    EXPECT_EQ(rows(), Rows({{"one", "", "", "", "zero", "7"}}));
    EXPECT_EQ(header(), Rows({{"one", "Untitled Column 2", "Untitled Column 3", "Untitled Column 4", "zero", "7"}}));

    // No shared-strings part at all: text-free cells read normally.
    open(workbookParts({{"S", sheetXml(row)}}));
    EXPECT_EQ(rows(), Rows({{"", "", "", "", "", "7"}}));

    // Values wait for their row's end: an empty shared string widens
    // nothing, and a later cell of the same column, shared or not, wins.
    const QByteArray waiting = "<row><c r=\"A1\" t=\"s\"><v>1</v></c><c r=\"B1\" t=\"s\"><v>2</v></c></row>"
                               "<row><c r=\"C2\"><v>5</v></c><c r=\"A2\" t=\"s\"><v>0</v></c></row>"
                               "<row><c r=\"A3\"><v>1</v></c><c r=\"A3\" t=\"s\"><v>1</v></c></row>"
                               "<row><c r=\"A4\" t=\"s\"><v>0</v></c><c r=\"A4\"><v>7</v></c></row>"
                               "<row><c r=\"A5\" t=\"s\"><v>0</v></c><c r=\"A5\" t=\"s\"><v>2</v></c></row>";
    open(workbookParts({{"S", sheetXml(waiting)}},
                       sharedStringsXml("<si><t>zero</t></si><si><t>one</t></si><si><t></t></si>")));
    EXPECT_EQ(header(), Rows({{"one"}}));
    EXPECT_EQ(rows(), Rows({{"one", "", ""}, {"zero", "", "5"}, {"one", "", ""}, {"7", "", ""}, {"zero", "", ""}}));
}

// Sheet parts whose numbers differ from the tab order, a chartsheet between
// them and relationships that must be ignored.
Entries shuffledWorkbook()
{
    auto cell = [](const char* text) {
        return sheetXml(QByteArray("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>") + text + "</t></is></c></row>");
    };
    const QByteArray rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId7\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"/xl/worksheets/sheet10.xml\"/>"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"./worksheets/../worksheets/sheet2.xml\"/>"
        "<Relationship Id=\"rId4\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/chartsheet\" Target=\"chartsheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId5\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"../../../etc/passwd\"/>"
        "<Relationship Id=\"rId6\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" Target=\"file:///etc/passwd\" TargetMode=\"External\"/>"
        "</Relationships>";
    const QByteArray book =
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:rel=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
        "<sheet name=\"Gamma\" sheetId=\"3\" rel:id=\"rId3\"/><sheet name=\"Chart\" sheetId=\"4\" rel:id=\"rId4\"/>"
        "<sheet name=\"Alpha\" sheetId=\"1\" rel:id=\"rId1\"/><sheet name=\"Evil\" sheetId=\"5\" rel:id=\"rId5\"/>"
        "<sheet name=\"Far\" sheetId=\"6\" rel:id=\"rId6\"/><sheet name=\"Beta\" sheetId=\"7\" rel:id=\"rId7\"/>"
        "</sheets></workbook>";
    return {{"_rels/.rels",
             "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
             "<Relationship Id=\"r\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" Target=\"/xl/workbook.xml\"/>"
             "</Relationships>"},
            {"xl/workbook.xml", book},
            {"xl/_rels/workbook.xml.rels", rels},
            {"xl/worksheets/sheet1.xml", cell("file 1")},
            {"xl/worksheets/sheet2.xml", cell("file 2")},
            {"xl/worksheets/sheet10.xml", cell("file 10")},
            {"xl/chartsheets/sheet1.xml", "<chartsheet/>"}};
}

TEST_F(SpreadsheetReader, SheetsComeInTabOrder)
{
    LogCapture log;
    open(shuffledWorkbook());
    // Every sheet left out is logged with its reason.
    const QStringList lines = LogCapture::lines();
    EXPECT_EQ(lines.filter(QStringLiteral("sheet \"Chart\" skipped: not a worksheet")).size(), 1);
    EXPECT_EQ(lines.filter(QStringLiteral("sheet \"Evil\" skipped: its part")).size(), 1);
    EXPECT_EQ(lines.filter(QStringLiteral("sheet \"Far\" skipped: its part")).size(), 1);
    EXPECT_EQ(SpreadsheetWriter::Read_Sheet_Name(), QStringList({"Gamma", "Alpha", "Beta"}));
    EXPECT_EQ(header(1), Rows({{"file 10"}}));
    EXPECT_EQ(rows(2), Rows({{"file 2"}}));
    EXPECT_EQ(rows(3), Rows({{"file 1"}}));
    EXPECT_TRUE(rows(4).isEmpty());
    EXPECT_TRUE(header(0).isEmpty());

    // Without a workbook part the sheets go by ascending part number.
    Entries bare = shuffledWorkbook();
    bare.removeIf([](const auto& e) { return !e.first.startsWith(QLatin1String("xl/worksheets/")); });
    open(bare, QStringLiteral("bare.xlsx"));
    EXPECT_EQ(SpreadsheetWriter::Read_Sheet_Name(), QStringList({"sheet1", "sheet2", "sheet10"}));
    EXPECT_EQ(rows(3), Rows({{"file 10"}}));

    // A package with nothing readable says so.
    LogCapture::lines().clear();
    open({{"docProps/app.xml", "<Properties/>"}}, QStringLiteral("nothing.xlsx"));
    EXPECT_EQ(LogCapture::lines().filter(QStringLiteral("holds no readable worksheet")).size(), 1);
}

TEST_F(SpreadsheetReader, ReferencesStopAtTheFormatsLimits)
{
    open(workbookParts({{"S", sheetXml("<row><c r=\"A1048576\"><v>last row</v></c><c r=\"B1048577\"><v>past</v></c>"
                                         "<c r=\"C99999999\"><v>far past</v></c><c r=\"XFD1\"><v>last column</v></c>"
                                         "<c r=\"XFE1\"><v>past</v></c></row>")}}));
    const Rows all = rows();
    ASSERT_EQ(all.size(), 1);
    ASSERT_EQ(all[0].size(), 16384);
    EXPECT_EQ(all[0][0], QStringLiteral("last row"));
    EXPECT_EQ(all[0][16383], QStringLiteral("last column"));
    EXPECT_EQ(all[0].count(QString()), 16382);
}

TEST_F(SpreadsheetReader, ValuesKeepALeadingFeff)
{
    // U+FEFF at the start of a value is a character, not a byte-order mark.
    const QByteArray feff = "\xEF\xBB\xBF";
    open(workbookParts({{"S", sheetXml("<row><c t=\"s\"><v>0</v></c><c t=\"inlineStr\"><is><t>" + feff +
                                         "inline</t></is></c><c><v>" + feff + "12</v></c><c t=\"str\"><v>" + feff +
                                         feff + "x</v></c></row>")}},
                       sharedStringsXml("<si><t>" + feff + "shared</t></si>")));
    const QString bom(QChar(0xFEFF));
    EXPECT_EQ(rows(), Rows({{bom + "shared", bom + "inline", bom + "12", bom + bom + "x"}}));
}

TEST_F(SpreadsheetReader, BrokenInputReadsAsEmpty)
{
    // A part that breaks off after good rows gives nothing, not half a
    // sheet; the header read stops after the first row and sees a fault
    // only inside it.
    open(workbookParts({{"S", "<worksheet><sheetData><row><c><v>1</v></c></row><row><c><v>2</v></row>"
                              "</sheetData></worksheet>"},
                        {"T", "<worksheet><sheetData><row><c><v>1</c></row></sheetData></worksheet>"}}));
    EXPECT_TRUE(rows().isEmpty());
    EXPECT_EQ(header(), Rows({{"1"}}));
    EXPECT_TRUE(header(2).isEmpty());

    // Not a zip at all: nothing to list or read, and an earlier workbook's
    // parts are gone.
    open(workbookParts({{"S", sheetXml("<row><c><v>1</v></c></row>")}}));
    ASSERT_EQ(rows(), Rows({{"1"}}));
    writeFile(path(QStringLiteral("old.xls")), QByteArray("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1", 8).repeated(64));
    SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(path(QStringLiteral("old.xls"))), true);
    EXPECT_EQ(Excel_Sheet_Columns, 1);
    EXPECT_TRUE(SpreadsheetWriter::Read_Sheet_Name().isEmpty());
    EXPECT_TRUE(header().isEmpty());
    EXPECT_TRUE(rows().isEmpty());

    // A damaged entry stops the opening: nothing is read from the parts
    // that did unpack.
    const QString good = path(QStringLiteral("good.xlsx"));
    pythonZip(good, workbookParts({{"S", sheetXml("<row><c><v>1</v></c></row>")}}), /*stored*/ true);
    QByteArray bytes = readFile(good);
    const qsizetype at = bytes.indexOf("<sheetData>") + 3;
    bytes[at] = 'X';
    writeFile(good, bytes);
    SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(good), true);
    EXPECT_TRUE(SpreadsheetWriter::Read_Sheet_Name().isEmpty());
    EXPECT_TRUE(rows().isEmpty());
}

// A document type declaring attributes, elements or notations (5 MB of
// them) in any part is refused at once, not read in minutes, and so is a
// part declared in EBCDIC, which hides its document type from a scan of
// its bytes.
TEST_F(SpreadsheetReader, DeclaredMarkupIsRefusedQuickly)
{
    const QString file = path(QStringLiteral("part.xml"));
    for (const char* kind : {"ATTLIST", "ELEMENT", "NOTATION", "IBM037"}) {
        const bool ebcdic = QByteArray(kind) == "IBM037";
        const QByteArray xml = hostile::declarationsXml(ebcdic ? 80000 * 34 : 5 << 20, ebcdic ? "ATTLIST" : kind,
                                                        sheetXml("<row><c><v>1</v></c></row>"));
        writeFile(file, ebcdic ? hostile::ebcdicXml(xml) : xml);
        xlsx::SheetContent sheet;
        QStringList strings;
        qint64 kept = 0;
        QString sheetMessage, stringsMessage;
        xlsx::ParseResult sheetRead, stringsRead;
        const hostile::Cost cost = hostile::measure([&] {
            sheetRead = xlsx::readWorksheet(file, {}, false, sheet, sheetMessage, xlsx::maxKeptBytes);
            stringsRead = xlsx::readSharedStrings(file, strings, stringsMessage, kept, xlsx::maxKeptBytes);
        });
        EXPECT_LT(cost.seconds, hostile::kCpuSeconds) << kind;
        EXPECT_EQ(sheetRead, xlsx::ParseResult::Malformed) << kind;
        EXPECT_EQ(stringsRead, xlsx::ParseResult::Malformed) << kind;
        EXPECT_TRUE(sheetMessage.contains(ebcdic ? QStringLiteral("\"IBM037\"") : QStringLiteral("document type")))
            << sheetMessage.toStdString();
    }
}

// A part refused for its content refuses the workbook (shared strings) or
// the sheet (its worksheet) with the part's name and the reason, and
// nothing of it is read; another sheet of the workbook still reads.
TEST_F(SpreadsheetReader, ARefusedPartSaysWhichAndWhy)
{
    const QByteArray good = sheetXml("<row><c t=\"s\"><v>0</v></c></row>");
    const QByteArray declared = hostile::declarationsXml(1 << 16, "ATTLIST", "<sst/>");
    open(workbookParts({{"S", good}}, declared));
    EXPECT_TRUE(SpreadsheetWriter::Open_Error().startsWith(QStringLiteral("a document type")));
    EXPECT_TRUE(SpreadsheetWriter::Open_Error().endsWith(QStringLiteral(" in xl/sharedStrings.xml")))
        << SpreadsheetWriter::Open_Error().toStdString();
    EXPECT_TRUE(SpreadsheetWriter::Read_Sheet_Name().isEmpty());
    EXPECT_TRUE(header().isEmpty());
    EXPECT_TRUE(rows().isEmpty());

    open(workbookParts({{"S", hostile::ebcdicXml(good)}, {"T", good}}, sharedStringsXml("<si><t>text</t></si>")));
    EXPECT_TRUE(SpreadsheetWriter::Open_Error().isEmpty());
    EXPECT_TRUE(header(1).isEmpty());
    EXPECT_TRUE(SpreadsheetWriter::Open_Error().contains(QStringLiteral("\"IBM037\"")));
    EXPECT_TRUE(SpreadsheetWriter::Open_Error().endsWith(QStringLiteral(" in xl/worksheets/sheet1.xml")))
        << SpreadsheetWriter::Open_Error().toStdString();
    EXPECT_TRUE(rows(1).isEmpty());
    EXPECT_EQ(rows(2), Rows({{"text"}}));
    EXPECT_TRUE(SpreadsheetWriter::Open_Error().isEmpty());
}

TEST_F(SpreadsheetReader, RealProducersReadWhole)
{
    // openpyxl's write-only mode: inline strings, no dimension, rows of
    // different lengths, a formula.
    const QString made = path(QStringLiteral("made.xlsx"));
    const ProcessResult r = python(QStringLiteral(R"(
import sys, openpyxl
wb = openpyxl.Workbook(write_only=True)
first = wb.create_sheet('People')
first.append(['Name', 'Code', 'Qty'])
first.append(['Ann', '007', 3])
first.append(['Bob', None, 4, 'extra'])
first.append([None, None, '=C2*2'])
second = wb.create_sheet('Other')
second.append(['only'])
wb.save(sys.argv[1])
)"),
                                   {made});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(made), true);
    EXPECT_EQ(SpreadsheetWriter::Read_Sheet_Name(), QStringList({"People", "Other"}));
    EXPECT_EQ(header(), Rows({{"Name", "Code", "Qty"}}));
    EXPECT_EQ(rows(), Rows({{"Name", "Code", "Qty", ""}, {"Ann", "007", "3", ""}, {"Bob", "", "4", "extra"}, {"", "", "", ""}}));
    EXPECT_EQ(rows(2), Rows({{"only"}}));

    // LibreOffice's re-save: shared strings, cached formula values, its own
    // relationship ids.
    const QString out = path(QStringLiteral("lo"));
    const ProcessResult lo = run(QStringLiteral("soffice"),
                                 {QStringLiteral("-env:UserInstallation=file://") + path(QStringLiteral("profile")),
                                  QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("xlsx"),
                                  QStringLiteral("--outdir"), out, made});
    const QString resaved = out + QStringLiteral("/made.xlsx");
    ASSERT_TRUE(QFile::exists(resaved)) << lo.out.constData() << lo.err.constData();
    SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(resaved), true);
    EXPECT_EQ(SpreadsheetWriter::Read_Sheet_Name(), QStringList({"People", "Other"}));
    const Rows all = rows();
    ASSERT_EQ(all.size(), 4);
    EXPECT_EQ(all[3][2], QStringLiteral("6"));
    const QJsonArray theirs = openpyxlValues(resaved, QStringLiteral("People")).array();
    ASSERT_EQ(theirs.size(), 4);
    for (int i = 0; i < 4; ++i) {
        const QJsonArray row = theirs.at(i).toArray();
        for (int c = 0; c < row.size(); ++c)
            expectSameValue(c < all[i].size() ? all[i][c] : QString(), row.at(c).toArray(),
                            "row " + std::to_string(i) + " col " + std::to_string(c));
    }
    EXPECT_EQ(rows(2), Rows({{"only"}}));
}

TEST_F(SpreadsheetReader, WorkFolderIsPrivateAndRemoved)
{
    const QByteArray savedTmp = qgetenv("TMPDIR");
    QTemporaryDir tmp;
    qputenv("TMPDIR", tmp.path().toUtf8());
    const QString file = path(QStringLiteral("book.xlsx"));
    pythonZip(file, workbookParts({{"S", sheetXml("<row><c><v>1</v></c></row>")}}));

    SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(file), true);
    const QStringList folders = QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    ASSERT_EQ(folders.size(), 1);
    EXPECT_EQ(QFile::permissions(tmp.path() + QLatin1Char('/') + folders[0]) & 0x0077, 0); // no group/other bits
    // Opening again replaces the folder rather than adding to it.
    SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(file), true);
    EXPECT_EQ(QDir(tmp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 1);
    EXPECT_EQ(rows(), Rows({{"1"}}));

    Delete_Excel_File_Temp_Folder();
    EXPECT_EQ(treeOf(tmp.path()), QStringList());
    EXPECT_TRUE(rows().isEmpty());

    SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(file), true);
    SpreadsheetWriter::Release_Data();
    EXPECT_EQ(treeOf(tmp.path()), QStringList());
    qputenv("TMPDIR", savedTmp);
}

} // namespace

namespace {

// A workbook whose sheet "Guests" holds, at B7, an inline text of `length`
// characters made by repeating "é", and whose shared string 1 is `shared`
// characters long; both built by repeating compressed pieces.
RepeatedEntries longCellWorkbook(qint64 length, qint64 shared, bool sharedShown)
{
    const QByteArray main = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"";
    const QByteArray rows = "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"
                            "<row r=\"7\"><c r=\"A7\"><v>1</v></c><c r=\"B7\" t=\"inlineStr\"><is><t>";
    const QByteArray tail = QByteArray("</t></is></c>") + (sharedShown ? "<c r=\"C7\" t=\"s\"><v>1</v></c>" : "") +
                            "</row></sheetData></worksheet>";
    // `n` times `unit`, in pieces that compress well.
    auto text = [](const QByteArray& unit, qint64 n) {
        const qint64 chunk = 1 << 16;
        return QList<Piece>{{unit.repeated(chunk), n / chunk}, {unit.repeated(n % chunk)}};
    };
    RepeatedEntries entries;
    for (const auto& [name, bytes] : workbookParts({{"Guests", sheetXml("")}}, sharedStringsXml(""))) {
        if (name == QLatin1String("xl/worksheets/sheet1.xml"))
            entries.append({name, QList<Piece>{{"<worksheet " + main + "><sheetData>" + rows}} + text("\xC3\xA9", length) +
                                      QList<Piece>{{tail}}});
        else if (name == QLatin1String("xl/sharedStrings.xml"))
            entries.append({name, QList<Piece>{{"<sst " + main + "><si><t>Name</t></si><si><t>"}} + text("x", shared) +
                                      QList<Piece>{{"</t></si></sst>"}}});
        else
            entries.append({name, {{bytes}}});
    }
    return entries;
}

} // namespace

// A cell holds at most 32,767 characters: one longer, its own text or a
// shared string it shows, refuses the sheet naming the cell, within the
// memory of a small read; a long shared string no cell shows refuses nothing.
TEST_F(SpreadsheetReader, CellsHoldAtMostTheirLimitAndALongerOneIsNamed)
{
    const QString book = path(QStringLiteral("long.xlsx"));
    auto read = [&](qint64 length, qint64 shared, bool shown) {
        zipRepeated(book, longCellWorkbook(length, shared, shown));
        SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(book), true);
        return rows();
    };
    const Rows edge = read(xlsx::kMaxCellLength, xlsx::kMaxCellLength, true);
    ASSERT_EQ(edge.size(), 2);
    EXPECT_EQ(edge[1][1], QString(xlsx::kMaxCellLength, QChar(0xE9)));
    EXPECT_EQ(edge[1][2].size(), xlsx::kMaxCellLength);
    const QString refused = QStringLiteral("cell %1 of sheet \"Guests\" holds more than 32,767 characters");
    EXPECT_TRUE(read(xlsx::kMaxCellLength + 1, 10, true).isEmpty());
    EXPECT_TRUE(SpreadsheetWriter::Open_Error().startsWith(refused.arg(QStringLiteral("B7"))))
        << SpreadsheetWriter::Open_Error().toStdString();
    EXPECT_TRUE(read(10, xlsx::kMaxCellLength + 1, true).isEmpty());
    EXPECT_TRUE(SpreadsheetWriter::Open_Error().startsWith(refused.arg(QStringLiteral("C7"))));
    EXPECT_EQ(read(10, xlsx::kMaxCellLength + 1, false).size(), 2);

    // 60 MB in one cell, its own or shared: a 63 KB file, read within a
    // small read's memory, with the plain reader and expat alike.
    for (const bool plain : {true, false}) {
        xlsx::plainXmlReading = plain;
        for (const auto& [own, shared] : {std::pair{qint64(30) << 20, qint64(10)}, std::pair{qint64(10), qint64(60) << 20}}) {
            zipRepeated(book, longCellWorkbook(own, shared, true));
            ASSERT_LT(QFileInfo(book).size(), 200 << 10);
            const double base = residentPeakMB();
            SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(book), true);
            EXPECT_EQ(header().size(), 1);
            EXPECT_TRUE(rows().isEmpty());
            EXPECT_TRUE(SpreadsheetWriter::Open_Error().startsWith(refused.arg(own > 10 ? "B7" : "C7")));
            EXPECT_LT(residentPeakMB() - base, 30) << plain;
        }
    }
    xlsx::plainXmlReading = true;
}

// A repeated row number adds no row: its cells merge into the row, later
// ones replacing earlier ones, and rows come in the order of their numbers,
// as openpyxl reads them; the header read takes a repeat that follows the
// first row.
TEST_F(SpreadsheetReader, ARepeatedRowNumberMergesIntoItsRow)
{
    const QByteArray sheet = sheetXml(
        "<row r=\"1\"><c r=\"A1\"><v>1</v></c><c r=\"B1\"><v>2</v></c></row>"
        "<row r=\"1\"><c r=\"B1\"><v>9</v></c><c r=\"C1\"><v>3</v></c></row>"
        "<row r=\"2\"><c r=\"A2\"><v>4</v></c></row><row><c r=\"B3\"><v>5</v></c></row>"
        "<row r=\"2\"><c r=\"C2\"><v>6</v></c></row><row r=\"3\"><c r=\"A3\"><v>7</v></c></row>");
    const QString file = open(workbookParts({{"S", sheet}}));
    EXPECT_EQ(header(), Rows({{"1", "9", "3"}}));
    const Rows ours = rows();
    EXPECT_EQ(ours, Rows({{"1", "9", "3"}, {"4", "", "6"}, {"7", "5", ""}}));
    const QJsonArray theirs = openpyxlValues(file).array();
    ASSERT_EQ(theirs.size(), ours.size());
    for (int r = 0; r < ours.size(); ++r)
        for (int c = 0; c < 3; ++c)
            expectSameValue(ours[r][c], theirs.at(r).toArray().at(c).toArray(), std::to_string(r * 10 + c));

    // Rows out of order are put in the order of their numbers.
    const QString back = open(workbookParts({{"S", sheetXml("<row r=\"3\"><c r=\"A3\"><v>1</v></c></row>"
                                                              "<row r=\"1\"><c r=\"A1\"><v>0</v></c></row>"
                                                              "<row r=\"3\"><c r=\"B3\"><v>3</v></c></row>"
                                                              "<row r=\"2\"><c r=\"A2\"><v>2</v></c></row>")}}));
    const Rows backOurs = rows();
    EXPECT_EQ(backOurs, Rows({{"0", ""}, {"2", ""}, {"1", "3"}}));
    const QJsonArray backTheirs = openpyxlValues(back).array();
    ASSERT_EQ(backTheirs.size(), 3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 2; ++c)
            expectSameValue(backOurs[r][c], backTheirs.at(r).toArray().at(c).toArray(), std::to_string(r * 10 + c));

    // Read in ranges on several threads: the same rows.
    QByteArray many;
    for (int r = 1; r <= 3000; ++r)
        many += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A1\"><v>" + QByteArray::number(r) + "</v></c></row>";
    many += "<row r=\"1\"><c r=\"B1\"><v>late</v></c></row>";
    const qint64 saved = xlsx::parallelReadMinimum;
    xlsx::parallelReadMinimum = 4096;
    open(workbookParts({{"S", sheetXml(many)}}));
    const Rows all = rows();
    xlsx::parallelReadMinimum = saved;
    ASSERT_EQ(all.size(), 3000);
    EXPECT_EQ(all[0], QStringList({"1", "late"}));
    EXPECT_EQ(all[2999], QStringList({"3000", ""}));
}

// A workbook part or its relationships refused: the reason names the part
// inside the workbook, never the work folder.
TEST_F(SpreadsheetReader, ARefusedWorkbookPartIsNamed)
{
    const QByteArray declared = hostile::declarationsXml(1 << 12, "ATTLIST", "<x/>");
    for (const char* part : {"xl/workbook.xml", "xl/_rels/workbook.xml.rels"}) {
        Entries parts = workbookParts({{"S", sheetXml("<row><c><v>1</v></c></row>")}});
        for (auto& [name, bytes] : parts)
            if (name == QLatin1String(part))
                bytes = declared;
        open(parts);
        const QString error = SpreadsheetWriter::Open_Error();
        EXPECT_TRUE(error.endsWith(QStringLiteral(" in ") + QLatin1String(part))) << error.toStdString();
        EXPECT_FALSE(error.contains(QDir::tempPath())) << error.toStdString();
        EXPECT_TRUE(SpreadsheetWriter::Read_Sheet_Name().isEmpty());
    }
}
