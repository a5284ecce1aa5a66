// TIFF pictures read through libtiff straight into the row scaler: the
// common kinds (grey, RGB, palette and CMYK samples) in strips of one plane
// row by row with the codec's own sequential reading, so a huge canvas in one
// compressed strip costs one row, and in tiles a row of tiles at a time;
// every other kind (strips in separate planes, YCbCr, odd sample sizes)
// through libtiff's RGBA reader in bands of whole strips or tiles. A file is
// read, never mapped: another program may cut it while it is read.
#include "platform/picture/reader.h"
#include "platform/picture/row_scaler.h"

#include <QBuffer>
#include <tiffio.h>

namespace platform::picture {
namespace {

// Most bytes of libtiff's own buffers beside the picture (a strip or a
// tile as stored or decoded).
constexpr qint64 kBufferBytes = 64LL * 1024 * 1024;

// Rows of a band read by libtiff's RGBA reader at most take this much: with
// the largest picture decoded (64 MB) within 100 MB.
constexpr qint64 kBandBytes = 32LL * 1024 * 1024;
// A strip or tile taller than a band is decoded once per band it spans:
// up to this many times.
constexpr quint32 kMaxBandsPerStrip = 8;

struct TiffSource {
    QIODevice* device = nullptr;
    QString message;
    bool failed = false; // libtiff reported an error
};

tmsize_t tiffRead(thandle_t handle, void* data, tmsize_t size)
{
    return tmsize_t(static_cast<TiffSource*>(handle)->device->read(static_cast<char*>(data), qint64(size)));
}

tmsize_t tiffWrite(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t tiffSeek(thandle_t handle, toff_t offset, int whence)
{
    QIODevice* device = static_cast<TiffSource*>(handle)->device;
    qint64 at = qint64(offset);
    if (whence == SEEK_CUR)
        at += device->pos();
    else if (whence == SEEK_END)
        at += device->size();
    if (at < 0 || !device->seek(at))
        return toff_t(-1);
    return toff_t(at);
}

int tiffClose(thandle_t)
{
    return 0;
}

toff_t tiffSize(thandle_t handle)
{
    return toff_t(static_cast<TiffSource*>(handle)->device->size());
}

// Bytes in memory are handed over as they are (libtiff 4.5 reads some
// uncompressed tiles only from data it sees in memory); a file is not mapped.
int tiffMap(thandle_t handle, void** base, toff_t* size)
{
    auto* buffer = qobject_cast<QBuffer*>(static_cast<TiffSource*>(handle)->device);
    if (!buffer)
        return 0;
    *base = const_cast<char*>(buffer->data().constData());
    *size = toff_t(buffer->data().size());
    return 1;
}

void tiffUnmap(thandle_t, void*, toff_t) {}

int tiffError(TIFF*, void* user, const char* module, const char* format, va_list args)
{
    auto* source = static_cast<TiffSource*>(user);
    source->failed = true;
    if (source->message.isEmpty()) {
        char text[512];
        std::vsnprintf(text, sizeof text, format, args);
        source->message = QString::fromLocal8Bit(text);
        if (module && *module)
            source->message = QString::fromLocal8Bit(module) + QStringLiteral(": ") + source->message;
    }
    return 1;
}

int tiffWarning(TIFF*, void*, const char*, const char*, va_list)
{
    return 1;
}

// Opens the TIFF on device (at its start) with libtiff's allocations
// bounded; null with the reason in source->message.
TIFF* openTiff(TiffSource* source)
{
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, tiffError, source);
    TIFFOpenOptionsSetWarningHandlerExtR(options, tiffWarning, source);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(kBufferBytes));
    TIFF* tiff = TIFFClientOpenExt("picture", "r", source, tiffRead, tiffWrite, tiffSeek, tiffClose, tiffSize,
                                   tiffMap, tiffUnmap, options);
    TIFFOpenOptionsFree(options);
    if (!tiff && source->message.isEmpty())
        source->message = QStringLiteral("it is not a TIFF picture libtiff can open");
    return tiff;
}

// What the first directory says: size as stored, orientation, resolution
// (0 when none or not sane).
CodecHeader header(TIFF* tiff)
{
    CodecHeader header;
    uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    header.stored = QSize(int(std::min<uint32_t>(width, INT_MAX)), int(std::min<uint32_t>(height, INT_MAX)));
    uint16_t orientation = ORIENTATION_TOPLEFT;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_ORIENTATION, &orientation);
    header.orientation = orientation;
    float x = 0, y = 0;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    const double perMetre = unit == RESUNIT_INCH ? 1 / 0.0254 : unit == RESUNIT_CENTIMETER ? 100.0 : 0.0;
    if (TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x))
        header.dpmX = saneDotsPerMeter(double(x) * perMetre);
    if (TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y))
        header.dpmY = saneDotsPerMeter(double(y) * perMetre);
    return header;
}

