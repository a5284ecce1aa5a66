#pragma once
// Pieces shared by the picture decoders of picture_decode*.cpp (internal to
// the platform library): the bounds every decoder keeps, the row scaler,
// the turn of a picture by its orientation tag, and the decoders kept in
// their own files.
#include <QImage>
#include <QSize>
#include <QString>
#include <algorithm>
#include <cmath>
#include <sys/mman.h>
#include <vector>

class QIODevice;

namespace platform::decode {

// Most bytes one source row may take as stored, and most bytes of the
// decoders' own buffers beside the picture (a band of rows, a strip or a
// tile, libjpeg's coefficients take their own bound below).
inline constexpr qint64 kRowBytes = 16LL * 1024 * 1024;
inline constexpr qint64 kBufferBytes = 64LL * 1024 * 1024;
// Most memory libjpeg may take for one picture: a progressive JPEG holds the
// coefficients of the whole picture (two bytes a sample) while it decodes.
inline constexpr long kJpegMemoryBytes = 96L * 1024 * 1024;

// The message of a picture whose data ends before its last row: what was
// read is shown.
QString damagedNotice();

// A declared resolution in dots per metre, or 0 when none is declared or it
// lies outside 1 to 100,000 dpi.
int saneDotsPerMeter(double dpm);

// Qt's readers decode at full size before they scale. The readers here take
// a picture row by row and average the rows into the target size as they
// come (a box filter over premultiplied pixels): memory for the target
// picture, one row and one row of sums, one pass over the data.
class RowScaler {
public:
    // 8-bit rows of 1 (grey), 2 (grey, alpha), 3 (RGB) or 4 (RGBA) channels;
    // premultiplied: the colours of rows with alpha are already multiplied
    // by it (colours above their alpha are taken as the alpha). False, with
    // the reason in *why, when a row would pass kRowBytes or the picture
    // cannot be held; nothing is allocated then.
    // The picture comes out turned as an EXIF or TIFF orientation (1 to 8)
    // says: each target row is written where the turn puts it, so no turned
    // copy is made. Called before start.
    void orient(int orientation) { orientation_ = orientation >= 1 && orientation <= 8 ? orientation : 1; }

    bool start(quint32 width, quint32 height, int channels, QSize target, bool premultiplied = false,
               QString* why = nullptr)
    {
        if (width < 1 || height < 1 || channels < 1 || channels > 4 || target.isEmpty())
            return refuse(why, QStringLiteral("its size cannot be read"));
        if (qint64(width) * channels > kRowBytes)
            return refuse(why, QStringLiteral("its rows of %1 pixels take more than %2 MB").arg(width).arg(kRowBytes >> 20));
        width_ = width;
        height_ = height;
        channels_ = channels;
        premultiplied_ = premultiplied;
        const int tw = int(std::min<quint32>(quint32(target.width()), width));
        const int th = int(std::min<quint32>(quint32(target.height()), height));
        const bool quarter = orientation_ >= 5;
        // At full size the rows are copied as they come: colours with alpha
        // keep their precision unmultiplied.
        exact_ = quint32(tw) == width && quint32(th) == height;
        const bool straight = exact_ && (channels == 2 || (channels == 4 && !premultiplied));
        image_ = QImage(quarter ? th : tw, quarter ? tw : th,
                        straight ? QImage::Format_ARGB32 : QImage::Format_ARGB32_Premultiplied);
        if (image_.isNull())
            return refuse(why, QStringLiteral("it is %1 x %2 pixels, more than can be held").arg(width).arg(height));
        tw_ = tw;
        th_ = th;
        // The picture is written once, row after row: large pages make the
        // first touch of its memory cost a few faults instead of thousands.
        const auto page = quintptr(4096);
        const auto begin = (quintptr(image_.bits()) + page - 1) & ~(page - 1);
        const auto end = (quintptr(image_.bits()) + quintptr(image_.sizeInBytes())) & ~(page - 1);
        if (end > begin)
            ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
        if (orientation_ != 1) {
            image_.fill(0); // rows the data does not reach stay transparent
            line_.resize(size_t(tw));
        }
        row_.resize(size_t(width) * size_t(channels));
        sums_.assign(size_t(tw) * 4, 0);
        // Target column t takes the source columns from first_[t] up to
        // first_[t + 1]: a map as wide as the target, not the source.
        first_.resize(size_t(tw) + 1);
        for (int t = 0; t <= tw; ++t)
            first_[size_t(t)] = quint32((quint64(t) * width + quint64(tw) - 1) / quint64(tw));
        inverse_.resize(size_t(tw));
        for (int t = 0; t < tw; ++t)
            inverse_[size_t(t)] = 1.0f / float(first_[size_t(t) + 1] - first_[size_t(t)]);
        return true;
    }

