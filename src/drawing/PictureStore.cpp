#include "drawing/PictureStore.h"

#include "app/AppHelpers.h"
#include "platform/picture_decode.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QMutex>
#include <QSet>
#include <atomic>
#include <cmath>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace drawing {
namespace {

QMutex gLogMutex;
QSet<QString> gLogged;

// A file as the system knows it, whatever the spelling of its path (links,
// "/proc/self/root", doubled slashes): one decode per file version.
struct FileIdentity {
    quint64 device = 0, inode = 0;
    qint64 size = 0, mtimeNs = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

std::optional<FileIdentity> identityOf(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileIdentity{quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                        qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

QMutex gCacheMutex;
std::map<FileIdentity, PicturePtr> gCache;
qint64 gCacheBytes = 0;
constexpr qint64 kCacheLimitBytes = 768LL * 1024 * 1024;

// Pixels of the decoded file pictures alive anywhere (in graphics, drawings
// or the cache), and those being decoded now: together they stay within the
// budget.
std::atomic<qint64> gLivePixels {0};
qint64 gReservedPixels = 0; // guarded by gCacheMutex
qint64 gPixelBudget = kMaxDesignPixels;
// Below this many pixels left a picture is refused rather than shrunk.
constexpr qint64 kMinBudgetPixels = 256 * 256;

// The pixels of a decoded picture, counted while any copy of it lives.
struct CountedPixels {
    QImage image;
    qint64 count = 0;
};

void releasePixels(void* info)
{
    auto* held = static_cast<CountedPixels*>(info);
    gLivePixels -= held->count;
    delete held;
}

QImage counted(QImage image)
{
    auto* held = new CountedPixels{std::move(image), 0};
    QImage& own = held->image;
    held->count = qint64(own.width()) * own.height();
    gLivePixels += held->count;
    QImage view(own.bits(), own.width(), own.height(), own.bytesPerLine(), own.format(), releasePixels, held);
    view.setDotsPerMeterX(own.dotsPerMeterX());
    view.setDotsPerMeterY(own.dotsPerMeterY());
    return view;
}

// Drops the pictures only the cache holds, so that they leave the budget.
void dropUnusedLocked()
{
    for (auto it = gCache.begin(); it != gCache.end();) {
        if (it->second && it->second.use_count() == 1 && it->second->image.isDetached()) {
            gCacheBytes -= it->second->image.sizeInBytes();
            it = gCache.erase(it);
        } else
            ++it;
    }
}

// Null for a picture that cannot be read; *lasting false when it was
// refused for the budget only (it may be read once pictures are released).
PicturePtr decode(const QString& path, bool* lasting)
{
    *lasting = true;
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize full = reader.size();
    const qint64 wanted = full.isValid() ? std::min(qint64(full.width()) * full.height(), kMaxDecodePixels)
                                         : kMaxDecodePixels;
    qint64 allowed = wanted, budget = 0;
    {
        QMutexLocker lock(&gCacheMutex);
        budget = gPixelBudget;
        if (gLivePixels + gReservedPixels + wanted > budget)
            dropUnusedLocked();
        allowed = std::min(wanted, budget - gLivePixels - gReservedPixels);
        if (allowed < std::min(wanted, kMinBudgetPixels)) {
            lock.unlock();
            logOnce(QStringLiteral("picture:") + path,
                    QStringLiteral("The picture %1 cannot be read: the pictures open hold %2 pixels already, "
                                   "the most they may")
                        .arg(path)
                        .arg(budget));
            *lasting = false;
            return nullptr;
        }
        gReservedPixels += allowed;
    }
    QString why;
    QImage image = platform::readPicture(reader, &why, 0, allowed);
    {
        QMutexLocker lock(&gCacheMutex);
        gReservedPixels -= allowed;
    }
    if (image.isNull()) {
        logOnce(QStringLiteral("picture:") + path, QStringLiteral("The picture %1 cannot be read: %2").arg(path, why));
        return nullptr;
    }
    if (full.isValid() && image.size() != full)
        Show_NSLog_Message(QStringLiteral("The picture %1 (%2 x %3 pixels) is read at %4 x %5 pixels%6.")
                               .arg(path).arg(full.width()).arg(full.height()).arg(image.width()).arg(image.height())
                               .arg(allowed < wanted ? QStringLiteral(" to keep the pictures open within %1 pixels")
                                                           .arg(budget)
                                                     : QString()));
    // A scaled read carries its resolution scaled with it, so the size in
    // points stays that of the full picture.
    auto pic = std::make_shared<Picture>();
    pic->pointSize = pointSizeOf(image);
    pic->cappedSize = cappedPointSize(pic->pointSize);
    const int dx = image.dotsPerMeterX(), dy = image.dotsPerMeterY();
    QImage converted = std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    converted.setDotsPerMeterX(dx);
    converted.setDotsPerMeterY(dy);
    pic->image = counted(std::move(converted));
    pic->path = path;
    return pic;
}

} // namespace

qint64 setPictureBudget(qint64 pixels)
{
    QMutexLocker lock(&gCacheMutex);
    const qint64 old = gPixelBudget;
    gPixelBudget = pixels > 0 ? pixels : kMaxDesignPixels;
    return old;
}

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
    const std::optional<FileIdentity> identity = identityOf(path);
    if (!identity) {
        logOnce(QStringLiteral("picture:") + path, QStringLiteral("The picture %1 cannot be read: no such file").arg(path));
        return nullptr;
    }
    {
        QMutexLocker lock(&gCacheMutex);
        auto it = gCache.find(*identity);
        if (it != gCache.end())
            return it->second;
    }
    bool lasting = true;
    PicturePtr pic = decode(path, &lasting);
    QMutexLocker lock(&gCacheMutex);
    if (!lasting)
        return nullptr;
    // Another thread may have read the same file meanwhile: keep one.
    if (auto it = gCache.find(*identity); it != gCache.end())
        return it->second;
    if (pic && gCacheBytes + pic->image.sizeInBytes() > kCacheLimitBytes) {
        gCache.clear();
        gCacheBytes = 0;
    }
    gCache.emplace(*identity, pic);
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
