#pragma once
// The one scaler of the picture readers (internal to the platform library).
// Qt's readers decode at full size before they scale. The readers here take
// a picture row by row and average the rows into the target size as they
// come (a box filter over premultiplied pixels): memory for the target
// picture, one row and one row of sums, one pass over the data.
//
// Interlaced pictures (PNG's Adam7) send their pixels in seven passes, each
// a small picture of every 8th, 4th or 2nd pixel in each direction. Each
// pass is scaled like the rows of a plain picture, and its averages are
// merged into the target picture's running averages when a target row of the
// pass is complete: the same memory as a plain picture (the running averages
// are kept in 8 bits, so a pixel may differ by one level from one average).
#include <QImage>
#include <QSize>
#include <QString>
#include <algorithm>
#include <cmath>
#include <sys/mman.h>
#include <vector>

namespace platform::picture {

// Most bytes one source row may take as stored.
inline constexpr qint64 kRowBytes = 16LL * 1024 * 1024;

class RowScaler {
public:
    // The picture comes out turned as an EXIF or TIFF orientation (1 to 8)
    // says: each target row is written where the turn puts it, so no turned
    // copy is made. Called before start.
    void orient(int orientation) { orientation_ = orientation >= 1 && orientation <= 8 ? orientation : 1; }
    // The rows come in Adam7's seven passes (beginPass before each, endPass
    // after). Called before start; not with a turn.
    void interlace() { interlaced_ = true; }

    // 8-bit rows of 1 (grey), 2 (grey, alpha), 3 (RGB) or 4 (RGBA) channels;
    // premultiplied: the colours of rows with alpha are already multiplied
    // by it (colours above their alpha are taken as the alpha). False, with
    // the reason in *why, when a row would pass kRowBytes or the picture
    // cannot be held; nothing is allocated then.
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
        if (interlaced_)
            orientation_ = 1;
        const int tw = int(std::min<quint32>(quint32(target.width()), width));
        const int th = int(std::min<quint32>(quint32(target.height()), height));
        const bool quarter = orientation_ >= 5;
        // At full size the rows are copied as they come: colours with alpha
        // keep their precision unmultiplied.
        exact_ = !interlaced_ && quint32(tw) == width && quint32(th) == height;
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
        if (orientation_ != 1 || interlaced_)
            image_.fill(0); // rows the data does not reach stay transparent
        if (orientation_ != 1)
            line_.resize(size_t(tw));
        row_.resize(size_t(width) * size_t(channels));
        sums_.assign(size_t(tw) * 4, 0);
        // Target column t takes the source columns from first[t] up to
        // first[t + 1]: a map as wide as the target, not the source. Each
        // pass has its own, over its own pixels.
        for (int p = 0; p < (interlaced_ ? 7 : 1); ++p) {
            std::vector<quint32>& first = first_[p];
            first.resize(size_t(tw) + 1);
            const quint32 x0 = interlaced_ ? passStart(p, false) : 0, step = interlaced_ ? passStep(p, false) : 1;
            const quint32 pixels = interlaced_ ? passWidth(p) : width;
            // The pass pixel i lies at x0 + i * step; target column t starts
            // at the first source column c with c * tw >= t * width.
            for (int t = 0; t <= tw; ++t) {
                const quint64 c = (quint64(t) * width + quint64(tw) - 1) / quint64(tw);
                first[size_t(t)] = c <= x0 ? 0 : quint32(std::min<quint64>((c - x0 + step - 1) / step, pixels));
            }
            if (interlaced_) {
                rowsOf_[p].assign(size_t(th), 0);
                for (quint32 y = passStart(p, true); y < height; y += passStep(p, true))
                    ++rowsOf_[p][targetRow(y)];
            }
        }
        inverse_.resize(size_t(tw));
        for (int t = 0; t < tw; ++t)
            inverse_[size_t(t)] = 1.0f / float(std::max<quint32>(1, first_[0][size_t(t) + 1] - first_[0][size_t(t)]));
        return true;
    }

    // Pixels of a pass across and down (0 when the pass is empty).
    quint32 passWidth(int p) const { return passPixels(width_, passStart(p, false), passStep(p, false)); }
    quint32 passHeight(int p) const { return passPixels(height_, passStart(p, true), passStep(p, true)); }

