// JPEG pictures read through libjpeg, scaled while they decode (by k/8 in
// its inverse DCT) and then by the row scaler. Of the segments before the
// picture only what its orientation needs is kept: the start of the first
// EXIF block; the resolution comes from the JFIF header libjpeg reads.
// The coefficients of a picture of several scans are held in memory of our
// own (see CoefficientStore); its scans are limited (kMaxScans).
#include "platform/picture/reader.h"
#include "platform/picture/row_scaler.h"

#include <QIODevice>
#include <algorithm>
#include <csetjmp>
#include <cstdio> // before jpeglib.h, which uses FILE
#include <cstring>
#include <jpeglib.h>
#include <jerror.h> // after jpeglib.h
#include <limits>
#include <memory>
#include <sys/mman.h>
#include <vector>

namespace platform::picture {
namespace {

// Bytes of the first EXIF block kept: its first directory, which holds the
// orientation, lies at its start in every writer's files.
constexpr size_t kExifBytes = 64 * 1024;

// Scans a picture may have: real files have a few dozen at most, while
// each scan costs a pass over the picture's blocks.
constexpr int kMaxScans = 100;

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX] = {};
    bool ended = false;    // the data ended before the picture did
    bool damaged = false;  // a scan was cut by a marker or had to resync
    bool tooManyScans = false;
};

void jpegErrorExit(j_common_ptr info)
{
    auto* error = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, error->message);
    std::longjmp(error->jump, 1);
}

void jpegMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return;
    auto* error = reinterpret_cast<JpegError*>(info->err);
    const int code = info->err->msg_code;
    error->ended = error->ended || code == JWRN_JPEG_EOF;
    error->damaged = error->damaged || code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC;
}

// Called by libjpeg as it reads: a picture of more scans than kMaxScans is
// given up.
void jpegProgress(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) {
        reinterpret_cast<JpegError*>(info->err)->tooManyScans = true;
        ERREXIT(info, JERR_NOTIMPL);
    }
}

