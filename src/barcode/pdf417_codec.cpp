#include "barcode/pdf417_codec.h"

#include "barcode/pdf417_clusters.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int START_PATTERN = 0x1FEA8;
constexpr int STOP_PATTERN = 0x3FA29;
constexpr int TEXT_MODE = 900;
constexpr int BYTE_MODE = 901;
constexpr int NUMERIC_MODE = 902;
constexpr int BYTE_MODE_6 = 924;
constexpr int BYTE_SHIFT = 913;

constexpr char MIXED_SET[] = "0123456789&\r\t,:#-.$/+%*=^";
constexpr char PUNCTUATION_SET[] = ";<>@[\\]_`~!\r\t,:\n-.$/\"|*()?{}'";

constexpr int ALPHA = 0x10000;
constexpr int LOWER = 0x20000;
constexpr int MIXED = 0x40000;
constexpr int PUNCTUATION = 0x80000;
constexpr int ISBYTE = 0x100000;

constexpr int AL = 28, LL = 27, ML = 28, PL = 25, PS = 29, AS = 27;

// Error correction coefficients: the low coefficients of the product of
// (x - 3^j), j = 1..2^(level+1), modulo 929.
struct ErrorLevels
{
    int coef[9][512];
};
constexpr ErrorLevels makeErrorLevels()
{
    ErrorLevels t{};
    for (int level = 0; level <= 8; ++level) {
        const int k = 2 << level;
        int poly[513] = {};   // poly[i]: coefficient of x^i
        poly[0] = 1;
        int power = 1;
        for (int j = 1; j <= k; ++j) {
            power = power * 3 % 929;
            // poly *= (x - power)
            for (int i = j; i >= 0; --i) {
                const int shifted = i > 0 ? poly[i - 1] : 0;
                poly[i] = (shifted + 929 - poly[i] * power % 929) % 929;
            }
        }
        for (int i = 0; i < k; ++i)
            t.coef[level][i] = poly[i];
    }
    return t;
}
constexpr ErrorLevels ERROR_LEVEL = makeErrorLevels();
static_assert(ERROR_LEVEL.coef[0][0] == 27 && ERROR_LEVEL.coef[0][1] == 917);
static_assert(ERROR_LEVEL.coef[1][0] == 522 && ERROR_LEVEL.coef[1][1] == 568 && ERROR_LEVEL.coef[1][2] == 723
              && ERROR_LEVEL.coef[1][3] == 809);

// ---- section list ------------------------------------------------------------

struct Element
{
    char type;   // 'T' text, 'N' numeric, 'B' byte
    int start;
    int end;     // exclusive
};

struct Encoder
{
    pdf417_codec_param* p;
    const unsigned char* text;
    int len;
    std::vector<Element> list;
    int cwPtr = 1;

    bool isType(int k, char type) const
    {
        return k >= 0 && k < static_cast<int>(list.size()) && list[static_cast<size_t>(k)].type == type;
    }
    int lengthOf(int k) const
    {
        if (k < 0 || k >= static_cast<int>(list.size()))
            return 0;
        return list[static_cast<size_t>(k)].end - list[static_cast<size_t>(k)].start;
    }
    void remove(int k) { list.erase(list.begin() + k); }

    static bool isText(unsigned char c) { return (c >= 32 && c <= 126) || c == '\r' || c == '\n' || c == '\t'; }

    // Alternating text and byte elements over [start, end).
    void textOrBytes(int start, int end)
    {
        int k = start;
        while (k < end) {
            const bool t = isText(text[k]);
            int j = k + 1;
            while (j < end && isText(text[j]) == t)
                ++j;
            list.push_back({t ? 'T' : 'B', k, j});
            k = j;
        }
    }

    // One byte element over [start, end), when it is not empty.
    void bytes(int start, int end)
    {
        if (start < end)
            list.push_back({'B', start, end});
    }

    // Runs of 13 digits or more become numeric elements; the stretches
    // between them become text and byte elements (textSections), or one
    // byte element each.
    void splitDigitRuns(bool textSections)
    {
        const auto between = [&](int start, int end) {
            if (textSections)
                textOrBytes(start, end);
            else
                bytes(start, end);
        };
        int digits = 0;
        int cut = 0;
        for (int k = 0; k < len; ++k) {
            const unsigned char c = text[k];
            if (c >= '0' && c <= '9') {
                ++digits;
                continue;
            }
            if (digits >= 13) {
                between(cut, k - digits);
                list.push_back({'N', k - digits, k});
                cut = k;
            }
            digits = 0;
        }
        if (digits >= 13) {
            between(cut, len - digits);
            list.push_back({'N', len - digits, len});
        } else {
            between(cut, len);
        }
    }

