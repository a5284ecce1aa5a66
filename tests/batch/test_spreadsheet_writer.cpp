// Writing workbooks: the package as openpyxl, LibreOffice and our own reader
// see it, locale-independent bytes, and failures that leave no trace.
#include "app/Globals.h"
#include "batch/SpreadsheetWriter.h"
#include "batch/support_batch.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QLocale>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>

using namespace batchtest;
using Rows = SpreadsheetWriter::Rows;

namespace {

class SpreadsheetWriting : public ::testing::Test
{
protected:
    void SetUp() override { Resource_Path = builtResourceFolder(); }
    void TearDown() override { SpreadsheetWriter::Release_Data(); }

    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    bool write(const QString& name, const Rows& data)
    {
        return SpreadsheetWriter::WriteWorkbook(QUrl::fromLocalFile(path(name)), data, true);
    }
    // A part of a written package, through Python's zipfile (which also
    // checks every entry's CRC).
    QByteArray part(const QString& file, const QString& name)
    {
        const ProcessResult r = python(QStringLiteral(R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    assert z.testzip() is None
    sys.stdout.buffer.write(z.read(sys.argv[2]))
)"),
                                       {file, name});
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        return r.out;
    }

    QTemporaryDir dir;
};

TEST_F(SpreadsheetWriting, SeriesExportExampleAndWideRow)
{
    ASSERT_TRUE(write(QStringLiteral("series.xlsx"), {{"Batch Value"}, {"12"}, {"word"}, {"word"}}));
    const QString file = path(QStringLiteral("series.xlsx"));
    EXPECT_EQ(run(QStringLiteral("unzip"), {QStringLiteral("-tq"), file}).exitCode, 0);
    const QByteArray sheet = part(file, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(sheet.contains("<dimension ref=\"A1:A4\"/>"));
    EXPECT_TRUE(sheet.contains("<c r=\"A1\" t=\"s\"><v>0</v></c>"));
    EXPECT_TRUE(sheet.contains("<c r=\"A2\"><v>12</v></c>"));
    EXPECT_TRUE(sheet.contains("<c r=\"A3\" t=\"s\"><v>1</v></c>"));
    EXPECT_TRUE(sheet.contains("<c r=\"A4\" t=\"s\"><v>2</v></c>"));
    const QByteArray strings = part(file, QStringLiteral("xl/sharedStrings.xml"));
    EXPECT_TRUE(strings.contains("count=\"3\" uniqueCount=\"3\""));
    EXPECT_EQ(strings.count("<si>"), 3);

    const QJsonArray theirs = openpyxlValues(file).array();
    EXPECT_EQ(QJsonDocument(theirs).toJson(QJsonDocument::Compact),
              R"([[["s","Batch Value"]],[["n","12"]],[["s","word"]],[["s","word"]]])");

    QStringList wide;
    for (int i = 1; i <= 30; ++i)
        wide.append(QString::number(i));
    ASSERT_TRUE(write(QStringLiteral("wide.xlsx"), {wide}));
    const QByteArray wideSheet = part(path(QStringLiteral("wide.xlsx")), QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(wideSheet.contains("<c r=\"Z1\"><v>26</v></c><c r=\"AA1\"><v>27</v></c>"));
    EXPECT_TRUE(wideSheet.contains("<c r=\"AD1\"><v>30</v></c>"));
    EXPECT_TRUE(wideSheet.contains("<dimension ref=\"A1:AD1\"/>"));
    const QJsonArray wideRow = openpyxlValues(path(QStringLiteral("wide.xlsx"))).array().at(0).toArray();
    ASSERT_EQ(wideRow.size(), 30);
    EXPECT_EQ(wideRow.at(29).toArray().at(1).toString(), QStringLiteral("30"));
    EXPECT_EQ(SpreadsheetWriter::ColumnIndexToName(703), QStringLiteral("AAA"));

    // A long sheet is built in many pieces; they join into one valid
    // entry (zipfile checks its CRC) with the texts numbered in order.
    Rows series = {{"Batch Value"}};
    for (int i = 0; i < 70000; ++i)
        series.append({i % 3 ? QStringLiteral("v%1").arg(i) : QString::number(i)});
    ASSERT_TRUE(write(QStringLiteral("long.xlsx"), series));
    const QString longFile = path(QStringLiteral("long.xlsx"));
    EXPECT_TRUE(part(longFile, QStringLiteral("xl/sharedStrings.xml")).contains("count=\"46667\""));
    SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(longFile), true);
    Excel_Sheet_Number = 1;
    EXPECT_EQ(SpreadsheetWriter::ReadWorkbook(QUrl(), false).toLists(), series);
}

// Values whose type or text is easy to get wrong.
const QStringList kValues = {
    "Batch Value", "007", "3,5", "1234567890123456", "123456789012345", "-0.5", "12", "", "0", "0.25", "12.", ".5",
    "1e5", " 12", "&<>\"'", QString::fromUtf8("Gr\xc3\xbc\xc3\x9f" "e \xe2\x9c\x93 \xf0\x9f\x98\x80"),
    QStringLiteral("bell\x07" "and\x1f" "unit"), "_x0041_ literal", "tab\tnew\nline", "carriage\r\nreturn", "  padded  ",
};

TEST_F(SpreadsheetWriting, ValuesKeepTheirTextAndType)
{
    Rows data;
    for (const QString& v : kValues)
        data.append(QStringList{v});
    const QString file = path(QStringLiteral("values.xlsx"));
    ASSERT_TRUE(write(QStringLiteral("values.xlsx"), data));

    // Our own reader gives back exactly what was written.
    SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(file), true);
    Excel_Sheet_Number = 1;
    EXPECT_EQ(SpreadsheetWriter::ReadWorkbook(QUrl(), false).toLists(), data);

    // openpyxl: plain decimals are numbers, everything else text as written
    // (it leaves _xHHHH_ escapes undecoded, so the control-character value
    // is checked through LibreOffice below).
    const QJsonArray theirs = openpyxlValues(file).array();
    ASSERT_EQ(theirs.size(), kValues.size());
    const QStringList numbers = {"123456789012345", "-0.5", "12", "0", "0.25"};
    for (int i = 0; i < kValues.size(); ++i) {
        SCOPED_TRACE(kValues[i].toStdString());
        const QJsonArray cell = theirs.at(i).toArray().at(0).toArray();
        if (numbers.contains(kValues[i])) {
            EXPECT_EQ(cell.at(0).toString(), QStringLiteral("n"));
            EXPECT_DOUBLE_EQ(cell.at(1).toString().toDouble(), kValues[i].toDouble());
        } else if (!kValues[i].isEmpty() && !kValues[i].contains(QChar(7))) { // openpyxl reads "" as None
            EXPECT_EQ(cell.at(0).toString(), QStringLiteral("s"));
            EXPECT_EQ(cell.at(1).toString(), kValues[i]);
        }
    }

    // LibreOffice opens it with the same values (and decodes the escapes).
    const ProcessResult lo = run(
        QStringLiteral("soffice"),
        {QStringLiteral("-env:UserInstallation=file://") + path(QStringLiteral("profile")), QStringLiteral("--headless"),
         QStringLiteral("--convert-to"), QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"),
         QStringLiteral("--outdir"), path(QStringLiteral("csv")), file});
    const QString csv = path(QStringLiteral("csv/values.csv"));
    ASSERT_TRUE(QFile::exists(csv)) << lo.out.constData() << lo.err.constData();
    const ProcessResult parsed = python(QStringLiteral(R"(
import csv, json, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    print(json.dumps([row[0] if row else '' for row in csv.reader(f)]))
)"),
                                        {csv});
    const QJsonArray cells = QJsonDocument::fromJson(parsed.out).array();
    ASSERT_EQ(cells.size(), kValues.size()) << parsed.err.constData();
    // (its text export ends lines in cells with LF alone)
    for (int i = 0; i < kValues.size(); ++i)
        EXPECT_EQ(cells.at(i).toString(), QString(kValues[i]).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

// The rows of a written workbook as LibreOffice's CSV export shows them.
QList<QStringList> libreOfficeRows(const QString& file, const QString& work)
{
    const ProcessResult lo = run(
        QStringLiteral("soffice"),
        {QStringLiteral("-env:UserInstallation=file://") + work + QStringLiteral("/profile"), QStringLiteral("--headless"),
         QStringLiteral("--convert-to"), QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"),
         QStringLiteral("--outdir"), work + QStringLiteral("/csv"), file});
    const ProcessResult parsed = python(QStringLiteral(R"(
import csv, json, sys
with open(sys.argv[1], newline='', encoding='utf-8') as f:
    print(json.dumps(list(csv.reader(f))))
)"),
                                        {work + QStringLiteral("/csv/") + QFileInfo(file).completeBaseName() + QStringLiteral(".csv")});
    EXPECT_EQ(parsed.exitCode, 0) << lo.err.constData() << parsed.err.constData();
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(parsed.out).array())
        rows.append(row.toVariant().toStringList());
    return rows;
}

// The rows as openpyxl's read-only mode gives them: numbers as Python
// shows them, which is what any reader shows.
QList<QStringList> openpyxlReadOnlyRows(const QString& file)
{
    const ProcessResult r = python(QStringLiteral(R"(
import json, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1], read_only=True)
def text(v):
    return '' if v is None else repr(v) if isinstance(v, float) else str(v)
print(json.dumps([[text(v) for v in row] for row in wb.worksheets[0].iter_rows(values_only=True)]))
)"),
                                   {file});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    QList<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(r.out).array())
        rows.append(row.toVariant().toStringList());
    return rows;
}

