#pragma once
// Hostile inputs built in memory, and the time and peak memory one call
// costs: binary property lists from raw objects, and PNG pictures of any
// declared size whose pixels are all zero (their data is a deflate stream
// of long repeats, so a 30000 x 30000 picture takes a few megabytes), in
// black or in one colour of a palette.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QString>
#include <QFile>
#include <QRgb>
#include <cstdint>
#include <ctime>
#include <vector>

namespace hostile {

inline void putBigEndian(QByteArray& out, uint64_t value, int width)
{
    for (int i = width - 1; i >= 0; --i)
        out.append(char((value >> (8 * i)) & 0xff));
}

// "bplist00" with the given encoded objects (object 0 at the top), 4-byte
// offsets and refWidth-byte references.
inline QByteArray binaryPlist(const std::vector<QByteArray>& objects, int refWidth)
{
    QByteArray out("bplist00");
    std::vector<uint64_t> offsets;
    for (const QByteArray& o : objects) {
        offsets.push_back(uint64_t(out.size()));
        out += o;
    }
    const uint64_t table = uint64_t(out.size());
    for (uint64_t offset : offsets)
        putBigEndian(out, offset, 4);
    out.append(6, '\0');
    out.append(char(4));
    out.append(char(refWidth));
    putBigEndian(out, objects.size(), 8);
    putBigEndian(out, 0, 8);
    putBigEndian(out, table, 8);
    return out;
}

// An array object referring to the given objects.
inline QByteArray arrayObject(const std::vector<uint64_t>& refs, int refWidth)
{
    QByteArray o;
    if (refs.size() < 15) {
        o.append(char(0xA0 | refs.size()));
    } else {
        o.append(char(0xAF));
        o.append(char(0x12));
        putBigEndian(o, refs.size(), 4);
    }
    for (uint64_t r : refs)
        putBigEndian(o, r, refWidth);
    return o;
}

// A dictionary whose one key is UTF-16 "a", U+0000, "b" (value true).
inline QByteArray nulKeyPlist()
{
    return binaryPlist({QByteArray("\xD1\x01\x02", 3), QByteArray("\x63\x00\x61\x00\x00\x00\x62", 7),
                        QByteArray("\x09", 1)},
                       1);
}

// XML of depth nested arrays.
inline QByteArray nestedXml(int depth)
{
    return "<plist>" + QByteArray("<array>").repeated(depth) + QByteArray("</array>").repeated(depth) + "</plist>";
}

// An XML property list whose document type declares one entity of `chars`
// characters, referred to `refs` times in one string: a few hundred
// kilobytes that would expand to refs x chars characters.
inline QByteArray entityXml(int refs, int chars)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist [<!ENTITY e \"" + QByteArray(chars, 'x')
        + "\">]>\n<plist version=\"1.0\"><string>" + QByteArray("&e;").repeated(refs) + "</string></plist>\n";
}

// An XML document whose document type holds about `bytes` bytes of
// declarations of one kind ("ATTLIST": attributes with default values on
// the root element, "ELEMENT" or "NOTATION"), the rest of the document being
// `body`: general XML readers take time quadratic in them.
inline QByteArray declarationsXml(qsizetype bytes, const char* kind, const QByteArray& body)
{
    QByteArray out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- made -->\n<!DOCTYPE plist [\n";
    const QByteArray what(kind);
    for (int i = 0; out.size() < bytes; ++i) {
        const QByteArray n = QByteArray::number(i);
        if (what == "ATTLIST")
            out += "<!ATTLIST plist a" + n + " CDATA \"v\">\n";
        else if (what == "ELEMENT")
            out += "<!ELEMENT e" + n + " (#PCDATA)>\n";
        else
            out += "<!NOTATION n" + n + " SYSTEM \"x" + n + "\">\n";
    }
    return out + "]>\n" + body;
}

// The same XML document with its declaration naming the EBCDIC code page
// IBM037 and everything after the declaration in that code page: a scan
// of the bytes as UTF-8 finds no markup after the declaration, while a
// reader that honours the declaration reads all of it.
inline QByteArray ebcdicXml(const QByteArray& xml)
{
    static const unsigned char kIbm037[128] = {
        0x00, 0x01, 0x02, 0x03, 0x37, 0x2D, 0x2E, 0x2F, 0x16, 0x05, 0x25, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
        0x10, 0x11, 0x12, 0x13, 0x3C, 0x3D, 0x32, 0x26, 0x18, 0x19, 0x3F, 0x27, 0x1C, 0x1D, 0x1E, 0x1F,
        0x40, 0x5A, 0x7F, 0x7B, 0x5B, 0x6C, 0x50, 0x7D, 0x4D, 0x5D, 0x5C, 0x4E, 0x6B, 0x60, 0x4B, 0x61,
        0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0x7A, 0x5E, 0x4C, 0x7E, 0x6E, 0x6F,
        0x7C, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6,
        0xD7, 0xD8, 0xD9, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xBA, 0xE0, 0xBB, 0xB0, 0x6D,
        0x79, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96,
        0x97, 0x98, 0x99, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xC0, 0x4F, 0xD0, 0xA1, 0x07};
    const qsizetype end = xml.indexOf("?>") + 2;
    QByteArray out = xml.left(end).replace("UTF-8", "IBM037");
    for (const char c : xml.mid(end))
        out.append(char(kIbm037[static_cast<unsigned char>(c) & 0x7F]));
    return out;
}

// A property list of 2.7 MB declared in IBM037, whose document type holds
// 80,000 attribute-list declarations.
inline QByteArray ebcdicDeclarationsPlist()
{
    return ebcdicXml(declarationsXml(80000 * 34, "ATTLIST", "<plist version=\"1.0\"><string>x</string></plist>\n"));
}

// The same, its declaration naming UTF-8 first and IBM037 second: a check
// that takes the first and a reader that takes the last disagree.
inline QByteArray repeatedEncodingPlist()
{
    return ebcdicDeclarationsPlist().replace("encoding=\"IBM037\"", "encoding=\"UTF-8\" encoding=\"IBM037\"");
}

// The same XML document with a comment after its declaration, which takes
// it off the readers' direct scan to the general XML reader.
inline QByteArray withComment(const QByteArray& xml)
{
    const QByteArray declaration("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    return xml.startsWith(declaration) ? declaration + "<!-- -->" + xml.mid(declaration.size()) : xml;
}

inline uint32_t crc32(const QByteArray& bytes)
{
    uint32_t crc = 0xffffffffu;
    for (char ch : bytes) {
        crc ^= uint8_t(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A zlib stream of n zero bytes: one fixed-Huffman block of a literal zero
// and repeats of 258 bytes at distance 1.
inline QByteArray zeroStream(uint64_t n)
{
    QByteArray out("\x78\x01", 2);
    uint32_t bits = 0;
    int count = 0;
    auto put = [&](uint32_t value, int width) { // LSB first
        bits |= value << count;
        count += width;
        while (count >= 8) {
            out.append(char(bits & 0xff));
            bits >>= 8;
            count -= 8;
        }
    };
    auto putCode = [&](uint32_t code, int width) { // Huffman codes MSB first
        for (int i = width - 1; i >= 0; --i)
            put((code >> i) & 1u, 1);
    };
    put(1, 1); // final block
    put(1, 2); // fixed codes
    uint64_t left = n;
    if (left > 0) {
        putCode(0x30, 8); // literal 0
        --left;
    }
    for (; left >= 258; left -= 258) {
        putCode(0xC5, 8); // length 258
        putCode(0, 5);    // distance 1
    }
    for (; left > 0; --left)
        putCode(0x30, 8);
    putCode(0, 7); // end of block
    if (count > 0)
        put(0, 8 - count);
    putBigEndian(out, (uint64_t(n % 65521) << 16) | 1u, 4); // Adler-32 of zeros
    return out;
}

// A PNG (or MNG) chunk: length, type, data and CRC.
inline void chunk(QByteArray& out, const char* type, const QByteArray& data)
{
    putBigEndian(out, uint64_t(data.size()), 4);
    const QByteArray body = QByteArray(type, 4) + data;
    out += body;
    putBigEndian(out, crc32(body), 4);
}

// A PNG of width x height black pixels: 8-bit grey unless depth (8 or 16)
// and colour type (0 grey, 2 RGB) say otherwise; not interlaced.
inline QByteArray blackPng(uint32_t width, uint32_t height, int depth = 8, int colour = 0)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    putBigEndian(header, width, 4);
    putBigEndian(header, height, 4);
    header.append(char(depth));
    header.append(char(colour));
    header.append("\x00\x00\x00", 3); // deflate, no filter, no interlace
    chunk(png, "IHDR", header);
    const uint64_t bytesPerPixel = uint64_t(depth / 8) * (colour == 2 ? 3 : 1);
    chunk(png, "IDAT", zeroStream(uint64_t(height) * (uint64_t(width) * bytesPerPixel + 1)));
    chunk(png, "IEND", {});
    return png;
}

// A PNG of width x height pixels all of one colour: a one-entry palette and
// zero indices, so it is as small as blackPng whatever its colour.
inline QByteArray colourPng(uint32_t width, uint32_t height, QRgb colour)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    QByteArray header;
    putBigEndian(header, width, 4);
    putBigEndian(header, height, 4);
    header.append("\x08\x03\x00\x00\x00", 5); // 8-bit palette, deflate, no filter, no interlace
    chunk(png, "IHDR", header);
    QByteArray palette;
    palette.append(char(qRed(colour))).append(char(qGreen(colour))).append(char(qBlue(colour)));
    chunk(png, "PLTE", palette);
    chunk(png, "IDAT", zeroStream(uint64_t(height) * (uint64_t(width) + 1)));
    chunk(png, "IEND", {});
    return png;
}

// blackPng at `dpi` with a text chunk holding `n`, so each n has bytes of
// its own.
inline QByteArray numberedPng(uint32_t width, uint32_t height, int dpi, int n)
{
    QByteArray png = blackPng(width, height);
    QByteArray physical, extra;
    const auto perMetre = uint64_t(dpi / 0.0254 + 0.5);
    putBigEndian(physical, perMetre, 4);
    putBigEndian(physical, perMetre, 4);
    physical.append(char(1)); // per metre
    chunk(extra, "pHYs", physical);
    chunk(extra, "tEXt", QByteArray("n\0", 2) + QByteArray::number(n));
    return png.insert(33, extra); // after the signature and IHDR
}

// A 320 x 240 JPEG of busy content at quality 95: cut anywhere, it still
// holds rows to show.
inline QByteArray noiseJpeg()
{
    QImage noise(320, 240, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb((x * 7 + y * 13) % 256, (x * y) % 256, (x ^ y) % 256));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    noise.save(&buffer, "JPG", 95);
    return jpeg;
}

// A JPEG marker segment: the marker, its length and its data.
inline void jpegSegment(QByteArray& out, uint8_t marker, const QByteArray& data)
{
    out.append(char(0xFF));
    out.append(char(marker));
    putBigEndian(out, uint64_t(data.size() + 2), 2);
    out += data;
}

// A JPEG of width x height mid-grey pixels with 1 (grey) or 3 (YCbCr)
// components, the first sampled lumaH x lumaV (1 x 1: 4:4:4, 2 x 1: 4:2:2,
// 2 x 2: 4:2:0) and the others 1 x 1, every block zero: each Huffman table
// holds one 1-bit code (value 0). Baseline, each 8 x 8 block is two zero
// bits, so a 100-megapixel picture takes about a megabyte. Progressive, only
// the first scan (the DC of every block) is written, one bit per block:
// libjpeg and Qt read it, holding the coefficients of the whole picture.
inline QByteArray zeroJpeg(uint16_t width, uint16_t height, int components, bool progressive, int lumaH = 1,
                           int lumaV = 1)
{
    QByteArray jpeg("\xFF\xD8", 2);
    jpegSegment(jpeg, 0xDB, QByteArray(1, '\0') + QByteArray(64, '\1')); // quantisation table 0: all ones
    QByteArray frame(1, char(8));
    putBigEndian(frame, height, 2);
    putBigEndian(frame, width, 2);
    frame.append(char(components));
    for (int c = 1; c <= components; ++c)
        frame += QByteArray(1, char(c)) + QByteArray(1, char(c == 1 ? lumaH << 4 | lumaV : 0x11)) + QByteArray(1, '\0');
    jpegSegment(jpeg, progressive ? 0xC2 : 0xC0, frame);
    QByteArray tables; // DC 0 (and AC 0 for baseline): one code "0" for the value 0
    for (char tableClass : {'\x00', '\x10'})
        if (tableClass == 0 || !progressive)
            tables += QByteArray(1, tableClass) + QByteArray(1, '\1') + QByteArray(15, '\0') + QByteArray(1, '\0');
    jpegSegment(jpeg, 0xC4, tables);
    QByteArray scan(1, char(components));
    for (int c = 1; c <= components; ++c)
        scan += QByteArray(1, char(c)) + QByteArray(1, '\0');
    // Baseline: the whole spectrum; progressive: DC only, no successive approximation.
    scan += progressive ? QByteArray("\x00\x00\x00", 3) : QByteArray("\x00\x3F\x00", 3);
    jpegSegment(jpeg, 0xDA, scan);
    // One scan of all components: MCUs of lumaH x lumaV luma blocks and one
    // block of each other component (one block each for grey).
    const int h = components == 1 ? 1 : lumaH, v = components == 1 ? 1 : lumaV;
    const uint64_t bits = uint64_t((width + 8 * h - 1) / (8 * h)) * uint64_t((height + 8 * v - 1) / (8 * v))
        * uint64_t(h * v + components - 1) * (progressive ? 1 : 2);
    jpeg += QByteArray(qsizetype(bits / 8), '\0');
    if (bits % 8)
        jpeg.append(char(0xFF >> (bits % 8))); // padded with one bits
    jpeg.append("\xFF\xD9", 2);
    return jpeg;
}

// A progressive grey JPEG of width x height whose first scan gives every
// block's DC (one bit a block) and the `scans - 1` after it each the AC
// of every block in a few end-of-band runs: scans that cost a pass over
// the picture's blocks for a few bytes each.
inline QByteArray scansJpeg(uint16_t width, uint16_t height, int scans)
{
    QByteArray jpeg("\xFF\xD8", 2);
    jpegSegment(jpeg, 0xDB, QByteArray(1, '\0') + QByteArray(64, '\1'));
    QByteArray frame(1, char(8));
    putBigEndian(frame, height, 2);
    putBigEndian(frame, width, 2);
    frame.append("\x01\x01\x11\x00", 4);
    jpegSegment(jpeg, 0xC2, frame);
    // DC table 0: one code "0" for 0; AC table 0: one code "0" for a run of
    // 2^14 + (14 bits) ends of band.
    jpegSegment(jpeg, 0xC4, QByteArray("\x00\x01", 2) + QByteArray(15, '\0') + QByteArray(1, '\0')
                            + QByteArray("\x10\x01", 2) + QByteArray(15, '\0') + QByteArray(1, char(0xE0)));
    const uint64_t blocks = uint64_t((width + 7) / 8) * uint64_t((height + 7) / 8);
    // A scan of `codes` codes each codeBits wide, a zero and then ones,
    // padded with ones.
    auto scan = [&](const char* spectrum, uint64_t codes, int codeBits) {
        jpegSegment(jpeg, 0xDA, QByteArray("\x01\x01\x00", 3) + QByteArray(spectrum, 3));
        const uint64_t bits = codes * uint64_t(codeBits);
        QByteArray data(qsizetype((bits + 7) / 8), char(0xFF));
        for (uint64_t b = 0; b < bits; b += uint64_t(codeBits))
            data[qsizetype(b / 8)] = char(data[qsizetype(b / 8)] & ~(0x80 >> (b % 8)));
        for (qsizetype i = 0; i < data.size(); ++i)
            if (uchar(data[i]) == 0xFF)
                data.insert(++i, '\0'); // stuffed
        jpeg += data;
    };
    scan("\x00\x00\x00", blocks, 1);
    for (int s = 1; s < scans; ++s)
        scan("\x01\x3F\x00", (blocks + 32766) / 32767, 15);
    jpeg.append("\xFF\xD9", 2);
    return jpeg;
}

// A GIF89a of one pixel, `comment` one-byte sub-blocks of comment
// before its frame and `frames` frames.
inline QByteArray gifOf(int comment, int frames)
{
    QByteArray gif = QByteArray::fromHex("47494638396101000100800000ffffff000000");
    if (comment > 0)
        gif += "\x21\xFE" + QByteArray("\x01x", 2).repeated(comment) + QByteArray(1, '\0');
    const QByteArray frame = QByteArray::fromHex("2c0000000001000100000202440100");
    return gif + frame.repeated(frames) + ";";
}

// A little-endian, deflate-compressed TIFF of width x height zero samples
// (samples 1: grey, white is zero; 3: RGB, black) in strips of rowsPerStrip
// rows, or in tiles of tile x tile pixels when tile > 0, with the given
// orientation tag. Every strip or tile points at the same compressed data,
// so a huge canvas takes a few kilobytes.
inline QByteArray zeroTiff(uint32_t width, uint32_t height, int samples, uint32_t rowsPerStrip, uint32_t tile = 0,
                           int orientation = 1)
{
    auto put = [](QByteArray& out, uint64_t value, int width) {
        for (int i = 0; i < width; ++i)
            out.append(char((value >> (8 * i)) & 0xff));
    };
    const uint64_t blockBytes = tile ? uint64_t(tile) * tile * uint64_t(samples)
                                     : uint64_t(width) * rowsPerStrip * uint64_t(samples);
    const uint64_t blocks = tile ? uint64_t((width + tile - 1) / tile) * ((height + tile - 1) / tile)
                                 : (height + rowsPerStrip - 1) / rowsPerStrip;
    const QByteArray data = zeroStream(blockBytes);
    struct Entry { uint16_t tag, type; uint32_t count; uint64_t value; QByteArray external; };
    std::vector<Entry> entries;
    QByteArray bits, offsets, counts;
    for (int i = 0; i < samples; ++i)
        put(bits, 8, 2);
    for (uint64_t i = 0; i < blocks; ++i) {
        put(offsets, 8, 4); // the data follows the header
        put(counts, uint64_t(data.size()), 4);
    }
    entries.push_back({256, 4, 1, width, {}});
    entries.push_back({257, 4, 1, height, {}});
    entries.push_back({258, 3, uint32_t(samples), 8, samples > 2 ? bits : QByteArray()});
    entries.push_back({259, 3, 1, 8, {}});                            // deflate
    entries.push_back({262, 3, 1, uint64_t(samples == 3 ? 2 : 0), {}}); // RGB or white is zero
    if (!tile)
        entries.push_back({273, 4, uint32_t(blocks), 8, blocks > 1 ? offsets : QByteArray()});
    entries.push_back({274, 3, 1, uint64_t(orientation), {}});
    entries.push_back({277, 3, 1, uint64_t(samples), {}});
    if (!tile) {
        entries.push_back({278, 4, 1, rowsPerStrip, {}});
        entries.push_back({279, 4, uint32_t(blocks), uint64_t(data.size()), blocks > 1 ? counts : QByteArray()});
    }
    entries.push_back({284, 3, 1, 1, {}});
    if (tile) {
        entries.push_back({322, 4, 1, tile, {}});
        entries.push_back({323, 4, 1, tile, {}});
        entries.push_back({324, 4, uint32_t(blocks), 8, blocks > 1 ? offsets : QByteArray()});
        entries.push_back({325, 4, uint32_t(blocks), uint64_t(data.size()), blocks > 1 ? counts : QByteArray()});
    }
    QByteArray out("II*\0", 4);
    const uint64_t ifd = 8 + uint64_t(data.size()) + (data.size() % 2);
    put(out, ifd, 4);
    out += data;
    if (data.size() % 2)
        out.append('\0');
    uint64_t external = ifd + 2 + entries.size() * 12 + 4;
    QByteArray tail;
    put(out, entries.size(), 2);
    for (const Entry& e : entries) {
        put(out, e.tag, 2);
        put(out, e.type, 2);
        put(out, e.count, 4);
        if (e.external.isEmpty()) {
            put(out, e.value, e.type == 3 && e.count == 1 ? 2 : 4);
            if (e.type == 3 && e.count == 1)
                put(out, 0, 2);
        } else {
            put(out, external + uint64_t(tail.size()), 4);
            tail += e.external;
        }
    }
    put(out, 0, 4);
    return out + tail;
}

// An MNG whose header declares a frame of width x height holding one 1 x 1
// PNG: readers that take the frame size from the header cannot know it.
inline QByteArray mngPicture(uint32_t width, uint32_t height)
{
    QByteArray mng("\x8aMNG\r\n\x1a\n", 8);
    QByteArray header;
    for (uint32_t v : {width, height, 1u, 0u, 0u, 0u, 1u})
        putBigEndian(header, v, 4);
    chunk(mng, "MHDR", header);
    const QByteArray png = blackPng(1, 1);
    mng += png.mid(8); // its IHDR, IDAT and IEND chunks
    chunk(mng, "MEND", {});
    return mng;
}

// Resident memory now and at its peak since the last reset, in KiB.
inline qint64 statusKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

// CPU time of the process, in seconds: unlike the clock on the wall it does
// not grow when other programs load the machine.
inline double cpuSeconds()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Each hostile input costs well under a second of CPU time on an idle
// machine; the margin keeps a heavily loaded one from failing the tests.
inline constexpr double kCpuSeconds = 2.0;

struct Cost {
    double seconds = 0; // CPU time
    qint64 peakMiB = 0; // peak resident memory above the level at the start
};

template <class F>
Cost measure(F&& call)
{
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (reset.open(QIODevice::WriteOnly))
        reset.write("5"); // resets the peak to the current level
    reset.close();
    const qint64 before = statusKiB("VmRSS:");
    const double start = cpuSeconds();
    call();
    Cost cost;
    cost.seconds = cpuSeconds() - start;
    cost.peakMiB = (statusKiB("VmHWM:") - before) / 1024;
    return cost;
}

// Every UTF-16 unit but U+0000 (so every surrogate alone), then astral
// characters and non-characters, and a low and a high surrogate out of order:
// text that every stored format must carry unchanged.
inline QString everyCharacter()
{
    QString all;
    for (char32_t c = 1; c <= 0xFFFF; ++c)
        all.append(QChar(char16_t(c)));
    for (char32_t c : {0x10000u, 0x1F389u, 0x1FFFEu, 0x10FFFEu, 0x10FFFFu})
        all.append(QString::fromUcs4(&c, 1));
    all.append(QChar(0xDC00)).append(QChar(0xD800));
    return all;
}

} // namespace hostile
