#include "platform/picture_decode.h"
#include "platform/picture_decode_rows.h"

#include <QBuffer>
#include <QImageReader>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio> // before jpeglib.h, which uses FILE
#include <cstring>
#include <jpeglib.h>
#include <jerror.h> // after jpeglib.h
#include <memory>
#include <png.h>
#include <vector>

namespace platform {

namespace decode {

QString damagedNotice()
{
    return QStringLiteral("the file is damaged; part of the picture is shown");
}

int saneDotsPerMeter(double dpm)
{
    const double dpi = dpm * 0.0254;
    return std::isfinite(dpi) && dpi >= 1 && dpi <= 100000 ? int(std::lround(dpm)) : 0;
}

} // namespace decode

namespace {

using decode::CodecHeader;
using decode::RowScaler;

QImage refuse(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return {};
}

// Interlaced PNGs send their pixels in seven passes, each a small picture of
// every 8th, 4th or 2nd pixel in each direction. Each pass is scaled like
// rows of a plain picture, and its averages are merged into the target
// picture's running averages when a target row of the pass is complete: the
// memory of the target picture and one target row of sums, as for a plain
// picture (the running averages are kept in 8 bits, so a pixel may differ by
// one level from a single average).
class PassScaler {
public:
    bool start(quint32 width, quint32 height, int channels, QSize target)
    {
        if (width < 1 || height < 1 || channels < 1 || channels > 4 || target.isEmpty()
            || qint64(width) * channels > decode::kRowBytes)
            return false;
        width_ = width;
        height_ = height;
        channels_ = channels;
        const int tw = int(std::min<quint32>(quint32(target.width()), width));
        const int th = int(std::min<quint32>(quint32(target.height()), height));
        image_ = QImage(tw, th, QImage::Format_ARGB32_Premultiplied);
        if (image_.isNull())
            return false;
        image_.fill(0);
        row_.resize(size_t(width) * size_t(channels));
        sums_.assign(size_t(tw) * 4, 0);
        for (int p = 0; p < 7; ++p) {
            columns_[p].assign(size_t(tw), 0);
            rows_[p].assign(size_t(th), 0);
            for (quint32 x = passStart(p, false); x < width; x += passStep(p, false))
                ++columns_[p][columnOf(x)];
            for (quint32 y = passStart(p, true); y < height; y += passStep(p, true))
                ++rows_[p][rowOf(y)];
        }
        return true;
    }

    // Pixels of the pass across and down (0 when the pass is empty).
    quint32 passWidth(int p) const { return width_ > passStart(p, false) ? (width_ - passStart(p, false) + passStep(p, false) - 1) / passStep(p, false) : 0; }
    quint32 passHeight(int p) const { return height_ > passStart(p, true) ? (height_ - passStart(p, true) + passStep(p, true) - 1) / passStep(p, true) : 0; }

    void beginPass(int p)
    {
        pass_ = p;
        y_ = 0;
        current_ = -1;
    }

    uchar* row() { return row_.data(); }

    void addRow()
    {
        const int ty = rowOf(passStart(pass_, true) + y_ * passStep(pass_, true));
        if (ty != current_) {
            merge();
            current_ = ty;
        }
        ++y_;
        const uchar* p = row_.data();
        quint32* sums = sums_.data();
        auto premultiplied = [](quint32 c, quint32 a) { return a == 255 ? c : (c * a + 127) / 255; };
        // The target column of each pixel of the pass, found by walking
        // the columns' bounds along the row.
        const quint32 step = passStep(pass_, false), pixels = passWidth(pass_);
        quint32 x = passStart(pass_, false), column = 0, next = firstOf(1);
        for (quint32 i = 0; i < pixels; ++i, x += step, p += channels_) {
            while (x >= next)
                next = firstOf(++column + 1);
            quint32* sum = sums + size_t(column) * 4;
            switch (channels_) {
            case 1: sum[0] += p[0]; break;
            case 2: sum[0] += premultiplied(p[0], p[1]); sum[3] += p[1]; break;
            case 3: sum[0] += p[2]; sum[1] += p[1]; sum[2] += p[0]; break;
            default:
                sum[0] += premultiplied(p[2], p[3]);
                sum[1] += premultiplied(p[1], p[3]);
                sum[2] += premultiplied(p[0], p[3]);
                sum[3] += p[3];
            }
        }
    }

    void endPass() { merge(); }