// libjpeg's source reading the device in pieces; the end of the data is
// marked as libjpeg's own sources mark it (a warning and an end marker).
struct JpegSource {
    jpeg_source_mgr manager {};
    QIODevice* device = nullptr;
    std::vector<JOCTET> buffer = std::vector<JOCTET>(64 * 1024);
    std::vector<uchar> exif; // the start of the first EXIF block, after "Exif\0\0"
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

uchar nextByte(j_decompress_ptr info)
{
    jpeg_source_mgr* source = info->src;
    if (source->bytes_in_buffer == 0)
        jpegFill(info);
    --source->bytes_in_buffer;
    return *source->next_input_byte++;
}

// An APP1 segment: the start of the first EXIF block is kept, the rest of
// it and every other block skipped.
boolean jpegApp1(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<JpegSource*>(info->src);
    const int high = nextByte(info);
    long length = long(high << 8 | nextByte(info)) - 2;
    if (source->exif.empty() && length >= 6) {
        uchar tag[6];
        for (uchar& c : tag)
            c = nextByte(info);
        length -= 6;
        if (std::memcmp(tag, "Exif\0\0", 6) == 0) {
            source->exif.resize(std::min<size_t>(size_t(length), kExifBytes));
            for (uchar& c : source->exif)
                c = nextByte(info);
            length -= long(source->exif.size());
        }
    }
    if (length > 0)
        jpegSkip(info, length);
    return TRUE;
}

// The orientation its EXIF block gives (1 when none or it cannot be read).
int exifOrientation(const std::vector<uchar>& exif)
{
    const uchar* tiff = exif.data();
    const size_t size = exif.size();
    if (size < 8)
        return 1;
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

// The whole-picture coefficient arrays a progressive (or multi-scan)
// picture needs, in one mapping of fresh memory that asks for large pages.
// libjpeg's own arrays take that memory page by page and clear it once
// more; for a 50 MP picture those page faults and clearing cost more than
// the decoding itself. The memory comes cleared from the system, as the
// arrays need it, and is given back when the reader ends.
class CoefficientStore {
public:
    ~CoefficientStore()
    {
        if (m_base)
            munmap(m_base, m_bytes);
    }

    // Takes over libjpeg's block arrays of info (created, not yet started).
    void install(jpeg_decompress_struct& info)
    {
        info.client_data = this;
        m_realizeOthers = info.mem->realize_virt_arrays;
        info.mem->request_virt_barray = request;
        info.mem->realize_virt_arrays = realize;
        info.mem->access_virt_barray = access;
    }

private:
    struct Array {
        JDIMENSION blocksPerRow;
        JDIMENSION rowCount;
        std::vector<JBLOCKROW> rows;
    };

    static CoefficientStore& of(j_common_ptr info) { return *static_cast<CoefficientStore*>(info->client_data); }

    static jvirt_barray_ptr request(j_common_ptr info, int, boolean, JDIMENSION blocksPerRow, JDIMENSION rowCount,
                                    JDIMENSION)
    {
        CoefficientStore& store = of(info);
        if (store.m_base)
            ERREXIT(info, JERR_BAD_STATE); // asked for after the arrays were made
        store.m_arrays.push_back(std::make_unique<Array>(Array{blocksPerRow, rowCount, {}}));
        return reinterpret_cast<jvirt_barray_ptr>(store.m_arrays.back().get());
    }

    static void realize(j_common_ptr info)
    {
        CoefficientStore& store = of(info);
        store.m_realizeOthers(info);
        if (store.m_arrays.empty() || store.m_base)
            return;
        size_t bytes = 0;
        for (const auto& array : store.m_arrays)
            bytes += size_t(array->blocksPerRow) * array->rowCount * sizeof(JBLOCK);
        if (info->mem->max_memory_to_use > 0 && bytes > size_t(info->mem->max_memory_to_use))
            ERREXIT1(info, JERR_OUT_OF_MEMORY, 10);
        void* base = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED)
            ERREXIT1(info, JERR_OUT_OF_MEMORY, 11);
        madvise(base, bytes, MADV_HUGEPAGE);
        store.m_base = base;
        store.m_bytes = bytes;
        auto* block = static_cast<JBLOCK*>(base);
        for (const auto& array : store.m_arrays) {
            array->rows.resize(array->rowCount);
            for (JBLOCKROW& row : array->rows) {
                row = block;
                block += array->blocksPerRow;
            }
        }
    }

    static JBLOCKARRAY access(j_common_ptr info, jvirt_barray_ptr handle, JDIMENSION first, JDIMENSION count, boolean)
    {
        auto* array = reinterpret_cast<Array*>(handle);
        if (array->rows.empty() || first > array->rowCount || count > array->rowCount - first)
            ERREXIT(info, JERR_BAD_VIRTUAL_ACCESS);
        return array->rows.data() + first;
    }

    std::vector<std::unique_ptr<Array>> m_arrays;
    void (*m_realizeOthers)(j_common_ptr) = nullptr;
    void* m_base = nullptr;
    size_t m_bytes = 0;
};

// A decompressor with the error handling, source, scan limit and
// coefficient store above; destroyed with its decompressor.
struct JpegReader {
    jpeg_decompress_struct info {};
    JpegError error;
    JpegSource source;
    jpeg_progress_mgr progress {};
    CoefficientStore coefficients;
    bool multiScan = false; // libjpeg holds the coefficients of the whole picture
    JpegReader()
    {
        info.err = jpeg_std_error(&error.manager);
        error.manager.error_exit = jpegErrorExit;
        error.manager.emit_message = jpegMessage;
        progress.progress_monitor = jpegProgress;
    }
    ~JpegReader() { jpeg_destroy_decompress(&info); }
    JpegReader(const JpegReader&) = delete;
    JpegReader& operator=(const JpegReader&) = delete;
};

// Runs step with libjpeg's errors caught: false when libjpeg gave up, its
// message in reader.error. libjpeg leaves by a long jump to here, so this
// frame and every one the step holds while it calls libjpeg keep no object
// with a destructor; the objects the step works on live in its caller.
using JpegStep = void (*)(JpegReader& reader, void* context);
Q_NEVER_INLINE bool jpegGuarded(JpegReader& reader, JpegStep step, void* context)
{
    if (setjmp(reader.error.jump))
        return false;
    step(reader, context);
    return true;
}

// Opens the JPEG on device for reading (device at its start) and reads its
// header, libjpeg's whole-picture buffers bounded by memoryBytes.
struct JpegOpening {
    QIODevice* device;
    qint64 memoryBytes;
};

void jpegOpen(JpegReader& reader, void* context)
{
    const auto* opening = static_cast<const JpegOpening*>(context);
    jpeg_decompress_struct& info = reader.info;
    JpegSource& source = reader.source;
    jpeg_create_decompress(&info);
    reader.coefficients.install(info);
    info.mem->max_memory_to_use = long(opening->memoryBytes);
    info.progress = &reader.progress;
    source.device = opening->device;
    source.manager.init_source = jpegNothing;
    source.manager.fill_input_buffer = jpegFill;
    source.manager.skip_input_data = jpegSkip;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = jpegNothing;
    info.src = &source.manager;
    jpeg_set_marker_processor(&info, JPEG_APP0 + 1, jpegApp1);
    jpeg_read_header(&info, TRUE);
    // A progressive picture, or one whose components come in scans of
    // their own: every scan is read before the first row comes out.
    reader.multiScan = jpeg_has_multiple_scans(&info);
}

// What the header says: size, EXIF turn, the JFIF resolution (per inch or
// per centimetre), and the memory the decode takes besides the picture:
// libjpeg's rows and, for a picture of several scans, the coefficients of
// the whole picture (two bytes a sample, as libjpeg holds them).
CodecHeader headerOf(const JpegReader& reader)
{
    const jpeg_decompress_struct& info = reader.info;
    CodecHeader header;
    header.stored = QSize(int(info.image_width), int(info.image_height));
    header.orientation = exifOrientation(reader.source.exif);
    const double perMetre = info.density_unit == 1 ? 1 / 0.0254 : info.density_unit == 2 ? 100.0 : 0.0;
    header.dpmX = saneDotsPerMeter(info.X_density * perMetre);
    header.dpmY = saneDotsPerMeter(info.Y_density * perMetre);
    header.workBytes = qint64(info.image_width) * (info.num_components + 1) * 64;
    if (reader.multiScan)
        for (int c = 0; c < info.num_components; ++c)
            header.workBytes += qint64(info.comp_info[c].width_in_blocks + info.comp_info[c].h_samp_factor)
                * (info.comp_info[c].height_in_blocks + info.comp_info[c].v_samp_factor) * qint64(sizeof(JBLOCK));
    return header;
}

// The JPEG on device walked from its start: the segments before a scan by
// their lengths, a scan's data up to the next marker (0xFF followed by
// neither a stuffed 0 nor a restart marker), as often as they come. end:
// the offset after its end marker (-1 when there is none); scanBytes: the
// bytes of scan data before it, the walk stopping once they reach enough.
struct JpegWalk {
    qint64 end = -1;
    qint64 scanBytes = 0;
};

JpegWalk walkJpeg(QIODevice& device, qint64 enough = std::numeric_limits<qint64>::max())
{
    JpegWalk walk;
    if (!device.seek(2))
        return walk;
    QByteArray buffer;
    qint64 base = 2; // offset of buffer[0]
    qsizetype at = 0;
    bool inScan = false;
    // Scan data is read in large pieces, segments in small ones: most of a
    // segment is passed by a seek.
    auto have = [&](qsizetype n) {
        while (buffer.size() - at < n) {
            const QByteArray more = device.read(inScan ? 64 * 1024 : 4096);
            if (more.isEmpty())
                return false;
            buffer = buffer.mid(at) + more;
            base += at;
            at = 0;
        }
        return true;
    };
    for (;;) {
        if (inScan) {
            // Scan data: find the next 0xFF that starts a marker.
            const qint64 from = base + at;
            for (;;) {
                if (walk.scanBytes + (base + at - from) >= enough) {
                    walk.scanBytes = enough;
                    return walk;
                }
                if (!have(2))
                    return walk;
                const char* data = buffer.constData() + at;
                const void* ff = std::memchr(data, 0xFF, size_t(buffer.size() - at - 1));
                if (!ff) {
                    at = buffer.size() - 1;
                    continue;
                }
                at += static_cast<const char*>(ff) - data;
                const uchar next = uchar(buffer[at + 1]);
                if (next == 0 || (next >= 0xD0 && next <= 0xD7) || next == 0xFF) {
                    at += next == 0xFF ? 1 : 2;
                    continue;
                }
                break;
            }
            walk.scanBytes += base + at - from;
        }
        if (!have(2) || uchar(buffer[at]) != 0xFF)
            return walk;
        const uchar marker = uchar(buffer[at + 1]);
        if (marker == 0xFF) {
            ++at; // fill byte
            continue;
        }
        if (marker == JPEG_EOI) {
            walk.end = base + at + 2;
            return walk;
        }
        if (!have(4))
            return walk;
        const qint64 length = bigEndian(buffer, at + 2, 2);
        const qint64 end = base + at + 2 + length;
        inScan = marker == 0xDA;
        if (length < 2)
            return walk;
        // Past the segment: within what was read, or by a seek.
        if (end - base <= buffer.size()) {
            at = qsizetype(end - base);
            continue;
        }
        buffer.clear();
        at = 0;
        base = end;
        if (!device.seek(end))
            return walk;
    }
}

// Whether the scans before the end marker can hold the picture: every
// scan takes at least one bit per MCU.
bool bytesHold(const jpeg_decompress_struct& info, QIODevice& device)
{
    const int across = DCTSIZE * info.max_h_samp_factor;
    const qint64 mcus = qint64((info.image_width + across - 1) / across) * info.total_iMCU_rows;
    const qint64 needed = (mcus + 7) / 8;
    return walkJpeg(device, needed).scanBytes >= needed;
}

// What the rows of a decode go through: the scaler and, for CMYK, the row
// of inks turned to RGB (Adobe's files store the inks inverted).
struct JpegRows {
    RowScaler* scaler;
    uchar* inks; // null: not CMYK
    bool stopAtEnd;
};

void jpegStart(JpegReader& reader, void*)
{
    jpeg_start_decompress(&reader.info);
}

// Rows past the end of the data are libjpeg's filling: the rows stop at
// the row where the end was seen when stopAtEnd.
void jpegReadRows(JpegReader& reader, void* context)
{
    const auto* rows = static_cast<const JpegRows*>(context);
    jpeg_decompress_struct& info = reader.info;
    const bool inverted = info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height && !(rows->stopAtEnd && reader.error.ended)) {
        JSAMPROW row = rows->inks ? rows->inks : rows->scaler->row();
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            break;
        if (rows->inks) {
            // Each colour is what its ink and the black leave of white.
            const uchar* in = rows->inks;
            uchar* out = rows->scaler->row();
            for (quint32 x = 0; x < info.output_width; ++x, in += 4, out += 3) {
                const quint32 c = inverted ? in[0] : 255u - in[0], m = inverted ? in[1] : 255u - in[1];
                const quint32 y = inverted ? in[2] : 255u - in[2], k = inverted ? in[3] : 255u - in[3];
                out[0] = uchar((c * k + 127) / 255);
                out[1] = uchar((m * k + 127) / 255);
                out[2] = uchar((y * k + 127) / 255);
            }
        }
        rows->scaler->addRow();
    }
}