// Samples of one plane, row by row, turned into 8-bit rows of the scaler.
struct RowLayout {
    uint16_t photometric = 0, bits = 0, samples = 0;
    bool separate = false; // each sample in a plane of its own (tiles only)
    int colours = 0;    // colour samples per pixel (1 grey, 3 RGB, 4 CMYK, 1 palette index)
    bool alpha = false; // the sample after the colours is alpha
    bool associated = false;
    std::vector<uchar> palette; // RGB of each index
};

// Whether the row reader takes the picture; fills the layout.
bool rowLayout(TIFF* tiff, RowLayout* layout)
{
    uint16_t planar = PLANARCONFIG_CONTIG, format = SAMPLEFORMAT_UINT, extraCount = 0;
    uint16_t* extra = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &layout->bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &layout->samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extra);
    if (!TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &layout->photometric))
        return false;
    // Strips in separate planes go to the RGBA reader, and so do strips of
    // JBIG, whose codec decodes whole strips only; tiles are read here in
    // either layout.
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    layout->separate = planar == PLANARCONFIG_SEPARATE;
    if ((!TIFFIsTiled(tiff) && (layout->separate || compression == COMPRESSION_JBIG)) || format != SAMPLEFORMAT_UINT)
        return false;
    const uint16_t bits = layout->bits;
    switch (layout->photometric) {
    case PHOTOMETRIC_MINISBLACK:
    case PHOTOMETRIC_MINISWHITE:
        layout->colours = 1;
        if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16)
            return false;
        break;
    case PHOTOMETRIC_RGB:
        layout->colours = 3;
        break;
    case PHOTOMETRIC_SEPARATED: {
        uint16_t inks = INKSET_CMYK;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_INKSET, &inks);
        if (inks != INKSET_CMYK)
            return false;
        layout->colours = 4;
        break;
    }
    case PHOTOMETRIC_PALETTE: {
        layout->colours = 1;
        if (bits != 1 && bits != 2 && bits != 4 && bits != 8)
            return false;
        uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
        if (!TIFFGetField(tiff, TIFFTAG_COLORMAP, &r, &g, &b))
            return false;
        const size_t n = size_t(1) << bits;
        // Some writers store 8-bit entries in the 16-bit table.
        bool eight = true;
        for (size_t i = 0; i < n; ++i)
            eight = eight && r[i] < 256 && g[i] < 256 && b[i] < 256;
        const int shift = eight ? 0 : 8;
        layout->palette.resize(n * 3);
        for (size_t i = 0; i < n; ++i) {
            layout->palette[i * 3] = uchar(r[i] >> shift);
            layout->palette[i * 3 + 1] = uchar(g[i] >> shift);
            layout->palette[i * 3 + 2] = uchar(b[i] >> shift);
        }
        break;
    }
    default:
        return false;
    }
    if (layout->colours > 1 && bits != 8 && bits != 16)
        return false;
    if (layout->samples < layout->colours || layout->samples > layout->colours + 8)
        return false;
    // A fourth sample of RGB with no extra-samples tag is associated alpha,
    // as libtiff's own reader takes it.
    if (layout->samples > layout->colours) {
        const uint16_t kind = extraCount > 0 && extra ? extra[0]
            : (layout->photometric == PHOTOMETRIC_RGB && layout->samples == 4) ? EXTRASAMPLE_ASSOCALPHA
                                                                              : EXTRASAMPLE_UNSPECIFIED;
        layout->alpha = kind == EXTRASAMPLE_ASSOCALPHA || kind == EXTRASAMPLE_UNASSALPHA;
        layout->associated = kind == EXTRASAMPLE_ASSOCALPHA;
    }
    // Palette pictures with alpha are rare: the RGBA reader takes them; so
    // do separate planes of samples smaller than a byte.
    if (layout->separate && layout->samples > 1 && bits != 8 && bits != 16)
        return false;
    return !(layout->photometric == PHOTOMETRIC_PALETTE && layout->samples > 1);
}

