#include "batch/SeriesGenerate.h"
#include "batch/SeriesStore.h"
#include "batch/SeriesText.h"
#include "platform/text_decode.h"
#include "support_batch.h"

#include <QDir>
#include <QJsonArray>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string_view>

using namespace batchtest;

namespace {

// Python's csv reader with the same cleaning, as the expected values.
QStringList pythonCsvValues(const QString& path)
{
    const ProcessResult r = python(QStringLiteral(R"(
import csv, json, sys
vals = []
with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:
    for row in csv.reader(f):
        for field in row:
            v = ' '.join(field.replace('\r\n', '\n').replace('\r', '\n').split('\n'))
            v = v.replace('\\', '').replace('{', '').replace('}', '').strip()
            if 'NSFont = ' in v:
                break
            if v:
                vals.append(v)
print(json.dumps(vals))
)"),
                                     {path});
    QStringList values;
    for (const auto& v : QJsonDocument::fromJson(r.out).array())
        values.append(v.toString());
    return values;
}

QStringList fileValues(const QString& path)
{
    QStringList values;
    EXPECT_EQ(series_text::Text_File_Values(path, &values), series_text::Read_Status::Ok) << path.toStdString();
    return values;
}

} // namespace

TEST(SeriesText, CsvMatchesPythonCsv)
{
    QTemporaryDir dir;
    const QByteArray cases[] = {
        "a,\"b,c\",d\r\n\"say \"\"hi\"\"\",,e\r\n",     // quoted commas, "", empty field, CRLF
        "x,\"two\nlines\",y\nz,w\n",                      // inner LF, LF records
        "p,q\rr,s\r",                                     // CR records
        "\xef\xbb\xbf" "bom,\xe6\xbc\xa2\xe5\xad\x97,\xf0\x9f\x98\x80\n", // BOM, CJK, emoji
        "one\ncolumn\nonly\n",                            // one column gives every value
        "a{b}\\c, padded ,\"unterminated,rest\nmore",     // cleaning; open quote runs to the end
        "k,NSFont = x,lost\nnext,line\n",                 // the font mark ends its record only
        "\"a\r\nb\r\\\nc\r\",\" \"\"q\"\"\",x\"y\r\n\"\"\r\n",  // breaks in quotes, quotes inside fields
    };
    int i = 0;
    for (const QByteArray& bytes : cases) {
        const QString path = dir.filePath(QStringLiteral("c%1.csv").arg(i++));
        writeFile(path, bytes);
        EXPECT_EQ(fileValues(path), pythonCsvValues(path)) << bytes.constData();
    }
    const QString upper = dir.filePath(QStringLiteral("u.CsV"));
    writeFile(upper, "only,two\n");
    EXPECT_EQ(fileValues(upper), (QStringList{QStringLiteral("only"), QStringLiteral("two")}));
}

// A CSV file read from its bytes gives the values, and the series bytes,
// of its whole text decoded and read: on every character, on ends that
// trimming removes or keeps, and on bytes that are not UTF-8.
TEST(SeriesText, CsvFromBytesAsFromDecodedText)
{
    QString all;
    int k = 0;
    for (char32_t c = 1; c <= 0x10FFFF; c += c < 0x30000 ? 1 : 97) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        all.append(QString::fromUcs4(&c, 1));
        if (++k % 7 == 0)
            all.append(k % 49 == 0 ? QLatin1Char('\n') : QLatin1Char(','));
    }
    using namespace std::literals;
    const std::string_view hostile[] = {
        "a\0b,\x01x\x7f,\x1f"sv,                                                    // NUL, controls at the ends
        "\xC2\xA0nb\xC2\xA0,\xE3\x80\x80id\xE3\x80\x80,\xE2\x80\x8Bzw\xE2\x80\x8B, \xF0\x9F\x98\x80 ,e\xCC\x81\n"sv,
        "\xEF\xBF\xBE,\xEF\xBF\xBF,\xC3\x9C,\xE6\xBC\xA2"sv,                         // non-characters, letters
        "a,x NSFont = ,b\nc NSFont =\xC2\xA0,d\ne,NSFont = "sv,                     // the mark after trimming
        "\xEF\xBB\xBF\xEF\xBB\xBF\xEF\xBB\xBF" "boms,\xEF\xBB\xBF"sv,              // byte-order marks
        "\xEF\xBB\xBF"sv, ""sv, "\xFF\xFE" "a\0,\0b\0"sv, "\xFE\xFF\0a\0,\0b"sv,   // nothing; UTF-16
        "\xC0\x80,a"sv, "\xED\xA0\x80"sv, "\xF4\x90\x80\x80"sv, "ab\xE6\xBC"sv, "\x80x"sv, // not UTF-8
    };
    QList<QByteArray> cases{all.toUtf8()};
    for (std::string_view bytes : hostile)
        cases.append(QByteArray(bytes.data(), qsizetype(bytes.size())));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.csv"));
    for (const QByteArray& bytes : cases) {
        writeFile(path, bytes);
        QStringList values;
        QByteArray series;
        const auto listed = series_text::Text_File_Values(path, &values);
        const auto made = series_text::Text_File_Series_Bytes(path, &series);
        const std::optional<QString> text = platform::decodeText(bytes);
        if (!text || text->isEmpty()) {
            EXPECT_EQ(listed, series_text::Read_Status::Corrupt) << bytes.toHex().constData();
            EXPECT_EQ(made, series_text::Read_Status::Corrupt) << bytes.toHex().constData();
            continue;
        }
        const QStringList expected = series_text::Csv_Values(*text);
        EXPECT_TRUE(values == expected) << bytes.left(40).toHex().constData();
        EXPECT_TRUE(series == series::Series_Bytes(expected, series::Values::Trimmed_Drop_Empty))
            << bytes.left(40).toHex().constData();
    }
}

