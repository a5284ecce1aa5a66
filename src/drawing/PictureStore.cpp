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

// A decoded picture kept.
struct Kept {
    Identity id;
    QSize covers; // the need it was decoded for
    PicturePtr picture;
    platform::StoredPicture pin;
};
// A picture whose data could not be decoded, with the reason: repaints do
// not read it again (a file changed since is another stored picture).
struct Failed {
    QString reason;
    platform::StoredPicture pin;
};

} // namespace

// What a store holds: its locks, the pictures kept, failed and being
// decoded, what was logged, and its counters.
struct PictureStore::State {
    QMutex logMutex;
    QSet<QString> logged;
    ByIdentity<QSet<QString>> loggedFor; // reasons logged per picture
    // Standard primitives, whose waits the race check can follow.
    std::mutex keptMutex;
    std::condition_variable decodeEnded;
    // Decoded pictures, most recently drawn first.
    std::list<Kept> kept;
    ByIdentity<std::list<Kept>::iterator> keptIndex;
    qint64 keptBytes = 0;
    ByIdentity<Failed> failed;
    // Pictures being decoded now: other draws of them wait for the result.
    std::set<Identity, IdentityLess> decoding;
    std::atomic<qint64> decodes{0};
    std::atomic<int> decodingNow{0};
    std::atomic<int> mostAtOnce{0};

    // Logs the text once per picture and key (thread-safe).
    void logOnceFor(const platform::StoredPicture& stored, const QString& key, const QString& text)
    {
        {
            QMutexLocker lock(&logMutex);
            if (loggedFor.size() >= 256)
                dropGone(loggedFor);
            QSet<QString>& said = loggedFor[stored.identity()];
            if (said.contains(key))
                return;
            said.insert(key);
        }
        Show_NSLog_Message(text);
    }

    PicturePtr decode(const platform::StoredPicture& stored, QSize target, QString* why);

    void forget(std::list<Kept>::iterator it)
    {
        keptBytes -= it->picture->image.sizeInBytes();
        keptIndex.erase(it->id);
        kept.erase(it);
    }

    void keep(const platform::StoredPicture& stored, const Identity& id, QSize target, const PicturePtr& pic);
};

namespace {

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
    Decoding(std::atomic<int>& running, std::atomic<int>& mostAtOnce) : running(running)
    {
        const int now = ++running;
        for (int most = mostAtOnce.load(); now > most && !mostAtOnce.compare_exchange_weak(most, now);) {
        }
    }
    ~Decoding() { --running; }
    std::atomic<int>& running;
};

// Bytes the kept pictures may take now: what the stored pictures alive leave
// of the whole, within the least and the most kept.
qint64 keptAllowance()
{
    return std::clamp(kPictureMemoryBytes - platform::StoredPicture::heldBytes(), kMinKeptPictureBytes,
                      kKeptPictureBytes);
}

} // namespace

PicturePtr PictureStore::State::decode(const platform::StoredPicture& stored, QSize target, QString* why)
{
    ++decodes;
    QImage image;
    {
        const Decoding counted(decodingNow, mostAtOnce);
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

// Keeps a decoded picture (keptMutex held): first the pictures whose stored
// picture has gone, then the least recently drawn give way.
void PictureStore::State::keep(const platform::StoredPicture& stored, const Identity& id, QSize target,
                               const PicturePtr& pic)
{
    if (const auto found = keptIndex.find(id); found != keptIndex.end())
        forget(found->second);
    for (auto it = kept.begin(); it != kept.end();)
        it = it->id.expired() ? (forget(it++), it) : std::next(it);
    kept.push_front(Kept{id, target, pic, pinned(stored)});
    keptIndex.emplace(id, kept.begin());
    keptBytes += pic->image.sizeInBytes();
    const qint64 allowance = keptAllowance();
    while (keptBytes > allowance && kept.size() > 1)
        forget(std::prev(kept.end()));
}

PictureStore::PictureStore() : d(std::make_unique<State>()) {}

PictureStore::~PictureStore() = default;

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

PicturePtr PictureStore::pictureFor(const platform::StoredPicture& stored, QSize need, QString* why)
{
    QString reason;
    if (!why)
        why = &reason;
    if (stored.isNull())
        return nullptr;
    const QSize target = platform::sizeCovering(stored.size(), need);
    const Identity id = stored.identity();
    std::unique_lock lock(d->keptMutex);
    for (;;) {
        if (const auto found = d->keptIndex.find(id); found != d->keptIndex.end() && covers(found->second->covers, target)) {
            d->kept.splice(d->kept.begin(), d->kept, found->second);
            return d->kept.front().picture;
        }
        if (const auto failed = d->failed.find(id); failed != d->failed.end()) {
            *why = failed->second.reason;
            return nullptr;
        }
        if (!d->decoding.count(id))
            break;
        // Another draw decodes it: its result serves when it covers this need.
        d->decodeEnded.wait(lock);
    }
    d->decoding.insert(id);
    lock.unlock();
    PicturePtr pic;
    try {
        pic = d->decode(stored, target, why);
    } catch (...) {
        lock.lock();
        d->decoding.erase(id);
        d->decodeEnded.notify_all();
        throw;
    }
    lock.lock();
    d->decoding.erase(id);
    d->decodeEnded.notify_all();
    if (!pic) {
        if (d->failed.size() >= 256)
            dropGone(d->failed);
        if (d->failed.size() >= 256)
            d->failed.clear();
        d->failed[id] = Failed{*why, pinned(stored)};
        return nullptr;
    }
    d->keep(stored, id, target, pic);
    return pic;
}

void PictureStore::decodeTogether(const std::vector<std::pair<platform::StoredPicture, QSize>>& wanted)
{
    std::vector<std::pair<platform::StoredPicture, QSize>> missing;
    {
        std::unique_lock lock(d->keptMutex);
        for (const auto& [stored, need] : wanted) {
            if (stored.isNull())
                continue;
            const Identity id = stored.identity();
            const auto found = d->keptIndex.find(id);
            if ((found == d->keptIndex.end()
                 || !covers(found->second->covers, platform::sizeCovering(stored.size(), need)))
                && !d->failed.count(id))
                missing.emplace_back(stored, need);
        }
    }
    if (missing.empty())
        return;
    std::atomic<size_t> next{0};
    auto work = [this, &missing, &next] {
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

void PictureStore::logOnce(const QString& key, const QString& text)
{
    {
        QMutexLocker lock(&d->logMutex);
        if (d->logged.contains(key))
            return;
        d->logged.insert(key);
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

void PictureStore::release()
{
    {
        std::unique_lock lock(d->keptMutex);
        d->kept.clear();
        d->keptIndex.clear();
        d->keptBytes = 0;
        d->failed.clear();
    }
    ::malloc_trim(0);
}

qint64 PictureStore::decodes() const
{
    return d->decodes.load();
}

int PictureStore::mostDecodesAtOnce()
{
    return d->mostAtOnce.exchange(0);
}

qint64 PictureStore::keptBytes() const
{
    std::unique_lock lock(d->keptMutex);
    return d->keptBytes;
}

QString standardizedPath(const QString& path)
{
    QString p = path;
    if (p.startsWith(QLatin1Char('~')))
        p.replace(0, 1, QDir::homePath());
    return p.isEmpty() ? p : QDir::cleanPath(p);
}

} // namespace drawing
