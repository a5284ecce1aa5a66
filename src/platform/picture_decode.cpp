#include "platform/picture_decode.h"
#include "platform/picture_decode_rows.h"

#include <QBuffer>
#include <QImageReader>
#include <QMutex>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio> // before jpeglib.h, which uses FILE
#include <cstring>
#include <jpeglib.h>
#include <jerror.h> // after jpeglib.h
#include <list>
#include <memory>
#include <png.h>
#include <sys/mman.h>
#include <vector>

namespace platform {

namespace decode {

QImage oriented(QImage image, int orientation)
{
    if (orientation <= 1 || orientation > 8 || image.isNull())
        return image;
    if (orientation <= 4)
        return image.mirrored(orientation != 4, orientation != 2);
    // 5: transposed, 6: turned a quarter clockwise, 7: transversed,
    // 8: turned a quarter anticlockwise.
    const int dpmX = image.dotsPerMeterX(), dpmY = image.dotsPerMeterY();
    if (orientation == 7)
        image = image.mirrored(true, false);
    image = image.transformed(QTransform().rotate(orientation == 8 ? 270 : 90));
    if (orientation == 5)
        image = image.mirrored(true, false);
    image.setDotsPerMeterX(dpmY);
    image.setDotsPerMeterY(dpmX);
    return image;
}

} // namespace decode

namespace {

using decode::RowScaler;

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

// Interlaced PNGs send their pixels in seven passes, each a small picture of
// every 8th, 4th or 2nd pixel in each direction. Each pass is scaled like
// rows of a plain picture, and its averages are merged into the target
// picture's running averages when a target row of the pass is complete: the
// memory of the target picture and one target row of sums, as for a plain
// picture (the running averages are kept in 8 bits, so a pixel may differ by
// one level from a single average).
class PassScaler {
public:
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
        image_.fill(0);
        row_.resize(size_t(width) * size_t(channels));
        sums_.assign(size_t(tw) * 4, 0);
        for (int p = 0; p < 7; ++p) {
            columns_[p].assign(size_t(tw), 0);
            rows_[p].assign(size_t(th), 0);
            for (quint32 x = passStart(p, false); x < width; x += passStep(p, false))
                ++columns_[p][columnOf(x)];
            for (quint32 y = passStart(p, true); y < height; y += passStep(p, true))
                ++rows_[p][rowOf(y)];
        }
        return true;
    }

    // Pixels of the pass across and down (0 when the pass is empty).
    quint32 passWidth(int p) const { return width_ > passStart(p, false) ? (width_ - passStart(p, false) + passStep(p, false) - 1) / passStep(p, false) : 0; }
    quint32 passHeight(int p) const { return height_ > passStart(p, true) ? (height_ - passStart(p, true) + passStep(p, true) - 1) / passStep(p, true) : 0; }

    void beginPass(int p)
    {
        pass_ = p;
        y_ = 0;
        current_ = -1;
        passColumn_.resize(passWidth(p));
        for (size_t i = 0; i < passColumn_.size(); ++i)
            passColumn_[i] = columnOf(passStart(p, false) + quint32(i) * passStep(p, false));
    }

    uchar* row() { return row_.data(); }

    void addRow()
    {
        const int ty = rowOf(passStart(pass_, true) + y_ * passStep(pass_, true));
        if (ty != current_) {
            merge();
            current_ = ty;
        }
        ++y_;
        const uchar* p = row_.data();
        quint32* sums = sums_.data();
        auto premultiplied = [](quint32 c, quint32 a) { return a == 255 ? c : (c * a + 127) / 255; };
        for (size_t x = 0; x < passColumn_.size(); ++x, p += channels_) {
            quint32* sum = sums + size_t(passColumn_[x]) * 4;
            switch (channels_) {
            case 1: sum[0] += p[0]; break;
            case 2: sum[0] += premultiplied(p[0], p[1]); sum[3] += p[1]; break;
            case 3: sum[0] += p[2]; sum[1] += p[1]; sum[2] += p[0]; break;
            default:
                sum[0] += premultiplied(p[2], p[3]);
                sum[1] += premultiplied(p[1], p[3]);
                sum[2] += premultiplied(p[0], p[3]);
                sum[3] += p[3];
            }
        }
    }

