// The PDF417 encoder's codewords, layout and error correction.
#include "barcode/pdf417_codec.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

struct Job
{
    pdf417_codec_param p;
    std::string text;
};

void run(Job& r, int options, int level = 2, float aspect = 1.0f)
{
    pdf417_codec_init(&r.p);
    r.p.text = r.text.data();
    r.p.lenText = static_cast<int>(r.text.size());
    r.p.options = options;
    r.p.errorLevel = level;
    r.p.aspectRatio = aspect;
    paintCode(&r.p);
}

// A small reader of the data codewords (text, numeric and byte compaction),
// independent of the encoder, to prove the codewords carry the bytes.
std::string decodeData(const int* cw, int n)
{
    static const char mixed[] = "0123456789&\r\t,:#-.$/+%*=^";
    static const char punct[] = ";<>@[\\]_`~!\r\t,:\n-.$/\"|*()?{}'";
    std::string out;
    int mode = 900;
    int i = 1;
    while (i < n) {
        const int c = cw[i];
        if (c == 900 || c == 901 || c == 902 || c == 924) {
            mode = c;
            ++i;
            continue;
        }
        if (mode == 900) {
            // The values of the whole text section; 913 carries one byte.
            std::vector<int> vals;
            while (i < n && (cw[i] < 900 || cw[i] == 913)) {
                if (cw[i] == 913) {
                    vals.push_back(1000 + cw[i + 1]);
                    i += 2;
                } else {
                    vals.push_back(cw[i] / 30);
                    vals.push_back(cw[i] % 30);
                    ++i;
                }
            }
            enum Sub { A, L, M, P };
            Sub sub = A, shiftTo = A;
            bool shifted = false;
            for (const int v : vals) {
                if (v >= 1000) {
                    out += static_cast<char>(v - 1000);
                    shifted = false;
                    continue;
                }
                const Sub now = shifted ? shiftTo : sub;
                const bool once = shifted;
                shifted = false;
                switch (now) {
                case A:
                    if (v < 26) out += static_cast<char>('A' + v);
                    else if (v == 26) out += ' ';
                    else if (v == 27) sub = L;
                    else if (v == 28) sub = M;
                    else { shifted = true; shiftTo = P; }
                    break;
                case L:
                    if (v < 26) out += static_cast<char>('a' + v);
                    else if (v == 26) out += ' ';
                    else if (v == 27) { shifted = true; shiftTo = A; }
                    else if (v == 28) sub = M;
                    else { shifted = true; shiftTo = P; }
                    break;
                case M:
                    if (v < 25) out += mixed[v];
                    else if (v == 25) sub = P;
                    else if (v == 26) out += ' ';
                    else if (v == 27) sub = L;
                    else if (v == 28) sub = A;
                    else { shifted = true; shiftTo = P; }
                    break;
                case P:
                    if (v < 29) out += punct[v];
                    else if (!once) sub = A;
                    break;
                }
            }
            continue;
        }
        if (mode == 902) {
            std::vector<int> group;
            while (i < n && cw[i] < 900 && group.size() < 15)
                group.push_back(cw[i++]);
            // base 900 -> decimal, drop the leading 1
            std::vector<int> dec{0};
            for (const int g : group) {
                int carry = g;
                for (auto it = dec.rbegin(); it != dec.rend(); ++it) {
                    const int v = *it * 900 + carry;
                    *it = v % 10;
                    carry = v / 10;
                }
                while (carry) {
                    dec.insert(dec.begin(), carry % 10);
                    carry /= 10;
                }
            }
            for (size_t k = 1; k < dec.size(); ++k)
                out += static_cast<char>('0' + dec[k]);
            continue;
        }
        // byte compaction: groups of 5 codewords are 6 bytes, the rest one each
        std::vector<int> group;
        while (i < n && cw[i] < 900)
            group.push_back(cw[i++]);
        size_t k = 0;
        const size_t full = mode == 924 ? group.size() : (group.size() / 5) * 5 - (group.size() % 5 == 0 ? 5 : 0);
        for (; k + 5 <= full; k += 5) {
            uint64_t v = 0;
            for (int j = 0; j < 5; ++j)
                v = v * 900 + static_cast<uint64_t>(group[k + j]);
            for (int j = 5; j >= 0; --j)
                out += static_cast<char>((v >> (8 * j)) & 0xFF);
        }
        for (; k < group.size(); ++k)
            out += static_cast<char>(group[k]);
    }
    return out;
}

