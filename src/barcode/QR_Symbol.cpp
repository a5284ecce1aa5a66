#include "barcode/QR_Symbol.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>

namespace {

// ---------------------------------------------------------------------------
// Tables of ISO/IEC 18004.

// Error correction codewords per block, by level (L, M, Q, H) and version.
constexpr uint8_t kEccPerBlock[4][41] = {
    {0, 7, 10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28,
     28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0, 10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26,
     26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28},
    {0, 13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30,
     28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {0, 17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28,
     30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
};
// Error correction blocks, by level and version.
constexpr uint8_t kBlocks[4][41] = {
    {0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 4, 4, 4, 4, 4, 6, 6, 6, 6, 7, 8,
     8, 9, 9, 10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25},
    {0, 1, 1, 1, 2, 2, 4, 4, 4, 5, 5, 5, 8, 9, 9, 10, 10, 11, 13, 14, 16,
     17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49},
    {0, 1, 1, 2, 2, 4, 4, 6, 6, 8, 8, 8, 10, 12, 16, 12, 17, 16, 18, 21, 20,
     23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68},
    {0, 1, 1, 2, 4, 4, 4, 5, 6, 8, 8, 11, 11, 16, 16, 18, 16, 19, 21, 25, 25,
     25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81},
};
// Alignment pattern centres other than 6, by version.
constexpr uint8_t kAlignment[41][6] = {
    {}, {}, {18}, {22}, {26}, {30}, {34},
    {22, 38}, {24, 42}, {26, 46}, {28, 50}, {30, 54}, {32, 58}, {34, 62},
    {26, 46, 66}, {26, 48, 70}, {26, 50, 74}, {30, 54, 78}, {30, 56, 82}, {30, 58, 86}, {34, 62, 90},
    {28, 50, 72, 94}, {26, 50, 74, 98}, {30, 54, 78, 102}, {28, 54, 80, 106}, {32, 58, 84, 110},
    {30, 58, 86, 114}, {34, 62, 90, 118},
    {26, 50, 74, 98, 122}, {30, 54, 78, 102, 126}, {26, 52, 78, 104, 130}, {30, 56, 82, 108, 134},
    {34, 60, 86, 112, 138}, {30, 58, 86, 114, 142}, {34, 62, 90, 118, 146},
    {30, 54, 78, 102, 126, 150}, {24, 50, 76, 102, 128, 154}, {28, 54, 80, 106, 132, 158},
    {32, 58, 84, 110, 136, 162}, {26, 54, 82, 110, 138, 166}, {30, 58, 86, 114, 142, 170},
};

struct RS_BLOCKINFO
{
    int64_t ncRSBlock;
    int64_t ncAllCodeWord;
    int64_t ncDataCodeWord;
};

struct QR_VERSIONINFO
{
    int64_t nVersionNo;
    int64_t ncAllCodeWord;
    int64_t ncDataCodeWord[4];
    int64_t ncAlignPoint;
    int64_t nAlignPoint[6];
    RS_BLOCKINFO RS_BlockInfo1[4];
    RS_BLOCKINFO RS_BlockInfo2[4];
};

// Codewords of a version: the modules left for data, in bytes.
constexpr int64_t rawCodewords(int64_t v)
{
    int64_t modules = (16 * v + 128) * v + 64;
    if (v >= 2) {
        const int64_t align = v / 7 + 2;
        modules -= (25 * align - 10) * align - 55;
        if (v >= 7)
            modules -= 36;
    }
    return modules / 8;
}

constexpr std::array<QR_VERSIONINFO, 41> makeVersionInfo()
{
    std::array<QR_VERSIONINFO, 41> t{};
    for (int64_t v = 1; v <= 40; ++v) {
        QR_VERSIONINFO& r = t[v];
        r.nVersionNo = v;
        r.ncAllCodeWord = rawCodewords(v);
        for (int i = 0; i < 6; ++i) {
            r.nAlignPoint[i] = kAlignment[v][i];
            if (kAlignment[v][i])
                r.ncAlignPoint = i + 1;
        }
        for (int l = 0; l < 4; ++l) {
            const int64_t blocks = kBlocks[l][v], ecc = kEccPerBlock[l][v];
            const int64_t longBlocks = r.ncAllCodeWord % blocks;
            const int64_t shortLen = r.ncAllCodeWord / blocks;
            r.RS_BlockInfo1[l] = {blocks - longBlocks, shortLen, shortLen - ecc};
            r.RS_BlockInfo2[l] = {longBlocks, longBlocks ? shortLen + 1 : 0, longBlocks ? shortLen + 1 - ecc : 0};
            r.ncDataCodeWord[l] = r.ncAllCodeWord - blocks * ecc;
        }
    }
    return t;
}
constexpr std::array<QR_VERSIONINFO, 41> QR_VersonInfo = makeVersionInfo();

constexpr std::array<int64_t, 160> makeDataBits()
{
    std::array<int64_t, 160> a{};
    for (int64_t v = 1; v <= 40; ++v)
        for (int l = 0; l < 4; ++l)
            a[(v - 1) * 4 + l] = QR_VersonInfo[v].ncDataCodeWord[l] * 8;
    return a;
}
constexpr std::array<int64_t, 160> data_bit_size_array = makeDataBits();
static_assert(data_bit_size_array[0] == 152 && data_bit_size_array[156] == 23648);
static_assert(QR_VersonInfo[40].ncAllCodeWord == 3706 && QR_VersonInfo[40].ncDataCodeWord[0] == 2956);

constexpr int64_t nIndicatorLenNumeral[] = {10, 12, 14};
constexpr int64_t nIndicatorLenAlphabet[] = {9, 11, 13};
constexpr int64_t nIndicatorLen8Bit[] = {8, 16, 16};
constexpr int64_t nIndicatorLenKanji[] = {8, 10, 12};

// GF(256) over x^8 + x^4 + x^3 + x^2 + 1.
struct GFTables
{
    uint8_t byExpToInt[256];
    uint8_t byIntToExp[256];
};
constexpr GFTables makeGF()
{
    GFTables g{};
    int x = 1;
    for (int i = 0; i < 255; ++i) {
        g.byExpToInt[i] = static_cast<uint8_t>(x);
        g.byIntToExp[x] = static_cast<uint8_t>(i);
        x <<= 1;
        if (x & 0x100)
            x ^= 0x11D;
    }
    g.byExpToInt[255] = 1;
    return g;
}
constexpr GFTables kGF = makeGF();

// Generator polynomials for 0..68 error correction codewords, coefficients
// (highest term dropped, next-highest first) as exponents of alpha.
struct GenTables
{
    uint8_t byRSExp[69][69];
};
constexpr GenTables makeGenerators()
{
    GenTables t{};
    for (int e = 1; e <= 68; ++e) {
        // g(x) = prod (x - a^i), i = 0..e-1; coefficients as integers, c[0] highest.
        int c[70] = {};
        c[0] = 1;
        int len = 1;
        for (int i = 0; i < e; ++i) {
            const int root = kGF.byExpToInt[i];
            int next[70] = {};
            for (int j = 0; j < len; ++j) {
                next[j] ^= c[j];
                if (c[j])
                    next[j + 1] ^= kGF.byExpToInt[(kGF.byIntToExp[c[j]] + kGF.byIntToExp[root]) % 255];
            }
            ++len;
            for (int j = 0; j < len; ++j)
                c[j] = next[j];
        }
        for (int j = 0; j < e; ++j)
            t.byRSExp[e][j] = kGF.byIntToExp[c[j + 1]];
    }
    return t;
}
constexpr GenTables kGen = makeGenerators();

constexpr uint8_t kFinder[7] = {0x7F, 0x41, 0x5D, 0x5D, 0x5D, 0x41, 0x7F};
constexpr uint8_t kAlign[5] = {0x1F, 0x11, 0x15, 0x11, 0x1F};

constexpr uint8_t FUNC_DARK = 0x30;   // '0'
constexpr uint8_t FUNC_LIGHT = 0x20;  // ' '

inline int64_t versionGroup(int64_t version) { return version >= 27 ? 2 : (version >= 10 ? 1 : 0); }

// Mask condition of pattern p at row i, column j.
inline bool maskBit(int64_t p, int64_t i, int64_t j)
{
    switch (p) {
    case 0: return (i + j) % 2 == 0;
    case 1: return i % 2 == 0;
    case 2: return j % 3 == 0;
    case 3: return (i + j) % 3 == 0;
    case 4: return ((i / 2) + (j / 3)) % 2 == 0;
    case 5: return (i * j) % 2 + (i * j) % 3 == 0;
    case 6: return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
    default: return ((i * j) % 3 + (i + j) % 2) % 2 == 0;
    }
}

// Penalty of one row or column of finished modules (0/1): runs of five or
// more, and 1:1:3:1:1 finder-like patterns with light modules (or the symbol's
// edge) on both sides and four light modules on at least one side.
int64_t linePenalty(const uint8_t* p, int n)
{
    constexpr int kFar = 1 << 20;   // a light run that reaches the edge
    uint8_t colour[CQR_Symbol::MAX_MODULESIZE];
    int length[CQR_Symbol::MAX_MODULESIZE];
    int runs = 0;
    int64_t penalty = 0;
    for (int i = 0; i < n;) {
        const uint8_t c = p[i];
        int j = i + 1;
        while (j < n && p[j] == c)
            ++j;
        colour[runs] = c;
        length[runs] = j - i;
        if (j - i >= 5)
            penalty += 3 + (j - i - 5);
        ++runs;
        i = j;
    }
    for (int r = 0; r + 4 < runs; ++r) {
        if (!colour[r] || length[r] != 1 || length[r + 1] != 1 || length[r + 2] != 3 || length[r + 3] != 1
            || length[r + 4] != 1)
            continue;
        const int before = r <= 1 ? kFar : length[r - 1];
        const int after = r + 5 >= runs - 1 ? kFar : length[r + 5];
        if (before >= 4 || after >= 4)
            penalty += 40;
    }
    return penalty;
}

// The 15 format information bits of a level and mask: level code and mask,
// BCH(15,5) with generator 0x537, XOR 0x5412.
int64_t formatBits(int64_t level, int64_t mask)
{
    static constexpr int64_t levelCode[] = {1, 0, 3, 2};   // L, M, Q, H
    const int64_t info = (levelCode[level] << 3) | mask;
    int64_t data = info << 10;
    for (int64_t i = 0; i < 5; ++i)
        if (data & (int64_t{1} << (14 - i)))
            data ^= (int64_t{0x537} << (4 - i));
    return ((info << 10) | data) ^ 0x5412;
}

// Calls put(x, y, bit) for the two copies of the format information.
template <typename Put>
void placeFormatBits(int64_t size, int64_t bits, Put put)
{
    auto at = [&](int64_t x, int64_t y, int64_t b) { put(x, y, ((bits >> b) & 1) != 0); };
    for (int64_t i = 0; i <= 5; ++i)
        at(8, i, i);
    at(8, 7, 6);
    at(8, 8, 7);
    at(7, 8, 8);
    for (int64_t i = 9; i < 15; ++i)
        at(14 - i, 8, i);
    for (int64_t i = 0; i < 8; ++i)
        at(size - 1 - i, 8, i);
    for (int64_t i = 8; i < 15; ++i)
        at(8, size - 15 + i, i);
}

template <int P>
void applyMask(uint8_t (*m)[CQR_Symbol::MAX_MODULESIZE], int64_t size)
{
    for (int64_t x = 0; x < size; ++x) {
        uint8_t* col = m[x];
        for (int64_t y = 0; y < size; ++y) {
            const uint8_t v = col[y];
            if (v & 0x20)
                continue;
            col[y] = static_cast<uint8_t>((v & 0xFE) | (((v >> 1) & 1) ^ (maskBit(P, y, x) ? 1 : 0)));
        }
    }
}

} // namespace

namespace qr_tables {
int64_t dataCodewords(int64_t version, int64_t level)
{
    if (version < 1 || version > 40 || level < 0 || level > 3)
        return 0;
    return QR_VersonInfo[version].ncDataCodeWord[level];
}
int64_t totalCodewords(int64_t version)
{
    if (version < 1 || version > 40)
        return 0;
    return QR_VersonInfo[version].ncAllCodeWord;
}
} // namespace qr_tables

// ---------------------------------------------------------------------------
// Character classes

bool CQR_Symbol::IsNumeralData(unsigned char c) { return c >= '0' && c <= '9'; }

bool CQR_Symbol::IsAlphabetData(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return true;
    if (c >= 'A' && c <= 'Z')
        return true;
    switch (c) {
    case ' ': case '$': case '%': case '*': case '+': case '-': case '.': case '/': case ':':
        return true;
    default:
        return false;
    }
}

bool CQR_Symbol::IsKanjiData(unsigned char c1, unsigned char c2)
{
    if (((c1 >= 0x81 && c1 <= 0x9F) || (c1 >= 0xE0 && c1 <= 0xEB)) && c2 >= 0x40) {
        if ((c1 == 0x9F && c2 > 0xFC) || (c1 == 0xEB && c2 > 0xBF))
            return false;
        return true;
    }
    return false;
}

uint8_t CQR_Symbol::AlphabetToBinaly(unsigned char c)
{
    if (c >= '0' && c <= '9')
        return static_cast<uint8_t>(c - '0');
    if (c >= 'A' && c <= 'Z')
        return static_cast<uint8_t>(c - 'A' + 10);
    switch (c) {
    case ' ': return 36;
    case '$': return 37;
    case '%': return 38;
    case '*': return 39;
    case '+': return 40;
    case '-': return 41;
    case '.': return 42;
    case '/': return 43;
    default: return 44;   // ':'
    }
}

uint16_t CQR_Symbol::KanjiToBinaly(uint16_t wc)
{
    if (wc >= 0x8140 && wc <= 0x9FFC)
        wc = static_cast<uint16_t>(wc - 0x8140);
    else
        wc = static_cast<uint16_t>(wc - 0xC140);
    return static_cast<uint16_t>(((wc >> 8) * 0xC0) + (wc & 0x00FF));
}

uint8_t CQR_Symbol::Get_Encoding_Mode(const char* lpsSource, int64_t ncLength) const
{
    const auto* s = reinterpret_cast<const unsigned char*>(lpsSource);
    bool any8 = false, anyKanji = false, anyAlpha = false, anyDigit = false;
    for (int64_t i = 0; i < ncLength; ++i) {
        if (m_bKanjiEnabled && i + 1 < ncLength && IsKanjiData(s[i], s[i + 1]))
            anyKanji = true;
        else if (IsNumeralData(s[i]))
            anyDigit = true;
        else if (IsAlphabetData(s[i]))
            anyAlpha = true;
        else
            any8 = true;
    }
    if (any8)
        return MODE_8BIT;
    if (anyKanji)
        return MODE_KANJI;
    if (anyAlpha)
        return MODE_ALPHABET;
    if (anyDigit)
        return MODE_NUMERAL;
    return MODE_8BIT;
}

// ---------------------------------------------------------------------------
// Segments and bit stream

int64_t CQR_Symbol::GetBitLength(uint8_t nMode, int64_t ncData, int64_t nVerGroup) const
{
    switch (nMode) {
    case MODE_NUMERAL: {
        int64_t bits = 4 + nIndicatorLenNumeral[nVerGroup] + 10 * (ncData / 3);
        switch (ncData % 3) {
        case 1: bits += 4; break;
        case 2: bits += 7; break;
        default: break;
        }
        return bits;
    }
    case MODE_ALPHABET:
        return 4 + nIndicatorLenAlphabet[nVerGroup] + 11 * (ncData / 2) + 6 * (ncData % 2);
    case MODE_8BIT:
        return 4 + nIndicatorLen8Bit[nVerGroup] + 8 * ncData;
    default:
        return 4 + nIndicatorLenKanji[nVerGroup] + 13 * (ncData / 2);
    }
}

int64_t CQR_Symbol::SetBitStream(int64_t nIndex, uint16_t wData, int64_t ncData)
{
    if (nIndex == -1 || nIndex + ncData > MAX_DATACODEWORD * 8)
        return -1;
    for (int64_t i = 0; i < ncData; ++i) {
        if (wData & (1u << (ncData - i - 1)))
            m_byDataCodeWord[(nIndex + i) / 8] |= static_cast<uint8_t>(1u << (7 - ((nIndex + i) % 8)));
    }
    return nIndex + ncData;
}

namespace {
// States of the segmentation: the mode of the last character and, for digits
// and alphanumerics, how far the current group is filled (three digits pack
// into 10 bits, two into 7, one into 4; two alphanumerics into 11, one into 6).
enum SegmentState : uint8_t { N1, N2, N0, A1, A0, B8, KJ, kStates, kStart = kStates };
constexpr uint8_t kModeOf[kStates] = {CQR_Symbol::MODE_NUMERAL, CQR_Symbol::MODE_NUMERAL, CQR_Symbol::MODE_NUMERAL,
                                      CQR_Symbol::MODE_ALPHABET, CQR_Symbol::MODE_ALPHABET, CQR_Symbol::MODE_8BIT,
                                      CQR_Symbol::MODE_KANJI};
// The state after one more character of the same segment, and the bits it adds.
constexpr uint8_t kNext[kStates] = {N2, N0, N1, A0, A1, B8, KJ};
constexpr int32_t kStepBits[kStates] = {3, 3, 4, 5, 6, 8, 13};
// The state after the first character of a segment of a mode, and its bits.
constexpr uint8_t kFirst[4] = {N1, A1, B8, KJ};
constexpr int32_t kFirstBits[4] = {4, 6, 8, 13};
constexpr int32_t kUnreached = INT32_MAX;

int64_t indicatorLength(uint8_t mode, int64_t group)
{
    switch (mode) {
    case CQR_Symbol::MODE_NUMERAL: return nIndicatorLenNumeral[group];
    case CQR_Symbol::MODE_ALPHABET: return nIndicatorLenAlphabet[group];
    case CQR_Symbol::MODE_8BIT: return nIndicatorLen8Bit[group];
    default: return nIndicatorLenKanji[group];
    }
}
} // namespace

bool CQR_Symbol::EncodeSourceData(const char* lpsSource, int64_t ncLength, int64_t nVerGroup)
{
    const auto* s = reinterpret_cast<const unsigned char*>(lpsSource);

    // 1. The segments of the shortest bit stream: a dynamic programme over
    // the bytes, cost[i][state] being the fewest bits that carry the first i
    // bytes and end in that state. Rows i, i + 1 and i + 2 are kept (a Kanji
    // character takes two bytes); m_bySegmentBack[i][state] is the state the
    // best way came from. A tie goes to the way that starts a new segment,
    // so symbols whose segments were already among the shortest stay as
    // they were.
    int32_t header[4];
    for (uint8_t m = 0; m < 4; ++m)
        header[m] = static_cast<int32_t>(4 + indicatorLength(m, nVerGroup));
    int32_t cost[3][kStates + 1];
    for (auto& row : cost)
        std::fill(std::begin(row), std::end(row), kUnreached);
    cost[0][kStart] = 0;
    for (int64_t i = 0; i < ncLength; ++i) {
        int32_t* row = cost[i % 3];
        const bool kanji = m_bKanjiEnabled && i + 1 < ncLength && IsKanjiData(s[i], s[i + 1]);
        for (uint8_t m = 0; m < 4; ++m) {
            if ((m == MODE_NUMERAL && !IsNumeralData(s[i])) || (m == MODE_ALPHABET && !IsAlphabetData(s[i]))
                || (m == MODE_KANJI && !kanji))
                continue;
            const int64_t to = i + (m == MODE_KANJI ? 2 : 1);
            int32_t* next = cost[to % 3];
            uint8_t* back = m_bySegmentBack[to];
            auto relax = [&](uint8_t state, int32_t bits, uint8_t from) {
                if (bits < next[state]) {
                    next[state] = bits;
                    back[state] = from;
                }
            };
            for (uint8_t st = 0; st <= kStart; ++st)
                if ((st == kStart || kModeOf[st] != m) && row[st] != kUnreached)
                    relax(kFirst[m], row[st] + header[m] + kFirstBits[m], st);
            for (uint8_t st = 0; st < kStates; ++st)
                if (kModeOf[st] == m && row[st] != kUnreached)
                    relax(kNext[st], row[st] + kStepBits[st], st);
        }
        std::fill(row, row + kStates + 1, kUnreached);
    }
    const int32_t* last = cost[ncLength % 3];
    uint8_t state = 0;
    for (uint8_t st = 1; st < kStates; ++st)
        if (last[st] < last[state])
            state = st;
    if (last[state] == kUnreached)
        return false;

    // 2. Back from the end: a character whose predecessor is of another mode
    // starts its segment. A segment longer than its count indicator can say
    // is cut into several.
    m_ncDataBlock = 0;
    int64_t run = 0;
    for (int64_t pos = ncLength; pos > 0;) {
        const uint8_t mode = kModeOf[state];
        const int64_t used = mode == MODE_KANJI ? 2 : 1;
        const uint8_t from = m_bySegmentBack[pos][state];
        run += used;
        pos -= used;
        if (from == kStart || kModeOf[from] != mode) {
            const int64_t most = ((int64_t{1} << indicatorLength(mode, nVerGroup)) - 1) * used;
            for (; run > 0; run -= min(run, most)) {
                m_byBlockMode[m_ncDataBlock] = mode;
                m_nBlockLength[m_ncDataBlock++] = min(run, most);
            }
        }
        state = from;
    }
    std::reverse(m_byBlockMode, m_byBlockMode + m_ncDataBlock);
    std::reverse(m_nBlockLength, m_nBlockLength + m_ncDataBlock);

    // 3. The bit stream.
    std::memset(m_byDataCodeWord, 0, sizeof m_byDataCodeWord);
    m_ncDataCodeWordBit = 0;
    int64_t pos = 0;
    for (int64_t b = 0; b < m_ncDataBlock && m_ncDataCodeWordBit != -1; ++b) {
        const int64_t len = m_nBlockLength[b];
        switch (m_byBlockMode[b]) {
        case MODE_NUMERAL:
            m_ncDataCodeWordBit = SetBitStream(m_ncDataCodeWordBit, 1, 4);
            m_ncDataCodeWordBit = SetBitStream(m_ncDataCodeWordBit, static_cast<uint16_t>(len),
                                               nIndicatorLenNumeral[nVerGroup]);
            for (int64_t i = 0; i < len; i += 3) {
                const int64_t n = min(3, len - i);
                uint16_t w = 0;
                for (int64_t d = 0; d < n; ++d)
                    w = static_cast<uint16_t>(w * 10 + (s[pos + i + d] - '0'));
                m_ncDataCodeWordBit = SetBitStream(m_ncDataCodeWordBit, w, n == 3 ? 10 : (n == 2 ? 7 : 4));
            }
            break;
        case MODE_ALPHABET:
            m_ncDataCodeWordBit = SetBitStream(m_ncDataCodeWordBit, 2, 4);
            m_ncDataCodeWordBit = SetBitStream(m_ncDataCodeWordBit, static_cast<uint16_t>(len),
                                               nIndicatorLenAlphabet[nVerGroup]);
            for (int64_t i = 0; i < len; i += 2) {
                if (i + 1 < len) {
                    const uint16_t w = static_cast<uint16_t>(AlphabetToBinaly(s[pos + i]) * 45
                                                             + AlphabetToBinaly(s[pos + i + 1]));
                    m_ncDataCodeWordBit = SetBitStream(m_ncDataCodeWordBit, w, 11);
                } else {
                    m_ncDataCodeWordBit = SetBitStream(m_ncDataCodeWordBit, AlphabetToBinaly(s[pos + i]), 6);
                }
            }
            break;
        case MODE_8BIT:
            m_ncDataCodeWordBit = SetBitStream(m_ncDataCodeWordBit, 4, 4);
            m_ncDataCodeWordBit = SetBitStream(m_ncDataCodeWordBit, static_cast<uint16_t>(len),
                                               nIndicatorLen8Bit[nVerGroup]);
            for (int64_t i = 0; i < len; ++i)
                m_ncDataCodeWordBit = SetBitStream(m_ncDataCodeWordBit, s[pos + i], 8);
            break;
        default:
            m_ncDataCodeWordBit = SetBitStream(m_ncDataCodeWordBit, 8, 4);
            m_ncDataCodeWordBit = SetBitStream(m_ncDataCodeWordBit, static_cast<uint16_t>(len / 2),
                                               nIndicatorLenKanji[nVerGroup]);
            for (int64_t i = 0; i + 1 < len; i += 2) {
                const uint16_t wc = static_cast<uint16_t>((s[pos + i] << 8) | s[pos + i + 1]);
                m_ncDataCodeWordBit = SetBitStream(m_ncDataCodeWordBit, KanjiToBinaly(wc), 13);
            }
            break;
        }
        pos += len;
    }
    return m_ncDataCodeWordBit != -1;
}

int64_t CQR_Symbol::GetEncodeVersion(int64_t nVersion, const char* lpsSource, int64_t ncLength)
{
    static constexpr int64_t firstOfGroup[] = {1, 10, 27};
    static constexpr int64_t lastOfGroup[] = {9, 26, 40};
    for (int64_t group = versionGroup(nVersion); group <= 2; ++group) {
        if (!EncodeSourceData(lpsSource, ncLength, group))
            continue;
        const int64_t needed = (m_ncDataCodeWordBit + 7) / 8;
        for (int64_t v = firstOfGroup[group]; v <= lastOfGroup[group]; ++v)
            if (QR_VersonInfo[v].ncDataCodeWord[m_nLevel] >= needed)
                return v;
    }
    return 0;
}

// ---------------------------------------------------------------------------
// Encoding

bool CQR_Symbol::Fits(int64_t nLevel, int64_t nVersion, const char* lpsSource, int64_t ncSource)
{
    if (nLevel < 0 || nLevel > 3 || nVersion < 0 || nVersion > 40 || lpsSource == nullptr || ncSource <= 0
        || ncSource > MAX_SOURCE)
        return false;
    m_nLevel = nLevel;
    const int64_t needed = GetEncodeVersion(nVersion, lpsSource, ncSource);
    return needed != 0 && (nVersion == 0 || needed <= nVersion);
}

bool CQR_Symbol::EncodeData(int64_t nLevel, int64_t nVersion, bool bAutoExtent, int64_t nMaskingNo,
                            const char* lpsSource, int64_t ncSource)
{
    if (nLevel < 0 || nLevel > 3 || nVersion < 0 || nVersion > 40 || nMaskingNo < -1 || nMaskingNo > 7
        || lpsSource == nullptr)
        return false;
    m_nLevel = nLevel;
    m_nVersion_pass = nVersion == 0 ? 1 : nVersion;
    m_nMaskingNo = nMaskingNo;

    const int64_t ncLength = ncSource > 0 ? ncSource : static_cast<int64_t>(std::strlen(lpsSource));
    if (ncLength == 0 || ncLength > MAX_SOURCE)
        return false;

    const int64_t needed = GetEncodeVersion(nVersion, lpsSource, ncLength);
    if (needed == 0)
        return false;
    int64_t version;
    if (nVersion == 0)
        version = needed;
    else if (needed <= nVersion)
        version = nVersion;
    else if (bAutoExtent)
        version = needed;
    else
        return false;
    m_nVersion = version;

    const QR_VERSIONINFO& info = QR_VersonInfo[version];
    const int64_t ncDataCodeWord = info.ncDataCodeWord[nLevel];

    // Terminator, then pad codewords.
    const int64_t room = ncDataCodeWord * 8 - m_ncDataCodeWordBit;
    if (room > 0)
        m_ncDataCodeWordBit += min(4, room);
    bool pad = true;
    for (int64_t i = (m_ncDataCodeWordBit + 7) / 8; i < ncDataCodeWord; ++i) {
        m_byDataCodeWord[i] = pad ? 0xEC : 0x11;
        pad = !pad;
    }

    // Interleave the data codewords.
    m_ncAllCodeWord = info.ncAllCodeWord;
    std::memset(m_byAllCodeWord, 0, sizeof m_byAllCodeWord);
    const RS_BLOCKINFO& g1 = info.RS_BlockInfo1[nLevel];
    const RS_BLOCKINFO& g2 = info.RS_BlockInfo2[nLevel];
    const int64_t blocks = g1.ncRSBlock + g2.ncRSBlock;
    int64_t src = 0;
    for (int64_t k = 0; k < blocks; ++k) {
        const bool second = k >= g1.ncRSBlock;
        const int64_t d = second ? g2.ncDataCodeWord : g1.ncDataCodeWord;
        for (int64_t j = 0; j < d; ++j) {
            if (j < g1.ncDataCodeWord)
                m_byAllCodeWord[blocks * j + k] = m_byDataCodeWord[src + j];
            else
                m_byAllCodeWord[blocks * g1.ncDataCodeWord + (k - g1.ncRSBlock)] = m_byDataCodeWord[src + j];
        }
        src += d;
    }

    // Error correction, block by block.
    src = 0;
    for (int64_t k = 0; k < blocks; ++k) {
        const bool second = k >= g1.ncRSBlock;
        const int64_t d = second ? g2.ncDataCodeWord : g1.ncDataCodeWord;
        const int64_t e = (second ? g2.ncAllCodeWord : g1.ncAllCodeWord) - d;
        std::memset(m_byRSWork, 0, sizeof m_byRSWork);
        std::memcpy(m_byRSWork, m_byDataCodeWord + src, static_cast<size_t>(d));
        GetRSCodeWord(m_byRSWork, d, e);
        for (int64_t j = 0; j < e; ++j)
            m_byAllCodeWord[ncDataCodeWord + blocks * j + k] = m_byRSWork[j];
        src += d;
    }

    m_nSymbleSize = version * 4 + 17;
    FormatModule();
    return true;
}

void CQR_Symbol::GetRSCodeWord(uint8_t* lpbyRSWork, int64_t ncDataCodeWord, int64_t ncRSCodeWord)
{
    // Long division of data(x) * x^e by the generator; the work area holds the
    // block's data followed by e zero bytes, the remainder ends up in its tail.
    const uint8_t* gen = kGen.byRSExp[ncRSCodeWord];
    for (int64_t i = 0; i < ncDataCodeWord; ++i) {
        const uint8_t lead = lpbyRSWork[i];
        if (lead == 0)
            continue;
        const int nExpFirst = kGF.byIntToExp[lead];
        uint8_t* w = lpbyRSWork + i + 1;
        for (int64_t j = 0; j < ncRSCodeWord; ++j)
            w[j] ^= kGF.byExpToInt[(gen[j] + nExpFirst) % 255];
    }
    std::memmove(lpbyRSWork, lpbyRSWork + ncDataCodeWord, static_cast<size_t>(ncRSCodeWord));
}

// ---------------------------------------------------------------------------
// Module matrix

void CQR_Symbol::FormatModule()
{
    std::memset(m_byModuleData, 0, sizeof m_byModuleData);
    SetFunctionModule();
    SetCodeWordPattern();

    if (m_nMaskingNo == -1) {
        // Each mask in turn, its format information placed, scored; the
        // first strictly smallest penalty wins.
        PrepareMaskLines();
        m_nMaskingNo = 0;
        int64_t best = -1;
        for (int64_t p = 0; p < 8; ++p) {
            const int64_t penalty = MaskPenalty(p);
            m_nMaskPenalty[p] = penalty;
            if (best == -1 || penalty < best) {
                best = penalty;
                m_nMaskingNo = p;
            }
        }
    }
    SetMaskingPattern(m_nMaskingNo);
    SetFormatInfoPattern(m_nMaskingNo);

    for (int64_t x = 0; x < m_nSymbleSize; ++x)
        for (int64_t y = 0; y < m_nSymbleSize; ++y)
            m_byModuleData[x][y] = (m_byModuleData[x][y] & 0x11) ? 1 : 0;
}

void CQR_Symbol::SetFunctionModule()
{
    const int64_t size = m_nSymbleSize;
    SetFinderPattern(0, 0);
    SetFinderPattern(size - 7, 0);
    SetFinderPattern(0, size - 7);

    // Separators.
    for (int64_t i = 0; i < 8; ++i) {
        m_byModuleData[i][7] = m_byModuleData[7][i] = FUNC_LIGHT;
        m_byModuleData[size - 8][i] = m_byModuleData[size - 8 + i][7] = FUNC_LIGHT;
        m_byModuleData[i][size - 8] = m_byModuleData[7][size - 8 + i] = FUNC_LIGHT;
    }

    // Format information areas, reserved light; the dark module.
    for (int64_t i = 0; i < 9; ++i)
        m_byModuleData[i][8] = m_byModuleData[8][i] = FUNC_LIGHT;
    for (int64_t i = 0; i < 8; ++i)
        m_byModuleData[size - 8 + i][8] = m_byModuleData[8][size - 8 + i] = FUNC_LIGHT;
    m_byModuleData[8][size - 8] = FUNC_DARK;

    SetVersionPattern();

    const QR_VERSIONINFO& info = QR_VersonInfo[m_nVersion];
    for (int64_t i = 0; i < info.ncAlignPoint; ++i) {
        const int64_t c = info.nAlignPoint[i];
        SetAlignmentPattern(c, 6);
        SetAlignmentPattern(6, c);
        for (int64_t j = 0; j < info.ncAlignPoint; ++j)
            SetAlignmentPattern(c, info.nAlignPoint[j]);
    }

    // Timing patterns.
    for (int64_t i = 8; i <= size - 9; ++i) {
        m_byModuleData[i][6] = (i % 2 == 0) ? FUNC_DARK : FUNC_LIGHT;
        m_byModuleData[6][i] = (i % 2 == 0) ? FUNC_DARK : FUNC_LIGHT;
    }
}

void CQR_Symbol::SetFinderPattern(int64_t x, int64_t y)
{
    for (int64_t i = 0; i < 7; ++i)
        for (int64_t j = 0; j < 7; ++j)
            m_byModuleData[x + j][y + i] = (kFinder[i] & (1 << (6 - j))) ? FUNC_DARK : FUNC_LIGHT;
}

void CQR_Symbol::SetAlignmentPattern(int64_t x, int64_t y)
{
    if (m_byModuleData[x][y] & 0x20)
        return;   // the centre already lies on a function module
    x -= 2;
    y -= 2;
    for (int64_t i = 0; i < 5; ++i)
        for (int64_t j = 0; j < 5; ++j)
            m_byModuleData[x + j][y + i] = (kAlign[i] & (1 << (4 - j))) ? FUNC_DARK : FUNC_LIGHT;
}

void CQR_Symbol::SetVersionPattern()
{
    if (m_nVersion <= 6)
        return;
    int64_t nVerData = m_nVersion << 12;
    for (int64_t i = 0; i < 6; ++i)
        if (nVerData & (int64_t{1} << (17 - i)))
            nVerData ^= (int64_t{0x1F25} << (5 - i));
    nVerData += m_nVersion << 12;
    const int64_t size = m_nSymbleSize;
    for (int64_t i = 0; i < 6; ++i)
        for (int64_t j = 0; j < 3; ++j) {
            const uint8_t v = (nVerData & (int64_t{1} << (i * 3 + j))) ? FUNC_DARK : FUNC_LIGHT;
            m_byModuleData[i][size - 11 + j] = v;
            m_byModuleData[size - 11 + j][i] = v;
        }
}

void CQR_Symbol::SetCodeWordPattern()
{
    const int64_t size = m_nSymbleSize;
    const int64_t totalBits = m_ncAllCodeWord * 8;
    int64_t bit = 0;
    for (int64_t right = size - 1; right >= 1; right -= 2) {
        if (right == 6)
            right = 5;
        const bool upward = ((right + 1) & 2) == 0;
        for (int64_t vert = 0; vert < size; ++vert) {
            const int64_t y = upward ? size - 1 - vert : vert;
            for (int64_t j = 0; j < 2; ++j) {
                const int64_t x = right - j;
                if (m_byModuleData[x][y] & 0x20)
                    continue;
                if (bit < totalBits) {
                    if (m_byAllCodeWord[bit >> 3] & (0x80 >> (bit & 7)))
                        m_byModuleData[x][y] = 0x02;
                    ++bit;
                }
            }
        }
    }
}

void CQR_Symbol::SetMaskingPattern(int64_t nPatternNo)
{
    switch (nPatternNo) {
    case 0: applyMask<0>(m_byModuleData, m_nSymbleSize); break;
    case 1: applyMask<1>(m_byModuleData, m_nSymbleSize); break;
    case 2: applyMask<2>(m_byModuleData, m_nSymbleSize); break;
    case 3: applyMask<3>(m_byModuleData, m_nSymbleSize); break;
    case 4: applyMask<4>(m_byModuleData, m_nSymbleSize); break;
    case 5: applyMask<5>(m_byModuleData, m_nSymbleSize); break;
    case 6: applyMask<6>(m_byModuleData, m_nSymbleSize); break;
    default: applyMask<7>(m_byModuleData, m_nSymbleSize); break;
    }
}

void CQR_Symbol::SetFormatInfoPattern(int64_t nPatternNo)
{
    const int64_t size = m_nSymbleSize;
    placeFormatBits(size, formatBits(m_nLevel, nPatternNo),
                    [&](int64_t x, int64_t y, bool dark) { m_byModuleData[x][y] = dark ? FUNC_DARK : FUNC_LIGHT; });
    m_byModuleData[8][size - 8] = FUNC_DARK;
}

// ---------------------------------------------------------------------------
// Packed lines for the mask choice

namespace {

inline void setBit(uint64_t* w, int64_t i) { w[i >> 6] |= uint64_t{1} << (i & 63); }
inline void putBit(uint64_t* w, int64_t i, bool v)
{
    const uint64_t b = uint64_t{1} << (i & 63);
    if (v)
        w[i >> 6] |= b;
    else
        w[i >> 6] &= ~b;
}

// A line of up to 64 N modules packed into N words (bit i = module i).
template <int N>
struct Bits
{
    uint64_t w[N];
};
template <int N>
inline Bits<N> load(const uint64_t* p)
{
    Bits<N> r;
    for (int i = 0; i < N; ++i)
        r.w[i] = p[i];
    return r;
}
template <int N>
inline Bits<N> operator&(Bits<N> x, Bits<N> y)
{
    for (int i = 0; i < N; ++i)
        x.w[i] &= y.w[i];
    return x;
}
template <int N>
inline Bits<N> operator|(Bits<N> x, Bits<N> y)
{
    for (int i = 0; i < N; ++i)
        x.w[i] |= y.w[i];
    return x;
}
template <int N>
inline Bits<N> operator^(Bits<N> x, Bits<N> y)
{
    for (int i = 0; i < N; ++i)
        x.w[i] ^= y.w[i];
    return x;
}
template <int N>
inline Bits<N> operator~(Bits<N> x)
{
    for (int i = 0; i < N; ++i)
        x.w[i] = ~x.w[i];
    return x;
}
// Bit i of the result = bit i + k of x (0 < k < 64); zeros come in at the top.
template <int N>
inline Bits<N> shr(Bits<N> x, int k)
{
    Bits<N> r;
    for (int i = 0; i < N; ++i)
        r.w[i] = (x.w[i] >> k) | (i + 1 < N ? x.w[i + 1] << (64 - k) : 0);
    return r;
}
// Bit i of the result = bit i - k of x (0 < k < 64).
template <int N>
inline Bits<N> shl(Bits<N> x, int k)
{
    Bits<N> r;
    for (int i = 0; i < N; ++i)
        r.w[i] = (x.w[i] << k) | (i > 0 ? x.w[i - 1] >> (64 - k) : 0);
    return r;
}
template <int N>
inline Bits<N> lowBits(int64_t n)
{
    Bits<N> m;
    for (int i = 0; i < N; ++i) {
        const int64_t left = n - 64 * i;
        m.w[i] = left >= 64 ? ~uint64_t{0} : left <= 0 ? 0 : (uint64_t{1} << left) - 1;
    }
    return m;
}
// Bit counting without relying on a popcount instruction being present.
inline int64_t count64(uint64_t v)
{
    v = v - ((v >> 1) & 0x5555555555555555ull);
    v = (v & 0x3333333333333333ull) + ((v >> 2) & 0x3333333333333333ull);
    v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int64_t>((v * 0x0101010101010101ull) >> 56);
}
template <int N>
inline int64_t popcount(Bits<N> x)
{
    int64_t c = 0;
    for (int i = 0; i < N; ++i)
        c += count64(x.w[i]);
    return c;
}

template <int N>
struct LineMasks
{
    Bits<N> all, valid1, valid4, valid6;
    explicit LineMasks(int64_t n)
        : all(lowBits<N>(n)), valid1(lowBits<N>(n - 1)), valid4(lowBits<N>(n - 4)), valid6(lowBits<N>(n - 6))
    {
    }
};

// Runs of five or more (3 + excess each) and finder-like patterns (40 each)
// in one line of n modules (bits beyond n are 0; n + 8 <= 64 N).
template <int N>
int64_t packedLinePenalty(Bits<N> line, const LineMasks<N>& m)
{
    // Runs: e5 marks every start of five equal modules; a run of length L
    // has L - 4 of them and scores L - 2.
    const Bits<N> eq = ~(line ^ shr(line, 1)) & m.valid1;
    const Bits<N> e5 = eq & shr(eq, 1) & shr(eq, 2) & shr(eq, 3) & m.valid4;
    int64_t penalty = popcount(e5) + 2 * popcount(e5 & ~shl(e5, 1));

    // Finder-like at module j: 1011101 at j..j+6, light at j-1 and j+7, and
    // light at j-4..j-2 or at j+8..j+10. Four light modules of padding on
    // each side stand for the outside (padded index = module + 4).
    const Bits<N> p = shl(line, 4);
    const Bits<N> z = ~p;
    const Bits<N> core = shr(p, 4) & shr(z, 5) & shr(p, 6) & shr(p, 7) & shr(p, 8) & shr(z, 9) & shr(p, 10);
    const Bits<N> lightBefore = shr(z, 3), lightAfter = shr(z, 11);
    const Bits<N> fourBefore = z & shr(z, 1) & shr(z, 2);
    const Bits<N> fourAfter = shr(z, 12) & shr(z, 13) & shr(z, 14);
    penalty += 40 * popcount(core & lightBefore & lightAfter & (fourBefore | fourAfter) & m.valid6);
    return penalty;
}

// The penalty of a whole symbol from its rows and columns (three words each).
template <int N>
int64_t packedSymbolPenalty(const uint64_t* rows, const uint64_t* cols, int64_t n)
{
    const LineMasks<N> m(n);
    int64_t penalty = 0, dark = 0;
    for (int64_t i = 0; i < n; ++i) {
        const Bits<N> r = load<N>(rows + 3 * i), c = load<N>(cols + 3 * i);
        penalty += packedLinePenalty(r, m) + packedLinePenalty(c, m);
        dark += popcount(r & m.all);
        if (i + 1 < n) {
            const Bits<N> same = ~(r ^ load<N>(rows + 3 * (i + 1)));
            penalty += 3 * popcount(same & shr(same, 1) & ~(r ^ shr(r, 1)) & m.valid1);
        }
    }
    const int64_t total = n * n;
    int64_t deviation = 50 - (100 * (total - dark)) / total;
    if (deviation < 0)
        deviation = -deviation;
    return penalty + 10 * (deviation / 5);
}

} // namespace

void CQR_Symbol::PrepareMaskLines()
{
    const int64_t n = m_nSymbleSize;
    for (int64_t i = 0; i < n; ++i) {
        m_dataRow[i] = m_funcRow[i] = m_funcValRow[i] = Line{};
        m_dataCol[i] = m_funcCol[i] = m_funcValCol[i] = Line{};
    }
    for (int64_t x = 0; x < n; ++x) {
        const uint8_t* col = m_byModuleData[x];
        for (int64_t y = 0; y < n; ++y) {
            const uint8_t v = col[y];
            if (v & 0x20) {
                setBit(m_funcRow[y].w, x);
                setBit(m_funcCol[x].w, y);
                if (v & 0x10) {
                    setBit(m_funcValRow[y].w, x);
                    setBit(m_funcValCol[x].w, y);
                }
            } else if (v & 0x02) {
                setBit(m_dataRow[y].w, x);
                setBit(m_dataCol[x].w, y);
            }
        }
    }
    if (m_nMaskCacheSize != n) {
        for (int64_t p = 0; p < 8; ++p)
            for (int64_t i = 0; i < n; ++i)
                m_maskRow[p][i] = m_maskCol[p][i] = Line{};
        for (int64_t y = 0; y < n; ++y)
            for (int64_t x = 0; x < n; ++x)
                for (int64_t p = 0; p < 8; ++p)
                    if (maskBit(p, y, x)) {
                        setBit(m_maskRow[p][y].w, x);
                        setBit(m_maskCol[p][x].w, y);
                    }
        m_nMaskCacheSize = n;
    }
}

int64_t CQR_Symbol::MaskPenalty(int64_t nPatternNo)
{
    const int64_t n = m_nSymbleSize;
    for (int64_t i = 0; i < n; ++i)
        for (int k = 0; k < 3; ++k) {
            const uint64_t fr = m_funcRow[i].w[k], fc = m_funcCol[i].w[k];
            m_lineRow[i].w[k] = (fr & m_funcValRow[i].w[k]) | (~fr & (m_dataRow[i].w[k] ^ m_maskRow[nPatternNo][i].w[k]));
            m_lineCol[i].w[k] = (fc & m_funcValCol[i].w[k]) | (~fc & (m_dataCol[i].w[k] ^ m_maskCol[nPatternNo][i].w[k]));
        }
    // This mask's format information.
    placeFormatBits(n, formatBits(m_nLevel, nPatternNo), [&](int64_t x, int64_t y, bool dark) {
        putBit(m_lineRow[y].w, x, dark);
        putBit(m_lineCol[x].w, y, dark);
    });
    static_assert(sizeof(Line) == 3 * sizeof(uint64_t), "lines are read as three words each");
    const uint64_t* rows = m_lineRow[0].w;
    const uint64_t* cols = m_lineCol[0].w;
    if (n + 8 <= 64)
        return packedSymbolPenalty<1>(rows, cols, n);
    if (n + 8 <= 128)
        return packedSymbolPenalty<2>(rows, cols, n);
    return packedSymbolPenalty<3>(rows, cols, n);
}

int64_t CQR_Symbol::CountPenalty()
{
    const int n = static_cast<int>(m_nSymbleSize);
    int64_t dark = 0;
    for (int x = 0; x < n; ++x) {
        const uint8_t* col = m_byModuleData[x];
        uint8_t* c = m_byCols + x * n;
        for (int y = 0; y < n; ++y) {
            const uint8_t v = (col[y] & 0x11) ? 1 : 0;
            c[y] = v;
            m_byRows[y * n + x] = v;
            dark += v;
        }
    }

    int64_t penalty = 0;
    for (int i = 0; i < n; ++i) {
        penalty += linePenalty(m_byRows + i * n, n);
        penalty += linePenalty(m_byCols + i * n, n);
    }

    // 2 x 2 blocks of one colour.
    for (int y = 0; y + 1 < n; ++y) {
        const uint8_t* a = m_byRows + y * n;
        const uint8_t* b = a + n;
        for (int x = 0; x + 1 < n; ++x) {
            const uint8_t v = a[x];
            if (a[x + 1] == v && b[x] == v && b[x + 1] == v)
                penalty += 3;
        }
    }

    const int64_t total = static_cast<int64_t>(n) * n;
    const int64_t light = total - dark;
    int64_t deviation = 50 - (100 * light) / total;
    if (deviation < 0)
        deviation = -deviation;
    penalty += 10 * (deviation / 5);
    return penalty;
}