    QImage finish(int fullDpmX, int fullDpmY)
    {
        if (fullDpmX <= 0)
            fullDpmX = image_.dotsPerMeterX();
        if (fullDpmY <= 0)
            fullDpmY = image_.dotsPerMeterY();
        image_.setDotsPerMeterX(std::max(1, int(std::lround(double(fullDpmX) * image_.width() / width_))));
        image_.setDotsPerMeterY(std::max(1, int(std::lround(double(fullDpmY) * image_.height() / height_))));
        return std::move(image_);
    }

private:
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
    int columnOf(quint32 x) const { return int(quint64(x) * quint64(image_.width()) / width_); }
    // First source column of target column t (the width for the last).
    quint32 firstOf(quint32 t) const
    {
        const auto tw = quint64(image_.width());
        return quint32((quint64(t) * width_ + tw - 1) / tw);
    }
    int rowOf(quint32 y) const { return int(quint64(y) * quint64(image_.height()) / height_); }

    // Merges the sums of the current target row of this pass into the
    // running averages of the pixels before it.
    void merge()
    {
        if (current_ < 0)
            return;
        const int ty = current_;
        quint32* const out = reinterpret_cast<quint32*>(image_.scanLine(ty));
        const bool grey = channels_ <= 2, opaque = channels_ == 1 || channels_ == 3;
        for (int x = 0; x < image_.width(); ++x) {
            const double now = double(columns_[pass_][size_t(x)]) * rows_[pass_][size_t(ty)];
            if (now == 0)
                continue;
            double before = 0;
            for (int q = 0; q < pass_; ++q)
                before += double(columns_[q][size_t(x)]) * rows_[q][size_t(ty)];
            const quint32* sum = sums_.data() + size_t(x) * 4;
            const quint32 old = out[x];
            auto average = [&](int c, int shift) {
                const double value = (double((old >> shift) & 0xff) * before + sum[c]) / (before + now);
                return std::min(quint32(value + 0.5), 255u);
            };
            const quint32 b = average(0, 0);
            const quint32 g = grey ? b : average(1, 8);
            const quint32 r = grey ? b : average(2, 16);
            const quint32 a = opaque ? 255 : average(3, 24);
            out[x] = a << 24 | r << 16 | g << 8 | b;
        }
        std::fill(sums_.begin(), sums_.end(), 0u);
    }

