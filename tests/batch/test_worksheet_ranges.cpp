// Large worksheets are read in byte ranges on several threads; whatever the
// part holds, the result must be the one a single pass gives.
#include "batch/CardZipArchive.h"
#include "batch/SpreadsheetWriter.h"
#include "batch/XlsxParts.h"
#include "batch/support_batch.h"
#include "support/hostile_bytes.h"

#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

using namespace batchtest;

namespace {

class WorksheetRanges : public ::testing::Test
{
protected:
    void TearDown() override
    {
        xlsx::parallelReadMinimum = 4 << 20;
        xlsx::plainXmlReading = true;
        CardZipArchive::Parallel_Unpack_Bytes = 4 << 20;
        SpreadsheetWriter::Release_Data();
    }

    // Reads `xml` once in a single pass and once in ranges; expects the same
    // content and returns how many ranges the second read used.
    int compare(const QByteArray& xml, qint64 budget = xlsx::maxKeptBytes)
    {
        const QString file = dir.path() + QStringLiteral("/sheet.xml");
        writeFile(file, xml);
        const QStringList shared = {"zero", "one", "two"};
        xlsx::SheetContent single, ranged;
        QString m1, m2;
        xlsx::parallelReadMinimum = qint64(1) << 40;
        const auto r1 = xlsx::readWorksheet(file, shared, false, single, m1, budget);
        xlsx::parallelReadMinimum = 2048;
        const auto r2 = xlsx::readWorksheet(file, shared, false, ranged, m2, budget);
        EXPECT_EQ(r1, r2);
        EXPECT_EQ(m1, m2);
        EXPECT_EQ(single.takeRows(shared).toLists(), ranged.takeRows(shared).toLists());
        EXPECT_EQ(single.width, ranged.width);
        EXPECT_EQ(single.badReferences, ranged.badReferences);
        EXPECT_EQ(single.firstBadReference, ranged.firstBadReference);
        EXPECT_EQ(single.badSharedIndexes, ranged.badSharedIndexes);
        EXPECT_EQ(single.tooLarge, ranged.tooLarge);
        EXPECT_EQ(single.ranges, 1);
        return ranged.ranges;
    }

    QTemporaryDir dir;
};

// Rows of every kind of cell, `prefix` on every element name.
QByteArray rowsOf(int count, const QByteArray& prefix = {})
{
    QByteArray rows;
    for (int r = 1; r <= count; ++r) {
        const QByteArray n = QByteArray::number(r);
        const QByteArray p = prefix;
        rows += "\n  <" + p + "row r=\"" + n + "\">";
        rows += "<" + p + "c r=\"A" + n + "\" t=\"s\"><" + p + "v>" + QByteArray::number(r % 4) + "</" + p + "v></" + p + "c>";
        rows += "<" + p + "c t=\"inlineStr\"><" + p + "is><" + p + "r><" + p + "t>run " + n + "</" + p + "t></" + p +
                "r><" + p + "r><" + p + "t xml:space=\"preserve\"> &amp; more</" + p + "t></" + p + "r></" + p + "is></" + p + "c>";
        if (r % 7 == 0)
            rows += "<" + p + "c r=\"ZZ" + n + "\"><" + p + "v>" + n + ".5</" + p + "v></" + p + "c>";
        if (r % 11 == 0)
            rows += "<" + p + "c r=\"bad" + n + "\"><" + p + "v>x</" + p + "v></" + p + "c>";
        rows += "</" + p + "row>";
    }
    return rows;
}

QByteArray worksheet(const QByteArray& rows, const QByteArray& tail = {}, const QByteArray& prefix = {})
{
    const QByteArray ns = prefix.isEmpty() ? QByteArray("xmlns") : "xmlns:" + prefix.chopped(1);
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + prefix + "worksheet " + ns +
           "=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><" + prefix + "dimension ref=\"A1:B2\"/><" +
           prefix + "sheetData>" + rows + "\n</" + prefix + "sheetData>" + tail + "</" + prefix + "worksheet>\n";
}

TEST_F(WorksheetRanges, PlainAndPrefixedSheetsSplitAtRows)
{
    EXPECT_GT(compare(worksheet(rowsOf(3000))), 1);
    EXPECT_GT(compare(worksheet(rowsOf(3000, "x:"), "<x:mergeCells count=\"0\"/>", "x:")), 1);
}

// A whole workbook on threads: its entries unpack on several while its
// shared strings are read on the calling one, then the sheet is read in
// ranges; the rows are those of the ordered, single-pass read.
TEST_F(WorksheetRanges, WorkbookUnpackedOnThreadsWhileItsStringsAreRead)
{
    QByteArray items;
    for (int i = 0; i < 20000; ++i)
        items += "<si><t>shared " + QByteArray::number(i) + "</t></si>";
    const QString file = dir.path() + QStringLiteral("/book.xlsx");
    pythonZip(file, workbookParts({{"S", worksheet(rowsOf(6000))}, {"T", worksheet(rowsOf(3000))}},
                                  sharedStringsXml(items)));
    QList<SpreadsheetWriter::Rows> reads;
    for (const bool threaded : {true, false}) {
        CardZipArchive::Parallel_Unpack_Bytes = threaded ? 1 : std::numeric_limits<qint64>::max();
        xlsx::parallelReadMinimum = threaded ? 2048 : qint64(1) << 40;
        SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(file), true);
        Excel_Sheet_Number = 1;
        reads.append(SpreadsheetWriter::ReadWorkbook(QUrl(), false).toLists());
    }
    ASSERT_EQ(reads[0].size(), 6000);
    EXPECT_EQ(reads[0].value(2).value(0), QStringLiteral("shared 3"));
    EXPECT_TRUE(reads[0] == reads[1]);
}