    void endPass() { merge(); }

    QImage finish(int fullDpmX, int fullDpmY)
    {
        if (fullDpmX <= 0)
            fullDpmX = image_.dotsPerMeterX();
        if (fullDpmY <= 0)
            fullDpmY = image_.dotsPerMeterY();
        image_.setDotsPerMeterX(std::max(1, int(std::lround(double(fullDpmX) * image_.width() / width_))));
        image_.setDotsPerMeterY(std::max(1, int(std::lround(double(fullDpmY) * image_.height() / height_))));
        return std::move(image_);
    }

private:
    static quint32 passStart(int p, bool down)
    {
        static const quint32 across[7] = {0, 4, 0, 2, 0, 1, 0}, downward[7] = {0, 0, 4, 0, 2, 0, 1};
        return down ? downward[p] : across[p];
    }
    static quint32 passStep(int p, bool down)
    {
        static const quint32 across[7] = {8, 8, 4, 4, 2, 2, 1}, downward[7] = {8, 8, 8, 4, 4, 2, 2};
        return down ? downward[p] : across[p];
    }
    int columnOf(quint32 x) const { return int(quint64(x) * quint64(image_.width()) / width_); }
    int rowOf(quint32 y) const { return int(quint64(y) * quint64(image_.height()) / height_); }

    // Merges the sums of the current target row of this pass into the
    // running averages of the pixels before it.
    void merge()
    {
        if (current_ < 0)
            return;
        const int ty = current_;
        quint32* const out = reinterpret_cast<quint32*>(image_.scanLine(ty));
        const bool grey = channels_ <= 2, opaque = channels_ == 1 || channels_ == 3;
        for (int x = 0; x < image_.width(); ++x) {
            const double now = double(columns_[pass_][size_t(x)]) * rows_[pass_][size_t(ty)];
            if (now == 0)
                continue;
            double before = 0;
            for (int q = 0; q < pass_; ++q)
                before += double(columns_[q][size_t(x)]) * rows_[q][size_t(ty)];
            const quint32* sum = sums_.data() + size_t(x) * 4;
            const quint32 old = out[x];
            auto average = [&](int c, int shift) {
                const double value = (double((old >> shift) & 0xff) * before + sum[c]) / (before + now);
                return std::min(quint32(value + 0.5), 255u);
            };
            const quint32 b = average(0, 0);
            const quint32 g = grey ? b : average(1, 8);
            const quint32 r = grey ? b : average(2, 16);
            const quint32 a = opaque ? 255 : average(3, 24);
            out[x] = a << 24 | r << 16 | g << 8 | b;
        }
        std::fill(sums_.begin(), sums_.end(), 0u);
    }

