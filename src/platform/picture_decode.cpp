#include "platform/picture_decode.h"

#include <QBuffer>
#include <QImageReader>
#include <QMutex>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio> // before jpeglib.h, which uses FILE
#include <cstring>
#include <jpeglib.h>
#include <list>
#include <memory>
#include <png.h>
#include <sys/mman.h>
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

// Qt's PNG and JPEG readers decode at full size before they scale. The
// readers below take a picture row by row and average the rows into the
// target size as they come (a box filter over premultiplied pixels): memory
// for the target picture and one row, one pass over the data.
class RowScaler {
public:
    // 8-bit rows of 1 (grey), 2 (grey, alpha), 3 (RGB) or 4 (RGBA) channels.
    bool start(quint32 width, quint32 height, int channels, QSize target)
    {
        if (width < 1 || height < 1 || channels < 1 || channels > 4)
            return false;
        width_ = width;
        height_ = height;
        channels_ = channels;
        const int tw = int(std::min<quint32>(quint32(target.width()), width));
        const int th = int(std::min<quint32>(quint32(target.height()), height));
        image_ = QImage(tw, th, QImage::Format_ARGB32_Premultiplied);
        if (image_.isNull())
            return false;
        // The picture is written once, row after row: large pages make the
        // first touch of its memory cost a few faults instead of thousands.
        const auto page = quintptr(4096);
        const auto begin = (quintptr(image_.bits()) + page - 1) & ~(page - 1);
        const auto end = (quintptr(image_.bits()) + quintptr(image_.sizeInBytes())) & ~(page - 1);
        if (end > begin)
            ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
        row_.resize(size_t(width) * size_t(channels));
        sums_.assign(size_t(tw) * 4, 0);
        column_.resize(width);
        std::vector<quint32> perColumn(size_t(tw), 0);
        for (quint32 x = 0; x < width; ++x) {
            column_[x] = int(quint64(x) * quint64(tw) / width);
            ++perColumn[size_t(column_[x])];
        }
        inverse_.resize(size_t(tw));
        for (int x = 0; x < tw; ++x)
            inverse_[size_t(x)] = 1.0f / float(perColumn[size_t(x)]);
        return true;
    }

    // The buffer the next row is decoded into.
    uchar* row() { return row_.data(); }

    // Adds the row just decoded to the sums of its target row.
    void addRow()
    {
        const int ty = int(quint64(y_) * quint64(image_.height()) / height_);
        if (ty != current_) {
            emitRow();
            current_ = ty;
        }
        ++y_;
        ++rows_;
        accumulate();
    }

    // The scaled picture, its resolution scaled with it from the full
    // picture's (dots per metre; <= 0: the default of a new image), so the
    // size in points stays that of the full picture. The full size is that
    // of the rows unless the decoder already reduced them.
    QImage finish(int fullDpmX, int fullDpmY, QSize full = {})
    {
        emitRow();
        if (!full.isValid())
            full = QSize(int(width_), int(height_));
        if (fullDpmX <= 0)
            fullDpmX = image_.dotsPerMeterX();
        if (fullDpmY <= 0)
            fullDpmY = image_.dotsPerMeterY();
        image_.setDotsPerMeterX(std::max(1, int(std::lround(double(fullDpmX) * image_.width() / full.width()))));
        image_.setDotsPerMeterY(std::max(1, int(std::lround(double(fullDpmY) * image_.height() / full.height()))));
        return std::move(image_);
    }

private:
    // Writes the averages of the current target row. Grey pictures sum one
    // channel, opaque ones no alpha.
    void emitRow()
    {
        if (rows_ == 0)
            return;
        // Local pointers: the output row may not alias the sums, so the
        // loop keeps them in registers.
        quint32* const out = reinterpret_cast<quint32*>(image_.scanLine(current_));
        quint32* const sums = sums_.data();
        const float* const inverse = inverse_.data();
        const int width = image_.width();
        const float perRow = 1.0f / float(rows_);
        const bool grey = channels_ <= 2, opaque = channels_ == 1 || channels_ == 3;
        for (int x = 0; x < width; ++x) {
            const float scale = inverse[x] * perRow;
            const quint32* sum = sums + size_t(x) * 4;
            auto average = [scale, sum](int c) { return std::min(quint32(float(sum[c]) * scale + 0.5f), 255u); };
            const quint32 b = average(0);
            const quint32 g = grey ? b : average(1);
            const quint32 r = grey ? b : average(2);
            const quint32 alpha = opaque ? 255 : average(3);
            out[x] = alpha << 24 | r << 16 | g << 8 | b;
        }
        std::fill(sums, sums + sums_.size(), 0u);
        rows_ = 0;
    }

