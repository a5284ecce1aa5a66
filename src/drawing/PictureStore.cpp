#include "drawing/PictureStore.h"

#include "app/AppHelpers.h"
#include "platform/threads.h"

#include <QDir>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <list>
#include <malloc.h>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace drawing {
namespace {

QMutex gLogMutex;
QSet<QString> gLogged;

// A stored picture's weak identity: equal for copies of one picture, never
// taken over by a later picture while held, and never keeping its bytes.
using Identity = std::weak_ptr<const void>;
struct IdentityLess {
    bool operator()(const Identity& a, const Identity& b) const { return a.owner_before(b); }
};
template <class T>
using ByIdentity = std::map<Identity, T, IdentityLess>;

template <class Map>
void dropGone(Map& map)
{
    for (auto it = map.begin(); it != map.end();)
        it = it->first.expired() ? map.erase(it) : std::next(it);
}

// A file's picture holds no bytes, only its name and header: it is kept
// with what was decoded from it, so a file drawn by name (a hatch tile, a
// signature's file) is found again. A picture that holds its bytes is not.
platform::StoredPicture pinned(const platform::StoredPicture& stored)
{
    return stored.path().isEmpty() ? platform::StoredPicture() : stored;
}

// Decoded pictures, most recently drawn first.
struct Kept {
    Identity id;
    QSize covers; // the need it was decoded for
    PicturePtr picture;
    platform::StoredPicture pin;
};
// Standard primitives, whose waits the race check can follow.
std::mutex gKeptMutex;
std::condition_variable gDecodeEnded;
std::list<Kept> gKept;
ByIdentity<std::list<Kept>::iterator> gKeptIndex;
qint64 gKeptBytes = 0;
// Pictures whose data could not be decoded, with the reason: repaints do not
// read them again (a file changed since is another stored picture).
struct Failed {
    QString reason;
    platform::StoredPicture pin;
};
ByIdentity<Failed> gFailed;
// Pictures being decoded now: other draws of them wait for the result.
std::set<Identity, IdentityLess> gDecoding;
std::atomic<qint64> gDecodes{0};
std::atomic<int> gDecodingNow{0};
std::atomic<int> gMostAtOnce{0};
// Reasons logged per picture.
ByIdentity<QSet<QString>> gLoggedFor;

// Logs the text once per picture and key (thread-safe).
void logOnceFor(const platform::StoredPicture& stored, const QString& key, const QString& text)
{
    {
        QMutexLocker lock(&gLogMutex);
        if (gLoggedFor.size() >= 256)
            dropGone(gLoggedFor);
        QSet<QString>& logged = gLoggedFor[stored.identity()];
        if (logged.contains(key))
            return;
        logged.insert(key);
    }
    Show_NSLog_Message(text);
}

bool covers(QSize held, QSize wanted)
{
    return held.width() >= wanted.width() && held.height() >= wanted.height();
}

QString nameOf(const platform::StoredPicture& stored)
{
    return stored.path().isEmpty() ? QStringLiteral("stored in the design") : stored.path();
}

// Counts the decodes running at once while it lives.
struct Decoding {
    Decoding()
    {
        const int now = ++gDecodingNow;
        for (int most = gMostAtOnce.load(); now > most && !gMostAtOnce.compare_exchange_weak(most, now);) {
        }
    }
    ~Decoding() { --gDecodingNow; }
};

PicturePtr decode(const platform::StoredPicture& stored, QSize target, QString* why)
{
    ++gDecodes;
    QImage image;
    {
        const Decoding counted;
        image = stored.image(target, why);
    }
    if (image.isNull()) {
        logOnceFor(stored, QStringLiteral("unreadable"),
                   QStringLiteral("The picture %1 cannot be read: %2").arg(nameOf(stored), *why));
        return nullptr;
    }
    if (image.width() < target.width() && image.height() < target.height())
        logOnceFor(stored, QStringLiteral("reduced:%1x%2").arg(target.width()).arg(target.height()),
                   QStringLiteral("The picture %1 (%2 x %3 pixels) is read at %4 x %5 pixels, fewer than the %6 x %7 "
                                  "its frame needs.")
                       .arg(nameOf(stored)).arg(stored.width()).arg(stored.height()).arg(image.width())
                       .arg(image.height()).arg(target.width()).arg(target.height()));
    auto pic = std::make_shared<Picture>();
    pic->pointSize = stored.pointSize();
    pic->fullSize = stored.size();
    pic->path = stored.path();
    // Data that ends early still gives the part read, with the reason.
    if (!why->isEmpty()) {
        pic->notice = *why;
        logOnceFor(stored, QStringLiteral("partial"), QStringLiteral("The picture %1: %2").arg(nameOf(stored), *why));
    }
    // The conversion keeps the resolution.
    pic->image = std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return pic;
}

// Bytes the kept pictures may take now: what the stored pictures alive leave
// of the whole, within the least and the most kept.
qint64 keptAllowance()
{
    return std::clamp(kPictureMemoryBytes - platform::StoredPicture::heldBytes(), kMinKeptPictureBytes,
                      kKeptPictureBytes);
}

void forget(std::list<Kept>::iterator it)
{
    gKeptBytes -= it->picture->image.sizeInBytes();
    gKeptIndex.erase(it->id);
    gKept.erase(it);
}

// Keeps a decoded picture (gKeptMutex held): first the pictures whose
// stored picture has gone, then the least recently drawn give way.
void keep(const platform::StoredPicture& stored, const Identity& id, QSize target, const PicturePtr& pic)
{
    if (const auto found = gKeptIndex.find(id); found != gKeptIndex.end())
        forget(found->second);
    for (auto it = gKept.begin(); it != gKept.end();)
        it = it->id.expired() ? (forget(it++), it) : std::next(it);
    gKept.push_front(Kept{id, target, pic, pinned(stored)});
    gKeptIndex.emplace(id, gKept.begin());
    gKeptBytes += pic->image.sizeInBytes();
    const qint64 allowance = keptAllowance();
    while (gKeptBytes > allowance && gKept.size() > 1)
        forget(std::prev(gKept.end()));
}

} // namespace

