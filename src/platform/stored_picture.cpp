#include "platform/stored_picture.h"

#include "platform/picture/picture_decode.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QMutex>
#include <atomic>
#include <cmath>
#include <map>
#include <optional>
#include <sys/stat.h>

namespace platform {

namespace {

// A file as the system knows it, whatever the spelling of its path (links,
// "/proc/self/root", doubled slashes): one state per file version.
struct FileIdentity {
    quint64 device = 0, inode = 0;
    qint64 size = 0, mtimeNs = 0;
    auto operator<=>(const FileIdentity&) const = default;
};

// The identity of a regular file; nullopt, the reason in *error, for a
// missing path or one that is not a regular file (a FIFO or a device would
// block the reader).
std::optional<FileIdentity> identityOf(const QString& path, QString* error)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        if (error)
            *error = QStringLiteral("there is no such file");
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        if (error)
            *error = QStringLiteral("it is not a regular file");
        return std::nullopt;
    }
    return FileIdentity{quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
                        qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

// The resolution a decoded picture has when its file gives none.
int defaultDotsPerMeter()
{
    static const int dpm = QImage(1, 1, QImage::Format_ARGB32).dotsPerMeterX();
    return dpm;
}

} // namespace

struct StoredPicture::State {
    QByteArray bytes; // encoded, as they came
    QString path;     // or the file they are read from
    QImage memory;    // or an image made in memory
    QSize size;
    int dpmX = 0, dpmY = 0;
    mutable QMutex pngMutex;
    mutable QByteArray png; // the PNG of the image made in memory, once made
    qint64 counted = 0;     // bytes added to the total held, given back at the end

