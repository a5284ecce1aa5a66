// WebP pictures read through libwebp: the header from its own feature call,
// and the first frame decoded by libwebp's scaler straight to the target
// size (it scales row by row as it decodes), so neither a large canvas nor
// an animation costs more than the target picture.
#include "platform/picture_decode_rows.h"

#include <QBuffer>
#include <QIODevice>
#include <webp/decode.h>
#include <webp/demux.h>

namespace platform::decode {
namespace {

// The bytes of the picture on device (at its start): a buffer's own, or
// read whole.
QByteArray allBytes(QIODevice* device)
{
    if (auto* buffer = qobject_cast<QBuffer*>(device))
        return buffer->data();
    return device->readAll();
}

QString statusText(VP8StatusCode status)
{
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return QStringLiteral("out of memory");
    case VP8_STATUS_UNSUPPORTED_FEATURE: return QStringLiteral("a feature not supported");
    case VP8_STATUS_NOT_ENOUGH_DATA: return QStringLiteral("the data ends early");
    default: return QStringLiteral("damaged data");
    }
}

} // namespace

CodecHeader readWebpHeader(QIODevice* device)
{
    CodecHeader header;
    // The canvas size and the kind are in the first chunks.
    const QByteArray head = device->peek(64);
    WebPBitstreamFeatures features {};
    const VP8StatusCode status =
        WebPGetFeatures(reinterpret_cast<const uint8_t*>(head.constData()), size_t(head.size()), &features);
    if (status != VP8_STATUS_OK)
        header.error = QStringLiteral("its WebP header cannot be read (%1)").arg(statusText(status));
    else
        header.stored = QSize(features.width, features.height);
    return header;
}

QImage readWebpScaled(QIODevice* device, QSize target, QString* message)
{
    // libwebp decodes from memory: the file is read whole, up to the size
    // of the largest picture a WebP file holds.
    constexpr qint64 kMaxFileBytes = 256LL * 1024 * 1024;
    if (device->size() > kMaxFileBytes) {
        *message = QStringLiteral("its file is larger than %1 MB").arg(kMaxFileBytes >> 20);
        return {};
    }
    const QByteArray bytes = allBytes(device);
    const WebPData data{reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())};
    WebPDemuxer* demux = WebPDemux(&data);
    if (!demux) {
        *message = statusText(VP8_STATUS_BITSTREAM_ERROR);
        return {};
    }
    const int canvasWidth = int(WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH));
    const int canvasHeight = int(WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT));
    WebPIterator frame {};
    if (canvasWidth < 1 || canvasHeight < 1 || !WebPDemuxGetFrame(demux, 1, &frame)) {
        WebPDemuxDelete(demux);
        *message = statusText(VP8_STATUS_BITSTREAM_ERROR);
        return {};
    }
    if (!target.isValid())
        target = QSize(canvasWidth, canvasHeight);
    // The first frame, placed on the canvas as its offset says, scaled as the
    // canvas is.
    const double fx = double(target.width()) / canvasWidth, fy = double(target.height()) / canvasHeight;
    const int left = std::min(int(frame.x_offset * fx), target.width() - 1);
    const int top = std::min(int(frame.y_offset * fy), target.height() - 1);
    const int width = std::clamp(int(std::lround(frame.width * fx)), 1, target.width() - left);
    const int height = std::clamp(int(std::lround(frame.height * fy)), 1, target.height() - top);
    QImage image(target, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        WebPDemuxReleaseIterator(&frame);
        WebPDemuxDelete(demux);
        *message = statusText(VP8_STATUS_OUT_OF_MEMORY);
        return {};
    }
    image.fill(0);
    WebPDecoderConfig config;
    WebPInitDecoderConfig(&config);
    config.options.use_scaling = width != frame.width || height != frame.height;
    config.options.scaled_width = width;
    config.options.scaled_height = height;
    // Premultiplied B, G, R, A in memory: the layout of the picture's pixels.
    config.output.colorspace = MODE_bgrA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = image.scanLine(top) + size_t(left) * 4;
    config.output.u.RGBA.stride = int(image.bytesPerLine());
    config.output.u.RGBA.size = size_t(image.bytesPerLine()) * size_t(height - 1) + size_t(width) * 4;
    const VP8StatusCode status = WebPDecode(frame.fragment.bytes, frame.fragment.size, &config);
    WebPFreeDecBuffer(&config.output);
    WebPDemuxReleaseIterator(&frame);
    WebPDemuxDelete(demux);
    if (status != VP8_STATUS_OK) {
        *message = statusText(status);
        return {};
    }
    return image;
}

} // namespace platform::decode