int scalerChannels(const RowLayout& l)
{
    const int colour = l.colours == 1 && l.photometric != PHOTOMETRIC_PALETTE ? 1 : 3;
    return colour + (l.alpha ? 1 : 0);
}

// One decoded row of samples into the scaler's row.
void convertRow(const RowLayout& l, const uchar* in, quint32 width, uchar* out)
{
    const int samples = l.samples;
    if (l.colours == 1) {
        // Grey or palette samples of 1 to 16 bits.
        const bool white = l.photometric == PHOTOMETRIC_MINISWHITE;
        const int bits = l.bits;
        const quint32 max = (1u << std::min(bits, 8)) - 1;
        for (quint32 x = 0; x < width; ++x) {
            quint32 v;
            if (bits == 16) {
                v = reinterpret_cast<const uint16_t*>(in)[size_t(x) * size_t(samples)] >> 8;
            } else if (bits == 8) {
                v = in[size_t(x) * size_t(samples)];
            } else {
                const size_t bit = size_t(x) * size_t(samples) * size_t(bits);
                v = (in[bit / 8] >> (8 - bits - int(bit % 8))) & max;
            }
            if (l.photometric == PHOTOMETRIC_PALETTE) {
                std::memcpy(out, l.palette.data() + size_t(v) * 3, 3);
                out += 3;
                continue;
            }
            v = v * 255 / max;
            *out++ = uchar(white ? 255 - v : v);
            if (l.alpha) {
                const quint32 a = bits == 16 ? reinterpret_cast<const uint16_t*>(in)[size_t(x) * size_t(samples) + 1] >> 8
                    : bits == 8              ? in[size_t(x) * size_t(samples) + 1]
                                             : 255;
                // Associated grey is stored multiplied: the scaler takes
                // straight grey.
                if (l.associated && a > 0 && a < 255)
                    out[-1] = uchar(std::min<quint32>(255, (quint32(out[-1]) * 255 + a / 2) / a));
                *out++ = uchar(a);
            }
        }
        return;
    }
    auto sample = [&](quint32 x, int s) -> quint32 {
        const size_t at = size_t(x) * size_t(samples) + size_t(s);
        return l.bits == 16 ? quint32(reinterpret_cast<const uint16_t*>(in)[at] >> 8) : quint32(in[at]);
    };
    for (quint32 x = 0; x < width; ++x) {
        if (l.colours == 4) {
            const quint32 k = 255 - sample(x, 3);
            *out++ = uchar((255 - sample(x, 0)) * k / 255);
            *out++ = uchar((255 - sample(x, 1)) * k / 255);
            *out++ = uchar((255 - sample(x, 2)) * k / 255);
        } else {
            *out++ = uchar(sample(x, 0));
            *out++ = uchar(sample(x, 1));
            *out++ = uchar(sample(x, 2));
        }
        if (l.alpha)
            *out++ = uchar(sample(x, l.colours));
    }
}

// The rows of one row of tiles, at most.
uint32_t tileRows(TIFF* tiff)
{
    uint32_t rows = 0;
    TIFFGetField(tiff, TIFFTAG_TILELENGTH, &rows);
    return rows;
}

// The bytes of a row of pixels with every sample beside the others.
qint64 chunkyRowBytes(TIFF* tiff)
{
    uint16_t planar = PLANARCONFIG_CONTIG, samples = 1;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    return cappedProduct(qint64(TIFFScanlineSize64(tiff)), planar == PLANARCONFIG_SEPARATE ? samples : 1);
}

// The memory libtiff and the reader take beside the picture: a strip or
// tile as stored and decoded, and a band of rows (a row of tiles).
qint64 workBytes(TIFF* tiff, uint32_t width)
{
    const qint64 block = std::min<qint64>(TIFFIsTiled(tiff) ? TIFFTileSize64(tiff) : TIFFStripSize64(tiff), kBufferBytes);
    qint64 band = block * 4;
    if (TIFFIsTiled(tiff))
        band = cappedProduct(std::max(qint64(width) * 4, chunkyRowBytes(tiff)), tileRows(tiff));
    return 2 * block + std::min(kBandBytes, band) + qint64(width) * 8;
}

