// The decode policy: which pictures are read, at what size, and the one
// memory budget all decodes running at once share.
#include "platform/picture/picture_decode.h"
#include "platform/picture/reader.h"

#include <QIODevice>
#include <QImageReader>
#include <algorithm>
#include <cmath>

namespace platform {

namespace picture {

QString damagedNotice()
{
    return QStringLiteral("the file is damaged; part of the picture is shown");
}

int saneDotsPerMeter(double dpm)
{
    const double dpi = dpm * 0.0254;
    return std::isfinite(dpi) && dpi >= 1 && dpi <= 100000 ? int(std::lround(dpm)) : 0;
}

const Reader* readerFor(const QByteArray& format)
{
    if (format == "png")
        return &pngReader();
    if (format == "jpeg" || format == "jpg")
        return &jpegReader();
    if (format == "tiff" || format == "tif")
        return &tiffReader();
    if (format == "webp")
        return &webpReader();
    if (format == "gif")
        return &gifReader();
    if (format == "bmp")
        return &bmpReader();
    return nullptr;
}

} // namespace picture

namespace {

using picture::CodecHeader;
using picture::Reader;

QImage refuse(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return {};
}

// Memory every decode takes besides its picture and its reader's buffers.
constexpr qint64 kDecodeOverheadBytes = 1LL << 20;

// The size with the aspect kept, at most maxPixels pixels and maxEdge on
// either edge, never larger than size.
QSize fitted(QSize size, qint64 maxPixels, int maxEdge)
{
    const double w = size.width(), h = size.height();
    const double f = std::min({1.0, std::sqrt(double(maxPixels) / (w * h)), maxEdge / w, maxEdge / h});
    // (The margin keeps an edge scaled to exactly maxEdge from rounding
    // down to one pixel less.)
    QSize fit(std::clamp(int(w * f + 1e-6), 1, maxEdge), std::clamp(int(h * f + 1e-6), 1, maxEdge));
    if (qint64(fit.width()) * fit.height() > maxPixels) {
        if (fit.width() >= fit.height())
            fit.setWidth(int(std::max<qint64>(1, maxPixels / fit.height())));
        else
            fit.setHeight(int(std::max<qint64>(1, maxPixels / fit.width())));
    }
    return fit;
}

// The kinds only Qt's readers decode, at full size before any scaling: read
// up to kMaxDecodePixels.
bool isReadFullOnly(const QByteArray& format)
{
    return format == "gif" || format == "bmp";
}

QString kindName(const QByteArray& format)
{
    return format == "jpg" ? QStringLiteral("JPEG")
        : format == "tif"  ? QStringLiteral("TIFF")
        : format == "webp" ? QStringLiteral("WebP")
                           : QString::fromLatin1(format.toUpper());
}

QString megabytes(qint64 bytes)
{
    return QString::number((bytes + (1 << 20) - 1) >> 20);
}

// The header judged by the policy; *codec gets what the reader said.
PictureHeader judge(QImageReader& reader, CodecHeader* codec)
{
    PictureHeader header;
    // Only the kinds the program offers are decoded, judged by content: any
    // other reader (animations, icons, vector pictures) may decode without
    // a size known in advance.
    header.format = reader.format().toLower();
    const Reader* kind = picture::readerFor(header.format);
    if (!kind) {
        header.error = header.format.isEmpty()
            ? QStringLiteral("it is not a picture")
            : QStringLiteral("it is a %1 picture; PNG, JPEG, GIF, BMP, TIFF and WebP pictures are read")
                  .arg(QString::fromLatin1(header.format.toUpper()));
        return header;
    }
    QIODevice* device = reader.device();
    if (!device || !device->seek(0)) {
        header.error = QStringLiteral("it cannot be read from its start");
        return header;
    }
    *codec = kind->header(*device);
    device->seek(0);
    const QSize stored = codec->stored;
    const QString name = kindName(header.format);
    const qint64 pixels = qint64(stored.width()) * stored.height();
    if (!codec->error.isEmpty())
        header.error = codec->error;
    else if (!stored.isValid() || stored.isEmpty())
        header.error = QStringLiteral("its header gives no size");
    else if (pixels > kMaxPicturePixels)
        header.error = QStringLiteral("it is a %1 picture of %2 x %3 pixels, more than can be read")
                           .arg(name).arg(stored.width()).arg(stored.height());
    else if (stored.width() > kMaxPictureEdge || stored.height() > kMaxPictureEdge)
        header.error = QStringLiteral("it is a %1 picture of %2 x %3 pixels, more than can be read (at most %4 pixels "
                                      "on a side)")
                           .arg(name).arg(stored.width()).arg(stored.height()).arg(kMaxPictureEdge);
    else if (isReadFullOnly(header.format) && pixels > kMaxDecodePixels)
        header.error = QStringLiteral("it is a %1 picture of %2 x %3 pixels; %1 pictures are read up to %4 x %4 pixels")
                           .arg(name).arg(stored.width()).arg(stored.height()).arg(kMaxDecodeEdge);
    if (!header.ok())
        return header;
    header.orientation = codec->orientation;
    const bool turned = picture::turnsQuarter(codec->orientation);
    header.size = turned ? stored.transposed() : stored;
    header.dpmX = turned ? codec->dpmY : codec->dpmX;
    header.dpmY = turned ? codec->dpmX : codec->dpmY;
    return header;
}

} // namespace

void setPictureAllocationLimit()
{
    QImageReader::setAllocationLimit(kPictureAllocationLimitMB);
}

PictureHeader readPictureHeader(QImageReader& reader)
{
    CodecHeader codec;
    return judge(reader, &codec);
}

QImage readPicture(QImageReader& reader, QString* error, int maxEdge, qint64 maxPixels)
{
    CodecHeader codec;
    const PictureHeader header = judge(reader, &codec);
    if (!header.ok())
        return refuse(error, header.error);
    const QSize target = fitted(header.size, std::clamp<qint64>(maxPixels, 1, kMaxDecodePixels),
                                maxEdge > 0 ? std::min(maxEdge, kMaxDecodeEdge) : kMaxDecodeEdge);
    const qint64 cost = qint64(target.width()) * target.height() * 4 + codec.workBytes + kDecodeOverheadBytes;
    if (cost > kDecodeBudgetBytes)
        return refuse(error, QStringLiteral("it is a %1 picture of %2 x %3 pixels that takes %4 MB to read, more than "
                                            "the %5 MB pictures may take while they are read")
                                 .arg(kindName(header.format)).arg(header.size.width()).arg(header.size.height())
                                 .arg(megabytes(cost), megabytes(kDecodeBudgetBytes)));
    picture::Decoded decoded;
    {
        const DecodeBudget::Share share(DecodeBudget::current(), cost);
        decoded = picture::readerFor(header.format)->decode(*reader.device(), codec, target);
    }
    if (decoded.image.isNull())
        return refuse(error, decoded.error);
    if (decoded.damaged && error)
        *error = picture::damagedNotice();
    return std::move(decoded.image);
}

QImage readPicture(const QString& path, QString* error, int maxEdge, qint64 maxPixels)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return readPicture(reader, error, maxEdge, maxPixels);
}