TEST_F(WorksheetRanges, UnusualPartsFallBackToOnePass)
{
    // A comment holding a row tag, a CDATA value, a processing instruction.
    QByteArray rows = rowsOf(1500);
    rows += "<!-- <row r=\"9999\"><c><v>commented</v></c></row> -->";
    rows += rowsOf(1500);
    EXPECT_EQ(compare(worksheet(rows)), 1);
    EXPECT_EQ(compare(worksheet(rowsOf(1500) + "<row><c><v><![CDATA[<row>]]></v></c></row>" + rowsOf(1500))), 1);
    EXPECT_EQ(compare(worksheet(rowsOf(1500) + "<?mark <row>?>" + rowsOf(1500))), 1);

    // A second sheetData after the first: only the first one's rows count.
    EXPECT_EQ(compare(worksheet(rowsOf(1500), "<sheetData>" + rowsOf(1500) + "</sheetData>")), 1);

    // Broken markup deep inside the rows, or after them.
    EXPECT_EQ(compare(worksheet(rowsOf(2000) + "<row><c><v>1</c></row>" + rowsOf(500))), 1);
    EXPECT_EQ(compare(worksheet(rowsOf(3000), "<mergeCells>")), 1);
    // An entity only a document type could define.
    EXPECT_EQ(compare(worksheet(rowsOf(1500) + "<row><c><v>&custom;</v></c></row>" + rowsOf(1500))), 1);
}

TEST_F(WorksheetRanges, HostileShapesGiveTheSameAnswerBothWays)
{
    QByteArray wide, long_;
    for (int r = 0; r < 40; ++r)
        wide += "<row><c><v>1</v></c><c r=\"XFD1\"><v>2</v></c></row>";
    for (int r = 0; r < 20; ++r)
        long_ += "<row><c t=\"inlineStr\"><is><t>" + QByteArray(3000, 'x') + "</t></is></c></row>";
    const QByteArray shapes[] = {wide + long_, long_ + wide, QByteArray("<row/>").repeated(5000)};
    const qint64 slot = 2 * qint64(sizeof(xlsx::KeptCell));
    // Room for all, room for the rows as read but not once padded to the
    // width, room for a part of them only.
    const qint64 budgets[] = {qint64(1) << 30, 40 * 16384 * slot + (1 << 20), 20000};
    int refused = 0, split = 0;
    for (const QByteArray& rows : shapes) {
        for (const qint64 budget : budgets) {
            SCOPED_TRACE(budget);
            split += compare(worksheet(rows), budget) > 1;
            QString message;
            xlsx::SheetContent content;
            refused += xlsx::readWorksheet(dir.path() + QStringLiteral("/sheet.xml"), {}, false, content, message,
                                           budget) == xlsx::ParseResult::TooLarge;
        }
    }
    EXPECT_EQ(refused, 5); // the two wide shapes twice, the empty rows once
    EXPECT_EQ(split, 4);
}