    quint32 width_ = 0, height_ = 0, y_ = 0;
    int channels_ = 0, pass_ = 0, current_ = -1;
    std::vector<uchar> row_;
    std::vector<quint32> sums_;
    std::vector<quint32> columns_[7], rows_[7]; // per pass: source pixels per target column, row
    QImage image_;
};

struct PngState {
    QIODevice* device = nullptr;
    QString message;
    CodecHeader header;
    bool damaged = false; // the data ended before the last row
    // Set while reading, read again after a jump from libpng's errors (so
    // kept here rather than in locals of the function that jumps).
    bool interlaced = false, started = false;
    int dpmX = 0, dpmY = 0;
    RowScaler scaler;
    PassScaler passes;
    QImage image;
};

void pngRead(png_structp png, png_bytep data, size_t length)
{
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (state->device->read(reinterpret_cast<char*>(data), qint64(length)) != qint64(length)) {
        state->damaged = true;
        png_error(png, "the picture data ends early");
    }
}

void pngError(png_structp png, png_const_charp message)
{
    static_cast<PngState*>(png_get_error_ptr(png))->message = QString::fromLatin1(message);
    png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

// Reads the PNG on state->device: its header into state->header, and when
// target is not empty its rows scaled to it into state->image. Rows read
// before the data ends are kept (state->damaged set).
void readPng(PngState* state, QSize target)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        state->message = QStringLiteral("out of memory");
        return;
    }
    if (setjmp(png_jmpbuf(png))) {
        // Rows already read are shown when the data ended early.
        if (state->started && state->damaged)
            state->image = state->interlaced ? state->passes.finish(state->dpmX, state->dpmY)
                                             : state->scaler.finish(state->dpmX, state->dpmY);
        png_destroy_read_struct(&png, &info, nullptr);
        return;
    }
    png_set_read_fn(png, state, pngRead);
    // The limits are this program's, checked with its own messages.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
    int unit = 0;
    png_uint_32 fx = 0, fy = 0;
    if (png_get_pHYs(png, info, &fx, &fy, &unit) && unit == PNG_RESOLUTION_METER) {
        state->dpmX = decode::saneDotsPerMeter(fx);
        state->dpmY = decode::saneDotsPerMeter(fy);
    }
    state->header.stored = QSize(int(std::min<png_uint_32>(width, INT_MAX)), int(std::min<png_uint_32>(height, INT_MAX)));
    state->header.dpmX = state->dpmX;
    state->header.dpmY = state->dpmY;
    if (target.isEmpty()) {
        png_destroy_read_struct(&png, &info, nullptr);
        return;
    }
    // libpng holds two rows as stored (16-bit samples, before expansion).
    if (png_get_rowbytes(png, info) > size_t(decode::kRowBytes))
        png_error(png, "its rows are too wide to read");
    png_set_expand(png); // palette to RGB, grey below 8 bits to 8, transparency to alpha
    png_set_strip_16(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    const bool interlaced = interlace != PNG_INTERLACE_NONE;
    state->interlaced = interlaced;
    if (png_get_rowbytes(png, info) != size_t(width) * size_t(channels)
        || !(interlaced ? state->passes.start(width, height, channels, target)
                        : state->scaler.start(width, height, channels, target)))
        png_error(png, "the picture cannot be held");
    state->started = true;
    if (interlaced) {
        // Without libpng's interlace handling each row read is one row of
        // the current pass; libpng skips empty passes.
        for (int pass = 0; pass < 7; ++pass) {
            const png_uint_32 rows = state->passes.passHeight(pass);
            if (rows == 0 || state->passes.passWidth(pass) == 0)
                continue;
            state->passes.beginPass(pass);
            for (png_uint_32 y = 0; y < rows; ++y) {
                png_read_row(png, state->passes.row(), nullptr);
                state->passes.addRow();
            }
            state->passes.endPass();
        }
    } else {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_read_row(png, state->scaler.row(), nullptr);
            state->scaler.addRow();
        }
    }
    state->image = interlaced ? state->passes.finish(state->dpmX, state->dpmY)
                              : state->scaler.finish(state->dpmX, state->dpmY);
    png_destroy_read_struct(&png, &info, nullptr);
}

// EXIF orientation of a JPEG (1 when it has none or it cannot be read).
int exifOrientation(const jpeg_decompress_struct& info)
{
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next) {
        if (m->marker != JPEG_APP0 + 1 || m->data_length < 14 || std::memcmp(m->data, "Exif\0\0", 6) != 0)
            continue;
        const uchar* tiff = m->data + 6;
        const size_t size = m->data_length - 6;
        const bool little = tiff[0] == 'I' && tiff[1] == 'I';
        auto number = [&](size_t at, int width) -> quint32 {
            quint32 v = 0;
            for (int i = 0; i < width; ++i)
                v |= quint32(tiff[at + size_t(little ? i : width - 1 - i)]) << (8 * i);
            return v;
        };
        const size_t ifd = number(4, 4);
        if (ifd + 2 > size)
            return 1;
        const size_t entries = number(ifd, 2);
        for (size_t i = 0; i < entries && ifd + 2 + 12 * (i + 1) <= size; ++i) {
            const size_t at = ifd + 2 + 12 * i;
            if (number(at, 2) == 0x0112)
                return int(number(at + 8, 2));
        }
        return 1;
    }
    return 1;
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
    bool ended = false; // the data ended before the picture did
};

void jpegErrorExit(j_common_ptr info)
{
    auto* error = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

void jpegMessage(j_common_ptr info, int level)
{
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        reinterpret_cast<JpegError*>(info->err)->ended = true;
}

// libjpeg's source reading the device in pieces; the end of the data is
// marked as libjpeg's own sources mark it (a warning and an end marker).
struct JpegSource {
    jpeg_source_mgr manager {};
    QIODevice* device = nullptr;
    std::vector<JOCTET> buffer = std::vector<JOCTET>(64 * 1024);
};

boolean jpegFill(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<JpegSource*>(info->src);
    const qint64 n = source->device->read(reinterpret_cast<char*>(source->buffer.data()), qint64(source->buffer.size()));
    if (n <= 0) {
        WARNMS(info, JWRN_JPEG_EOF);
        source->buffer[0] = 0xFF;
        source->buffer[1] = JPEG_EOI;
        source->manager.bytes_in_buffer = 2;
    } else {
        source->manager.bytes_in_buffer = size_t(n);
    }
    source->manager.next_input_byte = source->buffer.data();
    return TRUE;
}

void jpegSkip(j_decompress_ptr info, long count)
{
    jpeg_source_mgr* source = info->src;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        jpegFill(info);
    }
    if (count > 0) {
        source->next_input_byte += count;
        source->bytes_in_buffer -= size_t(count);
    }
}

