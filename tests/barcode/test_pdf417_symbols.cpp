// PDF417 symbols as drawn: the pattern tables obey the symbol character
// rules, and painted symbols read back through an independent decoder
// (zxing-cpp) byte for byte, every pattern of every cluster included.
#include "barcode/BarcodeGlobals.h"
#include "barcode/Barcode_Gen.h"
#include "barcode/PDF417_View.h"
#include "barcode/pdf417_codec.h"
#include "support_2d_decode.h"
#include "support_barcode.h"

#include <QPainter>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace {

// Element widths of a 17-module pattern, leftmost first.
std::vector<int> elements(int pattern)
{
    std::vector<int> widths;
    int bit = 16;
    while (bit >= 0) {
        const int colour = (pattern >> bit) & 1;
        int w = 0;
        while (bit >= 0 && ((pattern >> bit) & 1) == colour) {
            ++w;
            --bit;
        }
        widths.push_back(w);
    }
    return widths;
}

bool moduleAt(const pdf417_codec_param& p, int x, int row)
{
    const int bytesPerRow = p.lenBits / p.codeRows;
    const bool bit = (p.outBits[row * bytesPerRow + x / 8] >> (7 - x % 8)) & 1;
    return (p.options & PDF417_INVERT_BITMAP) ? !bit : bit;
}

// Reads the painted bitmap (rows three modules high) back through zxing-cpp.
twod::Decoded read(const pdf417_codec_param& p)
{
    return twod::decodeModules(
        p.bitColumns, p.codeRows * 3, [&](int x, int y) { return moduleAt(p, x, y / 3); }, twod::Kind::PDF417, 2, 2);
}

// Every (cluster, value) whose pattern stands in a painted symbol's rows.
struct Coverage
{
    std::map<int, int> valueOf[3];
    std::set<int> seen[3];
    Coverage()
    {
        for (int c = 0; c < 3; ++c)
            for (int v = 0; v < 929; ++v)
                valueOf[c][pdf417_tables::pattern(c, v)] = v;
    }
    void add(const pdf417_codec_param& p)
    {
        for (int r = 0; r < p.codeRows; ++r)
            for (int k = 1; k <= p.codeColumns + 2; ++k) {
                int pattern = 0;
                for (int m = 0; m < 17; ++m)
                    pattern = (pattern << 1) | int(moduleAt(p, 17 * k + m, r));
                const auto it = valueOf[r % 3].find(pattern);
                ASSERT_NE(it, valueOf[r % 3].end()) << "row " << r << " column " << k;
                seen[r % 3].insert(it->second);
            }
    }
};

struct Symbol
{
    pdf417_codec_param p;
    std::string text;
    explicit Symbol(std::string t, int options, int level = 2, int columns = 0, int rows = 0, float aspect = 1.0f)
        : text(std::move(t))
    {
        pdf417_codec_init(&p);
        p.text = text.data();
        p.lenText = static_cast<int>(text.size());
        p.options = options;
        p.errorLevel = level;
        p.codeColumns = columns;
        p.codeRows = rows;
        p.aspectRatio = aspect;
        paintCode(&p);
    }
    ~Symbol() { pdf417_codec_free(&p); }
};

std::string randomBytes(unsigned seed, size_t n)
{
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (auto& c : s)
        c = static_cast<char>(gen() & 0xFF);
    return s;
}

} // namespace

TEST(PDF417Tables, EveryPatternIsASymbolCharacterOfItsCluster)
{
    ASSERT_TRUE(pdf417_tables::patternsAvailable());
    for (int c = 0; c < 3; ++c) {
        std::set<int> distinct;
        for (int v = 0; v < 929; ++v) {
            const int pattern = pdf417_tables::pattern(c, v);
            SCOPED_TRACE(testing::Message() << "cluster " << 3 * c << " value " << v);
            ASSERT_EQ(pattern >> 17, 0);
            ASSERT_EQ(pattern >> 16, 1);   // starts with a bar
            const auto w = elements(pattern);
            ASSERT_EQ(w.size(), 8u);       // 4 bars, 4 spaces, ending with a space
            EXPECT_EQ(pattern & 1, 0);
            for (const int e : w) {
                EXPECT_GE(e, 1);
                EXPECT_LE(e, 6);
            }
            EXPECT_EQ((w[0] - w[2] + w[4] - w[6] + 9) % 9, 3 * c);
            distinct.insert(pattern);
        }
        EXPECT_EQ(distinct.size(), 929u);
    }
    EXPECT_EQ(pdf417_tables::pattern(3, 0), -1);
    EXPECT_EQ(pdf417_tables::pattern(0, 929), -1);
}

