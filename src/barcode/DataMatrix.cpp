#include "barcode/DataMatrix.h"

#include "app/AppHelpers.h"

#include <QColor>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>

extern "C" {
#include <iec16022ecc200.h>
#include <reedsol.h>
}

DataMatrix::DataMatrix(int64_t dimension)
    : _dimension(dimension > 0 ? dimension : 0)
    , _data(static_cast<size_t>(_dimension * _dimension), 0)
{
}

void DataMatrix::set(int8_t value, int64_t x, int64_t y)
{
    if (x < 0 || y < 0 || x >= _dimension || y >= _dimension)
        return;
    _data[static_cast<size_t>(y * _dimension + x)] = value;
}

int8_t DataMatrix::valueAt(int64_t x, int64_t y) const
{
    if (x < 0 || y < 0 || x >= _dimension || y >= _dimension)
        return 0;
    return _data[static_cast<size_t>(y * _dimension + x)];
}

QString DataMatrix::description() const
{
    QString out;
    out.reserve(static_cast<qsizetype>(_dimension * (_dimension + 1)));
    for (int64_t y = 0; y < _dimension; ++y) {
        for (int64_t x = 0; x < _dimension; ++x)
            out += QString::number(valueAt(x, y));
        out += QLatin1Char('\n');
    }
    return out;
}

// ---------------------------------------------------------------------------
// Data Matrix (ECC200)

namespace ecc200 {

namespace {

bool c40Basic(unsigned char c) { return c == ' ' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }
bool textBasic(unsigned char c) { return c == ' ' || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); }

// C40 and Text values of one byte: 1 for a basic character, 2 for a shifted
// one, 2 more for the upper shift of a byte above 127.
int valuesOf(unsigned char c, bool text)
{
    const unsigned char low = c & 0x7F;
    const int base = (text ? textBasic(low) : c40Basic(low)) ? 1 : 2;
    return base + (c > 127 ? 2 : 0);
}

// Module placement of ECC200 (ISO/IEC 16022): for each module of the
// mapping matrix (data regions joined, nrow x ncol), 10 * codeword number
// (from 1) + bit number (1 most significant), 0 for none, 1 for a fixed
// dark module.
class Placement
{
public:
    Placement(int rows, int cols) : nrow(rows), ncol(cols), cell(static_cast<size_t>(rows) * cols, 0)
    {
        int chr = 1, row = 4, col = 0;
        do {
            if (row == nrow && col == 0)
                corner(chr++, kCorner1);
            if (row == nrow - 2 && col == 0 && ncol % 4)
                corner(chr++, kCorner2);
            if (row == nrow - 2 && col == 0 && ncol % 8 == 4)
                corner(chr++, kCorner3);
            if (row == nrow + 4 && col == 2 && !(ncol % 8))
                corner(chr++, kCorner4);
            do {
                if (row < nrow && col >= 0 && !at(row, col))
                    utah(row, col, chr++);
                row -= 2;
                col += 2;
            } while (row >= 0 && col < ncol);
            row += 1;
            col += 3;
            do {
                if (row >= 0 && col < ncol && !at(row, col))
                    utah(row, col, chr++);
                row += 2;
                col -= 2;
            } while (row < nrow && col >= 0);
            row += 3;
            col += 1;
        } while (row < nrow || col < ncol);
        if (!at(nrow - 1, ncol - 1))
            at(nrow - 1, ncol - 1) = at(nrow - 2, ncol - 2) = 1;
    }
    int at(int row, int col) const { return cell[static_cast<size_t>(row) * ncol + col]; }

private:
    int& at(int row, int col) { return cell[static_cast<size_t>(row) * ncol + col]; }

    // Corner shapes as (row, column) with negative values counted from the
    // far edge (-1 the last row or column).
    struct Spot
    {
        int r, c;
    };
    static constexpr Spot kCorner1[8] = {{-1, 0}, {-1, 1}, {-1, 2}, {0, -2}, {0, -1}, {1, -1}, {2, -1}, {3, -1}};
    static constexpr Spot kCorner2[8] = {{-3, 0}, {-2, 0}, {-1, 0}, {0, -4}, {0, -3}, {0, -2}, {0, -1}, {1, -1}};
    static constexpr Spot kCorner3[8] = {{-3, 0}, {-2, 0}, {-1, 0}, {0, -2}, {0, -1}, {1, -1}, {2, -1}, {3, -1}};
    static constexpr Spot kCorner4[8] = {{-1, 0}, {-1, -1}, {0, -3}, {0, -2}, {0, -1}, {1, -3}, {1, -2}, {1, -1}};