    void breakString()
    {
        splitDigitRuns(true);

        // A single byte between two texts of 3 or more joins them.
        for (int k = 1; k < static_cast<int>(list.size()) - 1; ++k) {
            if (isType(k, 'B') && lengthOf(k) == 1 && isType(k - 1, 'T') && isType(k + 1, 'T')
                && lengthOf(k - 1) + lengthOf(k + 1) >= 3) {
                list[static_cast<size_t>(k - 1)].end = list[static_cast<size_t>(k + 1)].end;
                remove(k);
                remove(k);
                k = 0;
            }
        }
        // Texts of 5 or more take in a short neighbour on either side.
        for (int k = 0; k < static_cast<int>(list.size()); ++k) {
            if (!isType(k, 'T') || lengthOf(k) < 5)
                continue;
            bool again = false;
            if ((isType(k - 1, 'B') && lengthOf(k - 1) == 1) || isType(k - 1, 'T')) {
                list[static_cast<size_t>(k)].start = list[static_cast<size_t>(k - 1)].start;
                remove(k - 1);
                --k;
                again = true;
            }
            if ((isType(k + 1, 'B') && lengthOf(k + 1) == 1) || isType(k + 1, 'T')) {
                list[static_cast<size_t>(k)].end = list[static_cast<size_t>(k + 1)].end;
                remove(k + 1);
                again = true;
            }
            if (again)
                k = -1;
        }
        // Bytes take in byte or short text neighbours.
        for (int k = 0; k < static_cast<int>(list.size()); ++k) {
            if (!isType(k, 'B'))
                continue;
            bool again = false;
            if ((isType(k - 1, 'T') && lengthOf(k - 1) < 5) || isType(k - 1, 'B')) {
                list[static_cast<size_t>(k)].start = list[static_cast<size_t>(k - 1)].start;
                remove(k - 1);
                --k;
                again = true;
            }
            if ((isType(k + 1, 'T') && lengthOf(k + 1) < 5) || isType(k + 1, 'B')) {
                list[static_cast<size_t>(k)].end = list[static_cast<size_t>(k + 1)].end;
                remove(k + 1);
                again = true;
            }
            if (again)
                k = -1;
        }
        // A lone text of 8 or more digits is numeric.
        if (list.size() == 1 && list[0].type == 'T' && lengthOf(0) >= 8) {
            bool allDigits = true;
            for (int k = list[0].start; k < list[0].end && allDigits; ++k)
                allDigits = text[k] >= '0' && text[k] <= '9';
            if (allDigits)
                list[0].type = 'N';
        }
    }

    int textTypeAndValue(int start, int maxLength, int idx) const
    {
        if (idx >= maxLength)
            return 0;
        const unsigned char c = text[start + idx];
        if (c >= 'A' && c <= 'Z')
            return ALPHA | (c - 'A');
        if (c >= 'a' && c <= 'z')
            return LOWER | (c - 'a');
        if (c == ' ')
            return ALPHA | LOWER | MIXED | 26;
        const char* ms = c ? std::strchr(MIXED_SET, c) : nullptr;
        const char* ps = c ? std::strchr(PUNCTUATION_SET, c) : nullptr;
        if (!ms && !ps)
            return ISBYTE | c;
        if (ms && ps && ms - MIXED_SET == ps - PUNCTUATION_SET)
            return MIXED | PUNCTUATION | static_cast<int>(ms - MIXED_SET);
        if (ms)
            return MIXED | static_cast<int>(ms - MIXED_SET);
        return PUNCTUATION | static_cast<int>(ps - PUNCTUATION_SET);
    }