void jpegNothing(j_decompress_ptr) {}

// A decompressor with the error handling and source above.
struct JpegReader {
    jpeg_decompress_struct info {};
    JpegError error;
    JpegSource source;
    JpegReader()
    {
        info.err = jpeg_std_error(&error.manager);
        error.manager.error_exit = jpegErrorExit;
        error.manager.emit_message = jpegMessage;
    }
    JpegReader(const JpegReader&) = delete;
    JpegReader& operator=(const JpegReader&) = delete;
};

// Opens the JPEG on device for reading (device at its start) and reads its
// header, with libjpeg's memory bounded.
void jpegOpen(jpeg_decompress_struct& info, JpegSource& source, QIODevice* device)
{
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = decode::kJpegMemoryBytes;
    source.device = device;
    source.manager.init_source = jpegNothing;
    source.manager.fill_input_buffer = jpegFill;
    source.manager.skip_input_data = jpegSkip;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = jpegNothing;
    info.src = &source.manager;
    jpeg_save_markers(&info, JPEG_APP0 + 1, 0xffff);
    jpeg_read_header(&info, TRUE);
}

// The resolution its JFIF header gives (per inch or per centimetre).
void jpegResolution(const jpeg_decompress_struct& info, CodecHeader* header)
{
    const double perMetre = info.density_unit == 1 ? 1 / 0.0254 : info.density_unit == 2 ? 100.0 : 0.0;
    header->dpmX = decode::saneDotsPerMeter(info.X_density * perMetre);
    header->dpmY = decode::saneDotsPerMeter(info.Y_density * perMetre);
}

// Bytes of coefficients a progressive picture holds while it decodes.
qint64 jpegCoefficientBytes(const jpeg_decompress_struct& info)
{
    qint64 bytes = 0;
    for (int c = 0; c < info.num_components; ++c)
        bytes += qint64(info.comp_info[c].width_in_blocks + info.comp_info[c].h_samp_factor)
            * (info.comp_info[c].height_in_blocks + info.comp_info[c].v_samp_factor) * qint64(sizeof(JBLOCK));
    return bytes;
}

CodecHeader readJpegHeader(QIODevice* device)
{
    CodecHeader header;
    JpegReader reader;
    jpeg_decompress_struct& info = reader.info;
    if (setjmp(reader.error.jump)) {
        jpeg_destroy_decompress(&info);
        header.error = QStringLiteral("its JPEG header is damaged (%1)").arg(QString::fromLatin1(reader.error.message));
        return header;
    }
    jpegOpen(info, reader.source, device);
    header.stored = QSize(int(info.image_width), int(info.image_height));
    header.orientation = exifOrientation(info);
    jpegResolution(info, &header);
    if (info.progressive_mode && jpegCoefficientBytes(info) > decode::kJpegMemoryBytes)
        header.error = QStringLiteral("it is a progressive JPEG of %1 x %2 pixels, more than can be read within %3 MB")
                           .arg(info.image_width).arg(info.image_height).arg(decode::kJpegMemoryBytes >> 20);
    jpeg_destroy_decompress(&info);
    return header;
}

