#pragma once
// Pieces shared by the picture decoders of picture_decode*.cpp (internal to
// the platform library): the row scaler, the turn of a picture by its
// orientation tag, and the decoders kept in their own files.
#include <QImage>
#include <QSize>
#include <QString>
#include <algorithm>
#include <cmath>
#include <sys/mman.h>
#include <vector>

class QIODevice;

namespace platform::decode {

// Qt's readers decode at full size before they scale. The readers here take a picture row by row and average the rows into the
// target size as they come (a box filter over premultiplied pixels): memory
// for the target picture and one row, one pass over the data.
class RowScaler {
public:
    // 8-bit rows of 1 (grey), 2 (grey, alpha), 3 (RGB) or 4 (RGBA) channels;
    // premultiplied: the colours of rows with alpha are already multiplied
    // by it.
    bool start(quint32 width, quint32 height, int channels, QSize target, bool premultiplied = false)
    {
        if (width < 1 || height < 1 || channels < 1 || channels > 4)
            return false;
        width_ = width;
        height_ = height;
        channels_ = channels;
        premultiplied_ = premultiplied;
        const int tw = int(std::min<quint32>(quint32(target.width()), width));
        const int th = int(std::min<quint32>(quint32(target.height()), height));
        image_ = QImage(tw, th, QImage::Format_ARGB32_Premultiplied);
        if (image_.isNull())
            return false;
        // The picture is written once, row after row: large pages make the
        // first touch of its memory cost a few faults instead of thousands.
        const auto page = quintptr(4096);
        const auto begin = (quintptr(image_.bits()) + page - 1) & ~(page - 1);
        const auto end = (quintptr(image_.bits()) + quintptr(image_.sizeInBytes())) & ~(page - 1);
        if (end > begin)
            ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
        row_.resize(size_t(width) * size_t(channels));
        sums_.assign(size_t(tw) * 4, 0);
        column_.resize(width);
        std::vector<quint32> perColumn(size_t(tw), 0);
        for (quint32 x = 0; x < width; ++x) {
            column_[x] = int(quint64(x) * quint64(tw) / width);
            ++perColumn[size_t(column_[x])];
        }
        inverse_.resize(size_t(tw));
        for (int x = 0; x < tw; ++x)
            inverse_[size_t(x)] = 1.0f / float(perColumn[size_t(x)]);
        return true;
    }

    // The buffer the next row is decoded into.
    uchar* row() { return row_.data(); }

    // Adds the row just decoded to the sums of its target row.
    void addRow()
    {
        const int ty = int(quint64(y_) * quint64(image_.height()) / height_);
        if (ty != current_) {
            emitRow();
            current_ = ty;
        }
        ++y_;
        ++rows_;
        accumulate();
    }

    // The scaled picture, its resolution scaled with it from the full
    // picture's (dots per metre; <= 0: the default of a new image), so the
    // size in points stays that of the full picture. The full size is that
    // of the rows unless the decoder already reduced them.
    QImage finish(int fullDpmX, int fullDpmY, QSize full = {})
    {
        emitRow();
        if (!full.isValid())
            full = QSize(int(width_), int(height_));
        if (fullDpmX <= 0)
            fullDpmX = image_.dotsPerMeterX();
        if (fullDpmY <= 0)
            fullDpmY = image_.dotsPerMeterY();
        image_.setDotsPerMeterX(std::max(1, int(std::lround(double(fullDpmX) * image_.width() / full.width()))));
        image_.setDotsPerMeterY(std::max(1, int(std::lround(double(fullDpmY) * image_.height() / full.height()))));
        return std::move(image_);
    }

private:
    // Writes the averages of the current target row. Grey pictures sum one
    // channel, opaque ones no alpha.
    void emitRow()
    {
        if (rows_ == 0)
            return;
        // Local pointers: the output row may not alias the sums, so the
        // loop keeps them in registers.
        quint32* const out = reinterpret_cast<quint32*>(image_.scanLine(current_));
        quint32* const sums = sums_.data();
        const float* const inverse = inverse_.data();
        const int width = image_.width();
        const float perRow = 1.0f / float(rows_);
        const bool grey = channels_ <= 2, opaque = channels_ == 1 || channels_ == 3;
        for (int x = 0; x < width; ++x) {
            const float scale = inverse[x] * perRow;
            const quint32* sum = sums + size_t(x) * 4;
            auto average = [scale, sum](int c) { return std::min(quint32(float(sum[c]) * scale + 0.5f), 255u); };
            const quint32 b = average(0);
            const quint32 g = grey ? b : average(1);
            const quint32 r = grey ? b : average(2);
            const quint32 alpha = opaque ? 255 : average(3);
            out[x] = alpha << 24 | r << 16 | g << 8 | b;
        }
        std::fill(sums, sums + sums_.size(), 0u);
        rows_ = 0;
    }

    void accumulate()
    {
        const uchar* p = row_.data();
        const int* column = column_.data();
        quint32* sums = sums_.data();
        const size_t width = column_.size();
        auto premultiplied = [](quint32 c, quint32 a) { return a == 255 ? c : (c * a + 127) / 255; };
        switch (premultiplied_ && channels_ == 4 ? 0 : channels_) {
        case 0:
            for (size_t x = 0; x < width; ++x, p += 4) {
                quint32* sum = sums + size_t(column[x]) * 4;
                sum[0] += p[2];
                sum[1] += p[1];
                sum[2] += p[0];
                sum[3] += p[3];
            }
            break;
        case 1:
            for (size_t x = 0; x < width; ++x, ++p)
                sums[size_t(column[x]) * 4] += p[0];
            break;
        case 2:
            for (size_t x = 0; x < width; ++x, p += 2) {
                quint32* sum = sums + size_t(column[x]) * 4;
                sum[0] += premultiplied(p[0], p[1]);
                sum[3] += p[1];
            }
            break;
        case 3:
            for (size_t x = 0; x < width; ++x, p += 3) {
                quint32* sum = sums + size_t(column[x]) * 4;
                sum[0] += p[2];
                sum[1] += p[1];
                sum[2] += p[0];
            }
            break;
        default:
            for (size_t x = 0; x < width; ++x, p += 4) {
                quint32* sum = sums + size_t(column[x]) * 4;
                sum[0] += premultiplied(p[2], p[3]);
                sum[1] += premultiplied(p[1], p[3]);
                sum[2] += premultiplied(p[0], p[3]);
                sum[3] += p[3];
            }
            break;
        }
    }

    quint32 width_ = 0, height_ = 0, y_ = 0, rows_ = 0;
    int channels_ = 0, current_ = 0;
    bool premultiplied_ = false;
    std::vector<uchar> row_;
    std::vector<quint32> sums_;  // per target column: premultiplied B, G, R and A
    std::vector<int> column_;    // target column of each source column
    std::vector<float> inverse_; // 1 / source columns per target column
    QImage image_;
};


// The picture turned as an EXIF or TIFF orientation (1 to 8) says, its
// resolution turned with it.
QImage oriented(QImage image, int orientation);

// Reads a TIFF picture from device (at its start) straight to at most the
// target size (scaled when target is valid and smaller than the picture).
// Null with the reason in *message.
QImage readTiffScaled(QIODevice* device, QSize target, QString* message);

} // namespace platform::decode