    void textCompaction(int start, int length)
    {
        std::vector<int>& dest = textWork;
        dest.assign(static_cast<size_t>(2 * PDF417_MAX_TEXT), 0);
        int ptr = 0;
        int fullBytes = 0;
        int mode = ALPHA;
        int k = 0;
        while (k < length) {
            const int v = textTypeAndValue(start, length, k);
            if (v & mode) {
                dest[static_cast<size_t>(ptr++)] = v & 0xff;
                ++k;
                continue;
            }
            if (v & ISBYTE) {
                if (ptr & 1) {
                    dest[static_cast<size_t>(ptr++)] = PS;
                    if (mode == PUNCTUATION)
                        mode = ALPHA;
                }
                dest[static_cast<size_t>(ptr++)] = BYTE_SHIFT;
                dest[static_cast<size_t>(ptr++)] = v & 0xff;
                fullBytes += 2;
                ++k;
                continue;
            }
            const int n1 = textTypeAndValue(start, length, k + 1);
            const int n2 = textTypeAndValue(start, length, k + 2);
            switch (mode) {
            case ALPHA:
            case LOWER:
                if (mode == ALPHA && (v & LOWER)) {
                    dest[static_cast<size_t>(ptr++)] = LL;
                    mode = LOWER;
                } else if (mode == LOWER && (v & ALPHA)) {
                    if (n1 & n2 & ALPHA) {
                        dest[static_cast<size_t>(ptr++)] = ML;
                        dest[static_cast<size_t>(ptr++)] = AL;
                        mode = ALPHA;
                    } else {
                        dest[static_cast<size_t>(ptr++)] = AS;
                    }
                } else if (v & MIXED) {
                    dest[static_cast<size_t>(ptr++)] = ML;
                    mode = MIXED;
                } else if (n1 & n2 & PUNCTUATION) {
                    dest[static_cast<size_t>(ptr++)] = ML;
                    dest[static_cast<size_t>(ptr++)] = PL;
                    mode = PUNCTUATION;
                } else {
                    dest[static_cast<size_t>(ptr++)] = PS;
                }
                dest[static_cast<size_t>(ptr++)] = v & 0xff;
                ++k;
                break;
            case MIXED:
                if (v & LOWER) {
                    dest[static_cast<size_t>(ptr++)] = LL;
                    mode = LOWER;
                } else if (v & ALPHA) {
                    dest[static_cast<size_t>(ptr++)] = AL;
                    mode = ALPHA;
                } else if (n1 & n2 & PUNCTUATION) {
                    dest[static_cast<size_t>(ptr++)] = PL;
                    mode = PUNCTUATION;
                } else {
                    dest[static_cast<size_t>(ptr++)] = PS;
                }
                dest[static_cast<size_t>(ptr++)] = v & 0xff;
                ++k;
                break;
            default:   // punctuation: back to alpha, then the same byte again
                dest[static_cast<size_t>(ptr++)] = PS;
                mode = ALPHA;
                break;
            }
        }
        if (ptr & 1)
            dest[static_cast<size_t>(ptr++)] = PS;
        const int size = (ptr + fullBytes) / 2;
        if (size + cwPtr > PDF417_MAX_DATA_CODEWORDS) {
            p->error = PDF417_ERROR_TEXT_TOO_BIG;
            return;
        }
        for (int i = 0; i < ptr; i += 2) {
            const int v = dest[static_cast<size_t>(i)];
            if (v >= 30) {
                p->codewords[cwPtr++] = v;
                p->codewords[cwPtr++] = dest[static_cast<size_t>(i + 1)];
            } else {
                p->codewords[cwPtr++] = v * 30 + dest[static_cast<size_t>(i + 1)];
            }
        }
    }

    void basicNumberCompaction(int start, int length)
    {
        // "1" followed by the digits, converted to base 900.
        int digits[45];
        digits[0] = 1;
        for (int i = 0; i < length; ++i)
            digits[i + 1] = text[start + i] - '0';
        const int n = length + 1;
        const int out = length / 3 + 1;
        int* ret = p->codewords + cwPtr;
        for (int i = 0; i < out; ++i)
            ret[i] = 0;
        // Repeated division by 900 of the decimal number.
        for (int pos = out - 1; pos >= 0; --pos) {
            int rem = 0;
            for (int i = 0; i < n; ++i) {
                const int cur = rem * 10 + digits[i];
                digits[i] = cur / 900;
                rem = cur % 900;
            }
            ret[pos] = rem;
        }
        cwPtr += out;
    }

    void numberCompaction(int start, int length)
    {
        const int full = (length / 44) * 15;
        int size = length % 44;
        size = size == 0 ? full : full + size / 3 + 1;
        if (size + cwPtr > PDF417_MAX_DATA_CODEWORDS) {
            p->error = PDF417_ERROR_TEXT_TOO_BIG;
            return;
        }
        for (int k = 0; k < length; k += 44)
            basicNumberCompaction(start + k, length - k < 44 ? length - k : 44);
    }