    quint32 width_ = 0, height_ = 0, y_ = 0;
    int channels_ = 0, pass_ = 0, current_ = -1;
    std::vector<uchar> row_;
    std::vector<quint32> sums_;
    std::vector<int> passColumn_;
    std::vector<quint32> columns_[7], rows_[7]; // per pass: source pixels per target column, row
    QImage image_;
};

struct PngState {
    QIODevice* device = nullptr;
    QString message;
    RowScaler scaler;
    PassScaler passes;
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
    png_set_expand(png); // palette to RGB, grey below 8 bits to 8, transparency to alpha
    png_set_strip_16(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    const bool interlaced = interlace != PNG_INTERLACE_NONE;
    if (png_get_rowbytes(png, info) != size_t(width) * size_t(channels)
        || !(interlaced ? state->passes.start(width, height, channels, target)
                        : state->scaler.start(width, height, channels, target)))
        png_error(png, "the picture cannot be held");
    if (interlaced) {
        // Without libpng's interlace handling each row read is one row of
        // the current pass; libpng skips empty passes.
        for (int pass = 0; pass < 7; ++pass) {
            const png_uint_32 rows = state->passes.passHeight(pass);
            if (rows == 0 || state->passes.passWidth(pass) == 0)
                continue;
            state->passes.beginPass(pass);
            for (png_uint_32 y = 0; y < rows; ++y) {
                png_read_row(png, state->passes.row(), nullptr);
                state->passes.addRow();
            }
            state->passes.endPass();
        }
    } else {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, state->scaler.row(), nullptr);
            state->scaler.addRow();
        }
    }
    int unit = 0;
    png_uint_32 fx = 0, fy = 0;
    const bool metres = png_get_pHYs(png, info, &fx, &fy, &unit) && unit == PNG_RESOLUTION_METER;
    const int dpmX = metres ? int(std::min<png_uint_32>(fx, INT_MAX)) : 0;
    const int dpmY = metres ? int(std::min<png_uint_32>(fy, INT_MAX)) : 0;
    state->image = interlaced ? state->passes.finish(dpmX, dpmY) : state->scaler.finish(dpmX, dpmY);
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

// Errors of libjpeg that come from its memory limit, not from the picture.
bool isMemoryError(int code)
{
    return code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY || code == JERR_TFILE_CREATE
        || code == JERR_TFILE_READ || code == JERR_TFILE_SEEK || code == JERR_TFILE_WRITE;
}

// libjpeg scales while it decodes (by k/8 in its inverse DCT): the smallest
// such scale not below the target, then the row scaler. CMYK pictures are
// turned to RGB here (Adobe's files store the inks inverted); a picture
// with an EXIF orientation is scaled as stored and the small picture turned.
// *memory is set when libjpeg refused the picture for its own memory limit
// (a progressive picture holds all its coefficients): Qt's reader may then
// read it.
QImage readJpegScaled(const QByteArray& bytes, QSize target, bool* memory, QString* message)
{
    *memory = false;
    jpeg_decompress_struct info {};
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegErrorExit;
    error.manager.emit_message = jpegMessage;
    RowScaler scaler;
    std::vector<JSAMPROW> rows(1);
    std::vector<uchar> inks;
    if (setjmp(error.jump)) {
        *memory = isMemoryError(error.manager.msg_code);
        jpeg_destroy_decompress(&info);
        *message = QStringLiteral("its JPEG data is damaged (%1)").arg(QString::fromLatin1(error.message));
        return {};
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = long(kPictureAllocationLimitMB) * 1024 * 1024;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()), static_cast<unsigned long>(bytes.size()));
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xffff);
    jpeg_read_header(&info, TRUE);
    const int orientation = exifOrientation(info);
    const quint32 width = info.image_width, height = info.image_height;
    // The target's sides follow the stored picture's (the header may give
    // the turned size).
    if ((qint64(target.width()) - target.height()) * (qint64(width) - qint64(height)) < 0)
        target.transpose();
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    if (cmyk)
        info.out_color_space = JCS_CMYK;
    else
        info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    const auto eighths = [](int wanted, quint32 full) {
        return int(std::clamp<quint64>((quint64(wanted) * 8 + full - 1) / full, 1, 8));
    };
    info.scale_num = unsigned(std::max(eighths(target.width(), width), eighths(target.height(), height)));
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    if (!scaler.start(info.output_width, info.output_height, cmyk ? 3 : info.output_components, target)) {
        jpeg_destroy_decompress(&info);
        *message = QStringLiteral("it is %1 x %2 pixels, more than can be held").arg(width).arg(height);
        return {};
    }
    if (cmyk)
        inks.resize(size_t(info.output_width) * 4);
    const bool inverted = info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height) {
        rows[0] = cmyk ? inks.data() : scaler.row();
        if (jpeg_read_scanlines(&info, rows.data(), 1) != 1) {
            jpeg_destroy_decompress(&info);
            *message = QStringLiteral("its JPEG data ends early");
            return {};
        }
        if (cmyk) {
            // Each colour is what its ink and the black leave of white.
            const uchar* in = inks.data();
            uchar* out = scaler.row();
            for (quint32 x = 0; x < info.output_width; ++x, in += 4, out += 3) {
                const quint32 c = inverted ? in[0] : 255u - in[0], m = inverted ? in[1] : 255u - in[1];
                const quint32 y = inverted ? in[2] : 255u - in[2], k = inverted ? in[3] : 255u - in[3];
                out[0] = uchar((c * k + 127) / 255);
                out[1] = uchar((m * k + 127) / 255);
                out[2] = uchar((y * k + 127) / 255);
            }
        }
        scaler.addRow();
    }
    jpeg_finish_decompress(&info);
    // Resolution of the full picture in dots per metre, as its JFIF header
    // gives it (per inch or per centimetre).
    const double perMetre = info.density_unit == 1 ? 1 / 0.0254 : info.density_unit == 2 ? 100.0 : 0.0;
    const int dpmX = int(std::lround(info.X_density * perMetre)), dpmY = int(std::lround(info.Y_density * perMetre));
    jpeg_destroy_decompress(&info);
    return decode::oriented(scaler.finish(dpmX, dpmY, QSize(int(width), int(height))), orientation);
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
    static const QByteArrayList offered = {"png", "jpeg", "jpg", "gif", "bmp", "tiff", "tif", "webp"};
    return offered.contains(format);
}

