#include "platform/stored_picture.h"

#include "platform/picture_decode.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QMutex>
#include <atomic>
#include <cmath>
#include <cstring>
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

quint32 bigEndian(const uchar* p, int width)
{
    quint32 v = 0;
    for (int i = 0; i < width; ++i)
        v = v << 8 | p[i];
    return v;
}

quint32 littleEndian(const uchar* p, int width)
{
    quint32 v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = v << 8 | p[i];
    return v;
}

// What the header says beyond the size: the resolution in dots per metre
// (0 when it gives none) and, for JPEG, whether its EXIF orientation turns
// it a quarter (the drawn picture then has width and height swapped).
struct HeaderExtras {
    int dpmX = 0, dpmY = 0;
    bool quarterTurn = false;
};

void pngExtras(const QByteArray& head, HeaderExtras* out)
{
    const auto* p = reinterpret_cast<const uchar*>(head.constData());
    for (qsizetype at = 8; at + 12 <= head.size();) {
        const quint32 length = bigEndian(p + at, 4);
        const char* type = head.constData() + at + 4;
        if (std::memcmp(type, "IDAT", 4) == 0)
            return;
        if (std::memcmp(type, "pHYs", 4) == 0 && length == 9 && at + 8 + 9 <= head.size()) {
            if (p[at + 16] == 1) { // per metre
                out->dpmX = int(std::min<quint32>(bigEndian(p + at + 8, 4), INT_MAX));
                out->dpmY = int(std::min<quint32>(bigEndian(p + at + 12, 4), INT_MAX));
            }
            return;
        }
        at += 12 + qsizetype(length);
    }
}

void jpegExtras(const QByteArray& head, HeaderExtras* out)
{
    const auto* p = reinterpret_cast<const uchar*>(head.constData());
    for (qsizetype at = 2; at + 4 <= head.size();) {
        if (p[at] != 0xFF)
            return;
        const uchar marker = p[at + 1];
        if (marker == 0xDA || marker == 0xD9)
            return;
        const qsizetype length = qsizetype(bigEndian(p + at + 2, 2));
        const uchar* data = p + at + 4;
        const qsizetype size = std::min<qsizetype>(length - 2, head.size() - at - 4);
        if (marker == 0xE0 && size >= 12 && std::memcmp(data, "JFIF\0", 5) == 0) {
            const int unit = data[7];
            const double perMetre = unit == 1 ? 1 / 0.0254 : unit == 2 ? 100.0 : 0.0;
            out->dpmX = int(std::lround(bigEndian(data + 8, 2) * perMetre));
            out->dpmY = int(std::lround(bigEndian(data + 10, 2) * perMetre));
        } else if (marker == 0xE1 && size >= 14 && std::memcmp(data, "Exif\0\0", 6) == 0) {
            const uchar* tiff = data + 6;
            const qsizetype tiffSize = size - 6;
            const bool little = tiff[0] == 'I';
            auto number = [&](qsizetype from, int width) {
                return little ? littleEndian(tiff + from, width) : bigEndian(tiff + from, width);
            };
            const qsizetype ifd = qsizetype(number(4, 4));
            if (ifd + 2 <= tiffSize) {
                const qsizetype entries = qsizetype(number(ifd, 2));
                for (qsizetype i = 0; i < entries && ifd + 2 + 12 * (i + 1) <= tiffSize; ++i)
                    if (number(ifd + 2 + 12 * i, 2) == 0x0112) {
                        out->quarterTurn = number(ifd + 2 + 12 * i + 8, 2) >= 5 && number(ifd + 2 + 12 * i + 8, 2) <= 8;
                        break;
                    }
            }
        }
        at += 2 + length;
    }
}

