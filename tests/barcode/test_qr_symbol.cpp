// The QR Code encoder read back by an independent decoder.
#include "barcode/QR_Symbol.h"
#include "support_2d_decode.h"

#include <gtest/gtest.h>
#include <memory>
#include <algorithm>
#include <random>
#include <string>

namespace {

struct Encoded
{
    std::unique_ptr<CQR_Symbol> sym = std::make_unique<CQR_Symbol>();
    bool ok = false;
};

Encoded encode(const std::string& text, int level, int version = 0, bool autoExtent = true, int mask = -1,
               bool kanji = true)
{
    Encoded e;
    e.sym->m_bKanjiEnabled = kanji;
    e.ok = e.sym->EncodeData(level, version, autoExtent, mask, text.data(), static_cast<int64_t>(text.size()));
    return e;
}

twod::Decoded read(const CQR_Symbol& s)
{
    const int n = static_cast<int>(s.m_nSymbleSize);
    return twod::decodeModules(n, n, [&](int x, int y) { return s.m_byModuleData[x][y] == 1; }, twod::Kind::QR);
}

const char* levelName(int level) { return &"L\0M\0Q\0H"[level * 2]; }

} // namespace

TEST(QRSymbol, SmallTextsDecodeAtEveryLevelAndMask)
{
    for (int level = 0; level < 4; ++level)
        for (int mask = -1; mask < 8; ++mask) {
            const std::string text = "HELLO WORLD 12345 hello";
            auto e = encode(text, level, 0, true, mask);
            ASSERT_TRUE(e.ok);
            if (mask >= 0) {
                EXPECT_EQ(e.sym->m_nMaskingNo, mask);
            }
            const auto d = read(*e.sym);
            ASSERT_TRUE(d.valid) << level << " " << mask;
            EXPECT_EQ(d.bytes, text);
            EXPECT_EQ(d.ecLevel, levelName(level));
        }
}

TEST(QRSymbol, RefusalsAndVersionChoice)
{
    EXPECT_FALSE(encode("", 0).ok);
    EXPECT_EQ(encode("", 0).sym->m_nSymbleSize, 0);
    EXPECT_FALSE(encode("A", 4).ok);
    EXPECT_FALSE(encode("A", 0, 41).ok);
    EXPECT_FALSE(encode("A", 0, 0, true, 8).ok);

    auto ten = encode("0123456789", 0);
    ASSERT_TRUE(ten.ok);
    EXPECT_EQ(ten.sym->m_nSymbleSize, 21);
    EXPECT_EQ(ten.sym->m_ncDataBlock, 1);
    EXPECT_EQ(ten.sym->m_byBlockMode[0], CQR_Symbol::MODE_NUMERAL);

    auto mixed = encode("ABC123", 0);
    ASSERT_TRUE(mixed.ok);
    EXPECT_EQ(mixed.sym->m_ncDataBlock, 1);
    EXPECT_EQ(mixed.sym->m_byBlockMode[0], CQR_Symbol::MODE_ALPHABET);
    EXPECT_EQ(mixed.sym->m_nBlockLength[0], 6);

    // Version 5 requested for a text that fits version 3.
    const std::string small(100, '7');   // numeric 100 fits 3-L
    auto v5 = encode(small, 0, 5);
    ASSERT_TRUE(v5.ok);
    EXPECT_EQ(v5.sym->m_nVersion, 5);
    EXPECT_EQ(read(*v5.sym).bytes, small);
    // A text that needs version 7: extended when allowed, refused otherwise.
    const std::string big(300, '3');
    auto needed = encode(big, 0);
    ASSERT_TRUE(needed.ok);
    const int64_t v = needed.sym->m_nVersion;
    ASSERT_GT(v, 5);
    auto extended = encode(big, 0, 5, true);
    ASSERT_TRUE(extended.ok);
    EXPECT_EQ(extended.sym->m_nVersion, v);
    EXPECT_FALSE(encode(big, 0, 5, false).ok);
}

