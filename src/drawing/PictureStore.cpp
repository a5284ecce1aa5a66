#include "drawing/PictureStore.h"

#include "app/AppHelpers.h"
#include "platform/picture_decode.h"

#include <QDateTime>
#include <QDir>
#include <vector>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QMutex>
#include <QSet>
#include <cmath>

namespace drawing {
namespace {

QMutex gLogMutex;
QSet<QString> gLogged;

struct CacheEntry {
    qint64 mtime = 0;
    qint64 size = 0;
    PicturePtr picture;
};
QMutex gCacheMutex;
QHash<QString, CacheEntry> gCache;
qint64 gCacheBytes = 0;
constexpr qint64 kCacheLimitBytes = 768LL * 1024 * 1024;

PicturePtr decode(const QString& path)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize full = reader.size();
    QString why;
    const QImage image = platform::readPicture(reader, &why);
    if (image.isNull()) {
        logOnce(QStringLiteral("picture:") + path, QStringLiteral("The picture %1 cannot be read: %2").arg(path, why));
        return nullptr;
    }
    if (full.isValid() && image.size() != full)
        Show_NSLog_Message(QStringLiteral("The picture %1 (%2 x %3 pixels) is read at %4 x %5 pixels.")
                               .arg(path).arg(full.width()).arg(full.height()).arg(image.width()).arg(image.height()));
    // A scaled read carries its resolution scaled with it, so the size in
    // points stays that of the full picture.
    auto pic = std::make_shared<Picture>();
    pic->pointSize = pointSizeOf(image);
    pic->cappedSize = cappedPointSize(pic->pointSize);
    const int dx = image.dotsPerMeterX(), dy = image.dotsPerMeterY();
    pic->image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    pic->image.setDotsPerMeterX(dx);
    pic->image.setDotsPerMeterY(dy);
    pic->path = path;
    return pic;
}

} // namespace

void logOnce(const QString& key, const QString& text)
{
    {
        QMutexLocker lock(&gLogMutex);
        if (gLogged.contains(key))
            return;
        gLogged.insert(key);
    }
    Show_NSLog_Message(text);
}

QSizeF pointSizeOf(const QImage& image)
{
    if (image.isNull())
        return {};
    // Dots per metre are whole numbers: snap 2835 back to 72 dpi, 11811 to 300.
    auto dpi = [](int dpm) {
        if (dpm <= 0)
            return 72.0;
        const double d = dpm * 0.0254;
        return std::abs(d - std::round(d)) < 0.05 ? std::round(d) : d;
    };
    return QSizeF(image.width() * 72.0 / dpi(image.dotsPerMeterX()), image.height() * 72.0 / dpi(image.dotsPerMeterY()));
}

QSizeF cappedPointSize(QSizeF size)
{
    return QSizeF(std::min(size.width(), 724.0), std::min(size.height(), 468.0));
}

PicturePtr loadPicture(const QString& path)
{
    if (path.isEmpty())
        return nullptr;
    const QFileInfo info(path);
    if (!info.isFile()) {
        logOnce(QStringLiteral("picture:") + path, QStringLiteral("The picture %1 cannot be read: no such file").arg(path));
        return nullptr;
    }
    const qint64 mtime = info.lastModified().toMSecsSinceEpoch();
    const qint64 size = info.size();
    {
        QMutexLocker lock(&gCacheMutex);
        auto it = gCache.constFind(path);
        if (it != gCache.constEnd() && it->mtime == mtime && it->size == size)
            return it->picture;
    }
    PicturePtr pic = decode(path);
    QMutexLocker lock(&gCacheMutex);
    auto old = gCache.constFind(path);
    if (old != gCache.constEnd() && old->picture)
        gCacheBytes -= old->picture->image.sizeInBytes();
    if (pic && gCacheBytes + pic->image.sizeInBytes() > kCacheLimitBytes) {
        gCache.clear();
        gCacheBytes = 0;
    }
    gCache.insert(path, CacheEntry{mtime, size, pic});
    if (pic)
        gCacheBytes += pic->image.sizeInBytes();
    return pic;
}

PicturePtr pictureFromImage(const QImage& image)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return nullptr;
    auto pic = std::make_shared<Picture>();
    pic->pointSize = pointSizeOf(image);
    pic->cappedSize = cappedPointSize(pic->pointSize);
    pic->image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    pic->image.setDotsPerMeterX(image.dotsPerMeterX());
    pic->image.setDotsPerMeterY(image.dotsPerMeterY());
    return pic;
}

PicturePtr pictureOf(const QImage& image)
{
    if (image.isNull())
        return nullptr;
    static QMutex mutex;
    static std::vector<std::pair<qint64, PicturePtr>> recent; // most recent last
    const qint64 key = image.cacheKey();
    {
        QMutexLocker lock(&mutex);
        for (auto it = recent.begin(); it != recent.end(); ++it)
            if (it->first == key) {
                PicturePtr pic = it->second;
                recent.erase(it);
                recent.emplace_back(key, pic);
                return pic;
            }
    }
    PicturePtr pic = pictureFromImage(image);
    QMutexLocker lock(&mutex);
    recent.emplace_back(key, pic);
    if (recent.size() > 64)
        recent.erase(recent.begin());
    return pic;
}

QString standardizedPath(const QString& path)
{
    QString p = path;
    if (p.startsWith(QLatin1Char('~')))
        p.replace(0, 1, QDir::homePath());
    return p.isEmpty() ? p : QDir::cleanPath(p);
}

} // namespace drawing
