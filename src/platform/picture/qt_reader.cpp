// GIF (its first frame) and BMP pictures, which only Qt's readers decode:
// at full size (so read up to the decode cap only), then through the row
// scaler. What Qt's readers do not say is read from the files here: whether
// a GIF's first frame or a BMP's rows are cut, a BMP's resolution, and the
// bytes each picture takes.
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
    facts.extent = std::min(device.size(), offset + rows * stride);
    return facts;
}

// A GIF block after block: where its trailer ends (-1 when it has none),
// and whether the data of its first frame ends within the file.
struct GifFacts {
    qint64 extent = -1;
    bool firstFrameWhole = false;
};

GifFacts gifFacts(QIODevice& device)
{
    GifFacts facts;
    const QByteArray screen = device.seek(0) ? device.read(13) : QByteArray();
    if (screen.size() < 13)
        return facts;
    qint64 at = 13 + ((uchar(screen[10]) & 0x80) ? 3 << ((uchar(screen[10]) & 7) + 1) : 0);
    auto byteAt = [&device](qint64 where) {
        char c = 0;
        return device.seek(where) && device.getChar(&c) ? int(uchar(c)) : -1;
    };
    // Sub-blocks up to their terminator; the offset after it, or -1.
    auto subBlocks = [&byteAt](qint64 where) -> qint64 {
        for (int size; (size = byteAt(where)) > 0;)
            where += 1 + size;
        return byteAt(where) == 0 ? where + 1 : -1;
    };
    bool frames = false;
    for (;;) {
        const int kind = byteAt(at);
        if (kind == 0x3B) {
            facts.extent = at + 1;
            return facts;
        }
        if (kind == 0x21) {
            at = subBlocks(at + 2);
        } else if (kind == 0x2C) {
            const QByteArray image = device.read(9);
            if (image.size() < 9)
                return facts;
            const int flags = uchar(image[8]);
            at = subBlocks(at + 10 + ((flags & 0x80) ? 3 << ((flags & 7) + 1) : 0) + 1);
            if (!frames)
                facts.firstFrameWhole = at >= 0;
            frames = true;
        } else {
            return facts;
        }
        if (at < 0)
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

CodecHeader qtHeader(QIODevice& device, const QByteArray& format)
{
    CodecHeader header;
    QImageReader reader(&device, format);
    header.stored = reader.size();
    // A BMP stored top row first declares a negative height, and Qt's
    // reader passes it on.
    if (header.stored.height() < 0 && header.stored.height() > INT_MIN)
        header.stored.setHeight(-header.stored.height());
    // Qt's picture at full size, and its rows converted.
    header.workBytes = qint64(std::max(0, header.stored.width())) * std::max(0, header.stored.height()) * 4
        + qint64(std::max(0, header.stored.width())) * 8;
    return header;
}

class GifReader final : public Reader {
public:
    CodecHeader header(QIODevice& device) const override { return qtHeader(device, "gif"); }
    Decoded decode(QIODevice& device, const CodecHeader& header, QSize target) const override
    {
        const bool whole = gifFacts(device).firstFrameWhole;
        return readWithQt(device, "gif", header, target, !whole);
    }
    qint64 extent(QIODevice& device) const override { return gifFacts(device).extent; }
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
