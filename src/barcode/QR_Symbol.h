#pragma once
// QR Code model 2 encoder (ISO/IEC 18004): bytes -> module matrix.
// Versions 1-40, levels L/M/Q/H, numeric, alphanumeric, 8-bit and Kanji
// segments, Reed-Solomon error correction over GF(256), eight masks chosen by
// penalty, format and version information.
//
// One instance encodes one text at a time. All working storage lives inside
// the object (sized for version 40), so encoding allocates nothing; the
// object is about 120 KB and belongs on the heap.
#include <cstdint>

class CQR_Symbol
{
public:
    static constexpr int64_t MAX_MODULESIZE = 177;      // 4 * 40 + 17
    static constexpr int64_t MAX_DATACODEWORD = 2956;   // 40-L data codewords
    static constexpr int64_t MAX_ALLCODEWORD = 3706;    // version 40 codewords
    static constexpr int64_t MAX_CODEBLOCK = 153;       // longest block + 30
    // Longest input: one segment per byte is kept, and 7,089 digits are the
    // most any symbol holds.
    static constexpr int64_t MAX_SOURCE = 7089;

    enum : uint8_t { MODE_NUMERAL = 0, MODE_ALPHABET = 1, MODE_8BIT = 2, MODE_KANJI = 3 };

    CQR_Symbol() = default;

    // Encodes; true when a symbol was built. nLevel 0..3 (L, M, Q, H);
    // nVersion 0 (automatic) or 1..40; nMaskingNo -1 (best) or 0..7;
    // ncSource <= 0 measures the bytes up to the first NUL.
    bool EncodeData(int64_t nLevel, int64_t nVersion, bool bAutoExtent, int64_t nMaskingNo,
                    const char* lpsSource, int64_t ncSource = 0);
    // True when EncodeData would take the bytes without extending the
    // version: their segments alone are worked out, no symbol is built.
    bool Fits(int64_t nLevel, int64_t nVersion, const char* lpsSource, int64_t ncSource);
    // The one mode the whole text needs (0 numeric .. 3 Kanji).
    uint8_t Get_Encoding_Mode(const char* lpsSource, int64_t ncLength) const;

    // Kanji pairs are recognised only while this is set. Text that is not
    // Shift JIS (UTF-8 in particular) must be encoded with it off, else byte
    // pairs of other characters are read as Kanji and decode as other text.
    bool m_bKanjiEnabled = true;

    int64_t m_nLevel = 0;
    int64_t m_nVersion = 0;
    int64_t m_nVersion_pass = 0;
    int64_t m_nMaskingNo = 0;
    int64_t m_nSymbleSize = 0;
    uint8_t m_byModuleData[MAX_MODULESIZE][MAX_MODULESIZE] = {};   // [x][y]

    int64_t m_ncDataCodeWordBit = 0;
    uint8_t m_byDataCodeWord[MAX_DATACODEWORD] = {};

    int64_t m_ncDataBlock = 0;
    uint8_t m_byBlockMode[MAX_SOURCE] = {};
    int64_t m_nBlockLength[MAX_SOURCE] = {};

    int64_t m_ncAllCodeWord = 0;
    uint8_t m_byAllCodeWord[MAX_ALLCODEWORD] = {};
    uint8_t m_byRSWork[MAX_CODEBLOCK] = {};

    // Penalty of the matrix as it stands, module by module (the definition;
    // the mask choice computes the same figure on packed lines).
    int64_t CountPenalty();
    // The penalty of each mask found by the last automatic mask choice.
    int64_t m_nMaskPenalty[8] = {};

private:
    int64_t GetEncodeVersion(int64_t nVersion, const char* lpsSource, int64_t ncLength);
    bool EncodeSourceData(const char* lpsSource, int64_t ncLength, int64_t nVerGroup);
    int64_t GetBitLength(uint8_t nMode, int64_t ncData, int64_t nVerGroup) const;
    int64_t SetBitStream(int64_t nIndex, uint16_t wData, int64_t ncData);
    static bool IsNumeralData(unsigned char c);
    static bool IsAlphabetData(unsigned char c);
    static bool IsKanjiData(unsigned char c1, unsigned char c2);
    static uint8_t AlphabetToBinaly(unsigned char c);
    static uint16_t KanjiToBinaly(uint16_t wc);
    void GetRSCodeWord(uint8_t* lpbyRSWork, int64_t ncDataCodeWord, int64_t ncRSCodeWord);
    void FormatModule();
    void SetFunctionModule();
    void SetFinderPattern(int64_t x, int64_t y);
    void SetAlignmentPattern(int64_t x, int64_t y);
    void SetVersionPattern();
    void SetCodeWordPattern();
    void SetMaskingPattern(int64_t nPatternNo);
    void SetFormatInfoPattern(int64_t nPatternNo);
    static int64_t min(int64_t a, int64_t b) { return a < b ? a : b; }

    // The way back of the segmentation: for every byte count and state, the
    // state the shortest stream came from.
    uint8_t m_bySegmentBack[MAX_SOURCE + 1][8] = {};

    // Penalty scratch: the finished modules row by row and column by column.
    uint8_t m_byRows[MAX_MODULESIZE * MAX_MODULESIZE] = {};
    uint8_t m_byCols[MAX_MODULESIZE * MAX_MODULESIZE] = {};

    // The mask choice works on lines packed into bits (bit i = module i).
    struct Line
    {
        uint64_t w[3];
    };
    void PrepareMaskLines();
    int64_t MaskPenalty(int64_t nPatternNo);
    Line m_dataRow[MAX_MODULESIZE] = {}, m_funcRow[MAX_MODULESIZE] = {}, m_funcValRow[MAX_MODULESIZE] = {};
    Line m_dataCol[MAX_MODULESIZE] = {}, m_funcCol[MAX_MODULESIZE] = {}, m_funcValCol[MAX_MODULESIZE] = {};
    Line m_lineRow[MAX_MODULESIZE] = {}, m_lineCol[MAX_MODULESIZE] = {};
    // Mask patterns of the symbol size m_nMaskCacheSize, kept between encodings.
    Line m_maskRow[8][MAX_MODULESIZE] = {}, m_maskCol[8][MAX_MODULESIZE] = {};
    int64_t m_nMaskCacheSize = 0;
};

// Capacity and layout facts of the symbol versions, shared with the front end.
namespace qr_tables {
// Data codewords of a version (1..40) at a level (0..3).
int64_t dataCodewords(int64_t version, int64_t level);
// Total codewords of a version.
int64_t totalCodewords(int64_t version);
}