// libjpeg scales while it decodes (by k/8 in its inverse DCT): the smallest
// such scale not below the target, then the row scaler. CMYK pictures are
// turned to RGB here (Adobe's files store the inks inverted); a picture
// with an EXIF orientation is scaled as stored and turned by the scaler.
// target is the size as drawn. A picture whose data ends early is returned
// as far as it was read, *damaged set.
QImage readJpegScaled(QIODevice* device, QSize target, bool* damaged, QString* message)
{
    JpegReader reader;
    jpeg_decompress_struct& info = reader.info;
    JpegError& error = reader.error;
    RowScaler scaler;
    std::vector<JSAMPROW> rows(1);
    std::vector<uchar> inks;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        const int code = error.manager.msg_code;
        *message = code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE
            ? QStringLiteral("it takes more than the %1 MB a JPEG picture may take to read").arg(decode::kJpegMemoryBytes >> 20)
            : QStringLiteral("its JPEG data is damaged (%1)").arg(QString::fromLatin1(error.message));
        return {};
    }
    jpegOpen(info, reader.source, device);
    const int orientation = exifOrientation(info);
    CodecHeader header;
    jpegResolution(info, &header);
    const quint32 width = info.image_width, height = info.image_height;
    if (decode::turnsQuarter(orientation))
        target.transpose();
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    if (cmyk)
        info.out_color_space = JCS_CMYK;
    else
        info.out_color_space = info.num_components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    const auto eighths = [](int wanted, quint32 full) {
        return int(std::clamp<quint64>((quint64(wanted) * 8 + full - 1) / full, 1, 8));
    };
    info.scale_num = unsigned(std::max(eighths(target.width(), width), eighths(target.height(), height)));
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    scaler.orient(orientation);
    if (!scaler.start(info.output_width, info.output_height, cmyk ? 3 : info.output_components, target, false, message)) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    if (cmyk)
        inks.resize(size_t(info.output_width) * 4);
    const bool inverted = info.saw_Adobe_marker;
    // Rows past the end of the data are libjpeg's filling: the picture
    // stops at the row where the end was seen. (A progressive picture has
    // read all its data before its first row: its rows are all shown.)
    const bool stopAtEnd = !info.progressive_mode;
    while (info.output_scanline < info.output_height && !(stopAtEnd && error.ended)) {
        rows[0] = cmyk ? inks.data() : scaler.row();
        if (jpeg_read_scanlines(&info, rows.data(), 1) != 1)
            break;
        if (cmyk) {
            // Each colour is what its ink and the black leave of white.
            const uchar* in = inks.data();
            uchar* out = scaler.row();
            for (quint32 x = 0; x < info.output_width; ++x, in += 4, out += 3) {
                const quint32 c = inverted ? in[0] : 255u - in[0], m = inverted ? in[1] : 255u - in[1];
                const quint32 y = inverted ? in[2] : 255u - in[2], k = inverted ? in[3] : 255u - in[3];
                out[0] = uchar((c * k + 127) / 255);
                out[1] = uchar((m * k + 127) / 255);
                out[2] = uchar((y * k + 127) / 255);
            }
        }
        scaler.addRow();
    }
    *damaged = error.ended || info.output_scanline < info.output_height;
    if (*damaged)
        jpeg_abort_decompress(&info);
    else
        jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return scaler.finish(header.dpmX, header.dpmY, QSize(int(width), int(height)));
}

// A BMP's resolution (signed in its header, as Qt's reader passes it on) and
// whether its uncompressed rows end before the last: the rows not in the
// file are then made transparent (bottom-up files lose their top rows).
struct BmpFacts {
    int dpmX = 0, dpmY = 0;
    int rowsMissing = 0;
    bool topDown = false;
};

BmpFacts bmpFacts(QIODevice* device)
{
    BmpFacts facts;
    const QByteArray head = device->peek(54);
    if (head.size() < 54)
        return facts;
    auto number = [&head](int at, int width) {
        quint32 v = 0;
        for (int i = width - 1; i >= 0; --i)
            v = v << 8 | uchar(head[at + i]);
        return v;
    };
    if (number(14, 4) < 40)
        return facts; // an OS/2 header: no resolution
    facts.dpmX = decode::saneDotsPerMeter(qint32(number(38, 4)));
    facts.dpmY = decode::saneDotsPerMeter(qint32(number(42, 4)));
    const qint64 width = qint32(number(18, 4)), height = qint32(number(22, 4)), bits = number(28, 2);
    const quint32 compression = number(30, 4);
    if ((compression != 0 && compression != 3) || width <= 0 || height == 0 || height == INT_MIN || bits == 0)
        return facts;
    facts.topDown = height < 0;
    const qint64 rows = std::abs(height), stride = (width * bits + 31) / 32 * 4;
    const qint64 present = (device->size() - qint64(number(10, 4))) / stride;
    facts.rowsMissing = int(std::clamp<qint64>(rows - present, 0, rows));
    return facts;
}

