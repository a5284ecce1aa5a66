// Data Matrix symbols through libiec16022, read back by an independent decoder.
#include "barcode/DataMatrix.h"
#include "support_2d_decode.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <algorithm>
#include <random>

namespace {

// The unit raster at 4 px per module with a generous quiet zone.
twod::Decoded readSymbol(const ecc200::Symbol& s)
{
    const QImage r = ecc200::raster(s.W, s.H, s.grid.data());
    QImage big((s.W + 12) * 4, (s.H + 12) * 4, QImage::Format_ARGB32);
    big.fill(Qt::transparent);
    {
        QPainter p(&big);
        p.drawImage(QRect(20, 20, r.width() * 4, r.height() * 4), r);
    }
    return twod::decodeImage(big, twod::Kind::DataMatrix);
}

std::string randomAscii(std::mt19937& gen, int maxLen)
{
    std::string s(1 + gen() % maxLen, ' ');
    for (auto& c : s)
        c = static_cast<char>(32 + gen() % 95);
    return s;
}

std::string randomUtf8(std::mt19937& gen, int maxLen)
{
    static const char* pieces[] = {"\xC3\xBC", "\xE2\x82\xAC", "\xE6\x97\xA5", "\xC3\x9F", "\xF0\x9F\x98\x80"};
    std::string s;
    const int n = 1 + gen() % maxLen;
    for (int i = 0; i < n; ++i)
        s += gen() % 3 ? std::string(1, static_cast<char>(32 + gen() % 95)) : pieces[gen() % 5];
    return s;
}

const char* kSizes[] = {"C10X10", "C12X12", "C14X14", "C16X16", "C18X18", "C20X20", "C22X22", "C24X24",
                        "C26X26", "C32X32", "C36X36", "C40X40", "C44X44", "C48X48", "C52X52", "C64X64",
                        "C72X72", "C80X80", "C88X88", "C96X96", "C104X104", "C120X120", "C132X132", "C144X144",
                        "C8X18", "C8X32", "C12X26", "C12X36", "C16X36", "C16X48"};

} // namespace

TEST(DataMatrix, EverySizeDecodes)
{
    for (const char* title : kSizes) {
        int W = 0, H = 0;
        ecc200::sizeFromTitle(QString::fromLatin1(title), &W, &H);
        ecc200::Symbol s;
        const QByteArray value("123456");
        ASSERT_TRUE(ecc200::encode(value, W, H, QStringLiteral("Auto"), &s)) << title;
        EXPECT_EQ(s.W, W);
        EXPECT_EQ(s.H, H);
        const auto d = readSymbol(s);
        ASSERT_TRUE(d.valid) << title;
        EXPECT_EQ(d.bytes, value.toStdString());
        EXPECT_EQ(d.orientation, 0) << title;
        EXPECT_FALSE(d.mirrored);
    }
    int W = -1, H = -1;
    ecc200::sizeFromTitle(QStringLiteral("C8X18"), &W, &H);
    EXPECT_EQ(W, 18);
    EXPECT_EQ(H, 8);
    ecc200::sizeFromTitle(QStringLiteral("Auto"), &W, &H);
    EXPECT_EQ(W + H, 0);
    ecc200::sizeFromTitle(QStringLiteral("C144"), &W, &H);
    EXPECT_EQ(W + H, 0);
}

TEST(DataMatrix, EncodationsReadBackExactly)
{
    std::mt19937 gen(2024);
    int edifactPicks = 0;
    for (const char* enc : {"Auto", "Ascii", "C40", "Text"}) {
        for (int i = 0; i < 400; ++i) {
            const std::string v = i % 2 ? randomAscii(gen, 60) : randomUtf8(gen, 30);
            ecc200::Symbol s;
            ASSERT_TRUE(ecc200::encode(QByteArray::fromStdString(v), 0, 0, QString::fromLatin1(enc), &s)) << v;
            const auto d = readSymbol(s);
            ASSERT_TRUE(d.valid) << enc << " " << v;
            EXPECT_EQ(d.bytes, v) << enc << " encoding " << s.encoding;
            EXPECT_EQ(d.orientation, 0);
            EXPECT_FALSE(d.mirrored);
        }
    }
    (void)edifactPicks;

    // The library's own pick holds EDIFACT here and drops the last letter.
    ecc200::Symbol s;
    ASSERT_TRUE(ecc200::encode("I%=./T6IFH", 0, 0, QStringLiteral("Auto"), &s));
    EXPECT_EQ(s.encoding.find('E'), std::string::npos);
    EXPECT_EQ(readSymbol(s).bytes, "I%=./T6IFH");
}

TEST(DataMatrix, LargestSymbolReads)
{
    // Values that need 144 x 144, the size whose codeword order differs.
    std::mt19937 gen(144);
    for (const int length : {2700, 2900, 3000}) {
        std::string v(static_cast<size_t>(length), '0');
        for (auto& c : v)
            c = static_cast<char>('0' + gen() % 10);
        ecc200::Symbol s;
        ASSERT_TRUE(ecc200::encode(QByteArray::fromStdString(v), 0, 0, QStringLiteral("Auto"), &s));
        EXPECT_EQ(s.W, 144);
        const auto d = readSymbol(s);
        ASSERT_TRUE(d.valid) << length;
        EXPECT_EQ(d.bytes, v);
    }
}