TEST(PDF417Symbols, DecodedSymbolsCoverEveryPatternOfEveryCluster)
{
    Coverage cover;
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    std::vector<std::string> texts = {
        "Hello, World! The quick brown fox; jumps over (the) lazy dog? {ok} 'yes' \"no\"\r\n\t~`|",
        "ORDER 12345678901234567 shipped 9876543210987 to Z\xFC" "rich",
        all,
        std::string(30, '7') + "x" + std::string(50, '3'),
    };
    for (int n = 1; n <= 50; n += 7)
        texts.push_back(std::string(static_cast<size_t>(n), '0') + std::to_string(n * 7919));
    // Error-correction codewords spread over 0..928: random bytes at high
    // levels and many column counts reach every value in every cluster.
    for (unsigned seed = 0; seed < 24; ++seed)
        texts.push_back(randomBytes(seed, 80 + seed * 9));

    int k = 0;
    for (const auto& text : texts) {
        for (const int columns : {1, 3, 6, 10, 20, 30}) {
            const int level = (k++ % 9);
            Symbol s(text, PDF417_FIXED_COLUMNS | PDF417_USE_ERROR_LEVEL, level, columns, 3);
            if (s.p.error == PDF417_ERROR_TEXT_TOO_BIG)
                continue;   // more codewords than one column holds
            ASSERT_EQ(s.p.error, 0);
            SCOPED_TRACE(testing::Message() << "text " << k << " columns " << columns << " level " << level);
            const auto d = read(s.p);
            ASSERT_TRUE(d.valid);
            EXPECT_EQ(d.bytes, text);
            EXPECT_EQ(d.ecLevel, std::to_string(s.p.errorLevel));
            cover.add(s.p);
        }
    }
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(cover.seen[c].size(), 929u) << "cluster " << 3 * c;
}

TEST(PDF417Symbols, LayoutsLimitsAndInvertedBitmaps)
{
    // Fixed rows, fixed rectangle and aspect ratios.
    const std::string text = "Layout test 0123456789012345 \x01\x02\x03 end";
    struct Case
    {
        int options, columns, rows;
        float aspect;
    };
    for (const Case& c : {Case{PDF417_FIXED_ROWS, 0, 8, 1}, Case{PDF417_FIXED_ROWS, 0, 40, 1},
                          Case{PDF417_FIXED_RECTANGLE, 5, 20, 1}, Case{0, 0, 0, 0.2f}, Case{0, 0, 0, 4.0f}}) {
        Symbol s(text, c.options, 3, c.columns, c.rows, c.aspect);
        ASSERT_EQ(s.p.error, 0);
        if (c.options == PDF417_FIXED_ROWS) {
            EXPECT_EQ(s.p.codeRows, c.rows);
        }
        EXPECT_EQ(read(s.p).bytes, text) << c.options << " " << c.aspect;
    }
    // A long digit run decodes; texts beyond what 926 codewords or 5,420
    // bytes hold are refused cleanly.
    const std::string digits(2640, '9');
    Symbol big(digits, 0);
    ASSERT_EQ(big.p.error, 0);
    EXPECT_EQ(read(big.p).bytes, digits);
    for (const size_t n : {size_t(2800), size_t(5420), size_t(5421)}) {
        Symbol over(std::string(n, '9'), 0);
        EXPECT_EQ(over.p.error, PDF417_ERROR_TEXT_TOO_BIG);
        EXPECT_EQ(over.p.outBits, nullptr);
    }
    // A bar is a 0 bit when inverted; the symbol reads the same.
    Symbol plain("INVERT", 0), inverted("INVERT", PDF417_INVERT_BITMAP);
    ASSERT_EQ(plain.p.lenBits, inverted.p.lenBits);
    for (int i = 0; i < plain.p.lenBits; ++i)
        ASSERT_EQ(plain.p.outBits[i] ^ 0xFF, inverted.p.outBits[i]);
    EXPECT_EQ(read(inverted.p).bytes, "INVERT");
}