    void byteCompaction6(int start)
    {
        uint64_t v = 0;
        for (int i = 0; i < 6; ++i)
            v = (v << 8) | text[start + i];
        for (int i = 4; i >= 0; --i) {
            p->codewords[cwPtr + i] = static_cast<int>(v % 900);
            v /= 900;
        }
        cwPtr += 5;
    }

    void byteCompaction(int start, int length)
    {
        const int size = (length / 6) * 5 + length % 6;
        if (size + cwPtr > PDF417_MAX_DATA_CODEWORDS) {
            p->error = PDF417_ERROR_TEXT_TOO_BIG;
            return;
        }
        const int end = start + length;
        int k = start;
        for (; k + 6 <= end; k += 6)
            byteCompaction6(k);
        for (; k < end; ++k)
            p->codewords[cwPtr++] = text[k];
    }

    void assemble()
    {
        cwPtr = 1;
        for (size_t k = 0; k < list.size() && !p->error; ++k) {
            const Element& e = list[k];
            const int length = e.end - e.start;
            switch (e.type) {
            case 'B':
                p->codewords[cwPtr++] = length % 6 ? BYTE_MODE : BYTE_MODE_6;
                byteCompaction(e.start, length);
                break;
            case 'N':
                p->codewords[cwPtr++] = NUMERIC_MODE;
                numberCompaction(e.start, length);
                break;
            default:
                if (k != 0)
                    p->codewords[cwPtr++] = TEXT_MODE;
                textCompaction(e.start, length);
                break;
            }
        }
    }

    std::vector<int> textWork;
};

// The text's data codewords into p->codewords from index 1; their count
// with the length descriptor, or 0 with p->error set.
int compactText(pdf417_codec_param* p)
{
    if (p->text == nullptr)
        p->text = "";
    if (p->lenText < 0)
        p->lenText = static_cast<int>(std::strlen(p->text));
    if (p->lenText > PDF417_MAX_TEXT) {
        p->error = PDF417_ERROR_TEXT_TOO_BIG;
        return 0;
    }
    Encoder enc{p, reinterpret_cast<const unsigned char*>(p->text), p->lenText, {}, 1, {}};
    enc.list.reserve(20);
    enc.breakString();
    enc.assemble();
    // Text sections of binary values can take more codewords than the
    // bytes themselves. When the sections leave no room for the wanted
    // error level, the value goes as bytes (long digit runs still
    // numeric) if that takes fewer codewords.
    const int wanted = (p->options & PDF417_USE_ERROR_LEVEL) ? std::clamp(p->errorLevel, 0, 8) : 0;
    if (p->error || enc.cwPtr + (2 << wanted) > PDF417_MAX_CODEWORDS) {
        const int sections = p->error ? PDF417_MAX_CODEWORDS + 1 : enc.cwPtr;
        const std::vector<Element> kept = enc.list;
        p->error = 0;
        enc.list.clear();
        enc.splitDigitRuns(false);
        enc.assemble();
        if (p->error || enc.cwPtr >= sections) {
            p->error = 0;
            enc.list = kept;
            enc.assemble();
        }
    }
    return p->error ? 0 : enc.cwPtr;
}

int maxPossibleErrorLevel(int room)
{
    for (int level = 8; level > 0; --level)
        if ((2 << level) <= room)
            return level;
    return 0;
}

int getMaxSquare(pdf417_codec_param* p)
{
    if (p->codeColumns > 21) {
        p->codeColumns = 29;
        p->codeRows = 32;
    } else {
        p->codeColumns = 16;
        p->codeRows = 58;
    }
    return PDF417_MAX_CODEWORDS;
}

void calculateErrorCorrection(pdf417_codec_param* p, int dest)
{
    int level = p->errorLevel;
    if (level < 0 || level > 8)
        level = 0;
    const int* A = ERROR_LEVEL.coef[level];
    const int k = 2 << level;
    int* E = p->codewords + dest;
    for (int e = 0; e < k; ++e)
        E[e] = 0;
    for (int i = 0; i < dest; ++i) {
        const int t = p->codewords[i] + E[0];
        for (int e = 0; e < k; ++e) {
            const int next = e == k - 1 ? 0 : E[e + 1];
            E[e] = (next + 929 - (t * A[k - 1 - e]) % 929) % 929;
        }
    }
    for (int e = 0; e < k; ++e)
        E[e] = (929 - E[e]) % 929;
}