    void accumulate()
    {
        const uchar* p = row_.data();
        const int* column = column_.data();
        quint32* sums = sums_.data();
        const size_t width = column_.size();
        auto premultiplied = [](quint32 c, quint32 a) { return a == 255 ? c : (c * a + 127) / 255; };
        switch (channels_) {
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

    quint32 width_ = 0, height_ = 0, y_ = 0, rows_ = 0;
    int channels_ = 0, current_ = 0;
    std::vector<uchar> row_;
    std::vector<quint32> sums_;  // per target column: premultiplied B, G, R and A
    std::vector<int> column_;    // target column of each source column
    std::vector<float> inverse_; // 1 / source columns per target column
    QImage image_;
};

// Interlaced PNGs are left to Qt (their rows come in several passes).
struct PngState {
    QIODevice* device = nullptr;
    QString message;
    bool interlaced = false;
    RowScaler scaler;
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
    if (png_get_rowbytes(png, info) != size_t(width) * size_t(channels)
        || !state->scaler.start(width, height, channels, target))
        png_error(png, "the picture cannot be held");
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, state->scaler.row(), nullptr);
        state->scaler.addRow();
    }
    int unit = 0;
    png_uint_32 fx = 0, fy = 0;
    const bool metres = png_get_pHYs(png, info, &fx, &fy, &unit) && unit == PNG_RESOLUTION_METER;
    state->image = state->scaler.finish(metres ? int(std::min<png_uint_32>(fx, INT_MAX)) : 0,
                                        metres ? int(std::min<png_uint_32>(fy, INT_MAX)) : 0);
    png_destroy_read_struct(&png, &info, nullptr);
}

// EXIF orientation of a JPEG (1 when it has none or it cannot be read).
int exifOrientation(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 1 || m->data_length < 14 || std::memcmp(m->data, "Exif\0\0", 6) != 0)
            continue;
        const uchar* tiff = m->data + 6;
        const size_t size = m->data_length - 6;
        const bool little = tiff[0] == 'I' && tiff[1] == 'I';
        auto number = [&](size_t at, int width) -> quint32 {
            quint32 v = 0;
            for (int i = 0; i < width; ++i)
                v |= quint32(tiff[at + size_t(little ? i : width - 1 - i)]) << (8 * i);
            return v;
        };
        const size_t ifd = number(4, 4);
        if (ifd + 2 > size)
            return 1;
        const size_t entries = number(ifd, 2);
        for (size_t i = 0; i < entries && ifd + 2 + 12 * (i + 1) <= size; ++i) {
            const size_t at = ifd + 2 + 12 * i;
            if (number(at, 2) == 0x0112)
                return int(number(at + 8, 2));
        }
        return 1;
    }
    return 1;
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
};

void jpegErrorExit(j_common_ptr info)
{
    auto* error = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

void jpegMessage(j_common_ptr, int) {}

// libjpeg scales while it decodes (by k/8 in its inverse DCT): the smallest
// such scale not below the target, then the row scaler. Pictures turned by
// their EXIF orientation and CMYK pictures are left to Qt (*handled false).
QImage readJpegScaled(const QByteArray& bytes, QSize target, bool* handled, QString* message)
{
    *handled = true;
    jpeg_decompress_struct info {};
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegErrorExit;
    error.manager.emit_message = jpegMessage;
    RowScaler scaler;
    std::vector<JSAMPROW> rows(1);
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        *message = QString::fromLatin1(error.message);
        return {};
    }
    jpeg_create_decompress(&info);
    // A progressive picture holds all its coefficients while it decodes:
    // libjpeg refuses one past the limit Qt's readers have.
    info.mem->max_memory_to_use = long(kPictureAllocationLimitMB) * 1024 * 1024;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size()));
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xffff);
    jpeg_read_header(&info, TRUE);
    if (exifOrientation(info) != 1 || info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        jpeg_destroy_decompress(&info);
        *handled = false;
        return {};
    }
    info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    const quint32 width = info.image_width, height = info.image_height;
    const auto eighths = [](int wanted, quint32 full) {
        return int(std::clamp<quint64>((quint64(wanted) * 8 + full - 1) / full, 1, 8));
    };
    info.scale_num = unsigned(std::max(eighths(target.width(), width), eighths(target.height(), height)));
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    if (!scaler.start(info.output_width, info.output_height, info.output_components, target)) {
        jpeg_destroy_decompress(&info);
        *message = QStringLiteral("the picture cannot be held");
        return {};
    }
    while (info.output_scanline < info.output_height) {
        rows[0] = scaler.row();
        if (jpeg_read_scanlines(&info, rows.data(), 1) != 1) {
            jpeg_destroy_decompress(&info);
            *message = QStringLiteral("the picture data ends early");
            return {};
        }
        scaler.addRow();
    }
    jpeg_finish_decompress(&info);
    // Resolution of the full picture in dots per metre, as its JFIF header
    // gives it (per inch or per centimetre).
    const double perMetre = info.density_unit == 1 ? 1 / 0.0254 : info.density_unit == 2 ? 100.0 : 0.0;
    const int dpmX = int(std::lround(info.X_density * perMetre)), dpmY = int(std::lround(info.Y_density * perMetre));
    jpeg_destroy_decompress(&info);
    return scaler.finish(dpmX, dpmY, QSize(int(width), int(height)));
}

} // namespace