// Bytes from the start that the first directory names: its entries, the
// values they point at and the strips or tiles.
qint64 tiffExtent(TIFF* tiff, QIODevice& device)
{
    const bool big = TIFFIsBigTIFF(tiff), swapped = TIFFIsByteSwapped(tiff);
    auto number = [swapped](const QByteArray& bytes, qsizetype at, int width) {
        quint64 v = 0;
        for (int i = 0; i < width; ++i) {
            const int from = swapped ? i : width - 1 - i; // the host is little-endian
            v = v << 8 | uchar(bytes[at + from]);
        }
        return v;
    };
    const quint64 directory = TIFFCurrentDirOffset(tiff);
    const int countWidth = big ? 8 : 2, entryWidth = big ? 20 : 12, valueWidth = big ? 8 : 4;
    if (!device.seek(qint64(directory)))
        return -1;
    const quint64 entries = number(device.read(countWidth).leftJustified(countWidth, '\0'), 0, countWidth);
    if (entries > 65535)
        return -1;
    const QByteArray table = device.read(qint64(entries) * entryWidth);
    if (table.size() < qsizetype(entries) * entryWidth)
        return -1;
    // Offsets and counts as BigTIFF stores them may pass any file.
    auto capped = [](quint64 v) { return qint64(std::min<quint64>(v, quint64(std::numeric_limits<qint64>::max()))); };
    qint64 end = cappedSum(capped(directory), countWidth + qint64(entries) * entryWidth + valueWidth);
    static const int kTypeBytes[19] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4, 0, 0, 8, 8, 8};
    for (quint64 i = 0; i < entries; ++i) {
        const qsizetype at = qsizetype(i) * entryWidth;
        const quint64 type = number(table, at + 2, 2), count = number(table, at + 4, valueWidth);
        const qint64 bytes = cappedProduct(capped(count), type < 19 ? kTypeBytes[type] : 1);
        if (bytes > valueWidth)
            end = std::max(end, cappedSum(capped(number(table, at + 4 + valueWidth, valueWidth)), bytes));
    }
    const uint32_t blocks = TIFFIsTiled(tiff) ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
    for (uint32_t b = 0; b < blocks; ++b)
        end = std::max(end, cappedSum(capped(TIFFGetStrileOffset(tiff, b)), capped(TIFFGetStrileByteCount(tiff, b))));
    return std::min(end, device.size());
}

// The tiles of a picture as the tile reader below takes them.
struct Tiles {
    uint32_t width = 0, height = 0; // of a tile
    qint64 bytes = 0, lineBytes = 0; // of a tile and of a row in it
    qint64 bandLineBytes = 0;        // of a row of the picture, every sample beside the others
    int pixelBits = 0;               // of a pixel in one plane
};

// Whether the tile reader takes the tiles of a picture the row reader's
// layout takes: tiles that start on whole bytes of a row (their width is a
// multiple of 16 in every writer's files) and bands within the bounds.
bool tilesOf(TIFF* tiff, const RowLayout& layout, Tiles* tiles)
{
    TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tiles->width);
    tiles->height = tileRows(tiff);
    tiles->bytes = TIFFTileSize64(tiff);
    tiles->lineBytes = TIFFTileRowSize64(tiff);
    tiles->bandLineBytes = chunkyRowBytes(tiff);
    tiles->pixelBits = layout.bits * (layout.separate ? 1 : layout.samples);
    return tiles->width > 0 && tiles->height > 0 && qint64(tiles->width) * tiles->pixelBits % 8 == 0
        && tiles->bytes > 0 && tiles->bytes <= kBufferBytes && tiles->bandLineBytes > 0
        && cappedProduct(tiles->bandLineBytes, tiles->height) <= kBandBytes;
}

