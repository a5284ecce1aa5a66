#pragma once
// The readers of the picture kinds the program offers, one per format, each
// behind the same small interface (internal to the platform library): what
// its header says, the bytes the picture takes in its file, and the decode
// straight to a target size. The policy (picture_decode.h, policy.cpp)
// decides what may be read and when.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <limits>

class QIODevice;

namespace platform::picture {

// What a codec's header says: the size as stored, the orientation, the
// declared resolution (dots per metre as stored, 0 when none or not sane),
// and the memory its decode takes beside the target picture, at most.
struct CodecHeader {
    QSize stored;
    int orientation = 1;
    int dpmX = 0, dpmY = 0;
    qint64 workBytes = 0;
    QString error; // why it cannot be read ("" when it can)
};

struct Decoded {
    QImage image;         // null: not read, error says why
    QString error;
    bool damaged = false; // the data is cut or damaged: image holds what was read
};

class Reader {
public:
    virtual ~Reader() = default;
    // The header of the picture on device (at its start).
    virtual CodecHeader header(QIODevice& device) const = 0;
    // The picture on device (at its start) decoded to at most target (as
    // drawn, turned by its orientation); header is what header() said, and a
    // picture that no longer agrees with it (its file changed) is refused.
    virtual Decoded decode(QIODevice& device, const CodecHeader& header, QSize target) const = 0;
    // Bytes from the start of device that hold the picture, at most the
    // device's size; -1 when they cannot be told.
    virtual qint64 extent(QIODevice& device) const = 0;
};

// The reader of a kind as Qt names it ("png", "jpeg", "jpg", ...); null for
// a kind the program does not offer.
const Reader* readerFor(const QByteArray& format);
const Reader& pngReader();
const Reader& jpegReader();
const Reader& tiffReader();
const Reader& webpReader();
const Reader& gifReader();
const Reader& bmpReader();

// The message of a picture whose data is cut or damaged: what was read is
// shown.
QString damagedNotice();

// A declared resolution in dots per metre, or 0 when none is declared or it
// lies outside 1 to 100,000 dpi.
int saneDotsPerMeter(double dpm);

// An unsigned number of width bytes at `at`, least or most significant
// byte first.
inline quint32 littleEndian(const QByteArray& bytes, qsizetype at, int width)
{
    quint32 v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = v << 8 | uchar(bytes[at + i]);
    return v;
}

inline quint32 bigEndian(const QByteArray& bytes, qsizetype at, int width)
{
    quint32 v = 0;
    for (int i = 0; i < width; ++i)
        v = v << 8 | uchar(bytes[at + i]);
    return v;
}

// Sums and products of sizes and offsets read from files, at most the
// largest qint64 rather than wrapping.
inline qint64 cappedSum(qint64 a, qint64 b)
{
    qint64 r;
    return __builtin_add_overflow(a, b, &r) ? std::numeric_limits<qint64>::max() : r;
}

inline qint64 cappedProduct(qint64 a, qint64 b)
{
    qint64 r;
    return __builtin_mul_overflow(a, b, &r) ? std::numeric_limits<qint64>::max() : r;
}

// Whether an orientation (EXIF or TIFF, 1 to 8) turns the picture a quarter.
inline bool turnsQuarter(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// The refusal of a picture that is not the one its header described.
inline Decoded changed()
{
    return {QImage(), QStringLiteral("the file changed while it was read"), false};
}

inline Decoded failed(const QString& why)
{
    return {QImage(), why, false};
}

} // namespace platform::picture