    void module(int row, int col, int chr, int bit)
    {
        if (row < 0) {
            row += nrow;
            col += 4 - ((nrow + 4) % 8);
        }
        if (col < 0) {
            col += ncol;
            row += 4 - ((ncol + 4) % 8);
        }
        at(row, col) = 10 * chr + bit;
    }
    void utah(int row, int col, int chr)
    {
        module(row - 2, col - 2, chr, 1);
        module(row - 2, col - 1, chr, 2);
        module(row - 1, col - 2, chr, 3);
        module(row - 1, col - 1, chr, 4);
        module(row - 1, col, chr, 5);
        module(row, col - 2, chr, 6);
        module(row, col - 1, chr, 7);
        module(row, col, chr, 8);
    }
    void corner(int chr, const Spot* spots)
    {
        for (int bit = 0; bit < 8; ++bit) {
            const int r = spots[bit].r < 0 ? nrow + spots[bit].r : spots[bit].r;
            const int c = spots[bit].c < 0 ? ncol + spots[bit].c : spots[bit].c;
            at(r, c) = 10 * chr + bit + 1;
        }
    }

    int nrow, ncol;
    std::vector<int> cell;
};

// The grid index (row 0 at the bottom) of the module at row r, column c of
// the mapping matrix, whose data regions are rh x rw modules, each framed by
// its finder pattern and clock track.
size_t gridIndex(int W, int H, int rh, int rw, int r, int c)
{
    const int symbolRow = (r / rh) * (rh + 2) + 1 + r % rh;   // from the top
    const int symbolCol = (c / rw) * (rw + 2) + 1 + c % rw;
    return static_cast<size_t>(H - 1 - symbolRow) * static_cast<size_t>(W) + static_cast<size_t>(symbolCol);
}

// Error correction blocks interleave codeword by codeword. In the 144 x 144
// symbol (8 blocks of 156 data codewords, then 2 of 155) the error
// correction codewords start with the two short blocks: block b's stand at
// place (b + 2) mod 10 of each round.
int eccPlace(int side, int blocks, int b) { return side == 144 ? (b + 2) % blocks : b; }

// The library starts the 144 x 144 error correction with block 0, which no
// reader decodes, so its error correction codewords are put in the
// standard's order here (the data codewords and the codeword values are
// right as they are).
void reorderEcc144(unsigned char* grid)
{
    constexpr int kSide = 144, kRegion = 22, kMap = 132, kData = 1558, kEcc = 620, kBlocks = 10;
    static const Placement placement(kMap, kMap);
    auto module = [&](int r, int c) -> unsigned char& { return grid[gridIndex(kSide, kSide, kRegion, kRegion, r, c)]; };
    std::vector<int> codewords(kData + kEcc, 0);
    const Placement& p = placement;
    for (int r = 0; r < kMap; ++r)
        for (int c = 0; c < kMap; ++c) {
            const int v = p.at(r, c);
            if (v >= 10 && module(r, c))
                codewords[static_cast<size_t>(v / 10 - 1)] |= 0x80 >> (v % 10 - 1);
        }
    std::vector<int> reordered(codewords);
    for (int j = 0; j < kEcc / kBlocks; ++j)
        for (int b = 0; b < kBlocks; ++b)
            reordered[static_cast<size_t>(kData + j * kBlocks + eccPlace(kSide, kBlocks, b))]
                = codewords[static_cast<size_t>(kData + j * kBlocks + b)];
    for (int r = 0; r < kMap; ++r)
        for (int c = 0; c < kMap; ++c) {
            const int v = p.at(r, c);
            if (v >= 10)
                module(r, c) = (reordered[static_cast<size_t>(v / 10 - 1)] & (0x80 >> (v % 10 - 1))) ? 1 : 0;
        }
}

// The symbol sizes of ECC200 in the order of their data capacity: rows,
// columns, data regions down and across, data codewords, error correction
// codewords and interleaved blocks.
struct SymbolSize
{
    int rows, cols, regionsDown, regionsAcross, data, ecc, blocks;
};
constexpr SymbolSize kSizes[] = {
    {10, 10, 1, 1, 3, 5, 1},        {12, 12, 1, 1, 5, 7, 1},        {8, 18, 1, 1, 5, 7, 1},
    {14, 14, 1, 1, 8, 10, 1},       {8, 32, 1, 2, 10, 11, 1},       {16, 16, 1, 1, 12, 12, 1},
    {12, 26, 1, 1, 16, 14, 1},      {18, 18, 1, 1, 18, 14, 1},      {20, 20, 1, 1, 22, 18, 1},
    {12, 36, 1, 2, 22, 18, 1},      {22, 22, 1, 1, 30, 20, 1},      {16, 36, 1, 2, 32, 24, 1},
    {24, 24, 1, 1, 36, 24, 1},      {26, 26, 1, 1, 44, 28, 1},      {16, 48, 1, 2, 49, 28, 1},
    {32, 32, 2, 2, 62, 36, 1},      {36, 36, 2, 2, 86, 42, 1},      {40, 40, 2, 2, 114, 48, 1},
    {44, 44, 2, 2, 144, 56, 1},     {48, 48, 2, 2, 174, 68, 1},     {52, 52, 2, 2, 204, 84, 2},
    {64, 64, 4, 4, 280, 112, 2},    {72, 72, 4, 4, 368, 144, 4},    {80, 80, 4, 4, 456, 192, 4},
    {88, 88, 4, 4, 576, 224, 4},    {96, 96, 4, 4, 696, 272, 4},    {104, 104, 4, 4, 816, 336, 6},
    {120, 120, 6, 6, 1050, 408, 6}, {132, 132, 6, 6, 1304, 496, 8}, {144, 144, 6, 6, 1558, 620, 10},
};

// Base256 codewords (latch, length field, bytes), each randomised by its
// position (255-state), then the pad codewords (129, the rest 253-state
// randomised) up to the symbol's data capacity. A length field of 0 says
// "to the end of the symbol", which spares a second length byte when the
// bytes fill the symbol exactly.
std::vector<uint8_t> base256Codewords(const QByteArray& data, int capacity, int* encodedLength)
{
    const int n = static_cast<int>(data.size());
    std::vector<uint8_t> cw;
    cw.reserve(static_cast<size_t>(capacity));
    const auto randomised = [&](int value) {
        const int position = static_cast<int>(cw.size()) + 1;
        cw.push_back(static_cast<uint8_t>((value + (149 * position) % 255 + 1) % 256));
    };
    cw.push_back(231);
    if (n <= 249) {
        randomised(n);
    } else if (n + 2 == capacity) {
        randomised(0);
    } else {
        randomised(n / 250 + 249);
        randomised(n % 250);
    }
    for (const char c : data)
        randomised(static_cast<unsigned char>(c));
    *encodedLength = static_cast<int>(cw.size());
    if (static_cast<int>(cw.size()) < capacity)
        cw.push_back(129);
    while (static_cast<int>(cw.size()) < capacity) {
        const int position = static_cast<int>(cw.size()) + 1;
        const int v = 129 + (149 * position) % 253 + 1;
        cw.push_back(static_cast<uint8_t>(v <= 254 ? v : v - 254));
    }
    return cw;
}

// The library's Reed-Solomon coder (GF(256) over x^8 + x^5 + x^3 + x^2 + 1,
// first root alpha) appends each block's error correction, interleaved.
void appendErrorCorrection(const SymbolSize& size, std::vector<uint8_t>& cw)
{
    const int blocks = size.blocks, eccPerBlock = size.ecc / blocks;
    cw.resize(static_cast<size_t>(size.data + size.ecc));
    std::vector<unsigned char> block, ecc(static_cast<size_t>(eccPerBlock));
    rs_init_gf(0x12d);
    rs_init_code(eccPerBlock, 1);
    for (int b = 0; b < blocks; ++b) {
        block.clear();
        for (int i = b; i < size.data; i += blocks)
            block.push_back(cw[static_cast<size_t>(i)]);
        rs_encode(static_cast<int>(block.size()), block.data(), ecc.data());
        for (int j = 0; j < eccPerBlock; ++j)
            cw[static_cast<size_t>(size.data + j * blocks + eccPlace(size.cols, blocks, b))]
                = ecc[static_cast<size_t>(eccPerBlock - 1 - j)];
    }
}

// The modules of a symbol: finder pattern and clock track around every data
// region, the codewords placed in the mapping matrix.
std::vector<uint8_t> symbolGrid(const SymbolSize& size, const std::vector<uint8_t>& cw)
{
    const int W = size.cols, H = size.rows;
    const int rh = H / size.regionsDown - 2, rw = W / size.regionsAcross - 2;
    std::vector<uint8_t> grid(static_cast<size_t>(W) * static_cast<size_t>(H), 0);
    const auto dark = [&](int fromTop, int x) { grid[static_cast<size_t>(H - 1 - fromTop) * W + x] = 1; };
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int ry = y % (rh + 2), rx = x % (rw + 2);
            if (rx == 0 || ry == rh + 1 || (ry == 0 && rx % 2 == 0) || (rx == rw + 1 && ry % 2 == 1))
                dark(y, x);
        }
    const Placement placement(rh * size.regionsDown, rw * size.regionsAcross);
    for (int r = 0; r < rh * size.regionsDown; ++r)
        for (int c = 0; c < rw * size.regionsAcross; ++c) {
            const int v = placement.at(r, c);
            const bool on = v == 1 || (v >= 10 && (cw[static_cast<size_t>(v / 10 - 1)] & (0x80 >> (v % 10 - 1))));
            grid[gridIndex(W, H, rh, rw, r, c)] = on ? 1 : 0;
        }
    return grid;
}