// C(x) = sum c_i x^(n-1-i) vanishes at 3^1 .. 3^k when the error
// correction codewords are right.
bool errorCorrectionHolds(const pdf417_codec_param& p)
{
    const int k = 2 << p.errorLevel;
    const int n = p.codewords[0] + k;
    int root = 1;
    for (int j = 1; j <= k; ++j) {
        root = root * 3 % 929;
        int acc = 0;
        for (int i = 0; i < n; ++i)
            acc = (acc * root + p.codewords[i]) % 929;
        if (acc != 0)
            return false;
    }
    return true;
}

} // namespace

TEST(PDF417Codec, HelloExample)
{
    Job r{{}, "HELLO"};
    run(r, PDF417_USE_ERROR_LEVEL, 2);
    EXPECT_EQ(r.p.codewords[0], 4);
    EXPECT_EQ(r.p.codewords[1], 214);
    EXPECT_EQ(r.p.codewords[2], 341);
    EXPECT_EQ(r.p.codewords[3], 449);
    EXPECT_EQ(r.p.codeColumns, 1);
    EXPECT_EQ(r.p.codeRows, 12);
    EXPECT_EQ(r.p.lenCodewords, 12);
    EXPECT_EQ(r.p.errorLevel, 2);
    EXPECT_TRUE(errorCorrectionHolds(r.p));
    pdf417_codec_free(&r.p);
}

TEST(PDF417Codec, ErrorLevelCoefficients)
{
    for (int level = 0; level <= 8; ++level) {
        const int k = 2 << level;
        // prod (x - 3^j), j = 1..k, computed here by evaluation: g(3^j) = 0
        // and g is monic of degree k with the table's low coefficients.
        const int* a = pdf417_tables::errorLevel(level);
        ASSERT_NE(a, nullptr);
        int root = 1;
        for (int j = 1; j <= k; ++j) {
            root = root * 3 % 929;
            int acc = 1;   // leading coefficient
            for (int i = k - 1; i >= 0; --i)
                acc = (acc * root + a[i]) % 929;
            EXPECT_EQ(acc, 0) << level << " root " << j;
        }
    }
    EXPECT_EQ(pdf417_tables::errorLevel(9), nullptr);
}

TEST(PDF417Codec, SectionsAndModes)
{
    // 13 digits between letters: a numeric section; 12 stay text.
    Job r13{{}, "ab1234567890123cd"};
    run(r13, PDF417_USE_ERROR_LEVEL);
    EXPECT_TRUE(r13.p.codewords[2] == 902 || r13.p.codewords[3] == 902);
    EXPECT_EQ(decodeData(r13.p.codewords, r13.p.codewords[0]), r13.text);
    Job r12{{}, "ab123456789012cd"};
    run(r12, PDF417_USE_ERROR_LEVEL);
    for (int i = 1; i < r12.p.codewords[0]; ++i)
        EXPECT_NE(r12.p.codewords[i], 902);
    EXPECT_EQ(decodeData(r12.p.codewords, r12.p.codewords[0]), r12.text);

    // A lone text of 8 digits is numeric, 7 stay text.
    Job n8{{}, "12345678"};
    run(n8, PDF417_USE_ERROR_LEVEL);
    EXPECT_EQ(n8.p.codewords[1], 902);
    Job n7{{}, "1234567"};
    run(n7, PDF417_USE_ERROR_LEVEL);
    EXPECT_NE(n7.p.codewords[1], 902);

    // Byte sections: 12 bytes with 924, 13 with 901.
    Job b12{{}, std::string(12, '\xE9')};
    run(b12, PDF417_USE_ERROR_LEVEL);
    EXPECT_EQ(b12.p.codewords[1], 924);
    EXPECT_EQ(b12.p.codewords[0], 2 + 10);
    Job b13{{}, std::string(13, '\xE9')};
    run(b13, PDF417_USE_ERROR_LEVEL);
    EXPECT_EQ(b13.p.codewords[1], 901);
    EXPECT_EQ(b13.p.codewords[0], 2 + 11);
    EXPECT_EQ(decodeData(b13.p.codewords, b13.p.codewords[0]), b13.text);
}