// Tiles a row of tiles at a time: each tile decoded once by the codec into
// a band of whole rows with every sample beside the others, then row by row
// into the scaler. The rows read before a tile that cannot be decoded.
uint32_t readTiles(TIFF* tiff, const RowLayout& layout, const Tiles& t, uint32_t width, uint32_t height,
                   RowScaler& scaler)
{
    std::vector<uchar> band(size_t(t.bandLineBytes * t.height)), tile(size_t(t.bytes));
    const int planes = layout.separate ? layout.samples : 1;
    const size_t sampleBytes = layout.bits / 8, pixelBytes = sampleBytes * layout.samples;
    for (uint32_t y = 0; y < height; y += t.height) {
        const uint32_t rows = std::min(t.height, height - y);
        for (int plane = 0; plane < planes; ++plane) {
            for (uint32_t x = 0; x < width; x += t.width) {
                if (TIFFReadEncodedTile(tiff, TIFFComputeTile(tiff, x, y, 0, uint16_t(plane)), tile.data(),
                                        tmsize_t(t.bytes)) < 0)
                    return y;
                const uint32_t columns = std::min(t.width, width - x);
                for (uint32_t r = 0; r < rows; ++r) {
                    const uchar* in = tile.data() + size_t(r) * size_t(t.lineBytes);
                    uchar* out = band.data() + size_t(r) * size_t(t.bandLineBytes);
                    if (!layout.separate) {
                        std::memcpy(out + size_t(x) * size_t(t.pixelBits) / 8, in,
                                    (size_t(columns) * size_t(t.pixelBits) + 7) / 8);
                        continue;
                    }
                    out += size_t(x) * pixelBytes + size_t(plane) * sampleBytes;
                    for (uint32_t c = 0; c < columns; ++c, in += sampleBytes, out += pixelBytes)
                        std::memcpy(out, in, sampleBytes);
                }
            }
        }
        for (uint32_t r = 0; r < rows; ++r) {
            convertRow(layout, band.data() + size_t(r) * size_t(t.bandLineBytes), width, scaler.row());
            scaler.addRow();
        }
    }
    return height;
}

class TiffReader final : public Reader {
public:
    CodecHeader header(QIODevice& device) const override
    {
        TiffSource source;
        source.device = &device;
        TIFF* tiff = openTiff(&source);
        if (!tiff) {
            CodecHeader failed;
            failed.error = QStringLiteral("its TIFF header cannot be read (%1)").arg(source.message);
            return failed;
        }
        CodecHeader read = picture::header(tiff);
        read.workBytes = workBytes(tiff, uint32_t(read.stored.width()));
        TIFFClose(tiff);
        return read;
    }

    Decoded decode(QIODevice& device, const CodecHeader& expected, QSize target) const override
    {
        TiffSource source;
        source.device = &device;
        TIFF* tiff = openTiff(&source);
        if (!tiff)
            return failed(QStringLiteral("its TIFF data cannot be read (%1)").arg(source.message));
        Decoded result = read(tiff, source, expected, target);
        TIFFClose(tiff);
        if (result.image.isNull())
            result.error = QStringLiteral("its TIFF data cannot be read (%1)").arg(result.error);
        return result;
    }