    void beginPass(int p)
    {
        pass_ = p;
        y_ = 0;
        current_ = -1;
        rows_ = 0;
    }
    void endPass() { emitRow(); }

    // The buffer the next row is decoded into.
    uchar* row() { return row_.data(); }

    // Adds the row just decoded to the sums of its target row.
    void addRow()
    {
        if (exact_) {
            copyRow();
            return;
        }
        const quint32 y = interlaced_ ? passStart(pass_, true) + y_ * passStep(pass_, true) : y_;
        const int ty = targetRow(y);
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
    // of the rows unless the decoder already reduced them. Target rows no
    // row reached (the data ended early) are transparent.
    QImage finish(int fullDpmX, int fullDpmY, QSize full = {})
    {
        emitRow();
        if (y_ < height_ && orientation_ == 1 && !interlaced_) {
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
    static quint32 passStart(int p, bool down)
    {
        static const quint32 across[7] = {0, 4, 0, 2, 0, 1, 0}, downward[7] = {0, 0, 4, 0, 2, 0, 1};
        return down ? downward[p] : across[p];
    }
    static quint32 passStep(int p, bool down)
    {
        static const quint32 across[7] = {8, 8, 4, 4, 2, 2, 1}, downward[7] = {8, 8, 8, 4, 4, 2, 2};
        return down ? downward[p] : across[p];
    }
    static quint32 passPixels(quint32 size, quint32 start, quint32 step)
    {
        return size > start ? (size - start + step - 1) / step : 0;
    }
    int targetRow(quint32 y) const { return int(quint64(y) * quint64(th_) / height_); }

    // Writes the averages of the current target row. Grey pictures sum one
    // channel, opaque ones no alpha.
    void emitRow()
    {
        if (rows_ == 0)
            return;
        if (interlaced_) {
            merge();
            return;
        }
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

    // Merges the sums of the current target row of this pass into the
    // running averages of the passes before it.
    void merge()
    {
        const int ty = current_;
        quint32* const out = reinterpret_cast<quint32*>(image_.scanLine(ty));
        const bool grey = channels_ <= 2, opaque = channels_ == 1 || channels_ == 3;
        for (int x = 0; x < tw_; ++x) {
            auto count = [x, ty, this](int p) {
                return double(first_[p][size_t(x) + 1] - first_[p][size_t(x)]) * rowsOf_[p][size_t(ty)];
            };
            const double now = count(pass_);
            if (now == 0)
                continue;
            double before = 0;
            for (int q = 0; q < pass_; ++q)
                before += count(q);
            const quint32* sum = sums_.data() + size_t(x) * 4;
            const quint32 old = out[x];
            auto average = [&](int c, int shift) {
                const double value = (double((old >> shift) & 0xff) * before + sum[c]) / (before + now);
                return std::min(quint32(value + 0.5), 255u);
            };
            const quint32 a = opaque ? 255 : average(3, 24);
            const quint32 b = std::min(average(0, 0), a);
            const quint32 g = grey ? b : std::min(average(1, 8), a);
            const quint32 r = grey ? b : std::min(average(2, 16), a);
            out[x] = a << 24 | r << 16 | g << 8 | b;
        }
        std::fill(sums_.begin(), sums_.end(), 0u);
        rows_ = 0;
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

    // Adds each source pixel of the row to its target column's sums.
    template <int Channels, class Add>
    void eachColumn(Add add)
    {
        const uchar* p = row_.data();
        const quint32* first = first_[interlaced_ ? pass_ : 0].data();
        quint32* sum = sums_.data();
        const size_t columns = size_t(tw_);
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
    int channels_ = 0, current_ = 0, orientation_ = 1, pass_ = 0;
    bool exact_ = false;         // the target is the full size: rows are copied
    bool interlaced_ = false;    // rows come in Adam7's passes
    bool premultiplied_ = false;
    int tw_ = 0, th_ = 0;        // the target size as stored (before the turn)
    std::vector<quint32> line_;  // a target row before it is placed
    std::vector<uchar> row_;
    std::vector<quint32> sums_;  // per target column: premultiplied B, G, R and A
    std::vector<quint32> first_[7];  // per pass: first source pixel of each target column, and the width
    std::vector<quint32> rowsOf_[7]; // per pass: source rows of each target row
    std::vector<float> inverse_;     // 1 / source columns per target column
    QImage image_;
};

} // namespace platform::picture