void jpegFinish(JpegReader& reader, void*)
{
    jpeg_finish_decompress(&reader.info);
}

class JpegPictureReader final : public Reader {
public:
    CodecHeader header(QIODevice& device) const override
    {
        JpegReader reader;
        JpegOpening opening {&device, 0};
        CodecHeader header;
        if (!jpegGuarded(reader, jpegOpen, &opening)) {
            header.error = QStringLiteral("its JPEG header is damaged (%1)").arg(QString::fromLatin1(reader.error.message));
            return header;
        }
        header = headerOf(reader);
        const jpeg_decompress_struct& info = reader.info;
        if (!bytesHold(info, device))
            header.error = QStringLiteral("it is a %1JPEG of %2 x %3 pixels in a file of %4 bytes, fewer than such a "
                                          "picture takes")
                               .arg(info.progressive_mode ? QStringLiteral("progressive ") : QString())
                               .arg(info.image_width).arg(info.image_height).arg(device.size());
        return header;
    }

    // CMYK pictures are turned to RGB; a picture with an EXIF orientation is
    // scaled as stored and turned by the scaler. A picture whose data ends
    // early or is cut by a marker is returned as far as it was read.
    Decoded decode(QIODevice& device, const CodecHeader& expected, QSize target) const override
    {
        JpegReader reader;
        jpeg_decompress_struct& info = reader.info;
        const JpegError& error = reader.error;
        auto failure = [&] {
            const int code = error.manager.msg_code;
            if (error.tooManyScans)
                return failed(QStringLiteral("its JPEG data has more than %1 scans").arg(kMaxScans));
            return failed(code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE
                              ? QStringLiteral("it takes more memory to read than its header said")
                              : QStringLiteral("its JPEG data is damaged (%1)").arg(QString::fromLatin1(error.message)));
        };
        JpegOpening opening {&device, expected.workBytes};
        if (!jpegGuarded(reader, jpegOpen, &opening))
            return failure();
        const CodecHeader header = headerOf(reader);
        if (header.stored != expected.stored || header.workBytes > expected.workBytes)
            return changed();
        const quint32 width = info.image_width, height = info.image_height;
        if (turnsQuarter(header.orientation))
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
        if (!jpegGuarded(reader, jpegStart, nullptr))
            return failure();
        RowScaler scaler;
        scaler.orient(header.orientation);
        QString why;
        if (!scaler.start(info.output_width, info.output_height, cmyk ? 3 : info.output_components, target, false, &why))
            return failed(why);
        std::vector<uchar> inks(cmyk ? size_t(info.output_width) * 4 : 0);
        // A picture of several scans has read all its data before its first
        // row: its rows are all shown.
        JpegRows rows {&scaler, cmyk ? inks.data() : nullptr, !reader.multiScan};
        if (!jpegGuarded(reader, jpegReadRows, &rows))
            return failure();
        const bool damaged = error.damaged || info.output_scanline < info.output_height;
        if (!damaged && !jpegGuarded(reader, jpegFinish, nullptr))
            return failure();
        return {scaler.finish(header.dpmX, header.dpmY, QSize(int(width), int(height))), QString(), damaged};
    }

    qint64 extent(QIODevice& device) const override { return walkJpeg(device).end; }
};

} // namespace

const Reader& jpegReader()
{
    static const JpegPictureReader reader;
    return reader;
}

} // namespace platform::picture