TEST_F(WorksheetRanges, ReadsNearTheBudgetHoldNoMoreThanItCounts)
{
    // Rows of one CJK text, and rows whose one value lies at column 86:
    // read on several threads with the rows just under the budget, what the
    // process holds stays within the budget and a quarter (144 MiB + 36 MB
    // at the full budget).
    const qint64 budget = qint64(32) << 20;
    const QByteArray sparse = "<row><c r=\"CH1\"><v>7</v></c></row>";
    const QByteArray cjk = "<row><c t=\"inlineStr\"><is><t>" + QString(60, QChar(0x6F22)).toUtf8() + "</t></is></c></row>";
    const qint64 slot = 2 * qint64(sizeof(xlsx::KeptCell)), row = 32;
    const struct { QByteArray row; qint64 cost; } shapes[] = {{cjk, row + slot + 2 * 2 * 60},
                                                             {sparse, row + 86 * slot}};
    xlsx::parallelReadMinimum = 1 << 16;
    for (const auto& shape : shapes) {
        const QString file = dir.path() + QStringLiteral("/edge.xml");
        writeFile(file, worksheet(shape.row.repeated(int(budget * 95 / 100 / shape.cost))));
        xlsx::SheetContent content;
        QString message;
        xlsx::ParseResult result{};
        const hostile::Cost cost = hostile::measure(
            [&] { result = xlsx::readWorksheet(file, {}, false, content, message, budget); });
        EXPECT_EQ(result, xlsx::ParseResult::Parsed);
        EXPECT_GT(content.ranges, 1);
        EXPECT_LE(cost.peakMiB, (budget + budget / 4) >> 20) << shape.row.constData();
    }
}

// Reads `xml` as a worksheet in one pass and in ranges, and as a shared
// string table, with the plain reader and with expat alone: the results
// (and messages) must be the same. Returns whether the plain reader read
// the whole sheet itself, in one pass and in ranges.
std::pair<bool, bool> plainAndExpat(const QString& folder, const QByteArray& xml, const QByteArray& strings)
{
    const QString file = folder + QStringLiteral("/plain.xml");
    const QString table = folder + QStringLiteral("/strings.xml");
    writeFile(file, xml);
    writeFile(table, strings);
    const QStringList shared = {"zero", "one", "two"};
    bool plain[2] = {false, false};
    for (const qint64 minimum : {qint64(1) << 40, qint64(2048)}) {
        xlsx::parallelReadMinimum = minimum;
        xlsx::SheetContent content[2];
        QString message[2];
        xlsx::ParseResult result[2];
        QStringList read[2];
        QString tableMessage[2];
        qint64 kept[2] = {0, 0};
        xlsx::ParseResult tableResult[2];
        for (int k = 0; k < 2; ++k) {
            xlsx::plainXmlReading = k == 0;
            result[k] = xlsx::readWorksheet(file, shared, false, content[k], message[k], xlsx::maxKeptBytes);
            tableResult[k] = xlsx::readSharedStrings(table, read[k], tableMessage[k], kept[k], xlsx::maxKeptBytes);
        }
        xlsx::plainXmlReading = true;
        const std::string what = xml.left(300).toStdString();
        EXPECT_EQ(result[0], result[1]) << what;
        EXPECT_EQ(message[0], message[1]) << what;
        EXPECT_TRUE(content[0].takeRows(shared).toLists() == content[1].takeRows(shared).toLists()) << what;
        EXPECT_EQ(content[0].width, content[1].width) << what;
        EXPECT_EQ(content[0].declaredColumns, content[1].declaredColumns) << what;
        EXPECT_EQ(content[0].badReferences, content[1].badReferences) << what;
        EXPECT_EQ(content[0].firstBadReference, content[1].firstBadReference) << what;
        EXPECT_EQ(content[0].badSharedIndexes, content[1].badSharedIndexes) << what;
        EXPECT_EQ(content[0].textBytes, content[1].textBytes) << what;
        EXPECT_EQ(tableResult[0], tableResult[1]) << strings.left(300).toStdString();
        EXPECT_EQ(tableMessage[0], tableMessage[1]) << strings.left(300).toStdString();
        EXPECT_TRUE(read[0] == read[1]) << strings.left(300).toStdString();
        EXPECT_EQ(kept[0], kept[1]);
        plain[minimum == 2048] = content[0].plain;
    }
    return {plain[0], plain[1]};
}

} // namespace