struct Painter
{
    pdf417_codec_param* p;
    int bitPtr = 0;

    void outCodeword17(int codeword)
    {
        int bytePtr = bitPtr / 8;
        const int bit = bitPtr - bytePtr * 8;
        p->outBits[bytePtr++] |= static_cast<unsigned char>(codeword >> (9 + bit));
        p->outBits[bytePtr++] |= static_cast<unsigned char>(codeword >> (1 + bit));
        p->outBits[bytePtr] |= static_cast<unsigned char>((codeword << 8) >> (1 + bit));
        bitPtr += 17;
    }
    void outCodeword18(int codeword)
    {
        int bytePtr = bitPtr / 8;
        const int bit = bitPtr - bytePtr * 8;
        p->outBits[bytePtr++] |= static_cast<unsigned char>(codeword >> (10 + bit));
        p->outBits[bytePtr++] |= static_cast<unsigned char>(codeword >> (2 + bit));
        codeword <<= 8;
        p->outBits[bytePtr] |= static_cast<unsigned char>(codeword >> (2 + bit));
        if (bit == 7)
            p->outBits[bytePtr + 1] |= 0x80;
        bitPtr += 18;
    }
    void outCodeword(int clusterRow, int value) { outCodeword17(pdf417_tables::pattern(clusterRow, value)); }
    void outStartPattern() { outCodeword17(START_PATTERN); }
    void outStopPattern() { outCodeword18(STOP_PATTERN); }
};

void outPaintCode(pdf417_codec_param* p)
{
    p->bitColumns = 17 * (p->codeColumns + 3) + 18;
    const int bytesPerRow = (p->bitColumns - 1) / 8 + 1;
    p->lenBits = bytesPerRow * p->codeRows;
    p->outBits = static_cast<unsigned char*>(std::calloc(static_cast<size_t>(p->lenBits), 1));
    if (p->outBits == nullptr) {
        p->error = PDF417_ERROR_INVALID_PARAMS;
        p->lenBits = 0;
        return;
    }
    Painter painter{p};
    int codePtr = 0;
    for (int row = 0; row < p->codeRows; ++row) {
        painter.bitPtr = bytesPerRow * 8 * row;
        const int cluster = row % 3;
        const int q = 30 * (row / 3);
        painter.outStartPattern();
        int left, right;
        switch (cluster) {
        case 0:
            left = q + (p->codeRows - 1) / 3;
            right = q + p->codeColumns - 1;
            break;
        case 1:
            left = q + p->errorLevel * 3 + (p->codeRows - 1) % 3;
            right = q + (p->codeRows - 1) / 3;
            break;
        default:
            left = q + p->codeColumns - 1;
            right = q + p->errorLevel * 3 + (p->codeRows - 1) % 3;
            break;
        }
        painter.outCodeword(cluster, left);
        for (int column = 0; column < p->codeColumns; ++column)
            painter.outCodeword(cluster, p->codewords[codePtr++]);
        painter.outCodeword(cluster, right);
        painter.outStopPattern();
    }
    if (p->options & PDF417_INVERT_BITMAP)
        for (int k = 0; k < p->lenBits; ++k)
            p->outBits[k] ^= 0xff;
}

} // namespace

namespace pdf417_tables {
bool patternsAvailable() { return true; }

int pattern(int clusterRow, int value)
{
    if (clusterRow < 0 || clusterRow > 2 || value < 0 || value > 928)
        return -1;
    return CLUSTERS[clusterRow][value];
}

const int* errorLevel(int level)
{
    if (level < 0 || level > 8)
        return nullptr;
    return ERROR_LEVEL.coef[level];
}
} // namespace pdf417_tables

void pdf417_codec_init(pdf417_codec_param* p)
{
    p->options = 0;
    p->outBits = nullptr;
    p->lenBits = 0;
    p->error = 0;
    p->lenText = -1;
    p->text = "";
    p->yHeight = 3.0f;
    p->aspectRatio = 0.5f;
}

bool pdf417_fits(const char* text, int lenText, int options, int errorLevel)
{
    pdf417_codec_param q;
    q.text = text;
    q.lenText = lenText;
    q.options = options;
    q.errorLevel = errorLevel;
    compactText(&q);
    return q.error == 0;
}