TEST(DataMatrix, EncodationStrings)
{
    EXPECT_EQ(ecc200::encodationFor(QStringLiteral("Auto"), "abc"), "");
    EXPECT_EQ(ecc200::encodationFor(QStringLiteral("Auto"), "\xE6\x97\xA5"), "AAA");
    EXPECT_EQ(ecc200::encodationFor(QStringLiteral("Ascii"), "abcde"), "AAAAA");
    EXPECT_EQ(ecc200::encodationFor(QStringLiteral("Base256"), "\xE6\x97\xA5x"), "BBBB");
    EXPECT_EQ(ecc200::encodationFor(QStringLiteral("Other"), "ab"), "");
    // Whole triples only: Text values 1 per lower-case letter.
    EXPECT_EQ(ecc200::encodationFor(QStringLiteral("Text"), "abcde"), "TTTAA");
    EXPECT_EQ(ecc200::encodationFor(QStringLiteral("Text"), "abcdef"), "TTTTTT");
    // C40: capitals 1, lower case 2 (shifted), a byte above 127 two more.
    EXPECT_EQ(ecc200::encodationFor(QStringLiteral("C40"), "AB"), "AA");
    EXPECT_EQ(ecc200::encodationFor(QStringLiteral("C40"), "aAx"), "CCA");
    EXPECT_EQ(ecc200::encodationFor(QStringLiteral("C40"), "\xC1" "AB"), "CAA");
    // A NUL value ends the run (NUL, or 0x80 after the upper shift).
    EXPECT_EQ(ecc200::encodationFor(QStringLiteral("C40"), QByteArray("ABC\x80" "DEF", 7)), "CCCAAAA");
}

TEST(DataMatrix, RefusalsPrintTheDiagnostics)
{
    struct Case
    {
        QByteArray value;
        int W, H;
        const char* encoding;
        const char* reason;
    };
    const QByteArray tooLong(3116, '7');
    const Case cases[] = {
        {"abc", 11, 11, "Auto", "Invalid size 11x11"},
        {tooLong, 0, 0, "Auto", ""},
        {QByteArray(2000, 'x'), 10, 10, "Ascii", ""},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        ecc200::Symbol s;
        s.W = 99;
        const bool ok = ecc200::encode(c.value, c.W, c.H, QString::fromLatin1(c.encoding), &s);
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(ok) << c.encoding;
        EXPECT_EQ(s.W, 0);
        EXPECT_TRUE(s.grid.empty());
        EXPECT_NE(err.find("No barcode produced\n"), std::string::npos) << c.value.size() << " " << c.encoding;
        EXPECT_NE(err.find(c.reason), std::string::npos) << err;
        EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 4) << out;
        EXPECT_EQ(out.rfind("Size    : ", 0), 0u) << out;
        EXPECT_NE(out.find("\nEncoded : "), std::string::npos);
        EXPECT_NE(out.find("\nEncoding: "), std::string::npos);
        if (std::string(c.encoding) == "Auto") {
            // No encodation string: an empty field, never "(null)".
            EXPECT_NE(out.find("\nEncoding: \n"), std::string::npos) << out;
        }
    }
    ecc200::Symbol none;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(ecc200::encode(QByteArray(), 0, 0, QStringLiteral("Auto"), &none));
    testing::internal::GetCapturedStdout();
}

TEST(DataMatrix, EpsText)
{
    // 10 x 10: bounding box 0 0 12 12, all rows on one 50-character line.
    std::vector<uint8_t> grid(100, 0);
    grid[0] = 1;   // bottom-left module dark
    const QByteArray eps = ecc200::makeEPS("Hello\r\nshowpage", 10, 10, grid.data());
    EXPECT_TRUE(eps.startsWith("%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: IEC16022 barcode/stamp generator\n"));
    EXPECT_TRUE(eps.contains("%%BarcodeData: Hello  showpage\n"));
    EXPECT_TRUE(eps.contains("%%BarcodeSize: 10x10\n%%BarcodeFormat: ECC200\n"));
    EXPECT_TRUE(eps.contains("%%BoundingBox: 0 0 12 12\n%%EndComments\n%%Page: 1 1\n10 10 1[1 0 0 1 -1 -1]{<\n"));
    const qsizetype body = eps.indexOf("{<\n") + 3;
    const QByteArray lines = eps.mid(body);
    const QByteArray first = lines.left(lines.indexOf('\n'));
    EXPECT_EQ(first.size(), 50);
    EXPECT_TRUE(first.startsWith("7FFF FFFF "));   // dark module: a 0 bit; spare bits 1
    EXPECT_TRUE(eps.endsWith(first + "\n\n>}image\n"));

    // 144 x 144: 18 bytes and a space per row, a line break after every fifth row.
    std::vector<uint8_t> big(144 * 144, 1);
    const QByteArray eps2 = ecc200::makeEPS("x", 144, 144, big.data());
    const QList<QByteArray> rows = eps2.mid(eps2.indexOf("{<\n") + 3).split('\n');
    EXPECT_EQ(rows[0].size(), 5 * 37);
    EXPECT_EQ(rows[0].left(37), QByteArray(36, '0') + ' ');
    EXPECT_EQ(rows.size(), 144 / 5 + 1 + 3);   // 28 full lines, the last 4 rows, "", ">}image", ""
}

TEST(DataMatrix, RasterKeepsRowZeroAtTheBottom)
{
    std::vector<uint8_t> grid(6, 0);
    grid[0] = 1;   // row 0 (bottom), column 0
    const QImage r = ecc200::raster(3, 2, grid.data());
    ASSERT_EQ(r.size(), QSize(5, 4));
    EXPECT_EQ(qAlpha(r.pixel(0, 0)), 0);          // transparent border
    EXPECT_EQ(r.pixel(1, 2), qRgba(0, 0, 0, 255));  // bottom row of modules, left
    EXPECT_EQ(r.pixel(1, 1), qRgba(255, 255, 255, 255));
    EXPECT_TRUE(ecc200::raster(0, 3, grid.data()).isNull());
}