TEST(PDF417Symbols, ViewAndDesignerPicturesDecodeAtTheStoredLevel)
{
    for (const int dpi : {72, 600}) {
        USED_DPI_VALUE = dpi;
        PDF417_View view;
        view.setFrameSize(QSizeF(200, 60));
        ASSERT_EQ(view.drawWithText(QStringLiteral("Caf\u00e9 42")), 0);
        const PointPicture pic = view.getImage();
        EXPECT_EQ(pic.size(), QSizeF(200, 60));
        // The picture has no quiet zone of its own: read it on white with one.
        QImage page(pic.raster().width() + 40, pic.raster().height() + 40, QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter(&page).drawImage(20, 20, pic.raster());
        EXPECT_EQ(twod::decodeImage(page, twod::Kind::PDF417).bytes, "Caf\xE9 42") << dpi;
    }

    // The designer's road: the stored level reaches the encoder; the
    // composed picture carries header and footer.
    USED_DPI_VALUE = 300;
    bt::resetDesigner(QStringLiteral("PDF417"));
    Barcode_Gen& g = *Barcode_Gen::defaultInstance();
    for (const int level : {0, 5, 8}) {
        g.pdf_ec_lvl_Text.text = QString::number(level);
        const PointPicture p = g.Get_Image_From_Val(QStringLiteral("LEVEL"), QStringLiteral("HEADER"),
                                                    QStringLiteral("FOOTER"));
        ASSERT_FALSE(p.isNull()) << g.last_failure.toStdString();
        EXPECT_GT(p.size().height(), g.image_2d.size().height());
        const auto d = twod::decodeImage(p.toImage(300), twod::Kind::PDF417);
        ASSERT_TRUE(d.valid) << level;
        EXPECT_EQ(d.bytes, "LEVEL");
        EXPECT_EQ(d.ecLevel, std::to_string(g.pdf_barcode->p.errorLevel));
        EXPECT_GE(g.pdf_barcode->p.errorLevel, level);
        EXPECT_EQ(g.pdf_barcode->getErrorLevel(), level);
    }
    // A level outside 0..8 gives the default level 2, not the last one used.
    g.pdf_ec_lvl_Text.text = QStringLiteral("12");
    EXPECT_FALSE(g.Get_Image_From_Val(QStringLiteral("LEVEL"), {}, {}).isNull());
    EXPECT_EQ(g.pdf_barcode->getErrorLevel(), 2);
}

TEST(PDF417Symbols, BinaryValuesFitUpToTheSymbolsCodewords)
{
    // Random bytes go as bytes: the length codeword, the mode codeword and
    // five codewords per six bytes, one per byte left over.
    const auto dataCodewords = [](int n) { return 2 + 5 * (n / 6) + n % 6; };
    USED_DPI_VALUE = 72;
    PDF417_View view;
    view.setFrameSize(QSizeF(300, 300));
    for (const int level : {0, 2, 5}) {
        int n = 0;
        while (dataCodewords(n + 1) + (2 << level) <= PDF417_MAX_CODEWORDS)
            ++n;
        view.errorLevel = level;
        std::mt19937 gen(static_cast<unsigned>(level));
        std::string bytes(static_cast<size_t>(n + 1), '\0');
        for (char& c : bytes)
            c = static_cast<char>(gen() & 0xFF);
        for (const int length : {n, n + 1}) {
            SCOPED_TRACE(testing::Message() << "level " << level << ", " << length << " bytes");
            const std::string value = bytes.substr(0, static_cast<size_t>(length));
            const int state = view.drawWithText(QString::fromLatin1(value.data(), length));
            // One byte over the edge of level 0 is refused; over a higher
            // level's edge the level steps down to what the symbol holds.
            if (level == 0 && length > n) {
                EXPECT_EQ(state, 2);
                continue;
            }
            ASSERT_EQ(state, 0);
            EXPECT_EQ(length > n ? view.p.errorLevel < level : view.p.errorLevel >= level, true);
            EXPECT_LE(view.p.codeRows * view.p.codeColumns, PDF417_MAX_CODEWORDS);
            EXPECT_EQ(read(view.p).bytes, value);
        }
    }
}
