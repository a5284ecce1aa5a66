#include "barcode/DataMatrix.h"

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

#include "app/AppHelpers.h"

#include <QColor>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <iec16022ecc200.h>
}

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

bool encode(const QByteArray& data, int width, int height, const QString& encodingTitle, Symbol* out)
{
    *out = Symbol{};
    std::string enc = encodationFor(encodingTitle, data);
    int W = width, H = height, lenp = 0, maxp = 0, eccp = 0;
    unsigned char* grid = nullptr;
    char* libraryEnc = nullptr;   // the library's own pick, malloc'ed by it

    if (data.size() > 0 && data.size() < kMaxBytes) {
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

    // The library's 144 x 144 symbols use a block interleave that no reader
    // takes (every value fails to decode): refused like a value that does not fit.
    const bool unreadable = grid != nullptr && W == 144 && H == 144;
    if (unreadable)
        std::fputs("Size 144x144 is not supported\n", stderr);
    const bool ok = grid != nullptr && W > 0 && H > 0 && !unreadable;
    if (ok) {
        out->W = W;
        out->H = H;
        out->grid.assign(grid, grid + static_cast<size_t>(W) * static_cast<size_t>(H));
        out->encodedLength = lenp;
        out->capacity = maxp;
        out->eccBytes = eccp;
        out->encoding = enc.empty() && libraryEnc ? std::string(libraryEnc) : enc;
    } else {
        const std::string value(data.constData(), static_cast<size_t>(data.size()));
        std::fputs("No barcode produced\n", stderr);
        std::fflush(stderr);
        std::printf("Size    : %dx%d\n", W, H);
        std::printf("Encoded : %d of %d bytes with %d bytes of ecc\n", lenp, maxp, eccp);
        std::printf("Barcode : %s\n", value.c_str());
        std::printf("Encoding: %s\n", enc.c_str());
        std::fflush(stdout);
    }
    std::free(grid);
    std::free(libraryEnc);
    return ok;
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
