// GIF (its first frame) and BMP pictures, which only Qt's readers decode:
// at full size (so read up to the decode cap only), then through the row
// scaler. What Qt's readers do not say is read from the files here: a GIF's
// screen and whether its first frame is cut, whether a BMP's rows are cut,
// its resolution, and the bytes each picture takes.
#include "platform/picture/reader.h"
#include "platform/picture/row_scaler.h"

#include <QIODevice>
#include <QImageReader>
#include <cstring>

namespace platform::picture {
namespace {

// A BMP's resolution (signed in its header, as Qt's reader passes it on),
// the bytes its rows take and whether its uncompressed rows end before the
// last: the rows not in the file are then made transparent (bottom-up files
// lose their top rows).
struct BmpFacts {
    int dpmX = 0, dpmY = 0;
    int rowsMissing = 0;
    bool topDown = false;
    qint64 extent = -1;
};

BmpFacts bmpFacts(QIODevice& device)
{
    BmpFacts facts;
    const QByteArray head = device.peek(54);
    if (head.size() < 54)
        return facts;
    auto number = [&head](int at, int width) { return littleEndian(head, at, width); };
    if (number(14, 4) < 40)
        return facts; // an OS/2 header: no resolution
    facts.dpmX = saneDotsPerMeter(qint32(number(38, 4)));
    facts.dpmY = saneDotsPerMeter(qint32(number(42, 4)));
    const qint64 width = qint32(number(18, 4)), height = qint32(number(22, 4)), bits = number(28, 2);
    const quint32 compression = number(30, 4);
    const qint64 offset = number(10, 4);
    if (compression != 0 && compression != 3) {
        if (number(34, 4) > 0) // the compressed rows' size
            facts.extent = std::min(device.size(), offset + qint64(number(34, 4)));
        return facts;
    }
    if (width <= 0 || height == 0 || height == INT_MIN || bits == 0)
        return facts;
    facts.topDown = height < 0;
    const qint64 rows = std::abs(height), stride = (width * bits + 31) / 32 * 4;
    const qint64 present = (device.size() - offset) / stride;
    facts.rowsMissing = int(std::clamp<qint64>(rows - present, 0, rows));
    facts.extent = std::min(device.size(), cappedSum(offset, cappedProduct(rows, stride)));
    return facts;
}

// A GIF read once from its start in pieces, block after block: its
// logical screen, the place of its first frame, whether that frame's data
// ends within the file, and, when walked to its end, where its trailer
// ends (-1 when it has none). The walk stops as soon as it knows what was
// asked: the first frame's place, its whole data, or the end.
struct GifFacts {
    QSize screen;
    QRect firstFrame;
    bool firstFrameWhole = false;
    qint64 extent = -1;
};

enum class GifWalk { Descriptor, FirstFrame, End };

GifFacts gifFacts(QIODevice& device, GifWalk walk)
{
    GifFacts facts;
    if (!device.seek(0))
        return facts;
    QByteArray buffer;
    qint64 base = 0; // offset of buffer[0]
    qsizetype at = 0;
    auto have = [&](qsizetype n) {
        if (buffer.size() - at >= n)
            return true;
        if (at > buffer.size() && (base + at > device.size() || !device.seek(base + at))) // past a palette
            return false;
        buffer = buffer.mid(at) + device.read(std::max<qint64>(64 * 1024, n));
        base += at;
        at = 0;
        return buffer.size() >= n;
    };
    auto byte = [&](qsizetype i) { return int(uchar(buffer[at + i])); };
    // Past sub-blocks up to their terminator; false when the file ends first.
    auto subBlocks = [&] {
        for (;;) {
            if (!have(1))
                return false;
            const int size = byte(0);
            if (!have(1 + size))
                return false;
            at += 1 + size;
            if (size == 0)
                return true;
        }
    };
    auto table = [](int flags) { return (flags & 0x80) ? 3 << ((flags & 7) + 1) : 0; };
    if (!have(13))
        return facts;
    facts.screen = QSize(int(littleEndian(buffer, 6, 2)), int(littleEndian(buffer, 8, 2)));
    at = 13 + table(byte(10));
    for (bool frames = false;;) {
        if (!have(1))
            return facts;
        const int kind = byte(0);
        if (kind == 0x3B) {
            facts.extent = base + at + 1;
            return facts;
        }
        if (kind == 0x21) {
            if (!have(2))
                return facts;
            at += 2;
        } else if (kind == 0x2C) {
            if (!have(10))
                return facts;
            if (!frames) {
                facts.firstFrame = QRect(int(littleEndian(buffer, at + 1, 2)), int(littleEndian(buffer, at + 3, 2)),
                                         int(littleEndian(buffer, at + 5, 2)), int(littleEndian(buffer, at + 7, 2)));
                if (walk == GifWalk::Descriptor)
                    return facts;
            }
            const int flags = byte(9);
            at += 10 + table(flags) + 1; // the descriptor, its palette and the LZW code size
        } else {
            return facts;
        }
        const bool whole = subBlocks();
        if (kind == 0x2C && !frames) {
            facts.firstFrameWhole = whole;
            frames = true;
            if (walk == GifWalk::FirstFrame)
                return facts;
        }
        if (!whole)
            return facts;
    }
}

// The first frame read by Qt at full size, then scaled to target.
Decoded readWithQt(QIODevice& device, const QByteArray& format, const CodecHeader& expected, QSize target,
                   bool damaged, const BmpFacts& bmp = {})
{
    if (!device.seek(0))
        return changed();
    QImageReader reader(&device, format);
    const QImage image = reader.read();
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return failed(reader.errorString());
    if (image.size() != expected.stored)
        return changed();
    RowScaler scaler;
    QString why;
    if (!scaler.start(quint32(image.width()), quint32(image.height()), 4, target, true, &why))
        return failed(why);
    // Row by row into premultiplied RGBA: no copy of the whole picture.
    const QList<QRgb> colours = image.colorTable();
    const int missingFrom = bmp.topDown ? image.height() - bmp.rowsMissing : 0;
    for (int y = 0; y < image.height(); ++y) {
        uchar* out = scaler.row();
        if (y >= missingFrom && y < missingFrom + bmp.rowsMissing) {
            std::memset(out, 0, size_t(image.width()) * 4);
        } else {
            QImage line(image.constScanLine(y), image.width(), 1, image.bytesPerLine(), image.format());
            line.setColorTable(colours);
            const QImage rgba = line.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
            std::memcpy(out, rgba.constScanLine(0), size_t(image.width()) * 4);
        }
        scaler.addRow();
    }
    return {scaler.finish(expected.dpmX, expected.dpmY), QString(), damaged || bmp.rowsMissing > 0};
}

// Qt's picture at full size, and its rows converted.
qint64 qtWorkBytes(QSize size)
{
    const qint64 width = std::max(0, size.width()), height = std::max(0, size.height());
    return cappedSum(cappedProduct(width * height, 4), width * 8);
}

CodecHeader qtHeader(QIODevice& device, const QByteArray& format)
{
    CodecHeader header;
    QImageReader reader(&device, format);
    header.stored = reader.size();
    // A BMP stored top row first declares a negative height, and Qt's
    // reader passes it on.
    if (header.stored.height() < 0 && header.stored.height() > INT_MIN)
        header.stored.setHeight(-header.stored.height());
    header.workBytes = qtWorkBytes(header.stored);
    return header;
}

class GifReader final : public Reader {
public:
    // The picture is the logical screen with the first frame on it, as Qt's
    // reader gives it; a screen of no width or height takes the frame's.
    CodecHeader header(QIODevice& device) const override
    {
        const GifFacts gif = gifFacts(device, GifWalk::Descriptor);
        QSize size = gif.screen;
        if (size.width() == 0)
            size.setWidth(gif.firstFrame.x() + gif.firstFrame.width());
        if (size.height() == 0)
            size.setHeight(gif.firstFrame.y() + gif.firstFrame.height());
        CodecHeader header;
        if (!gif.firstFrame.isEmpty())
            header.stored = size;
        header.workBytes = qtWorkBytes(header.stored);
        return header;
    }
    Decoded decode(QIODevice& device, const CodecHeader& header, QSize target) const override
    {
        const bool whole = gifFacts(device, GifWalk::FirstFrame).firstFrameWhole;
        return readWithQt(device, "gif", header, target, !whole);
    }
    qint64 extent(QIODevice& device) const override { return gifFacts(device, GifWalk::End).extent; }
};

class BmpReader final : public Reader {
public:
    CodecHeader header(QIODevice& device) const override
    {
        CodecHeader header = qtHeader(device, "bmp");
        if (device.seek(0)) {
            const BmpFacts bmp = bmpFacts(device);
            header.dpmX = bmp.dpmX;
            header.dpmY = bmp.dpmY;
        }
        return header;
    }
    Decoded decode(QIODevice& device, const CodecHeader& header, QSize target) const override
    {
        const BmpFacts bmp = bmpFacts(device);
        return readWithQt(device, "bmp", header, target, false, bmp);
    }
    qint64 extent(QIODevice& device) const override { return device.seek(0) ? bmpFacts(device).extent : -1; }
};

} // namespace

const Reader& gifReader()
{
    static const GifReader reader;
    return reader;
}

const Reader& bmpReader()
{
    static const BmpReader reader;
    return reader;
}

} // namespace platform::picture
