#include "platform/picture_decode.h"

#include <QBuffer>
#include <QImageReader>
#include <QMutex>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <list>
#include <memory>
#include <png.h>
#include <vector>

namespace platform {
namespace {

QImage refuse(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return {};
}

// Recently decoded bytes and their pictures, most recent first.
struct Decoded {
    QByteArray bytes;
    QByteArray format;
    QImage image;
    QString error;
};
QMutex gDecodedMutex;
std::list<Decoded> gDecoded;
constexpr size_t kDecodedEntries = 32;
constexpr qint64 kDecodedBytes = 256LL * 1024 * 1024;

// Qt's PNG reader decodes at full size before it scales. This one reads a
// PNG row by row and averages the rows into the target size (a box filter
// over premultiplied pixels): memory for the target picture and one row.
// Interlaced pictures are left to Qt (their rows come in several passes).
struct PngState {
    QIODevice* device = nullptr;
    QString message;
    bool interlaced = false;
    int channels = 0;
    std::vector<uchar> row;
    std::vector<quint32> sums;     // per target column: premultiplied B, G, R and A
    std::vector<int> column;       // target column of each source column
    std::vector<quint32> perColumn; // source columns per target column
    std::vector<float> inverse;     // 1 / perColumn
    QImage image;
};

void pngRead(png_structp png, png_bytep data, size_t length)
{
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (state->device->read(reinterpret_cast<char*>(data), qint64(length)) != qint64(length))
        png_error(png, "the picture data ends early");
}

void pngError(png_structp png, png_const_charp message)
{
    static_cast<PngState*>(png_get_error_ptr(png))->message = QString::fromLatin1(message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// Writes the averages of one target row. Grey pictures sum one channel,
// opaque ones no alpha.
void emitRow(PngState& s, int y, quint32 rows)
{
    auto* out = reinterpret_cast<quint32*>(s.image.scanLine(y));
    const float perRow = 1.0f / float(rows);
    const bool grey = s.channels <= 2, opaque = s.channels == 1 || s.channels == 3;
    for (int x = 0; x < s.image.width(); ++x) {
        const float scale = s.inverse[size_t(x)] * perRow;
        const quint32* sum = &s.sums[size_t(x) * 4];
        auto average = [&](int c) { return std::min(quint32(float(sum[c]) * scale + 0.5f), quint32(255)); };
        const quint32 b = average(0);
        const quint32 g = grey ? b : average(1);
        const quint32 r = grey ? b : average(2);
        const quint32 alpha = opaque ? 255 : average(3);
        out[x] = alpha << 24 | r << 16 | g << 8 | b;
    }
    std::fill(s.sums.begin(), s.sums.end(), 0);
}

// Adds one decoded row (grey, grey and alpha, RGB or RGBA, 8 bits) to the
// sums of its target row, premultiplied.
void accumulateRow(PngState& s)
{
    const uchar* p = s.row.data();
    const int* column = s.column.data();
    quint32* sums = s.sums.data();
    const size_t width = s.column.size();
    auto premultiplied = [](quint32 c, quint32 a) { return a == 255 ? c : (c * a + 127) / 255; };
    switch (s.channels) {
    case 1:
        for (size_t x = 0; x < width; ++x, ++p)
            sums[size_t(column[x]) * 4] += p[0];
        break;
    case 2:
        for (size_t x = 0; x < width; ++x, p += 2) {
            quint32* sum = sums + size_t(column[x]) * 4;
            sum[0] += premultiplied(p[0], p[1]);
            sum[3] += p[1];
        }
        break;
    case 3:
        for (size_t x = 0; x < width; ++x, p += 3) {
            quint32* sum = sums + size_t(column[x]) * 4;
            sum[0] += p[2];
            sum[1] += p[1];
            sum[2] += p[0];
        }
        break;
    default:
        for (size_t x = 0; x < width; ++x, p += 4) {
            quint32* sum = sums + size_t(column[x]) * 4;
            sum[0] += premultiplied(p[2], p[3]);
            sum[1] += premultiplied(p[1], p[3]);
            sum[2] += premultiplied(p[0], p[3]);
            sum[3] += p[3];
        }
        break;
    }
}

// Null with state->interlaced set when Qt should read it instead.
void readPngScaled(PngState* state, QSize target)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        state->message = QStringLiteral("out of memory");
        return;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        state->image = QImage();
        return;
    }
    png_set_read_fn(png, state, pngRead);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
    if (interlace != PNG_INTERLACE_NONE) {
        state->interlaced = true;
        png_destroy_read_struct(&png, &info, nullptr);
        return;
    }
    png_set_expand(png); // palette to RGB, grey below 8 bits to 8, transparency to alpha
    png_set_strip_16(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    state->channels = channels;
    const int tw = std::min(target.width(), int(width)), th = std::min(target.height(), int(height));
    state->image = QImage(tw, th, QImage::Format_ARGB32_Premultiplied);
    if (state->image.isNull() || channels < 1 || channels > 4 || png_get_rowbytes(png, info) != size_t(width) * channels)
        png_error(png, "the picture cannot be held");
    state->row.resize(size_t(width) * size_t(channels));
    state->sums.assign(size_t(tw) * 4, 0);
    state->column.resize(width);
    state->perColumn.assign(size_t(tw), 0);
    for (png_uint_32 x = 0; x < width; ++x) {
        state->column[x] = int(quint64(x) * quint64(tw) / width);
        ++state->perColumn[size_t(state->column[x])];
    }
    state->inverse.resize(size_t(tw));
    for (int x = 0; x < tw; ++x)
        state->inverse[size_t(x)] = 1.0f / float(state->perColumn[size_t(x)]);
    int current = 0;
    quint32 rows = 0;
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, state->row.data(), nullptr);
        const int ty = int(quint64(y) * quint64(th) / height);
        if (ty != current) {
            emitRow(*state, current, rows);
            current = ty;
            rows = 0;
        }
        ++rows;
        accumulateRow(*state);
    }
    emitRow(*state, current, rows);
    // The resolution is scaled with the pixels, so the size in points stays
    // that of the full picture (Qt's default resolution when it has none).
    png_uint_32 xres = png_uint_32(state->image.dotsPerMeterX()), yres = png_uint_32(state->image.dotsPerMeterY());
    int unit = 0;
    png_uint_32 fx = 0, fy = 0;
    if (png_get_pHYs(png, info, &fx, &fy, &unit) && unit == PNG_RESOLUTION_METER && fx > 0 && fy > 0) {
        xres = fx;
        yres = fy;
    }
    state->image.setDotsPerMeterX(std::max(1, int(std::lround(double(xres) * tw / width))));
    state->image.setDotsPerMeterY(std::max(1, int(std::lround(double(yres) * th / height))));
    png_destroy_read_struct(&png, &info, nullptr);
}

} // namespace