// Base256 is the library's one encodation it cannot write (it refuses the
// letter B), so its symbols are made here: the smallest symbol whose data
// capacity holds the codewords, or the one named.
bool encodeBase256(const QByteArray& data, int width, int height, Symbol* out)
{
    const int n = static_cast<int>(data.size());
    const bool named = width > 0 || height > 0;
    out->W = width;
    out->H = height;
    out->encoding.assign(static_cast<size_t>(n), 'B');
    for (const SymbolSize& size : kSizes) {
        if (named ? (size.cols != width || size.rows != height) : n + 2 > size.data)
            continue;
        out->capacity = size.data;
        out->eccBytes = size.ecc;
        if (n + 2 > size.data)
            return false;
        std::vector<uint8_t> cw = base256Codewords(data, size.data, &out->encodedLength);
        appendErrorCorrection(size, cw);
        out->W = size.cols;
        out->H = size.rows;
        out->grid = symbolGrid(size, cw);
        return true;
    }
    return false;
}

// Base256 as asked, or as an automatic value's fallback: every encodation
// title but the library's own.
bool takesBase256(const QString& title)
{
    return title != QLatin1String("Ascii") && title != QLatin1String("C40") && title != QLatin1String("Text");
}

// The size named by width and height (the largest for 0 x 0); null for a
// size ECC200 does not have.
const SymbolSize* sizeOf(int width, int height)
{
    if (width <= 0 && height <= 0)
        return &kSizes[std::size(kSizes) - 1];
    for (const SymbolSize& size : kSizes)
        if (size.cols == width && size.rows == height)
            return &size;
    return nullptr;
}