TEST_F(SpreadsheetWriting, EveryReaderShowsTheWrittenText)
{
    // Texts that look like numbers but are not shown so, a leading U+FEFF,
    // and a row far wider than the first.
    const QString bom(QChar(0xFEFF));
    Rows data = {{"Name", "Value"},
                 {"0.50", "1.0", "1.10", "-0", "007", "1e5", "12", "-3.5", "0.5", "0.00001", "0.0001",
                  "123456789012345", "99.99", "-0.25", bom + "bom", bom + "12"}};
    for (int r = 3; r <= 66; ++r)
        data.append({QString::number(r * 3)});
    QStringList wide;
    for (int c = 1; c <= 1000; ++c)
        wide.append(QStringLiteral("w%1").arg(c));
    data[65] = wide;
    const QString file = path(QStringLiteral("shown.xlsx"));
    ASSERT_TRUE(write(QStringLiteral("shown.xlsx"), data));
    const QByteArray sheet = part(file, QStringLiteral("xl/worksheets/sheet1.xml"));
    EXPECT_TRUE(sheet.contains("<dimension ref=\"A1:ALL66\"/>"));
    EXPECT_TRUE(sheet.contains("<row r=\"66\" spans=\"1:1000\">"));

    SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(file), true);
    Excel_Sheet_Number = 1;
    const Rows ours = SpreadsheetWriter::ReadWorkbook(QUrl(), false).toLists();
    const Rows openpyxl = openpyxlReadOnlyRows(file);
    const Rows libreOffice = libreOfficeRows(file, dir.path());
    ASSERT_EQ(ours.size(), data.size());
    ASSERT_EQ(openpyxl.size(), data.size());
    ASSERT_EQ(libreOffice.size(), data.size());
    for (int r = 0; r < data.size(); ++r) {
        for (int c = 0; c < 1000; ++c) {
            const QString expected = data[r].value(c);
            SCOPED_TRACE(QStringLiteral("row %1 column %2: %3").arg(r + 1).arg(c + 1).arg(expected).toStdString());
            EXPECT_EQ(ours[r].value(c), expected);
            EXPECT_EQ(openpyxl[r].value(c), expected);
            EXPECT_EQ(libreOffice[r].value(c), expected);
        }
    }
}