void pdf417_codec_free(pdf417_codec_param* p)
{
    if (p->outBits != nullptr) {
        std::free(p->outBits);
        p->outBits = nullptr;
    }
    p->lenBits = 0;
}

void paintCode(pdf417_codec_param* p)
{
    p->error = 0;
    if (p->options & PDF417_USE_RAW_CODEWORDS) {
        if (p->lenCodewords > PDF417_MAX_DATA_CODEWORDS || p->lenCodewords < 1
            || p->lenCodewords != p->codewords[0]) {
            p->error = PDF417_ERROR_INVALID_PARAMS;
            return;
        }
    } else {
        const int length = compactText(p);
        if (p->error)
            return;
        p->codewords[0] = p->lenCodewords = length;
    }

    const int maxErr = maxPossibleErrorLevel(PDF417_MAX_CODEWORDS - p->lenCodewords);
    if (!(p->options & PDF417_USE_ERROR_LEVEL)) {
        if (p->lenCodewords < 41)
            p->errorLevel = 2;
        else if (p->lenCodewords < 161)
            p->errorLevel = 3;
        else if (p->lenCodewords < 321)
            p->errorLevel = 4;
        else
            p->errorLevel = 5;
    }
    if (p->errorLevel < 0)
        p->errorLevel = 0;
    else if (p->errorLevel > maxErr)
        p->errorLevel = maxErr;

    if (p->codeColumns < 1)
        p->codeColumns = 1;
    else if (p->codeColumns > 30)
        p->codeColumns = 30;
    if (p->codeRows < 3)
        p->codeRows = 3;
    else if (p->codeRows > 90)
        p->codeRows = 90;

    int lenErr = 2 << p->errorLevel;
    bool fixedColumn = !(p->options & PDF417_FIXED_ROWS);
    bool keepSize = false;
    int tot = p->lenCodewords + lenErr;
    if (p->options & PDF417_FIXED_RECTANGLE) {
        tot = p->codeColumns * p->codeRows;
        if (tot > PDF417_MAX_CODEWORDS)
            tot = getMaxSquare(p);
        if (tot < p->lenCodewords + lenErr)
            tot = p->lenCodewords + lenErr;
        else
            keepSize = true;
    } else if (!(p->options & (PDF417_FIXED_COLUMNS | PDF417_FIXED_ROWS))) {
        fixedColumn = true;
        if (p->aspectRatio < 0.001f)
            p->aspectRatio = 0.001f;
        else if (p->aspectRatio > 1000.0f)
            p->aspectRatio = 1000.0f;
        const float b = 73.0f * p->aspectRatio - 4.0f;
        const float under = b * b + 4.0f * 17.0f * p->aspectRatio * static_cast<float>(p->lenCodewords + lenErr)
                * p->yHeight;
        const double c = (-b + std::sqrt(static_cast<double>(under))) / (2.0 * 17.0 * p->aspectRatio);
        p->codeColumns = static_cast<int>(c + 0.5);
        if (p->codeColumns < 1)
            p->codeColumns = 1;
        else if (p->codeColumns > 30)
            p->codeColumns = 30;
    }
    if (!keepSize) {
        if (fixedColumn) {
            p->codeRows = (tot - 1) / p->codeColumns + 1;
            if (p->codeRows < 3) {
                p->codeRows = 3;
            } else if (p->codeRows > 90) {
                p->codeRows = 90;
                p->codeColumns = (tot - 1) / 90 + 1;
            }
        } else {
            p->codeColumns = (tot - 1) / p->codeRows + 1;
            if (p->codeColumns > 30) {
                p->codeColumns = 30;
                p->codeRows = (tot - 1) / 30 + 1;
            }
        }
        tot = p->codeRows * p->codeColumns;
    }
    if (tot > PDF417_MAX_CODEWORDS)
        tot = getMaxSquare(p);

    p->errorLevel = maxPossibleErrorLevel(tot - p->lenCodewords);
    lenErr = 2 << p->errorLevel;
    const int pad = tot - lenErr - p->lenCodewords;
    for (int k = 0; k < pad; ++k)
        p->codewords[p->lenCodewords++] = TEXT_MODE;
    p->codewords[0] = p->lenCodewords;
    calculateErrorCorrection(p, p->lenCodewords);
    p->lenCodewords = tot;
    outPaintCode(p);
}