void bmpExtras(const QByteArray& head, HeaderExtras* out)
{
    if (head.size() < 46 || littleEndian(reinterpret_cast<const uchar*>(head.constData()) + 14, 4) < 40)
        return;
    const auto* p = reinterpret_cast<const uchar*>(head.constData());
    out->dpmX = int(std::min<quint32>(littleEndian(p + 38, 4), INT_MAX));
    out->dpmY = int(std::min<quint32>(littleEndian(p + 42, 4), INT_MAX));
}

// TIFF resolution tags (282, 283, rationals; unit 296: 2 inch, 3 cm) and
// orientation (274; 5 to 8 turn it a quarter) of the first directory, which
// may lie anywhere in the file.
void tiffExtras(QIODevice& device, HeaderExtras* out)
{
    if (!device.seek(0))
        return;
    const QByteArray head = device.read(8);
    if (head.size() < 8)
        return;
    const bool little = head[0] == 'I';
    auto number = [little](const QByteArray& b, qsizetype at, int width) {
        const auto* p = reinterpret_cast<const uchar*>(b.constData()) + at;
        return little ? littleEndian(p, width) : bigEndian(p, width);
    };
    if (!device.seek(number(head, 4, 4)))
        return;
    const QByteArray count = device.read(2);
    if (count.size() < 2)
        return;
    const QByteArray entries = device.read(qint64(number(count, 0, 2)) * 12);
    double x = 0, y = 0;
    int unit = 2;
    auto rational = [&](quint32 offset) {
        if (!device.seek(offset))
            return 0.0;
        const QByteArray r = device.read(8);
        return r.size() == 8 && number(r, 4, 4) ? double(number(r, 0, 4)) / number(r, 4, 4) : 0.0;
    };
    for (qsizetype at = 0; at + 12 <= entries.size(); at += 12) {
        const quint32 tag = number(entries, at, 2);
        if (tag == 282)
            x = rational(number(entries, at + 8, 4));
        else if (tag == 283)
            y = rational(number(entries, at + 8, 4));
        else if (tag == 296)
            unit = int(number(entries, at + 8, 2));
        else if (tag == 274)
            out->quarterTurn = number(entries, at + 8, 2) >= 5 && number(entries, at + 8, 2) <= 8;
    }
    const double perMetre = unit == 3 ? 100.0 : unit == 2 ? 1 / 0.0254 : 0.0;
    out->dpmX = int(std::lround(std::min(x * perMetre, double(INT_MAX))));
    out->dpmY = int(std::lround(std::min(y * perMetre, double(INT_MAX))));
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
// it would not be read.
bool readHeader(QIODevice& device, StoredPicture::State& state, QString* error)
{
    QImageReader reader(&device);
    reader.setDecideFormatFromContent(true);
    const PictureHeader header = readPictureHeader(reader);
    if (!header.ok()) {
        if (error)
            *error = header.error;
        return false;
    }
    HeaderExtras extras;
    if (header.format == "tiff" || header.format == "tif") {
        tiffExtras(device, &extras);
    } else if (device.seek(0)) {
        const QByteArray head = device.read(256 * 1024);
        if (header.format == "png")
            pngExtras(head, &extras);
        else if (header.format == "jpeg" || header.format == "jpg")
            jpegExtras(head, &extras);
        else if (header.format == "bmp")
            bmpExtras(head, &extras);
    }
    state.size = extras.quarterTurn ? header.size.transposed() : header.size;
    state.dpmX = extras.dpmX > 0 ? extras.dpmX : defaultDotsPerMeter();
    state.dpmY = extras.dpmY > 0 ? extras.dpmY : defaultDotsPerMeter();
    if (extras.quarterTurn)
        std::swap(state.dpmX, state.dpmY);
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
    if (!identityOf(path, error))
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return {};
    }
    return fromBytes(file.readAll(), error);
}

QSize StoredPicture::size() const
{
    return d ? d->size : QSize();
}

QSizeF pointSizeFor(QSize size, int dpmX, int dpmY)
{
    auto dpi = [](int dpm) {
        if (dpm <= 0)
            return 72.0;
        const double v = dpm * 0.0254;
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