TEST(SeriesText, TextLinesCleanedInAnyLineEndAndEncoding)
{
    QTemporaryDir dir;
    const QStringList expected{QStringLiteral("one"), QStringLiteral("t w o"), QStringLiteral("abc"),
                               QStringLiteral("\u6f22")};
    const QString text = QStringLiteral(" one \n\nt w o\r\na{b}\\c\r\u6f22");
    writeFile(dir.filePath(QStringLiteral("a.txt")), text.toUtf8());
    EXPECT_EQ(fileValues(dir.filePath(QStringLiteral("a.txt"))), expected);
    QStringEncoder utf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    writeFile(dir.filePath(QStringLiteral("b.txt")), utf16.encode(text));
    EXPECT_EQ(fileValues(dir.filePath(QStringLiteral("b.txt"))), expected);
    writeFile(dir.filePath(QStringLiteral("c.txt")), "keep\nstop NSFont = Helvetica\nnever\n");
    EXPECT_EQ(fileValues(dir.filePath(QStringLiteral("c.txt"))), QStringList{QStringLiteral("keep")});
    // an RTF keeps every formatting run
    writeFile(dir.filePath(QStringLiteral("d.RTF")), "{\\rtf1\\ansi 12{\\b 34}\\par\\{x\\}\\par}");
    EXPECT_EQ(fileValues(dir.filePath(QStringLiteral("d.RTF"))),
              (QStringList{QStringLiteral("1234"), QStringLiteral("x")}));

    using series_text::Read_Status;
    writeFile(dir.filePath(QStringLiteral("bad.txt")), "ok\xff\xfe");
    writeFile(dir.filePath(QStringLiteral("plain.rtf")), "not rtf");
    writeFile(dir.filePath(QStringLiteral("empty.txt")), "");
    EXPECT_EQ(series_text::Text_File_Values(dir.filePath(QStringLiteral("bad.txt")), nullptr), Read_Status::Corrupt);
    EXPECT_EQ(series_text::Text_File_Values(dir.filePath(QStringLiteral("plain.rtf")), nullptr), Read_Status::Corrupt);
    EXPECT_EQ(series_text::Text_File_Values(dir.filePath(QStringLiteral("empty.txt")), nullptr), Read_Status::Corrupt);
    EXPECT_EQ(series_text::Text_File_Values(dir.path(), nullptr), Read_Status::Unreadable);
    EXPECT_EQ(series_text::Text_File_Values(dir.filePath(QStringLiteral("missing.txt")), nullptr),
              Read_Status::Unreadable);
}

TEST(SeriesText, PictureFolderAndPastedText)
{
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("x.JPG")), "j");
    writeFile(dir.filePath(QStringLiteral("y.txt")), "t");
    QDir(dir.path()).mkdir(QStringLiteral("z.png"));
    EXPECT_EQ(series_text::Picture_Folder_Values(dir.path()), QStringList{dir.filePath(QStringLiteral("x.JPG"))});
    EXPECT_EQ(series_text::Picture_Folder_Values(dir.filePath(QStringLiteral("y.txt"))), std::nullopt);
    EXPECT_EQ(series_text::Picture_Folder_Values(dir.filePath(QStringLiteral("none"))), std::nullopt);

    EXPECT_EQ(series_text::Pasted_Lines(QStringLiteral("\n a\n\n  b  \n")),
              (QStringList{QStringLiteral("a"), QString(), QStringLiteral("  b")}));
    EXPECT_TRUE(series_text::Has_Lone_Surrogate(QString(QChar(0xD800)) + QStringLiteral("x")));
    EXPECT_TRUE(series_text::Has_Lone_Surrogate(QStringLiteral("x") + QChar(0xDC00)));
    EXPECT_FALSE(series_text::Has_Lone_Surrogate(QStringLiteral("😀")));
}