// The size with the aspect kept, at most maxPixels pixels and maxEdge on
// either edge, never larger than size.
QSize fitted(QSize size, qint64 maxPixels, int maxEdge)
{
    const double w = size.width(), h = size.height();
    const double f = std::min({1.0, std::sqrt(double(maxPixels) / (w * h)), maxEdge / w, maxEdge / h});
    // (The margin keeps an edge scaled to exactly maxEdge from rounding
    // down to one pixel less.)
    QSize fit(std::clamp(int(w * f + 1e-6), 1, maxEdge), std::clamp(int(h * f + 1e-6), 1, maxEdge));
    if (qint64(fit.width()) * fit.height() > maxPixels) {
        if (fit.width() >= fit.height())
            fit.setWidth(int(std::max<qint64>(1, maxPixels / fit.height())));
        else
            fit.setHeight(int(std::max<qint64>(1, maxPixels / fit.width())));
    }
    return fit;
}

// Reads a GIF (its first frame) or BMP at full size with Qt's reader, then
// scales it to target.
QImage readWithQt(QIODevice* device, const QByteArray& format, QSize target, QString* error)
{
    const BmpFacts bmp = format == "bmp" ? bmpFacts(device) : BmpFacts();
    QImageReader reader(device, format);
    QImage image = reader.read();
    if (image.isNull() || image.width() < 1 || image.height() < 1)
        return refuse(error, reader.errorString());
    if (bmp.rowsMissing > 0) {
        image = std::move(image).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        const int from = bmp.topDown ? image.height() - bmp.rowsMissing : 0;
        for (int y = from; y < from + bmp.rowsMissing; ++y)
            std::fill_n(reinterpret_cast<quint32*>(image.scanLine(y)), image.width(), 0u);
        if (error)
            *error = decode::damagedNotice();
    }
    if (target != image.size()) {
        const int dx = image.dotsPerMeterX(), dy = image.dotsPerMeterY();
        const double fx = double(target.width()) / image.width(), fy = double(target.height()) / image.height();
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (dx > 0)
            image.setDotsPerMeterX(std::max(1, int(std::lround(dx * fx))));
        if (dy > 0)
            image.setDotsPerMeterY(std::max(1, int(std::lround(dy * fy))));
    }
    return image;
}

bool isOfferedPictureFormat(const QByteArray& format)
{
    static const QByteArrayList offered = {"png", "jpeg", "jpg", "gif", "bmp", "tiff", "tif", "webp"};
    return offered.contains(format);
}

// The kinds only Qt's readers decode, at full size before any scaling: read
// up to kMaxDecodePixels.
bool isReadFullOnly(const QByteArray& format)
{
    return format == "gif" || format == "bmp";
}

QString kindName(const QByteArray& format)
{
    return format == "jpg" ? QStringLiteral("JPEG")
        : format == "tif"  ? QStringLiteral("TIFF")
        : format == "webp" ? QStringLiteral("WebP")
                           : QString::fromLatin1(format.toUpper());
}

// The header read by the picture's codec; the device is left at its start.
CodecHeader codecHeader(QImageReader& reader, const QByteArray& format)
{
    QIODevice* device = reader.device();
    if (!device || !device->seek(0)) {
        CodecHeader header;
        header.error = QStringLiteral("it cannot be read from its start");
        return header;
    }
    CodecHeader header;
    if (format == "png") {
        auto state = std::make_unique<PngState>();
        state->device = device;
        readPng(state.get(), QSize());
        header = state->header;
        if (header.stored.isEmpty())
            header.error = QStringLiteral("its PNG header is damaged (%1)").arg(state->message);
    } else if (format == "jpeg" || format == "jpg") {
        header = readJpegHeader(device);
    } else if (format == "tiff" || format == "tif") {
        header = decode::readTiffHeader(device);
    } else if (format == "webp") {
        header = decode::readWebpHeader(device);
    } else {
        header.stored = reader.size();
        // A BMP stored top row first declares a negative height, and Qt's
        // reader passes it on.
        if (format == "bmp" && header.stored.height() < 0 && header.stored.height() > INT_MIN)
            header.stored.setHeight(-header.stored.height());
        if (format == "bmp" && device->seek(0)) {
            const BmpFacts bmp = bmpFacts(device);
            header.dpmX = bmp.dpmX;
            header.dpmY = bmp.dpmY;
        }
    }
    device->seek(0);
    return header;
}

} // namespace

void setPictureAllocationLimit()
{
    QImageReader::setAllocationLimit(kPictureAllocationLimitMB);
}