// The fewest codewords the library's encodations can give the data: digits
// pair up in ASCII, letters and spaces go three to two codewords in C40 or
// Text, and every other byte takes at least one.
int64_t leastCodewords(const QByteArray& data)
{
    int64_t sixths = 0;
    for (const char ch : data) {
        const auto c = static_cast<unsigned char>(ch);
        sixths += (c >= '0' && c <= '9') ? 3 : (c40Basic(c) || textBasic(c)) ? 4 : 6;
    }
    return (sixths + 5) / 6;
}

} // namespace

std::string encodationFor(const QString& title, const QByteArray& data)
{
    const auto n = static_cast<size_t>(data.size());
    if (title == QLatin1String("Ascii"))
        return std::string(n, 'A');
    if (title == QLatin1String("Base256"))
        return std::string(n, 'B');
    if (title == QLatin1String("C40") || title == QLatin1String("Text")) {
        const bool text = title == QLatin1String("Text");
        // Longest prefix whose values fill whole triples. The library also
        // loses a NUL value (NUL itself, or 0x80 after the upper shift), so
        // the prefix ends before the first of those.
        size_t prefix = 0;
        int sum = 0;
        for (size_t i = 0; i < n; ++i) {
            const auto c = static_cast<unsigned char>(data[static_cast<qsizetype>(i)]);
            if ((c & 0x7F) == 0)
                break;
            sum += valuesOf(c, text);
            if (sum % 3 == 0)
                prefix = i + 1;
        }
        std::string enc(prefix, text ? 'T' : 'C');
        enc.append(n - prefix, 'A');
        return enc;
    }
    // Auto: the library's own choice, except for bytes above 127.
    for (const char c : data)
        if (static_cast<unsigned char>(c) > 127)
            return std::string(n, 'A');
    return {};
}

