// WebP pictures read through libwebp: the header from its own feature call,
// the chunks found by their sizes, and only the first frame's chunks read
// and decoded by libwebp's scaler straight to the target size (it scales row
// by row as it decodes), so neither a large canvas, an animation nor bytes
// after the picture cost more than the target picture. A frame whose data
// ends early is shown as far as it was decoded.
#include "platform/picture/reader.h"

#include <QIODevice>
#include <algorithm>
#include <cmath>
#include <webp/decode.h>

namespace platform::picture {
namespace {

// Where the first frame lies: its chunks (an alpha chunk and the image
// chunk, or the inside of the first animation frame) and its place on the
// canvas.
struct Frame {
    qint64 from = 0, to = 0;  // its chunks in the file, as far as the file holds them
    QRect place;              // on the canvas (empty: the whole canvas)
    bool lossless = false, alpha = false;
    bool found = false;
};

Frame firstFrame(QIODevice& device)
{
    Frame frame;
    if (!device.seek(0))
        return frame;
    const QByteArray riff = device.read(12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WEBP")
        return frame;
    const qint64 end = std::min<qint64>(8 + qint64(littleEndian(riff, 4, 4)), device.size());
    qint64 at = 12, alphaAt = -1;
    while (at + 8 <= end && device.seek(at)) {
        const QByteArray head = device.read(8);
        if (head.size() < 8)
            break;
        const QByteArray type = head.left(4);
        const qint64 size = littleEndian(head, 4, 4), next = at + 8 + size + (size & 1);
        // A chunk cut short holds what the file holds of it.
        const qint64 chunkEnd = std::min(at + 8 + size, end);
        if (type == "ALPH") {
            alphaAt = at;
        } else if (type == "VP8 " || type == "VP8L") {
            frame.from = alphaAt >= 0 ? alphaAt : at;
            frame.to = chunkEnd;
            frame.alpha = alphaAt >= 0;
            frame.lossless = type == "VP8L";
            frame.found = true;
            return frame;
        } else if (type == "ANMF") {
            const QByteArray inside = device.read(16 + 8);
            if (inside.size() < 24)
                return frame;
            frame.place = QRect(int(littleEndian(inside, 0, 3)) * 2, int(littleEndian(inside, 3, 3)) * 2,
                                int(littleEndian(inside, 6, 3)) + 1, int(littleEndian(inside, 9, 3)) + 1);
            frame.from = at + 8 + 16;
            frame.to = std::max(frame.from, chunkEnd);
            frame.alpha = inside.mid(16, 4) == "ALPH";
            frame.lossless = inside.mid(16, 4) == "VP8L";
            frame.found = true;
            return frame;
        } else {
            alphaAt = -1;
        }
        at = next;
    }
    return frame;
}

QString statusText(VP8StatusCode status)
{
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return QStringLiteral("out of memory");
    case VP8_STATUS_UNSUPPORTED_FEATURE: return QStringLiteral("a feature not supported");
    case VP8_STATUS_NOT_ENOUGH_DATA:
    case VP8_STATUS_SUSPENDED: return QStringLiteral("the data ends early");
    default: return QStringLiteral("damaged data");
    }
}

// libwebp holds a lossless frame whole (its pixels refer to any pixel
// before them), the alpha of a lossy one whole, and the chunks read.
qint64 workBytes(const Frame& frame, QSize canvas)
{
    const QSize size = frame.place.isEmpty() ? canvas : frame.place.size();
    const qint64 pixels = qint64(size.width()) * size.height();
    return (frame.to - frame.from) + (frame.lossless ? pixels * 4 + qint64(size.width()) * 64 : 0)
        + (frame.alpha ? pixels : 0) + qint64(size.width()) * 64;
}

class WebpReader final : public Reader {
public:
    CodecHeader header(QIODevice& device) const override
    {
        CodecHeader header;
        // The canvas size and the kind are in the first chunks.
        const QByteArray head = device.peek(64);
        WebPBitstreamFeatures features {};
        const VP8StatusCode status =
            WebPGetFeatures(reinterpret_cast<const uint8_t*>(head.constData()), size_t(head.size()), &features);
        const Frame frame = firstFrame(device);
        if (status != VP8_STATUS_OK)
            header.error = QStringLiteral("its WebP header cannot be read (%1)").arg(statusText(status));
        else if (!frame.found)
            header.error = QStringLiteral("its WebP data holds no picture");
        else
            header.stored = QSize(features.width, features.height);
        header.workBytes = workBytes(frame, header.stored);
        return header;
    }

    Decoded decode(QIODevice& device, const CodecHeader& expected, QSize target) const override
    {
        const Frame frame = firstFrame(device);
        const QSize canvas = expected.stored;
        if (!frame.found || workBytes(frame, canvas) > expected.workBytes || !device.seek(frame.from))
            return changed();
        const QByteArray bytes = device.read(frame.to - frame.from);
        const QRect place = frame.place.isEmpty() ? QRect(QPoint(0, 0), canvas) : frame.place;
        // The first frame, placed on the canvas as its offset says, scaled as
        // the canvas is.
        const double fx = double(target.width()) / canvas.width(), fy = double(target.height()) / canvas.height();
        const int left = std::min(int(place.x() * fx), target.width() - 1);
        const int top = std::min(int(place.y() * fy), target.height() - 1);
        const int width = std::clamp(int(std::lround(place.width() * fx)), 1, target.width() - left);
        const int height = std::clamp(int(std::lround(place.height() * fy)), 1, target.height() - top);
        QImage image(target, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            return failed(statusText(VP8_STATUS_OUT_OF_MEMORY));
        image.fill(0);
        WebPDecoderConfig config;
        WebPInitDecoderConfig(&config);
        config.options.use_scaling = width != place.width() || height != place.height();
        config.options.scaled_width = width;
        config.options.scaled_height = height;
        // Premultiplied B, G, R, A in memory: the layout of the picture's pixels.
        config.output.colorspace = MODE_bgrA;
        config.output.is_external_memory = 1;
        config.output.u.RGBA.rgba = image.scanLine(top) + size_t(left) * 4;
        config.output.u.RGBA.stride = int(image.bytesPerLine());
        config.output.u.RGBA.size = size_t(image.bytesPerLine()) * size_t(height - 1) + size_t(width) * 4;
        WebPIDecoder* decoder = WebPIDecode(nullptr, 0, &config);
        if (!decoder)
            return failed(statusText(VP8_STATUS_OUT_OF_MEMORY));
        const VP8StatusCode status =
            WebPIUpdate(decoder, reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
        int rows = 0;
        WebPIDecGetRGB(decoder, &rows, nullptr, nullptr, nullptr);
        WebPIDelete(decoder);
        WebPFreeDecBuffer(&config.output);
        if (status == VP8_STATUS_OK)
            return {std::move(image), QString(), false};
        // Cut short: the rows decoded are shown.
        if (status == VP8_STATUS_SUSPENDED && rows > 0)
            return {std::move(image), QString(), true};
        return failed(QStringLiteral("its WebP data cannot be read (%1)").arg(statusText(status)));
    }

    // The RIFF chunk as its size gives it.
    qint64 extent(QIODevice& device) const override
    {
        const QByteArray riff = device.seek(0) ? device.read(8) : QByteArray();
        if (riff.size() < 8)
            return -1;
        return std::min<qint64>(8 + qint64(littleEndian(riff, 4, 4)), device.size());
    }
};

} // namespace

const Reader& webpReader()
{
    static const WebpReader reader;
    return reader;
}

} // namespace platform::picture
