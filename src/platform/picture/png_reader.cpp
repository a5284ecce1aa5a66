// PNG pictures read through libpng row by row into the row scaler (its
// passes for interlaced ones). Only the chunks a picture needs are read:
// text, profiles and every other ancillary chunk but the resolution are
// skipped unread, never inflated.
#include "platform/picture/reader.h"
#include "platform/picture/row_scaler.h"

#include <QIODevice>
#include <memory>
#include <png.h>

namespace platform::picture {
namespace {

struct PngState {
    QIODevice* device = nullptr;
    QString message;
    CodecHeader header;
    bool damaged = false; // the data is cut or damaged before the last row
    // Set while reading, read again after a jump from libpng's errors (so
    // kept here rather than in locals of the function that jumps).
    quint64 rows = 0; // rows read
    RowScaler scaler;
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
// before the data ends are kept (state->damaged set). expected: the size
// the picture must have (empty: any).
void readPng(PngState* state, QSize target, QSize expected = {})
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state, pngError, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        state->message = QStringLiteral("out of memory");
        return;
    }
    if (setjmp(png_jmpbuf(png))) {
        // Rows already read are shown when the data is cut or damaged.
        if (state->rows > 0) {
            state->damaged = true;
            state->image = state->scaler.finish(state->header.dpmX, state->header.dpmY);
        }
        png_destroy_read_struct(&png, &info, nullptr);
        return;
    }
    png_set_read_fn(png, state, pngRead);
    // The limits are this program's, checked with its own messages.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    // Every chunk but the image's own and its resolution is skipped.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
    static const png_byte kept[] = "pHYs";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_AS_DEFAULT, kept, 1);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int depth = 0, colour = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colour, &interlace, nullptr, nullptr);
    int unit = 0;
    png_uint_32 fx = 0, fy = 0;
    CodecHeader& header = state->header;
    if (png_get_pHYs(png, info, &fx, &fy, &unit) && unit == PNG_RESOLUTION_METER) {
        header.dpmX = saneDotsPerMeter(fx);
        header.dpmY = saneDotsPerMeter(fy);
    }
    header.stored = QSize(int(std::min<png_uint_32>(width, INT_MAX)), int(std::min<png_uint_32>(height, INT_MAX)));
    // libpng holds two rows as stored, the scaler one row expanded.
    header.workBytes = qint64(png_get_rowbytes(png, info)) * 2 + qint64(width) * 4;
    if (target.isEmpty()) {
        png_destroy_read_struct(&png, &info, nullptr);
        return;
    }
    if (expected.isValid() && header.stored != expected)
        png_error(png, "the file changed while it was read");
    if (png_get_rowbytes(png, info) > size_t(kRowBytes))
        png_error(png, "its rows are too wide to read");
    png_set_expand(png); // palette to RGB, grey below 8 bits to 8, transparency to alpha
    png_set_strip_16(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    const bool interlaced = interlace != PNG_INTERLACE_NONE;
    RowScaler& scaler = state->scaler;
    if (interlaced)
        scaler.interlace();
    if (png_get_rowbytes(png, info) != size_t(width) * size_t(channels)
        || !scaler.start(width, height, channels, target))
        png_error(png, "the picture cannot be held");
    // Without libpng's interlace handling each row read is one row of the
    // current pass; libpng skips empty passes.
    for (int pass = 0; pass < (interlaced ? 7 : 1); ++pass) {
        const png_uint_32 rows = interlaced ? scaler.passHeight(pass) : height;
        if (rows == 0 || (interlaced && scaler.passWidth(pass) == 0))
            continue;
        scaler.beginPass(pass);
        for (png_uint_32 y = 0; y < rows; ++y) {
            png_read_row(png, scaler.row(), nullptr);
            scaler.addRow();
            ++state->rows;
        }
        scaler.endPass();
    }
    state->image = scaler.finish(header.dpmX, header.dpmY);
    png_destroy_read_struct(&png, &info, nullptr);
}

class PngReader final : public Reader {
public:
    CodecHeader header(QIODevice& device) const override
    {
        auto state = std::make_unique<PngState>();
        state->device = &device;
        readPng(state.get(), QSize());
        if (state->header.stored.isEmpty())
            state->header.error = QStringLiteral("its PNG header is damaged (%1)").arg(state->message);
        return state->header;
    }

    Decoded decode(QIODevice& device, const CodecHeader& header, QSize target) const override
    {
        auto state = std::make_unique<PngState>();
        state->device = &device;
        readPng(state.get(), target, header.stored);
        if (state->image.isNull())
            return failed(QStringLiteral("its PNG data is damaged (%1)").arg(state->message));
        return {std::move(state->image), QString(), state->damaged};
    }

    // Chunk after chunk up to the end of IEND.
    qint64 extent(QIODevice& device) const override
    {
        qint64 at = 8;
        const qint64 size = device.size();
        while (at + 12 <= size && device.seek(at)) {
            const QByteArray head = device.read(8);
            if (head.size() < 8)
                break;
            at += 12 + qint64(bigEndian(head, 0, 4));
            if (head.mid(4, 4) == "IEND")
                return std::min(at, size);
        }
        return -1;
    }
};

} // namespace

const Reader& pngReader()
{
    static const PngReader reader;
    return reader;
}

} // namespace platform::picture
