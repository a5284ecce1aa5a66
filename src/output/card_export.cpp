#include "output/card_export.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include <png.h>

#include <csetjmp>
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
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        QRgb all = 0xff000000u;
        for (int x = 0; x < image.width(); ++x)
            all &= line[x];
        if ((all >> 24) != 0xff)
            return false;
    }
    return true;
}

// The libpng part, kept apart from C++ objects with destructors: longjmp
// leaves it on any libpng error.
bool Encode_Rows(Png_Sink& sink, const QImage& rows, bool rgb)
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
    // Two cheap filters instead of trying all five on every row: card
    // pictures are mostly flat areas, text and smooth gradients, where SUB
    // or UP is as small as the full search at a fraction of its time. The
    // compressed data goes out in few large chunks.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB | PNG_FILTER_UP);
    png_set_compression_level(png, 1);
    png_set_compression_buffer_size(png, 1 << 16);
    png_set_IHDR(png, info, png_uint_32(rows.width()), png_uint_32(rows.height()), 8,
                 rgb ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    if (rows.dotsPerMeterX() > 0 && rows.dotsPerMeterY() > 0)
        png_set_pHYs(png, info, png_uint_32(rows.dotsPerMeterX()), png_uint_32(rows.dotsPerMeterY()),
                     PNG_RESOLUTION_METER);
    png_write_info(png, info);
    for (int y = 0; y < rows.height(); ++y)
        png_write_row(png, const_cast<png_bytep>(rows.constScanLine(y)));
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
    const QImage rows = picture.convertToFormat(rgb ? QImage::Format_RGB888 : QImage::Format_RGBA8888);
    if (rows.isNull()) {
        if (error)
            *error = QStringLiteral("Out of memory.");
        return false;
    }
    Png_Sink sink;
    sink.device = &device;
    if (Encode_Rows(sink, rows, rgb))
        return true;
    if (error)
        *error = sink.message;
    return false;
}

bool Write_Picture(const QImage& picture, const QString& path, QString* error)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QByteArray format = suffix == QLatin1String("tif") || suffix == QLatin1String("tiff") ? "tiff" : "png";
    auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (picture.isNull())
        return fail(QStringLiteral("The picture is empty."));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (format == "png") {
        QString reason;
        if (!Write_Png(picture, file, &reason)) {
            file.cancelWriting();
            return fail(reason);
        }
    } else {
        QImageWriter writer(&file, format);
        if (!writer.write(picture)) {
            file.cancelWriting();
            return fail(writer.errorString());
        }
    }
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

} // namespace card_export
