#pragma once
// Two things that share the name: class DataMatrix, the square matrix of QR
// modules (x from the left, y from the top; 1 dark, 0 light) that the QR
// front end hands from the encoder to the painter; and namespace ecc200, the
// Data Matrix symbology through libiec16022.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

class DataMatrix
{
public:
    explicit DataMatrix(int64_t dimension);

    void set(int8_t value, int64_t x, int64_t y);
    int8_t valueAt(int64_t x, int64_t y) const;
    int64_t dimension() const { return _dimension; }
    // One line per row, each cell written as a number, each line ended by "\n".
    QString description() const;

private:
    int64_t _dimension = 0;
    std::vector<int8_t> _data;   // row-major, _dimension x _dimension
};

// ---------------------------------------------------------------------------
// Data Matrix (ECC200) symbols through libiec16022.

namespace ecc200 {

// Largest value the library takes, in bytes (its MAXBARCODE).
constexpr int kMaxBytes = 3116;

struct Symbol
{
    int W = 0;                    // width in modules (columns)
    int H = 0;                    // height in modules (rows)
    std::vector<uint8_t> grid;    // W x H, row 0 = bottom row, non-zero dark
    int encodedLength = 0;
    int capacity = 0;
    int eccBytes = 0;
    std::string encoding;         // the encodation string passed ("" for the library's choice)
};

// The per-byte encodation string for a designer title ("Auto", "Ascii",
// "C40", "Text", "Base256"); empty for Auto. The letters are those the
// library reads correctly: C40 and Text cover the longest prefix that fills
// whole value triples and ASCII the rest; Auto with a byte above 127 becomes
// ASCII throughout. Base256 gives the letter B throughout: those symbols are
// made here, not by the library.
std::string encodationFor(const QString& title, const QByteArray& data);

// Size from a designer title: "C<rows>X<columns>" gives (columns, rows);
// "Auto", nothing or a title without "X" gives (0, 0).
void sizeFromTitle(const QString& title, int* width, int* height);

// Encodes; false after printing the library's reason and, when `report` is
// set, the diagnostic lines ("No barcode produced" on stderr, size, counts,
// data and encodation on stdout). Base256, and an Auto value that the
// library's encodations do not fit, are encoded here (latch, length,
// randomised bytes) with the library's Reed-Solomon coder. All memory the library hands out is freed
// on every path. A 144 x 144 result gets its error correction codewords in
// the standard's interleave (the library's own order is unreadable). The
// library is not known to be re-entrant: calls into it take turns.
bool encode(const QByteArray& data, int width, int height, const QString& encodingTitle, Symbol* out,
            bool report = true);
// True when encode takes the data at this size (0 x 0 any) and encodation;
// quiet, and without the library where the codeword count alone decides.
bool fits(const QByteArray& data, int width, int height, const QString& encodingTitle);

// The Encapsulated PostScript text of a symbol (grid row 0 at the bottom).
QByteArray makeEPS(const QByteArray& text, int W, int H, const uint8_t* grid);

// The (W + 2) x (H + 2) raster of a symbol, top row first, one transparent
// unit around the modules; dark modules opaque black, light opaque white.
QImage raster(int W, int H, const uint8_t* grid);

} // namespace ecc200