void setPictureAllocationLimit()
{
    QImageReader::setAllocationLimit(kPictureAllocationLimitMB);
}

namespace {

// The size with the aspect kept and at most maxPixels pixels.
QSize fitPixels(QSize size, qint64 maxPixels)
{
    const double f = std::sqrt(double(maxPixels) / (double(size.width()) * size.height()));
    return QSize(std::max(1, int(size.width() * f)), std::max(1, int(size.height() * f)));
}

// Reads with Qt at the target size when one is set; formats that ignore it
// are brought down to the limits here.
QImage readAndFit(QImageReader& reader, QSize target, int maxEdge, qint64 maxPixels, QString* error)
{
    if (target.isValid())
        reader.setScaledSize(target);
    QImage image = reader.read();
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return refuse(error, reader.errorString());
    if (maxEdge > 0 && (image.width() > maxEdge || image.height() > maxEdge))
        target = image.size().scaled(maxEdge, maxEdge, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    else if (qint64(image.width()) * image.height() > maxPixels)
        target = fitPixels(image.size(), maxPixels);
    else
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

bool isOfferedPictureFormat(const QByteArray& format)
{
    static const QByteArrayList offered = {"png", "jpeg", "jpg", "gif", "bmp", "tiff", "tif"};
    return offered.contains(format);
}

} // namespace

PictureHeader readPictureHeader(QImageReader& reader)
{
    PictureHeader header;
    // Only the kinds the program offers are decoded, judged by content: any
    // other reader (animations, icons, vector pictures) may decode without
    // a size known in advance.
    header.format = reader.format().toLower();
    if (!isOfferedPictureFormat(header.format)) {
        header.error = header.format.isEmpty()
            ? QStringLiteral("it is not a picture")
            : QStringLiteral("it is a %1 picture; PNG, JPEG, GIF, BMP and TIFF pictures are read")
                  .arg(QString::fromLatin1(header.format.toUpper()));
        return header;
    }
    header.size = reader.size();
    if (!header.size.isValid() || header.size.isEmpty()) {
        header.error = QStringLiteral("its header gives no size");
        return header;
    }
    if (qint64(header.size.width()) * header.size.height() > kMaxPicturePixels)
        header.error = QStringLiteral("it declares %1 x %2 pixels, more than can be read")
                           .arg(header.size.width()).arg(header.size.height());
    return header;
}

QImage readPicture(QImageReader& reader, QString* error, int maxEdge, qint64 maxPixels)
{
    reader.setAutoTransform(true);
    const PictureHeader header = readPictureHeader(reader);
    if (!header.ok())
        return refuse(error, header.error);
    const QByteArray& format = header.format;
    const QSize full = header.size;
    const qint64 pixels = qint64(full.width()) * full.height();
    maxPixels = std::clamp<qint64>(maxPixels, 1, kMaxDecodePixels);
    QSize target;
    if (pixels > maxPixels)
        target = fitPixels(full, maxPixels);
    if (maxEdge > 0 && (full.width() > maxEdge || full.height() > maxEdge)) {
        const QSize fit = full.scaled(maxEdge, maxEdge, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        if (!target.isValid() || fit.width() < target.width())
            target = fit;
    }
    QIODevice* device = reader.device();
    if (target.isValid() && format == "png" && device && device->seek(0)) {
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
        return readAndFit(again, target, maxEdge, maxPixels, error);
    }
    if (target.isValid() && (format == "jpeg" || format == "jpg") && device && device->seek(0)) {
        const QByteArray bytes = device->readAll();
        bool handled = false;
        QString message;
        QImage image = readJpegScaled(bytes, target, &handled, &message);
        if (handled)
            return image.isNull() ? refuse(error, message) : image;
        if (!device->seek(0))
            return refuse(error, device->errorString());
        QImageReader again(device, "jpeg");
        again.setAutoTransform(true);
        return readAndFit(again, target, maxEdge, maxPixels, error);
    }
    return readAndFit(reader, target, maxEdge, maxPixels, error);
}

QImage readPicture(const QString& path, QString* error, int maxEdge, qint64 maxPixels)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return readPicture(reader, error, maxEdge, maxPixels);
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