QSize pixelsNeeded(QSizeF points, double pixelsPerPoint)
{
    const double scale = std::isfinite(pixelsPerPoint) && pixelsPerPoint > 0
        ? std::min(pixelsPerPoint, kMaxOutputDpi / 72.0)
        : kMaxOutputDpi / 72.0;
    auto pixels = [scale](double pt) {
        const double px = std::ceil(pt * scale - 1e-6);
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
    const Identity id = stored.identity();
    std::unique_lock lock(gKeptMutex);
    for (;;) {
        if (const auto found = gKeptIndex.find(id); found != gKeptIndex.end() && covers(found->second->covers, target)) {
            gKept.splice(gKept.begin(), gKept, found->second);
            return gKept.front().picture;
        }
        if (const auto failed = gFailed.find(id); failed != gFailed.end()) {
            *why = failed->second.reason;
            return nullptr;
        }
        if (!gDecoding.count(id))
            break;
        // Another draw decodes it: its result serves when it covers this need.
        gDecodeEnded.wait(lock);
    }
    gDecoding.insert(id);
    lock.unlock();
    PicturePtr pic;
    try {
        pic = decode(stored, target, why);
    } catch (...) {
        lock.lock();
        gDecoding.erase(id);
        gDecodeEnded.notify_all();
        throw;
    }
    lock.lock();
    gDecoding.erase(id);
    gDecodeEnded.notify_all();
    if (!pic) {
        if (gFailed.size() >= 256)
            dropGone(gFailed);
        if (gFailed.size() >= 256)
            gFailed.clear();
        gFailed[id] = Failed{*why, pinned(stored)};
        return nullptr;
    }
    keep(stored, id, target, pic);
    return pic;
}

void decodeTogether(const std::vector<std::pair<platform::StoredPicture, QSize>>& wanted)
{
    std::vector<std::pair<platform::StoredPicture, QSize>> missing;
    {
        std::unique_lock lock(gKeptMutex);
        for (const auto& [stored, need] : wanted) {
            if (stored.isNull())
                continue;
            const Identity id = stored.identity();
            const auto found = gKeptIndex.find(id);
            if ((found == gKeptIndex.end() || !covers(found->second->covers, platform::sizeCovering(stored.size(), need)))
                && !gFailed.count(id))
                missing.emplace_back(stored, need);
        }
    }
    if (missing.size() < 2)
        return;
    std::atomic<size_t> next{0};
    auto work = [&missing, &next] {
        for (size_t i; (i = next++) < missing.size();)
            pictureFor(missing[i].first, missing[i].second);
    };
    std::vector<std::thread> helpers;
    const int threads = std::min(int(missing.size()) - 1, std::max(1, QThread::idealThreadCount() - 1));
    for (int t = 0; t < threads && platform::startThread(helpers, work); ++t) {
    }
    work();
    for (std::thread& helper : helpers)
        helper.join();
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

void releaseDecodedPictures()
{
    {
        std::unique_lock lock(gKeptMutex);
        gKept.clear();
        gKeptIndex.clear();
        gKeptBytes = 0;
        gFailed.clear();
    }
    ::malloc_trim(0);
}

qint64 picturesDecoded()
{
    return gDecodes.load();
}

int mostDecodesAtOnce()
{
    return gMostAtOnce.exchange(0);
}

qint64 keptPictureBytes()
{
    std::unique_lock lock(gKeptMutex);
    return gKeptBytes;
}

QString standardizedPath(const QString& path)
{
    QString p = path;
    if (p.startsWith(QLatin1Char('~')))
        p.replace(0, 1, QDir::homePath());
    return p.isEmpty() ? p : QDir::cleanPath(p);
}

} // namespace drawing