    // The buffer the next row is decoded into.
    uchar* row() { return row_.data(); }

    // Adds the row just decoded to the sums of its target row.
    void addRow()
    {
        if (exact_) {
            copyRow();
            return;
        }
        const int ty = int(quint64(y_) * quint64(th_) / height_);
        if (ty != current_) {
            emitRow();
            current_ = ty;
        }
        ++y_;
        ++rows_;
        accumulate();
    }

    // Rows added so far.
    quint32 rowsAdded() const { return y_; }

    // The scaled picture, its resolution scaled with it from the full
    // picture's (dots per metre; <= 0: the default of a new image), so the
    // size in points stays that of the full picture. The full size is that
    // of the rows unless the decoder already reduced them. Target rows no
    // row reached (the data ended early) are transparent.
    QImage finish(int fullDpmX, int fullDpmY, QSize full = {})
    {
        emitRow();
        if (y_ < height_ && orientation_ == 1) {
            const int from = y_ == 0 ? 0 : current_ + 1;
            for (int y = from; y < image_.height(); ++y)
                std::fill_n(reinterpret_cast<quint32*>(image_.scanLine(y)), image_.width(), 0u);
        }
        if (!full.isValid())
            full = QSize(int(width_), int(height_));
        if (fullDpmX <= 0)
            fullDpmX = image_.dotsPerMeterX();
        if (fullDpmY <= 0)
            fullDpmY = image_.dotsPerMeterY();
        const int dpmX = std::max(1, int(std::lround(double(fullDpmX) * tw_ / full.width())));
        const int dpmY = std::max(1, int(std::lround(double(fullDpmY) * th_ / full.height())));
        const bool quarter = orientation_ >= 5;
        image_.setDotsPerMeterX(quarter ? dpmY : dpmX);
        image_.setDotsPerMeterY(quarter ? dpmX : dpmY);
        return std::move(image_);
    }

private:
    static bool refuse(QString* why, const QString& text)
    {
        if (why)
            *why = text;
        return false;
    }

    // Writes the averages of the current target row. Grey pictures sum one
    // channel, opaque ones no alpha.
    void emitRow()
    {
        if (rows_ == 0)
            return;
        // Local pointers: the output row may not alias the sums, so the
        // loop keeps them in registers.
        quint32* const out = orientation_ == 1 ? reinterpret_cast<quint32*>(image_.scanLine(current_)) : line_.data();
        quint32* const sums = sums_.data();
        const float* const inverse = inverse_.data();
        const int width = tw_;
        const float perRow = 1.0f / float(rows_);
        const bool grey = channels_ <= 2, opaque = channels_ == 1 || channels_ == 3;
        for (int x = 0; x < width; ++x) {
            const float scale = inverse[x] * perRow;
            const quint32* sum = sums + size_t(x) * 4;
            auto average = [scale, sum](int c) { return std::min(quint32(float(sum[c]) * scale + 0.5f), 255u); };
            const quint32 alpha = opaque ? 255 : average(3);
            const quint32 b = std::min(average(0), alpha);
            const quint32 g = grey ? b : std::min(average(1), alpha);
            const quint32 r = grey ? b : std::min(average(2), alpha);
            out[x] = alpha << 24 | r << 16 | g << 8 | b;
        }
        std::fill(sums, sums + sums_.size(), 0u);
        rows_ = 0;
        if (orientation_ != 1)
            place();
    }

    // Writes the row just decoded as a target row of the same size.
    void copyRow()
    {
        current_ = int(y_++);
        quint32* const out = orientation_ == 1 ? reinterpret_cast<quint32*>(image_.scanLine(current_)) : line_.data();
        const uchar* p = row_.data();
        const int width = tw_;
        switch (channels_) {
        case 1:
            for (int x = 0; x < width; ++x, ++p)
                out[x] = 0xff000000u | quint32(p[0]) * 0x010101u;
            break;
        case 2:
            for (int x = 0; x < width; ++x, p += 2)
                out[x] = quint32(p[1]) << 24 | quint32(p[0]) * 0x010101u;
            break;
        case 3:
            for (int x = 0; x < width; ++x, p += 3)
                out[x] = 0xff000000u | quint32(p[0]) << 16 | quint32(p[1]) << 8 | p[2];
            break;
        default:
            for (int x = 0; x < width; ++x, p += 4) {
                const uchar a = p[3];
                auto c = [this, a](uchar v) { return quint32(premultiplied_ ? std::min(v, a) : v); };
                out[x] = quint32(a) << 24 | c(p[0]) << 16 | c(p[1]) << 8 | c(p[2]);
            }
            break;
        }
        if (orientation_ != 1)
            place();
    }