TEST_F(SpreadsheetWriting, SameBytesInEveryLocale)
{
    Rows data;
    for (const QString& v : kValues)
        data.append(QStringList{v, QStringLiteral("3.5"), QStringLiteral("1,234")});
    ASSERT_TRUE(write(QStringLiteral("c.xlsx"), data));

    const QLocale savedLocale;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::string savedC = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    const bool written = write(QStringLiteral("de.xlsx"), data);
    std::setlocale(LC_ALL, savedC.c_str());
    QLocale::setDefault(savedLocale);

    ASSERT_TRUE(written);
    EXPECT_EQ(readFile(path(QStringLiteral("c.xlsx"))), readFile(path(QStringLiteral("de.xlsx"))));
    EXPECT_TRUE(part(path(QStringLiteral("de.xlsx")), QStringLiteral("xl/worksheets/sheet1.xml"))
                    .contains("<c r=\"B1\"><v>3.5</v></c><c r=\"C1\" t=\"s\">"));
}

TEST_F(SpreadsheetWriting, FailuresLeaveTargetsAndTemporaryFolderAlone)
{
    const QByteArray savedTmp = qgetenv("TMPDIR");
    QTemporaryDir tmp;
    qputenv("TMPDIR", tmp.path().toUtf8());
    const Rows data = {{"Batch Value"}, {"1"}};

    writeFile(path(QStringLiteral("existing.xlsx")), "previous export");
    ASSERT_TRUE(write(QStringLiteral("existing.xlsx"), data));
    EXPECT_EQ(treeOf(tmp.path()), QStringList());
    EXPECT_NE(readFile(path(QStringLiteral("existing.xlsx"))), "previous export");

    writeFile(path(QStringLiteral("kept.xlsx")), "previous export");
    EXPECT_FALSE(write(QStringLiteral("kept.xlsx"), {}));
    Resource_Path = path(QStringLiteral("no-template-here"));
    EXPECT_FALSE(write(QStringLiteral("kept.xlsx"), data));
    Resource_Path = builtResourceFolder();
    EXPECT_EQ(readFile(path(QStringLiteral("kept.xlsx"))), "previous export");

    // The target's folder is a file; the target is a folder; the name is too long.
    EXPECT_FALSE(write(QStringLiteral("kept.xlsx/inner.xlsx"), data));
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("folder.xlsx/inside"))));
    EXPECT_FALSE(write(QStringLiteral("folder.xlsx"), data));
    EXPECT_TRUE(QFileInfo::exists(path(QStringLiteral("folder.xlsx/inside"))));
    EXPECT_FALSE(write(QString(300, QLatin1Char('n')) + QStringLiteral(".xlsx"), data));

    EXPECT_EQ(readFile(path(QStringLiteral("kept.xlsx"))), "previous export");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"existing.xlsx", "kept.xlsx"})); // no half-written leftovers
    EXPECT_EQ(treeOf(tmp.path()), QStringList());
    qputenv("TMPDIR", savedTmp);
}

} // namespace