void sizeFromTitle(const QString& title, int* width, int* height)
{
    *width = 0;
    *height = 0;
    if (title.isEmpty() || title == QLatin1String("Auto"))
        return;
    const qsizetype x = title.indexOf(QLatin1Char('X'));
    if (x < 0)
        return;
    const QString rest = title.mid(1);
    const qsizetype cut = rest.indexOf(QLatin1Char('X'));
    *height = Trim_Str(rest.left(cut)).toInt();
    *width = Trim_Str(rest.mid(cut + 1)).toInt();
}

// The library keeps its Reed-Solomon tables in globals that every call frees
// and rebuilds, so two calls at once corrupt the heap: calls into it take
// turns, while drawing the symbol stays parallel.
std::mutex& libraryMutex()
{
    static std::mutex m;
    return m;
}

bool encode(const QByteArray& data, int width, int height, const QString& encodingTitle, Symbol* out, bool report)
{
    *out = Symbol{};
    const bool base256 = encodingTitle == QLatin1String("Base256");
    std::unique_lock<std::mutex> libraryTurn(libraryMutex());
    std::string enc = encodationFor(encodingTitle, data);
    int W = width, H = height, lenp = 0, maxp = 0, eccp = 0;
    unsigned char* grid = nullptr;
    char* libraryEnc = nullptr;   // the library's own pick, malloc'ed by it

    if (!base256 && data.size() > 0 && data.size() < kMaxBytes) {
        auto* bytes = reinterpret_cast<unsigned char*>(const_cast<char*>(data.constData()));
        char* encPtr = enc.empty() ? nullptr : enc.data();
        grid = iec16022ecc200(&W, &H, &encPtr, static_cast<int>(data.size()), bytes, &lenp, &maxp, &eccp);
        if (enc.empty())
            libraryEnc = encPtr;
        // Its EDIFACT runs lose characters: take those bytes as ASCII instead.
        if (grid != nullptr && libraryEnc != nullptr && std::strchr(libraryEnc, 'E') != nullptr) {
            std::free(grid);
            enc.assign(libraryEnc);
            for (char& c : enc)
                if (c == 'E')
                    c = 'A';
            W = width;
            H = height;
            lenp = maxp = eccp = 0;
            encPtr = enc.data();
            grid = iec16022ecc200(&W, &H, &encPtr, static_cast<int>(data.size()), bytes, &lenp, &maxp, &eccp);
        }
    }
    const bool fromLibrary = grid != nullptr && W > 0 && H > 0;
    bool ok = fromLibrary;
    if (ok) {
        out->W = W;
        out->H = H;
        out->grid.assign(grid, grid + static_cast<size_t>(W) * static_cast<size_t>(H));
        out->encodedLength = lenp;
        out->capacity = maxp;
        out->eccBytes = eccp;
        out->encoding = enc.empty() && libraryEnc ? std::string(libraryEnc) : enc;
    } else if (data.size() > 0 && takesBase256(encodingTitle)) {
        // Base256 as asked, or for an automatic value the library's
        // encodations cannot fit (bytes above 127 take two ASCII codewords).
        Symbol b;
        ok = encodeBase256(data, width, height, &b);
        if (ok || base256) {
            *out = b;
            W = b.W;
            H = b.H;
            lenp = b.encodedLength;
            maxp = b.capacity;
            eccp = b.eccBytes;
            enc = b.encoding;
        }
    }
    libraryTurn.unlock();
    std::free(grid);
    std::free(libraryEnc);

    if (fromLibrary && W == 144 && H == 144)
        reorderEcc144(out->grid.data());
    if (!ok)
        *out = Symbol{};
    if (!ok && report) {
        const std::string value(data.constData(), static_cast<size_t>(data.size()));
        std::fputs("No barcode produced\n", stderr);
        std::fflush(stderr);
        std::printf("Size    : %dx%d\n", W, H);
        std::printf("Encoded : %d of %d bytes with %d bytes of ecc\n", lenp, maxp, eccp);
        std::printf("Barcode : %s\n", value.c_str());
        std::printf("Encoding: %s\n", enc.c_str());
        std::fflush(stdout);
    }
    return ok;
}