TEST(PDF417Codec, SizeAndLevelChoice)
{
    // 199 data codewords plus the length: 4 columns, 51 rows, level raised to 1.
    Job r{{}, ""};
    // Raw codewords give the exact count.
    pdf417_codec_init(&r.p);
    r.p.options = PDF417_USE_RAW_CODEWORDS | PDF417_USE_ERROR_LEVEL;
    r.p.errorLevel = 0;
    r.p.aspectRatio = 1.0f;
    r.p.lenCodewords = 200;
    r.p.codewords[0] = 200;
    for (int i = 1; i < 200; ++i)
        r.p.codewords[i] = i % 900;
    paintCode(&r.p);
    EXPECT_EQ(r.p.codeColumns, 4);
    EXPECT_EQ(r.p.codeRows, 51);
    EXPECT_EQ(r.p.lenCodewords, 204);
    EXPECT_EQ(r.p.errorLevel, 1);
    EXPECT_TRUE(errorCorrectionHolds(r.p));

    // Raw codewords of a wrong count.
    pdf417_codec_init(&r.p);
    r.p.options = PDF417_USE_RAW_CODEWORDS;
    r.p.lenCodewords = 5;
    r.p.codewords[0] = 4;
    paintCode(&r.p);
    EXPECT_EQ(r.p.error, PDF417_ERROR_INVALID_PARAMS);

    // Too much text.
    Job big{{}, std::string(5421, 'a')};
    run(big, 0);
    EXPECT_EQ(big.p.error, PDF417_ERROR_TEXT_TOO_BIG);
    EXPECT_EQ(big.p.outBits, nullptr);
    Job many{{}, std::string(2000, '\x01')};
    run(many, 0);
    EXPECT_EQ(many.p.error, PDF417_ERROR_TEXT_TOO_BIG);
}

TEST(PDF417Codec, LevelsColumnsAndTextsCarryTheBytes)
{
    std::string all;
    for (int c = 0; c < 256; ++c)
        all += static_cast<char>(c);
    const std::string texts[] = {
        "Hello, World! The quick brown fox; jumps over (the) lazy dog? {ok} 'yes' \"no\"\r\n\t~`|",
        "ORDER 12345678901234567 shipped 9876543210987 to Z\xFC" "rich",
        all,
        std::string(30, '7') + "x" + std::string(50, '3'),
    };
    for (const auto& text : texts) {
        for (int level = 0; level <= 8; ++level) {
            for (const int columns : {1, 3, 6, 10, 20, 30}) {
                Job r{{}, text};
                pdf417_codec_init(&r.p);
                r.p.codeColumns = columns;
                r.p.codeRows = 3;
                r.p.text = r.text.data();
                r.p.lenText = static_cast<int>(r.text.size());
                r.p.options = PDF417_FIXED_COLUMNS | PDF417_USE_ERROR_LEVEL;
                r.p.errorLevel = level;
                paintCode(&r.p);
                ASSERT_EQ(r.p.error, 0);
                EXPECT_GE(r.p.codeRows, 3);
                EXPECT_LE(r.p.codeRows, 90);
                EXPECT_EQ(r.p.codeRows * r.p.codeColumns, r.p.lenCodewords);
                EXPECT_LE(r.p.lenCodewords, 928);
                EXPECT_GE(r.p.errorLevel, level);   // raised to what the symbol holds
                EXPECT_TRUE(errorCorrectionHolds(r.p)) << level << " " << columns;
                EXPECT_EQ(decodeData(r.p.codewords, r.p.codewords[0]), text) << level;
                pdf417_codec_free(&r.p);
            }
        }
    }
}