TEST(SeriesGenerate, SequentialRangesPaddingAndBounds)
{
    using namespace series_gen;
    auto seq = [](const char* from, const char* to, bool pad, const char* prefix = "", const char* suffix = "") {
        return Sequential{QString::fromUtf8(prefix), QString::fromUtf8(suffix), QString::fromUtf8(from),
                          QString::fromUtf8(to), pad};
    };
    EXPECT_EQ(Sequential_Values(seq("1", "10", true)).join(','), QStringLiteral("01,02,03,04,05,06,07,08,09,10"));
    EXPECT_EQ(Sequential_Values(seq("1", "3", false, "A-", "-Z")).join(','), QStringLiteral("A-1-Z,A-2-Z,A-3-Z"));
    EXPECT_EQ(Sequential_Values(seq("001", "00200", true)).value(0), QStringLiteral("00001"));
    const QStringList negatives = Sequential_Values(seq("-10", "10", true));
    EXPECT_EQ(negatives.mid(0, 2).join(','), QStringLiteral("-10,-09"));
    EXPECT_EQ(negatives.value(10), QStringLiteral("000"));
    EXPECT_EQ(negatives.last(), QStringLiteral("010"));
    EXPECT_EQ(Check_Sequential(seq("5", "5", false)), Sequential_Check::From_Not_Smaller);
    EXPECT_EQ(Check_Sequential(seq("", "5", false)), Sequential_Check::From_Empty);
    EXPECT_EQ(Check_Sequential(seq("1", "", false)), Sequential_Check::To_Empty);
    // 64-bit bounds near and past 2^31; too large for 64 bits is refused
    EXPECT_EQ(Sequential_Values(seq("2147483646", "2147483648", false)).join(','),
              QStringLiteral("2147483646,2147483647,2147483648"));
    EXPECT_EQ(Check_Sequential(seq("1", "99999999999999999999", false)), Sequential_Check::To_Empty);
    EXPECT_EQ(Check_Sequential(seq("-99999999999999999999", "1", false)), Sequential_Check::From_Empty);
    EXPECT_EQ(Check_Sequential(seq("1", "1000000", false)), Sequential_Check::Ok);
    EXPECT_EQ(Check_Sequential(seq("1", "1000001", false)), Sequential_Check::Too_Many);
    EXPECT_EQ(Check_Sequential(seq("1", "2147483647", false)), Sequential_Check::Too_Many);
    EXPECT_EQ(Check_Sequential(seq("-9223372036854775808", "9223372036854775807", false)), Sequential_Check::Too_Many);
    EXPECT_EQ(Leading_Integer(QStringLiteral("  -12abc")), -12);
    EXPECT_EQ(Leading_Integer(QStringLiteral("abc")), 0);
}

TEST(SeriesGenerate, RandomConstantAndTypingFilter)
{
    using namespace series_gen;
    const QStringList random = Random_Values(QStringLiteral("R"), QStringLiteral("!"), 3, 5);
    ASSERT_EQ(random.size(), 5);
    for (const QString& v : random) {
        const int n = v.mid(1, 3).toInt();
        EXPECT_TRUE(v.startsWith('R') && v.endsWith('!') && v.size() == 5 && n >= 100 && n <= 999) << v.toStdString();
    }
    for (int i = 0; i < 200; ++i) {
        const int n = getRandomNumberBetweenMin(100000000, 999999999);
        ASSERT_TRUE(n >= 100000000 && n <= 999999999);
    }
    EXPECT_EQ(Random_Length(QStringLiteral(" 3 ")), 3);
    EXPECT_EQ(Random_Length(QStringLiteral("0")), std::nullopt);
    EXPECT_EQ(Random_Length(QStringLiteral("12")), std::nullopt);
    EXPECT_EQ(Constant_Values(QStringLiteral("  "), 3).size(), 3);
    EXPECT_TRUE(Constant_Values(QStringLiteral("v"), 0).isEmpty());

    EXPECT_EQ(Filter_Count_Text(QStringLiteral("0"), 5, 10000), QStringLiteral("1"));
    EXPECT_EQ(Filter_Count_Text(QString(), 5, 10000), QStringLiteral("1"));
    EXPECT_EQ(Filter_Count_Text(QStringLiteral("123456"), 5, 10000), QStringLiteral("10000"));
    EXPECT_EQ(Filter_Count_Text(QStringLiteral("12000"), 5, 10000), QStringLiteral("10000"));
    EXPECT_EQ(Filter_Count_Text(QStringLiteral("250"), 5, 10000), QStringLiteral("250"));
    EXPECT_EQ(Filter_Count_Text(QStringLiteral("12"), 1, 9), QStringLiteral("1"));
}