bool fits(const QByteArray& data, int width, int height, const QString& encodingTitle)
{
    const bool base256 = encodingTitle == QLatin1String("Base256");
    if (const SymbolSize* size = sizeOf(width, height); size != nullptr && !data.isEmpty()) {
        // Base256, which an automatic value falls back on, takes the latch,
        // the length and the bytes.
        if (takesBase256(encodingTitle) && data.size() + 2 <= size->data)
            return true;
        if (base256 || leastCodewords(data) > size->data)
            return false;
    }
    Symbol symbol;
    return encode(data, width, height, encodingTitle, &symbol, false);
}

QByteArray makeEPS(const QByteArray& text, int W, int H, const uint8_t* grid)
{
    QByteArray eps;
    if (W <= 0 || H <= 0 || grid == nullptr)
        return eps;
    // A line break in the comment would end it and run the rest as PostScript.
    QByteArray data = text;
    data.replace('\r', ' ').replace('\n', ' ');
    const QByteArray w = QByteArray::number(W), h = QByteArray::number(H);
    eps += "%!PS-Adobe-3.0 EPSF-3.0\n%%Creator: IEC16022 barcode/stamp generator\n%%BarcodeData: ";
    eps += data;
    eps += "\n%%BarcodeSize: " + w + "x" + h
        + "\n%%BarcodeFormat: ECC200\n%%DocumentData: Clean7Bit\n%%LanguageLevel: 1\n%%Pages: 1\n";
    eps += "%%BoundingBox: 0 0 " + QByteArray::number(W + 2) + " " + QByteArray::number(H + 2)
        + "\n%%EndComments\n%%Page: 1 1\n" + w + " " + h + " 1[1 0 0 1 -1 -1]{<\n";

    static const char hex[] = "0123456789ABCDEF";
    int items = 0;
    for (int y = 0; y < H; ++y) {
        const uint8_t* row = grid + static_cast<size_t>(y) * static_cast<size_t>(W);
        for (int x = 0; x < W; x += 8) {
            unsigned byte = 0;
            for (int b = 0; b < 8; ++b)
                if (x + b < W && row[x + b])
                    byte |= 0x80u >> b;
            byte ^= 0xFF;
            eps += hex[byte >> 4];
            eps += hex[byte & 15];
            ++items;
        }
        eps += ' ';
        ++items;
        if (items >= 80) {
            eps += '\n';
            items = 0;
        }
    }
    if (items != 0)
        eps += '\n';
    eps += "\n>}image\n";
    return eps;
}

QImage raster(int W, int H, const uint8_t* grid)
{
    if (W <= 0 || H <= 0 || grid == nullptr)
        return {};
    QImage image(W + 2, H + 2, QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    image.fill(Qt::transparent);
    const QRgb dark = qRgba(0, 0, 0, 255), light = qRgba(255, 255, 255, 255);
    for (int y = 0; y < H; ++y) {
        const uint8_t* row = grid + static_cast<size_t>(y) * static_cast<size_t>(W);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(H - y));   // row 0 is the bottom
        for (int x = 0; x < W; ++x)
            line[x + 1] = row[x] ? dark : light;
    }
    return image;
}

} // namespace ecc200