qint64 pictureExtent(QIODevice& device, const QByteArray& format)
{
    const Reader* kind = picture::readerFor(format);
    const qint64 extent = kind && device.seek(0) ? kind->extent(device) : -1;
    device.seek(0);
    return extent > 0 ? extent : device.size();
}

DecodeBudget::Share::Share(DecodeBudget& budget, qint64 bytes) : budget_(budget), bytes_(bytes)
{
    std::unique_lock lock(budget_.mutex_);
    const quint64 ticket = budget_.next_++;
    budget_.changed_.wait(lock, [&] { return ticket == budget_.serving_ && budget_.used_ + bytes <= kDecodeBudgetBytes; });
    budget_.used_ += bytes;
    budget_.peak_ = std::max(budget_.peak_, budget_.used_);
    ++budget_.serving_;
    budget_.changed_.notify_all();
}

DecodeBudget::Share::~Share()
{
    {
        std::lock_guard lock(budget_.mutex_);
        budget_.used_ -= bytes_;
    }
    budget_.changed_.notify_all();
}

qint64 DecodeBudget::inUse() const
{
    std::lock_guard lock(mutex_);
    return used_;
}

qint64 DecodeBudget::peak() const
{
    std::lock_guard lock(mutex_);
    return peak_;
}

QString shownInPart(const QString& name, const QString& notice)
{
    return QStringLiteral("The picture %1 is shown only in part: %2.").arg(name, notice);
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

} // namespace platform
