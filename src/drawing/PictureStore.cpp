#include "drawing/PictureStore.h"

#include "app/AppHelpers.h"

#include <QDir>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <cmath>
#include <list>

namespace drawing {
namespace {

QMutex gLogMutex;
QSet<QString> gLogged;

// Decoded pictures by their stored picture, most recently drawn first. Each
// entry keeps its stored picture, so the key stays that picture's.
struct Kept {
    platform::StoredPicture stored;
    QSize covers; // the need it was decoded for
    PicturePtr picture;
};
QMutex gKeptMutex;
std::list<Kept> gKept;
QHash<quintptr, std::list<Kept>::iterator> gKeptIndex;
qint64 gKeptBytes = 0;
// Pictures whose data could not be decoded, with the reason: repaints do not
// read them again (a file changed since is another stored picture).
QHash<quintptr, std::pair<platform::StoredPicture, QString>> gFailed;

bool covers(QSize held, QSize wanted)
{
    return held.width() >= wanted.width() && held.height() >= wanted.height();
}

QString nameOf(const platform::StoredPicture& stored)
{
    return stored.path().isEmpty() ? QStringLiteral("stored in the design") : stored.path();
}

PicturePtr decode(const platform::StoredPicture& stored, QSize target, QString* why)
{
    QImage image = stored.image(target, why);
    if (image.isNull()) {
        logOnce(QStringLiteral("picture:%1").arg(stored.key()),
                QStringLiteral("The picture %1 cannot be read: %2").arg(nameOf(stored), *why));
        return nullptr;
    }
    if (image.width() < target.width() && image.height() < target.height())
        logOnce(QStringLiteral("reduced:%1:%2x%3").arg(stored.key()).arg(target.width()).arg(target.height()),
                QStringLiteral("The picture %1 (%2 x %3 pixels) is read at %4 x %5 pixels, fewer than the %6 x %7 "
                               "its frame needs at %8 dpi.")
                    .arg(nameOf(stored)).arg(stored.width()).arg(stored.height()).arg(image.width())
                    .arg(image.height()).arg(target.width()).arg(target.height()).arg(kMaxOutputDpi));
    auto pic = std::make_shared<Picture>();
    pic->pointSize = stored.pointSize();
    pic->cappedSize = cappedPointSize(pic->pointSize);
    pic->fullSize = stored.size();
    pic->path = stored.path();
    // The conversion keeps the resolution.
    pic->image = std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return pic;
}

} // namespace

QSize pixelsNeeded(QSizeF points)
{
    auto pixels = [](double pt) {
        const double px = std::ceil(pt * kMaxOutputDpi / 72.0 - 1e-6);
        return std::isfinite(px) ? int(std::clamp(px, 1.0, 1e9)) : 1;
    };
    return QSize(pixels(points.width()), pixels(points.height()));
}

PicturePtr pictureFor(const platform::StoredPicture& stored, QSize need, QString* why)
{
    QString reason;
    if (!why)
        why = &reason;
    if (stored.isNull())
        return nullptr;
    const QSize target = platform::sizeCovering(stored.size(), need);
    {
        QMutexLocker lock(&gKeptMutex);
        const auto found = gKeptIndex.constFind(stored.key());
        if (found != gKeptIndex.constEnd() && covers((*found)->covers, target)) {
            gKept.splice(gKept.begin(), gKept, *found);
            return gKept.front().picture;
        }
        if (const auto failed = gFailed.constFind(stored.key()); failed != gFailed.constEnd()) {
            *why = failed->second;
            return nullptr;
        }
    }
    PicturePtr pic = decode(stored, target, why);
    QMutexLocker lock(&gKeptMutex);
    if (!pic) {
        if (gFailed.size() >= 256)
            gFailed.clear();
        gFailed.insert(stored.key(), {stored, *why});
        return nullptr;
    }
    if (const auto found = gKeptIndex.find(stored.key()); found != gKeptIndex.end()) {
        // Another draw may have decoded it meanwhile: keep the larger.
        if (covers((*found)->covers, target)) {
            gKept.splice(gKept.begin(), gKept, *found);
            return gKept.front().picture;
        }
        gKeptBytes -= (*found)->picture->image.sizeInBytes();
        gKept.erase(*found);
        gKeptIndex.erase(found);
    }
    gKept.push_front(Kept{stored, target, pic});
    gKeptIndex.insert(stored.key(), gKept.begin());
    gKeptBytes += pic->image.sizeInBytes();
    while (gKeptBytes > kKeptPictureBytes && gKept.size() > 1) {
        gKeptBytes -= gKept.back().picture->image.sizeInBytes();
        gKeptIndex.remove(gKept.back().stored.key());
        gKept.pop_back();
    }
    return pic;
}

PicturePtr loadPicture(const QString& path, QSize need, QString* why)
{
    QString reason;
    if (!why)
        why = &reason;
    if (path.isEmpty()) {
        *why = QStringLiteral("no file is named");
        return nullptr;
    }
    const platform::StoredPicture stored = platform::StoredPicture::fromFile(path, why);
    if (stored.isNull()) {
        logOnce(QStringLiteral("picture:") + path, QStringLiteral("The picture %1 cannot be read: %2").arg(path, *why));
        return nullptr;
    }
    return pictureFor(stored, need, why);
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
    return image.isNull() ? QSizeF() : platform::pointSizeFor(image.size(), image.dotsPerMeterX(), image.dotsPerMeterY());
}

QSizeF cappedPointSize(QSizeF size)
{
    return QSizeF(std::min(size.width(), 724.0), std::min(size.height(), 468.0));
}

PicturePtr pictureFromImage(const QImage& image)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return nullptr;
    auto pic = std::make_shared<Picture>();
    pic->pointSize = pointSizeOf(image);
    pic->cappedSize = cappedPointSize(pic->pointSize);
    pic->fullSize = image.size();
    pic->image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
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