void setPictureAllocationLimit()
{
    QImageReader::setAllocationLimit(kPictureAllocationLimitMB);
}

namespace {

// Reads with Qt at the target size when one is set; formats that ignore it
// (or give no size in the header) are brought down to the limits here.
QImage readAndFit(QImageReader& reader, QSize target, int maxEdge, QString* error)
{
    if (target.isValid())
        reader.setScaledSize(target);
    QImage image = reader.read();
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return refuse(error, reader.errorString());
    const qint64 pixels = qint64(image.width()) * image.height();
    if (maxEdge > 0 && (image.width() > maxEdge || image.height() > maxEdge))
        target = image.size().scaled(maxEdge, maxEdge, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    else if (pixels > kMaxDecodePixels) {
        const double f = std::sqrt(double(kMaxDecodePixels) / double(pixels));
        target = QSize(std::max(1, int(image.width() * f)), std::max(1, int(image.height() * f)));
    } else
        target = QSize();
    if (target.isValid() && target != image.size()) {
        const int dx = image.dotsPerMeterX(), dy = image.dotsPerMeterY();
        const double fx = double(target.width()) / image.width(), fy = double(target.height()) / image.height();
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (dx > 0)
            image.setDotsPerMeterX(std::max(1, int(std::lround(dx * fx))));
        if (dy > 0)
            image.setDotsPerMeterY(std::max(1, int(std::lround(dy * fy))));
    }
    return image;
}

} // namespace

QImage readPicture(QImageReader& reader, QString* error, int maxEdge)
{
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    QSize target;
    if (full.isValid() && !full.isEmpty()) {
        const qint64 pixels = qint64(full.width()) * full.height();
        if (pixels > kMaxPicturePixels)
            return refuse(error, QStringLiteral("it declares %1 x %2 pixels, more than can be read")
                                     .arg(full.width()).arg(full.height()));
        if (pixels > kMaxDecodePixels) {
            const double f = std::sqrt(double(kMaxDecodePixels) / double(pixels));
            target = QSize(std::max(1, int(full.width() * f)), std::max(1, int(full.height() * f)));
        }
        if (maxEdge > 0 && (full.width() > maxEdge || full.height() > maxEdge)) {
            const QSize fit = full.scaled(maxEdge, maxEdge, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
            if (!target.isValid() || fit.width() < target.width())
                target = fit;
        }
    }
    QIODevice* device = reader.device();
    if (target.isValid() && reader.format().toLower() == "png" && device && device->seek(0)) {
        auto state = std::make_unique<PngState>();
        state->device = device;
        readPngScaled(state.get(), target);
        if (!state->interlaced) {
            if (state->image.isNull())
                return refuse(error, state->message);
            return state->image;
        }
        // The first reader is past the header: a fresh one reads it again.
        if (!device->seek(0))
            return refuse(error, device->errorString());
        QImageReader again(device, "png");
        return readAndFit(again, target, maxEdge, error);
    }
    return readAndFit(reader, target, maxEdge, error);
}

QImage readPicture(const QString& path, QString* error, int maxEdge)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return readPicture(reader, error, maxEdge);
}

QImage pictureFromBytes(const QByteArray& bytes, const char* format, QString* error)
{
    if (bytes.isEmpty())
        return refuse(error, QStringLiteral("no picture data"));
    const QByteArray formatName(format ? format : "");
    {
        QMutexLocker lock(&gDecodedMutex);
        for (auto it = gDecoded.begin(); it != gDecoded.end(); ++it)
            if (it->format == formatName && it->bytes == bytes) {
                gDecoded.splice(gDecoded.begin(), gDecoded, it);
                if (it->image.isNull() && error)
                    *error = it->error;
                return it->image;
            }
    }
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    QString why;
    const QImage image = readPicture(reader, &why);
    if (image.isNull() && error)
        *error = why;
    QMutexLocker lock(&gDecodedMutex);
    gDecoded.push_front(Decoded{bytes, formatName, image, why});
    qint64 held = 0;
    size_t kept = 0;
    for (auto it = gDecoded.begin(); it != gDecoded.end(); ++it, ++kept) {
        held += it->image.sizeInBytes() + it->bytes.size();
        if (kept > 0 && (kept >= kDecodedEntries || held > kDecodedBytes)) {
            gDecoded.erase(it, gDecoded.end());
            break;
        }
    }
    return image;
}

} // namespace platform