PictureHeader readPictureHeader(QImageReader& reader)
{
    PictureHeader header;
    // Only the kinds the program offers are decoded, judged by content: any
    // other reader (animations, icons, vector pictures) may decode without
    // a size known in advance.
    header.format = reader.format().toLower();
    if (!isOfferedPictureFormat(header.format)) {
        header.error = header.format.isEmpty()
            ? QStringLiteral("it is not a picture")
            : QStringLiteral("it is a %1 picture; PNG, JPEG, GIF, BMP, TIFF and WebP pictures are read")
                  .arg(QString::fromLatin1(header.format.toUpper()));
        return header;
    }
    const CodecHeader codec = codecHeader(reader, header.format);
    const QSize stored = codec.stored;
    const QString kind = kindName(header.format);
    const qint64 pixels = qint64(stored.width()) * stored.height();
    if (!stored.isValid() || stored.isEmpty())
        header.error = QStringLiteral("its header gives no size");
    else if (!codec.error.isEmpty())
        header.error = codec.error;
    else if (pixels > kMaxPicturePixels)
        header.error = QStringLiteral("it is a %1 picture of %2 x %3 pixels, more than can be read")
                           .arg(kind).arg(stored.width()).arg(stored.height());
    else if (stored.width() > kMaxPictureEdge || stored.height() > kMaxPictureEdge)
        header.error = QStringLiteral("it is a %1 picture of %2 x %3 pixels, more than can be read (at most %4 pixels "
                                      "on a side)")
                           .arg(kind).arg(stored.width()).arg(stored.height()).arg(kMaxPictureEdge);
    else if (isReadFullOnly(header.format) && pixels > kMaxDecodePixels)
        header.error = QStringLiteral("it is a %1 picture of %2 x %3 pixels; %1 pictures are read up to %4 x %4 pixels")
                           .arg(kind).arg(stored.width()).arg(stored.height()).arg(kMaxDecodeEdge);
    if (!header.ok())
        return header;
    header.orientation = codec.orientation;
    const bool turned = decode::turnsQuarter(codec.orientation);
    header.size = turned ? stored.transposed() : stored;
    header.dpmX = turned ? codec.dpmY : codec.dpmX;
    header.dpmY = turned ? codec.dpmX : codec.dpmY;
    return header;
}

QImage readPicture(QImageReader& reader, QString* error, int maxEdge, qint64 maxPixels)
{
    const PictureHeader header = readPictureHeader(reader);
    if (!header.ok())
        return refuse(error, header.error);
    const QByteArray& format = header.format;
    const QSize target = fitted(header.size, std::clamp<qint64>(maxPixels, 1, kMaxDecodePixels),
                                maxEdge > 0 ? std::min(maxEdge, kMaxDecodeEdge) : kMaxDecodeEdge);
    QIODevice* device = reader.device();
    QString message;
    QImage image;
    bool damaged = false;
    if (format == "png") {
        auto state = std::make_unique<PngState>();
        state->device = device;
        readPng(state.get(), target);
        image = std::move(state->image);
        damaged = state->damaged;
        message = QStringLiteral("its PNG data is damaged (%1)").arg(state->message);
    } else if (format == "jpeg" || format == "jpg") {
        image = readJpegScaled(device, target, &damaged, &message);
    } else if (format == "tiff" || format == "tif") {
        image = decode::readTiffScaled(device, target, &message);
        damaged = !image.isNull() && message == decode::damagedNotice();
        if (image.isNull())
            message = QStringLiteral("its TIFF data cannot be read (%1)").arg(message);
    } else if (format == "webp") {
        image = decode::readWebpScaled(device, target, &message);
        if (image.isNull())
            message = QStringLiteral("its WebP data cannot be read (%1)").arg(message);
    } else {
        return readWithQt(device, format, target, error);
    }
    if (image.isNull())
        return refuse(error, message);
    if (damaged && error)
        *error = decode::damagedNotice();
    return image;
}

QImage readPicture(const QString& path, QString* error, int maxEdge, qint64 maxPixels)
{
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return readPicture(reader, error, maxEdge, maxPixels);
}

const QStringList& pictureFileSuffixes()
{
    static const QStringList suffixes = [] {
        QStringList all;
        for (const char* e : {"jpg", "jpeg", "jpe", "jfif", "gif", "bmp", "png", "tif", "tiff", "webp"})
            all << QString::fromLatin1(e) << QString::fromLatin1(e).toUpper();
        return all;
    }();
    return suffixes;
}

} // namespace platform