TEST(QRSymbol, FunctionPatternsOfTheStandard)
{
    for (int version : {1, 6, 7, 21, 40}) {
        // Enough digits to need this version at level H.
        std::string text(1, '1');
        auto e = encode(text, 3, version, false);
        ASSERT_TRUE(e.ok);
        const CQR_Symbol& s = *e.sym;
        const int64_t n = s.m_nSymbleSize;
        ASSERT_EQ(n, 4 * version + 17);
        EXPECT_EQ(s.m_byModuleData[8][n - 8], 1) << "dark module";
        // Version information: 18 bits; version 7 reads 0x07C94 (ISO/IEC 18004 Annex D).
        int64_t bitsBottom = 0, bitsRight = 0;
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < 3; ++j) {
                bitsBottom |= int64_t{s.m_byModuleData[i][n - 11 + j]} << (i * 3 + j);
                bitsRight |= int64_t{s.m_byModuleData[n - 11 + j][i]} << (i * 3 + j);
            }
        if (version == 7) {
            EXPECT_EQ(bitsBottom, 0x07C94);
        }
        if (version == 21) {
            EXPECT_EQ(bitsBottom, 0x15683);
        }
        if (version == 40) {
            EXPECT_EQ(bitsBottom, 0x28C69);
        }
        if (version >= 7) {
            EXPECT_EQ(bitsBottom, bitsRight);
        }
        EXPECT_EQ(read(s).bytes, text);
    }
}

TEST(QRSymbol, ShiftJisKanjiWhenEnabled)
{
    // 点茗 in Shift JIS, the standard's Kanji example.
    const std::string sjis = "\x93\x5F\xE4\xAA";
    auto on = encode(sjis, 1);
    ASSERT_TRUE(on.ok);
    EXPECT_EQ(on.sym->m_byBlockMode[0], CQR_Symbol::MODE_KANJI);
    const auto d = read(*on.sym);
    ASSERT_TRUE(d.valid);
    EXPECT_EQ(d.bytes, sjis);

    auto off = encode(sjis, 1, 0, true, -1, false);
    ASSERT_TRUE(off.ok);
    EXPECT_EQ(off.sym->m_byBlockMode[0], CQR_Symbol::MODE_8BIT);
    EXPECT_EQ(off.sym->Get_Encoding_Mode(sjis.data(), 4), CQR_Symbol::MODE_8BIT);
    EXPECT_EQ(read(*off.sym).bytes, sjis);
}

TEST(QRSymbol, MixedSegmentsOfRandomTexts)
{
    // Digits, capitals, lower case and bytes in runs of every length.
    std::mt19937 gen(1234);
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int runs = 1 + gen() % 12;
        for (int r = 0; r < runs; ++r) {
            const int len = 1 + gen() % 20;
            const int kind = gen() % 4;
            for (int i = 0; i < len; ++i)
                text += kind == 0   ? static_cast<char>('0' + gen() % 10)
                    : kind == 1     ? "ABCXYZ $%*+-./:"[gen() % 15]
                    : kind == 2     ? static_cast<char>('a' + gen() % 26)
                                    : static_cast<char>(0x80 + gen() % 128);
        }
        const int level = round % 4;
        auto e = encode(text, level, 0, true, -1, false);
        ASSERT_TRUE(e.ok);
        const auto d = read(*e.sym);
        ASSERT_TRUE(d.valid) << round;
        EXPECT_EQ(d.bytes, text) << round;
    }
}

TEST(QRSymbol, MaskChoiceScoresEachMaskByThePenaltyRules)
{
    // The automatic choice scores masks on packed lines; each score must be
    // the penalty of that mask's finished symbol counted module by module.
    std::mt19937 gen(77);
    int64_t largest = 0;
    for (int round = 0; round < 64; ++round) {
        // Short texts, and every sixteenth one long enough for versions past 25.
        std::string text(round % 16 == 15 ? 1000 + gen() % 1500 : 1 + gen() % 400, ' ');
        for (auto& c : text)
            c = static_cast<char>(32 + gen() % 95);
        const int level = round % 16 == 15 ? (round / 16) % 2 : round % 4;
        auto best = encode(text, level);
        ASSERT_TRUE(best.ok);
        int64_t lowest = -1, lowestMask = -1;
        for (int mask = 0; mask < 8; ++mask) {
            auto fixed = encode(text, level, 0, true, mask);
            ASSERT_TRUE(fixed.ok);
            const int64_t penalty = fixed.sym->CountPenalty();
            EXPECT_EQ(best.sym->m_nMaskPenalty[mask], penalty) << round << " mask " << mask;
            if (lowest == -1 || penalty < lowest) {
                lowest = penalty;
                lowestMask = mask;
            }
        }
        EXPECT_EQ(best.sym->m_nMaskingNo, lowestMask);
        largest = std::max(largest, best.sym->m_nVersion);
    }
    EXPECT_GE(largest, 27);   // lines of three words were scored too
}
