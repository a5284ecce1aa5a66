#pragma once
// PDF417 encoder (ISO/IEC 15438): text -> text, numeric and byte sections,
// codewords, Reed-Solomon error correction over GF(929), row and column
// layout, and a packed bitmap of the rows (top row first, most significant
// bit leftmost, a bar as 1 unless the bitmap is inverted).
#include <cstdint>

// Options
constexpr int PDF417_USE_ASPECT_RATIO = 0;
constexpr int PDF417_FIXED_RECTANGLE = 1;
constexpr int PDF417_FIXED_COLUMNS = 2;
constexpr int PDF417_FIXED_ROWS = 4;
constexpr int PDF417_AUTO_ERROR_LEVEL = 0;
constexpr int PDF417_USE_ERROR_LEVEL = 16;
constexpr int PDF417_USE_RAW_CODEWORDS = 64;
constexpr int PDF417_INVERT_BITMAP = 128;

// Errors
constexpr int PDF417_ERROR_SUCCESS = 0;
constexpr int PDF417_ERROR_TEXT_TOO_BIG = 1;
constexpr int PDF417_ERROR_INVALID_PARAMS = 2;

constexpr int PDF417_MAX_CODEWORDS = 928;
constexpr int PDF417_MAX_DATA_CODEWORDS = 926;
constexpr int PDF417_MAX_TEXT = 5420;

struct pdf417_codec_param
{
    unsigned char* outBits = nullptr;   // the painted rows, owned by the record
    int lenBits = 0;                    // bytes of outBits
    int bitColumns = 0;                 // modules per row
    int codeRows = 0;                   // in: wanted rows; out: rows used
    int codeColumns = 0;                // in: wanted data columns; out: columns used
    int codewords[PDF417_MAX_CODEWORDS] = {};
    int lenCodewords = 0;
    int errorLevel = 0;                 // 0..8; out: the level used
    const char* text = "";              // not owned
    int lenText = -1;                   // -1: up to the first NUL
    int options = 0;
    float aspectRatio = 0.5f;
    float yHeight = 3.0f;
    int error = 0;
};

// Prepares a record for an encoding. Rows, columns and codewords keep their
// values; the bitmap pointer is cleared, so free an earlier bitmap first.
void pdf417_codec_init(pdf417_codec_param* p);
// Encodes text (or raw codewords with option 64) and paints the bitmap.
void paintCode(pdf417_codec_param* p);
// True when paintCode takes the text with these options and error level:
// only its codewords are worked out.
bool pdf417_fits(const char* text, int lenText, int options, int errorLevel);
// Frees the bitmap.
void pdf417_codec_free(pdf417_codec_param* p);

namespace pdf417_tables {
// True: the cluster tables are built in.
bool patternsAvailable();
// Bar-space patterns of codeword value v in cluster row c (clusters 0, 3, 6),
// 17 modules, most significant bit leftmost, a bar as 1; -1 when the
// arguments are out of range.
int pattern(int clusterRow, int value);
// Error correction coefficients of a level (2^(level+1) of them, lowest first).
const int* errorLevel(int level);
}
