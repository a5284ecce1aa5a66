#include "output/card_export.h"

#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>

#include <png.h>

#include <csetjmp>
#include <functional>
#include <vector>

namespace card_export {

QString Create_Back_Card_Path(const QString& path)
{
    const QFileInfo info(path);
    const QString name = QStringLiteral("%1_Back.%2").arg(info.completeBaseName(), info.suffix());
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? name : path.left(slash + 1) + name;
}

QStringList Single_Export_Files(const Export_Request& request, const QString& path)
{
    if (request.side == QLatin1String("BOTH"))
        return request.combined ? QStringList{path} : QStringList{Create_Back_Card_Path(path), path};
    if (request.side == QLatin1String("F"))
        return {path};
    return {Create_Back_Card_Path(path)};
}

QString Create_Run_Folder(const QString& parent)
{
    const QString base = QStringLiteral("VELT Festrune");
    QDir dir(parent);
    if (parent.isEmpty() || !(dir.exists() || QDir().mkpath(parent)))
        return {};
    for (int n = 1; n < 100000; ++n) {
        const QString name = n == 1 ? base : QStringLiteral("%1 %2").arg(base).arg(n);
        if (QFileInfo::exists(dir.filePath(name)))
            continue;
        // mkdir fails when another run took the name in between: try the
        // next. The mode asked for is cut by the process umask, and others
        // may never write into the run's pictures.
        if (!dir.mkdir(name, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                 | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                 | QFileDevice::ReadOther | QFileDevice::ExeOther)) {
            if (QFileInfo::exists(dir.filePath(name)))
                continue;
            return {};
        }
        return dir.filePath(name);
    }
    return {};
}

QImage Combine_Front_Back(const QImage& front, const QImage& back)
{
    if (front.isNull() || back.isNull())
        return {};
    QImage out(front.width(), front.height() * 2, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return {};
    out.fill(Qt::transparent);
    out.setDotsPerMeterX(front.dotsPerMeterX());
    out.setDotsPerMeterY(front.dotsPerMeterY());
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, front);
    painter.drawImage(0, front.height(), back);
    return out;
}

namespace {

struct Png_Sink {
    QIODevice* device = nullptr;
    QString message;
};

void Png_Write(png_structp png, png_bytep data, size_t length)
{
    auto* sink = static_cast<Png_Sink*>(png_get_io_ptr(png));
    if (sink->device->write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length)) {
        sink->message = sink->device->errorString();
        png_error(png, "write failed");
    }
}

void Png_Flush(png_structp) {}

void Png_Error(png_structp png, png_const_charp message)
{
    auto* sink = static_cast<Png_Sink*>(png_get_error_ptr(png));
    if (sink->message.isEmpty())
        sink->message = QString::fromLatin1(message);
    png_longjmp(png, 1);
}

void Png_Warning(png_structp, png_const_charp) {}

bool All_Opaque(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return true;
    if (image.format() != QImage::Format_ARGB32_Premultiplied && image.format() != QImage::Format_ARGB32)
        return false;
    const int width = image.width(), height = image.height();
    for (int y = 0; y < height; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QRgb all = 0xff000000u;
        for (int x = 0; x < width; ++x)
            all &= line[x];
        if ((all >> 24) != 0xff)
            return false;
    }
    return true;
}

// Opaque 32-bit pixels (0xAARRGGBB words) packed as the R, G, B bytes of a
// PNG row: premultiplied and straight alpha are the same when alpha is full.
void Pack_Rgb_Row(const QRgb* in, int width, png_byte* out)
{
    for (int x = 0; x < width; ++x, out += 3) {
        const QRgb p = in[x];
        out[0] = png_byte(p >> 16);
        out[1] = png_byte(p >> 8);
        out[2] = png_byte(p);
    }
}

// The libpng part, kept apart from C++ objects with destructors: longjmp
// leaves it on any libpng error.
// `line`, when given, is a row's room: `rows` then holds opaque 32-bit
// pixels, packed there row by row rather than converted as a whole.
bool Encode_Rows(Png_Sink& sink, const QImage& rows, bool rgb, png_byte* line)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, Png_Error, Png_Warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        sink.message = QStringLiteral("Out of memory.");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &sink, Png_Write, Png_Flush);
    // One fixed filter instead of a search on every row: card pictures are
    // mostly flat areas, text, photos and smooth gradients, where UP is
    // within a few per cent of the best choice per row, and the search
    // would cost a fifth of the encoding time. The compressed data goes out
    // in few large chunks.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_level(png, 1);
    png_set_compression_buffer_size(png, 1 << 16);
    png_set_IHDR(png, info, png_uint_32(rows.width()), png_uint_32(rows.height()), 8,
                 rgb ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    if (rows.dotsPerMeterX() > 0 && rows.dotsPerMeterY() > 0)
        png_set_pHYs(png, info, png_uint_32(rows.dotsPerMeterX()), png_uint_32(rows.dotsPerMeterY()),
                     PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (int y = 0; y < rows.height(); ++y) {
        const uchar* row = rows.constScanLine(y);
        if (line) {
            Pack_Rgb_Row(reinterpret_cast<const QRgb*>(row), rows.width(), line);
            row = line;
        }
        png_write_row(png, const_cast<png_bytep>(row));
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool Write_Png(const QImage& picture, QIODevice& device, QString* error)
{
    if (picture.isNull()) {
        if (error)
            *error = QStringLiteral("The picture is empty.");
        return false;
    }
    const bool rgb = All_Opaque(picture);
    const QImage::Format format = picture.format();
    const bool pack = rgb
                      && (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
                          || format == QImage::Format_ARGB32_Premultiplied);
    const QImage rows = pack ? picture : picture.convertToFormat(rgb ? QImage::Format_RGB888 : QImage::Format_RGBA8888);
    std::vector<png_byte> line(pack ? size_t(picture.width()) * 3 : 0);
    if (rows.isNull()) {
        if (error)
            *error = QStringLiteral("Out of memory.");
        return false;
    }
    Png_Sink sink;
    sink.device = &device;
    if (Encode_Rows(sink, rows, rgb, pack ? line.data() : nullptr))
        return true;
    if (error)
        *error = sink.message;
    return false;
}

namespace {

// Writes the picture through `write` (one of the file services) in the
// format the path's extension names.
bool Write_Picture_With(const QImage& picture, const QString& path, QString* error,
                        bool (*write)(const QString&, const std::function<bool(QIODevice&)>&, QString*))
{
    if (picture.isNull()) {
        if (error)
            *error = QStringLiteral("The picture is empty.");
        return false;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool tiff = suffix == QLatin1String("tif") || suffix == QLatin1String("tiff");
    // The encoder's own reason stands unless the file itself failed (a full
    // disk): the file service then gives the system's.
    return write(
        path,
        [&](QIODevice& device) {
            if (!tiff)
                return Write_Png(picture, device, error);
            QImageWriter writer(&device, "tiff");
            if (writer.write(picture))
                return true;
            if (error)
                *error = writer.errorString();
            return false;
        },
        error);
}

bool Write_Atomically(const QString& path, const std::function<bool(QIODevice&)>& produce, QString* error)
{
    return platform::writeFileAtomically(path, produce, platform::WriteMode::Default, error);
}

} // namespace

bool Write_Picture(const QImage& picture, const QString& path, QString* error)
{
    return Write_Picture_With(picture, path, error, Write_Atomically);
}

bool Write_Run_Picture(const QImage& picture, const QString& path, QString* error)
{
    return Write_Picture_With(picture, path, error, platform::writeNewFile);
}

bool Sync_Run_Folder(const QString& folder, QString* error)
{
    return platform::syncFolder(folder, error);
}

} // namespace card_export