// Kinds only Qt's readers decode, at full size before any scaling: read up
// to kMaxDecodePixels.
bool isReadFullOnly(const QByteArray& format)
{
    return format == "gif" || format == "bmp" || format == "webp";
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
            : QStringLiteral("it is a %1 picture; PNG, JPEG, GIF, BMP, TIFF and WebP pictures are read")
                  .arg(QString::fromLatin1(header.format.toUpper()));
        return header;
    }
    header.size = reader.size();
    // A BMP stored top row first declares a negative height, and Qt's
    // reader passes it on.
    if (header.format == "bmp" && header.size.height() < 0 && header.size.height() > INT_MIN)
        header.size.setHeight(-header.size.height());
    if (!header.size.isValid() || header.size.isEmpty()) {
        header.error = QStringLiteral("its header gives no size");
        return header;
    }
    const QString kind = header.format == "jpg" ? QStringLiteral("JPEG")
        : header.format == "tif"               ? QStringLiteral("TIFF")
        : header.format == "webp"              ? QStringLiteral("WebP")
                                               : QString::fromLatin1(header.format.toUpper());
    const qint64 pixels = qint64(header.size.width()) * header.size.height();
    if (pixels > kMaxPicturePixels)
        header.error = QStringLiteral("it is a %1 picture of %2 x %3 pixels, more than can be read")
                           .arg(kind).arg(header.size.width()).arg(header.size.height());
    else if (isReadFullOnly(header.format) && pixels > kMaxDecodePixels)
        header.error = QStringLiteral("it is a %1 picture of %2 x %3 pixels; %1 pictures are read up to %4 x %4 pixels")
                           .arg(kind).arg(header.size.width()).arg(header.size.height()).arg(4096);
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
        if (state->image.isNull())
            return refuse(error, QStringLiteral("its PNG data is damaged (%1)").arg(state->message));
        return state->image;
    }
    if (target.isValid() && (format == "jpeg" || format == "jpg") && device && device->seek(0)) {
        const QByteArray bytes = device->readAll();
        bool memory = false;
        QString message;
        QImage image = readJpegScaled(bytes, target, &memory, &message);
        if (!memory)
            return image.isNull() ? refuse(error, message) : image;
        // libjpeg's memory limit refused it: Qt's reader (libjpeg with no
        // limit) reads it, scaled in its inverse DCT too.
        if (!device->seek(0))
            return refuse(error, device->errorString());
        QImageReader again(device, "jpeg");
        again.setAutoTransform(true);
        return readAndFit(again, target, maxEdge, maxPixels, error);
    }
    if (target.isValid() && (format == "tiff" || format == "tif") && device && device->seek(0)) {
        QString message;
        QImage image = decode::readTiffScaled(device, target, &message);
        return image.isNull() ? refuse(error, QStringLiteral("its TIFF data cannot be read (%1)").arg(message)) : image;
    }
    return readAndFit(reader, target, maxEdge, maxPixels, error);
}

QImage readPicture(const QString& path, QString* error, int maxEdge, qint64 maxPixels)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return readPicture(reader, error, maxEdge, maxPixels);
}

const QStringList& pictureFileSuffixes()
{
    static const QStringList suffixes = [] {
        QStringList all;
        for (const char* e : {"jpg", "jpeg", "jpe", "jfif", "gif", "bmp", "png", "tif", "tiff", "webp"})
            all << QString::fromLatin1(e) << QString::fromLatin1(e).toUpper();
        return all;
    }();
    return suffixes;
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