    qint64 extent(QIODevice& device) const override
    {
        TiffSource source;
        source.device = &device;
        TIFF* tiff = openTiff(&source);
        if (!tiff)
            return -1;
        const qint64 end = tiffExtent(tiff, device);
        TIFFClose(tiff);
        return end;
    }

private:
    static Decoded read(TIFF* tiff, TiffSource& source, const CodecHeader& expected, QSize target)
    {
        source.failed = false; // errors from here on damage the picture
        const CodecHeader head = picture::header(tiff);
        if (head.stored != expected.stored || workBytes(tiff, uint32_t(head.stored.width())) > expected.workBytes)
            return changed();
        const uint32_t width = uint32_t(head.stored.width()), height = uint32_t(head.stored.height());
        // The rows are scaled as stored and turned by the scaler.
        if (turnsQuarter(head.orientation))
            target.transpose();
        auto fail = [&](const QString& fallback) { return failed(source.message.isEmpty() ? fallback : source.message); };
        RowScaler scaler;
        scaler.orient(head.orientation);
        // What was read before the data ended or a strip or tile could not be
        // decoded is shown, and said to be damaged.
        auto finish = [&](uint32_t rowsRead) {
            if (rowsRead == 0)
                return fail(QStringLiteral("its data is damaged at row 0"));
            return Decoded{scaler.finish(head.dpmX, head.dpmY), QString(), rowsRead < height || source.failed};
        };
        RowLayout layout;
        Tiles tiles;
        QString why;
        const bool byRows = rowLayout(tiff, &layout);
        if (byRows && TIFFIsTiled(tiff) && tilesOf(tiff, layout, &tiles)) {
            if (!scaler.start(width, height, scalerChannels(layout), target, layout.associated, &why))
                return fail(why);
            return finish(readTiles(tiff, layout, tiles, width, height, scaler));
        }
        if (byRows && !TIFFIsTiled(tiff)) {
            const tmsize_t lineBytes = TIFFScanlineSize(tiff);
            if (lineBytes <= 0 || lineBytes > kRowBytes)
                return fail(QStringLiteral("its rows of %1 pixels take more than %2 MB").arg(width).arg(kRowBytes >> 20));
            if (!scaler.start(width, height, scalerChannels(layout), target, layout.associated, &why))
                return fail(why);
            std::vector<uchar> line(size_t(lineBytes) + 8);
            for (uint32_t y = 0; y < height; ++y) {
                if (TIFFReadScanline(tiff, line.data(), y, 0) < 0)
                    return finish(y);
                convertRow(layout, line.data(), width, scaler.row());
                scaler.addRow();
            }
            return finish(height);
        }
        char reason[1024] = {};
        if (!TIFFRGBAImageOK(tiff, reason))
            return fail(QStringLiteral("its kind of TIFF is not read (%1)").arg(QString::fromLocal8Bit(reason)));
        uint32_t blockRows = height;
        if (TIFFIsTiled(tiff))
            TIFFGetField(tiff, TIFFTAG_TILELENGTH, &blockRows);
        else
            TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &blockRows);
        blockRows = std::clamp<uint32_t>(blockRows, 1, height);
        // Bands of whole strips or tiles, so each is decoded once; taller
        // ones are read in several bands.
        const quint32 bandLimit = quint32(std::max<qint64>(1, kBandBytes / (qint64(width) * 4)));
        quint32 bandRows = blockRows;
        if (bandRows > bandLimit) {
            const quint32 parts = (blockRows + bandLimit - 1) / bandLimit;
            if (parts > kMaxBandsPerStrip)
                return fail(QStringLiteral("its %1 of %2 x %3 pixels are too large to read")
                                .arg(TIFFIsTiled(tiff) ? QStringLiteral("tiles") : QStringLiteral("strips"))
                                .arg(width).arg(blockRows));
            bandRows = (blockRows + parts - 1) / parts;
        }
        TIFFRGBAImage image {};
        // Stopping at the first strip or tile that cannot be read: the
        // rows before it are shown, none drawn from an empty buffer.
        if (!TIFFRGBAImageBegin(&image, tiff, 1, reason))
            return fail(QStringLiteral("its kind of TIFF is not read (%1)").arg(QString::fromLocal8Bit(reason)));
        // Rows as stored: the scaler turns them.
        image.req_orientation = image.orientation;
        if (qint64(width) * bandRows * 4 > kBandBytes || !scaler.start(width, height, 4, target, true, &why)) {
            TIFFRGBAImageEnd(&image);
            return fail(why.isEmpty() ? QStringLiteral("its rows of %1 pixels take more than %2 MB")
                                            .arg(width).arg(kBandBytes >> 20)
                                      : why);
        }
        std::vector<uint32_t> band(size_t(width) * bandRows);
        for (uint32_t y = 0; y < height; y += bandRows) {
            const uint32_t rows = std::min(bandRows, height - y);
            image.row_offset = int(y);
            image.col_offset = 0;
            if (!TIFFRGBAImageGet(&image, band.data(), width, rows)) {
                TIFFRGBAImageEnd(&image);
                return finish(y);
            }
            for (uint32_t r = 0; r < rows; ++r) {
                // Packed A, B, G, R: bytes R, G, B, A in memory.
                const uint32_t* in = band.data() + size_t(r) * width;
                uchar* out = scaler.row();
                for (uint32_t x = 0; x < width; ++x, out += 4) {
                    const uint32_t p = in[x];
                    out[0] = uchar(TIFFGetR(p));
                    out[1] = uchar(TIFFGetG(p));
                    out[2] = uchar(TIFFGetB(p));
                    out[3] = uchar(TIFFGetA(p));
                }
                scaler.addRow();
            }
        }
        TIFFRGBAImageEnd(&image);
        return finish(height);
    }
};

} // namespace

const Reader& tiffReader()
{
    static const TiffReader reader;
    return reader;
}

} // namespace platform::picture