    // Writes the target row just averaged where the orientation puts it:
    // mirrored across (2, 3) or down (3, 4), or as a column (5 to 8).
    void place()
    {
        const int y = current_, last = tw_ - 1;
        const quint32* line = line_.data();
        if (orientation_ <= 4) {
            auto* out = reinterpret_cast<quint32*>(image_.scanLine(orientation_ >= 3 ? th_ - 1 - y : y));
            if (orientation_ == 4)
                std::copy_n(line, tw_, out);
            else
                std::reverse_copy(line, line + tw_, out);
            return;
        }
        const int column = orientation_ == 5 || orientation_ == 8 ? y : th_ - 1 - y;
        const bool down = orientation_ == 5 || orientation_ == 6;
        for (int x = 0; x <= last; ++x)
            reinterpret_cast<quint32*>(image_.scanLine(down ? x : last - x))[column] = line[x];
    }

    // Adds each source column of the row to its target column's sums.
    template <int Channels, class Add>
    void eachColumn(Add add)
    {
        const uchar* p = row_.data();
        const quint32* first = first_.data();
        quint32* sum = sums_.data();
        const size_t columns = inverse_.size();
        for (size_t t = 0; t < columns; ++t, sum += 4)
            for (quint32 x = first[t], end = first[t + 1]; x < end; ++x, p += Channels)
                add(sum, p);
    }

    void accumulate()
    {
        auto premultiplied = [](quint32 c, quint32 a) { return a == 255 ? c : (c * a + 127) / 255; };
        switch (premultiplied_ && channels_ == 4 ? 0 : channels_) {
        case 0:
            eachColumn<4>([](quint32* sum, const uchar* p) {
                const uchar a = p[3];
                sum[0] += std::min(p[2], a);
                sum[1] += std::min(p[1], a);
                sum[2] += std::min(p[0], a);
                sum[3] += a;
            });
            break;
        case 1:
            eachColumn<1>([](quint32* sum, const uchar* p) { sum[0] += p[0]; });
            break;
        case 2:
            eachColumn<2>([&](quint32* sum, const uchar* p) {
                sum[0] += premultiplied(p[0], p[1]);
                sum[3] += p[1];
            });
            break;
        case 3:
            eachColumn<3>([](quint32* sum, const uchar* p) {
                sum[0] += p[2];
                sum[1] += p[1];
                sum[2] += p[0];
            });
            break;
        default:
            eachColumn<4>([&](quint32* sum, const uchar* p) {
                sum[0] += premultiplied(p[2], p[3]);
                sum[1] += premultiplied(p[1], p[3]);
                sum[2] += premultiplied(p[0], p[3]);
                sum[3] += p[3];
            });
            break;
        }
    }

    quint32 width_ = 0, height_ = 0, y_ = 0, rows_ = 0;
    int channels_ = 0, current_ = 0, orientation_ = 1;
    bool exact_ = false;            // the target is the full size: rows are copied
    int tw_ = 0, th_ = 0;           // the target size as stored (before the turn)
    std::vector<quint32> line_;     // a target row before it is placed
    bool premultiplied_ = false;
    std::vector<uchar> row_;
    std::vector<quint32> sums_;  // per target column: premultiplied B, G, R and A
    std::vector<quint32> first_; // first source column of each target column, and the width
    std::vector<float> inverse_; // 1 / source columns per target column
    QImage image_;
};

// Whether an orientation (EXIF or TIFF, 1 to 8) turns the picture a quarter.
inline bool turnsQuarter(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

// What a codec's header says: the size as stored, the orientation and the
// declared resolution (dots per metre as stored, 0 when none or not sane).
struct CodecHeader {
    QSize stored;
    int orientation = 1;
    int dpmX = 0, dpmY = 0;
    QString error; // why the header cannot be read
};

// Headers read by libtiff and libwebp from device (at its start).
CodecHeader readTiffHeader(QIODevice* device);
CodecHeader readWebpHeader(QIODevice* device);

// Reads a TIFF picture from device (at its start) straight to at most the
// target size (scaled when target is valid and smaller than the picture).
// Null with the reason in *message; a picture whose data ends early is
// returned with damagedNotice() in *message.
QImage readTiffScaled(QIODevice* device, QSize target, QString* message);

// Reads the first frame of a WebP picture scaled by libwebp to target (the
// size of its canvas when not valid). Null with the reason in *message.
QImage readWebpScaled(QIODevice* device, QSize target, QString* message);

} // namespace platform::decode