TEST_F(WorksheetRanges, PlainReaderReadsAsExpat)
{
    auto table = [](const QByteArray& item) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns=\"m\"><si><t>a</t></si>"
               "<si><r><t>b</t></r><r><rPh><t>no</t></rPh><t xml:space=\"preserve\"> c</t></r></si>" + item.repeated(200) +
               "</sst>";
    };
    // What producers write: read by the plain reader itself, at any cut.
    const QByteArray long_ = "<row><c t=\"inlineStr\"><is><t>" +
                             QByteArray("\xC3\xA9&amp;\xF0\x9F\x98\x80&#x4E2D;]&gt;").repeated(4600) + "</t></is></c></row>";
    const QByteArray usual[] = {
        worksheet(rowsOf(1500)),
        worksheet(rowsOf(1500, "x:"), "<x:mergeCells count=\"0\"/>", "x:"),
        "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?>\r\n<worksheet\r\n a = 'b'><sheetData>" + rowsOf(800) +
            "<row r=\"9\" spans=\"1:2\"><c r=\"A9\" s=\"3\"/><c r=\"B9\" x=\"a>b\"><f>SUM(A1)</f><v>2</v></c></row>"
            "<row/></sheetData></worksheet>  \n",
        worksheet(rowsOf(700) + "<row><c t=\"inlineStr\"><is><t>&lt;&quot;&apos;&#65;&#x1F600;&#13;x</t></is></c></row>" +
                  long_ + rowsOf(700)),
    };
    for (const QByteArray& xml : usual) {
        const auto [single, ranged] = plainAndExpat(dir.path(), xml, table("<si><t>&amp;\xE6\xBC\xA2</t></si>"));
        EXPECT_TRUE(single) << xml.left(120).constData();
        EXPECT_TRUE(ranged) << xml.left(120).constData();
    }
    // Anything else, well-formed or not, reads as expat reads it.
    const QByteArray cells[] = {
        "<c><v>1</c>", "<c r=A1><v>1</v></c>", "<c r=\"A1\" r=\"B1\"><v>1</v></c>", "<c r=\"A1\"t=\"s\"><v>1</v></c>",
        "<c r=\"A<1\"><v>1</v></c>", "<c r=\"A&amp;1\"><v>1</v></c>", "<c r=\"A\t1\"><v>1</v></c>", "<c><v>\x01</v></c>",
        "<c><v>a]]>b</v></c>", "<c><v>\xC0\xAF</v></c>", "<c><v>\xEF\xBF\xBE</v></c>", "<c><v>\xED\xA0\x80</v></c>",
        "<c><v>&#0;</v></c>", "<c><v>&#xD800;</v></c>", "<c><v>&#x110000;</v></c>", "<c><v>&foo;</v></c>",
        "<c><v>a & b</v></c>", "<c><v>a\r\nb\rc</v></c>", "<1c/>", "< c/>", "<c/ >", "<c><!-- x --><v>1</v></c>",
        "<c><v><![CDATA[1]]></v></c>", "<c><?pi x?><v>1</v></c>", "<c><v>1</v></c   >", "<c:x><v>1</v></c:x>",
        "<c><v>1</v></c></row><row>", "<c><v>\xE6\xBC</v></c>", "<c attr><v>1</v></c>", "<c =\"1\"/>",
    };
    for (const QByteArray& cell : cells) {
        const QByteArray rows = rowsOf(700) + "<row>" + cell + "</row>" + rowsOf(700);
        plainAndExpat(dir.path(), worksheet(rows), table("<si><t>" + cell + "</t></si>"));
    }
    const QByteArray documents[] = {
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><worksheet><sheetData><row><c t=\"inlineStr\"><is><t>\xE9</t>"
        "</is></c></row></sheetData></worksheet>",
        "<?xml version=\"1.1\"?><worksheet/>", "<?xml encoding=\"UTF-8\"?><worksheet/>", " <?xml version=\"1.0\"?><worksheet/>",
        "<!DOCTYPE worksheet><worksheet/>", "<worksheet/><worksheet/>", "<worksheet/>x", "<worksheet>", "", "<worksheet><sheetData>",
        "\xFF\xFE<\0w\0/\0>\0", "<worksheet><sheetData></sheetData></worksheet><!-- end -->",
    };
    for (const QByteArray& xml : documents)
        plainAndExpat(dir.path(), xml, xml);
}