    State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;
    ~State();
    void count();
};

namespace {

// Reads the header of a picture on device; false with the reason set when
// it would not be read. *format gets its kind.
bool readHeader(QIODevice& device, StoredPicture::State& state, QString* error, QByteArray* format = nullptr)
{
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    const PictureHeader header = readPictureHeader(reader);
    if (!header.ok()) {
        if (error)
            *error = header.error;
        return false;
    }
    state.size = header.size;
    state.dpmX = header.dpmX > 0 ? header.dpmX : defaultDotsPerMeter();
    state.dpmY = header.dpmY > 0 ? header.dpmY : defaultDotsPerMeter();
    if (format)
        *format = header.format;
    return true;
}

std::atomic<qint64> gHeldBytes{0};

QMutex gFilesMutex;
std::map<FileIdentity, std::weak_ptr<const StoredPicture::State>> gFiles;
size_t gFilesPruneAt = 64; // entries past which states no longer held are dropped

} // namespace

void StoredPicture::State::count()
{
    const qint64 now = bytes.size() + (memory.isNull() ? 0 : memory.sizeInBytes());
    gHeldBytes += now - counted;
    counted = now;
}

StoredPicture::State::~State()
{
    gHeldBytes -= counted;
}

qint64 StoredPicture::heldBytes()
{
    return gHeldBytes.load();
}

StoredPicture::StoredPicture(const QImage& image)
{
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return;
    auto state = std::make_shared<State>();
    state->memory = image;
    state->size = image.size();
    state->dpmX = image.dotsPerMeterX();
    state->dpmY = image.dotsPerMeterY();
    state->count();
    d = std::move(state);
}

StoredPicture StoredPicture::fromBytes(const QByteArray& bytes, QString* error)
{
    if (bytes.isEmpty()) {
        if (error)
            *error = QStringLiteral("no picture data");
        return {};
    }
    auto state = std::make_shared<State>();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    if (!readHeader(buffer, *state, error))
        return {};
    state->bytes = bytes;
    state->count();
    return StoredPicture(std::move(state));
}

StoredPicture StoredPicture::fromFile(const QString& path, QString* error)
{
    const std::optional<FileIdentity> identity = identityOf(path, error);
    if (!identity)
        return {};
    {
        QMutexLocker lock(&gFilesMutex);
        const auto it = gFiles.find(*identity);
        if (it != gFiles.end()) {
            if (auto state = it->second.lock())
                return StoredPicture(std::move(state));
        }
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return {};
    }
    auto state = std::make_shared<State>();
    if (!readHeader(file, *state, error))
        return {};
    state->path = path;
    QMutexLocker lock(&gFilesMutex);
    if (gFiles.size() >= gFilesPruneAt) {
        for (auto it = gFiles.begin(); it != gFiles.end();)
            it = it->second.expired() ? gFiles.erase(it) : std::next(it);
        gFilesPruneAt = std::max<size_t>(64, gFiles.size() * 2);
    }
    gFiles[*identity] = state;
    return StoredPicture(std::move(state));
}

StoredPicture StoredPicture::copyOfFile(const QString& path, QString* error)
{
    const std::optional<FileIdentity> identity = identityOf(path, error);
    if (!identity)
        return {};
    if (identity->size > kMaxPictureFileBytes) {
        if (error)
            *error = QStringLiteral("it is a file of %1 MB; picture files are kept up to %2 MB")
                         .arg((identity->size + (1 << 20) - 1) >> 20).arg(kMaxPictureFileBytes >> 20);
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return {};
    }
    // The header first: a file that is no picture is not read at all, and
    // of one that is only the bytes that hold its picture are kept.
    auto state = std::make_shared<State>();
    QByteArray format;
    if (!readHeader(file, *state, error, &format))
        return {};
    const qint64 extent = pictureExtent(file, format);
    state->bytes = file.read(std::min(extent, kMaxPictureFileBytes));
    if (state->bytes.isEmpty()) {
        if (error)
            *error = file.errorString();
        return {};
    }
    state->count();
    return StoredPicture(std::move(state));
}

QSize StoredPicture::size() const
{
    return d ? d->size : QSize();
}

QSizeF pointSizeFor(QSize size, int dpmX, int dpmY)
{
    if (size.isEmpty())
        return {};
    auto dpi = [](int dpm) {
        const double v = dpm * 0.0254;
        if (!(v >= 1 && v <= 100000))
            return 72.0;
        return std::abs(v - std::round(v)) < 0.05 ? std::round(v) : v;
    };
    return QSizeF(size.width() * 72.0 / dpi(dpmX), size.height() * 72.0 / dpi(dpmY));
}

QSizeF StoredPicture::pointSize() const
{
    return d ? pointSizeFor(d->size, d->dpmX, d->dpmY) : QSizeF();
}

QString StoredPicture::path() const
{
    return d ? d->path : QString();
}

QByteArray StoredPicture::storedBytes() const
{
    if (!d)
        return {};
    if (!d->bytes.isEmpty())
        return d->bytes;
    if (!d->path.isEmpty()) {
        QFile file(d->path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QMutexLocker lock(&d->pngMutex);
    if (d->png.isEmpty()) {
        QBuffer buffer(&d->png);
        buffer.open(QIODevice::WriteOnly);
        if (!d->memory.save(&buffer, "PNG"))
            d->png.clear();
    }
    return d->png;
}

QSize sizeCovering(QSize size, QSize need)
{
    if (size.isEmpty() || need.isEmpty())
        return size;
    const double f = std::min(1.0, std::max(double(need.width()) / size.width(), double(need.height()) / size.height()));
    return QSize(std::clamp(int(std::ceil(size.width() * f)), 1, size.width()),
                 std::clamp(int(std::ceil(size.height() * f)), 1, size.height()));
}

QImage StoredPicture::image(QSize need, QString* error) const
{
    if (!d)
        return {};
    if (!d->memory.isNull())
        return d->memory;
    const QSize target = sizeCovering(d->size, need);
    const qint64 pixels = qint64(target.width()) * target.height();
    QImage decoded;
    if (!d->bytes.isEmpty()) {
        QBuffer buffer;
        buffer.setData(d->bytes);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setDecideFormatFromContent(true);
        decoded = readPicture(reader, error, 0, pixels);
    } else {
        decoded = readPicture(d->path, error, 0, pixels);
    }
    return decoded;
}

bool StoredPicture::operator==(const StoredPicture& other) const
{
    if (d == other.d)
        return true;
    if (!d || !other.d)
        return false;
    if (!d->bytes.isEmpty() || !other.d->bytes.isEmpty())
        return d->bytes == other.d->bytes;
    if (!d->path.isEmpty() || !other.d->path.isEmpty())
        return d->path == other.d->path;
    return d->memory == other.d->memory;
}

} // namespace platform
