// Pictures of every kind read within the target size, CPU and memory
// bounds, and valid pictures of the rarer kinds read right.
#include "platform/picture/picture_decode.h"
#include "platform/picture/reader.h"
#include "platform/stored_picture.h"
#include "support/hang_guard.h"
#include "support/hostile_bytes.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <cstdio>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>
#include <thread>
#include <tiffio.h>

namespace {

constexpr qint64 kTarget = 2000LL * 2000;

QImage read(const QByteArray& bytes, QString* why, qint64 maxPixels = kTarget)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return platform::readPicture(reader, why, 0, maxPixels);
}

// A JPEG written by libjpeg from rows of `components` 8-bit samples
// (1 grey, 3 RGB, 4 CMYK stored inverted as Adobe's files do), optionally
// progressive and with an EXIF orientation; RGB's luma sampled lumaH x lumaV.
QByteArray writeJpeg(int width, int height, int components, bool progressive, int orientation,
                     const std::function<void(int y, uchar* row)>& fill, int lumaH = 2, int lumaV = 2)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    if (components == 3) {
        info.comp_info[0].h_samp_factor = lumaH;
        info.comp_info[0].v_samp_factor = lumaV;
    }
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    if (orientation > 1) {
        // Exif, big-endian TIFF header, one IFD entry: orientation (SHORT).
        const unsigned char exif[] = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                                      0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, uchar(orientation), 0, 0, 0, 0, 0, 0};
        jpeg_write_marker(&info, JPEG_APP0 + 1, exif, sizeof exif);
    }
    std::vector<uchar> row(size_t(width) * size_t(components));
    while (info.next_scanline < info.image_height) {
        fill(int(info.next_scanline), row.data());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    free(out);
    return bytes;
}

void putLittleEndian(QByteArray& out, uint64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        out.append(char((value >> (8 * i)) & 0xff));
}

// A 24-bit BMP header of width x height (negative: top row first) at the
// resolution in dots per metre, followed by `rows` rows of mid-grey.
// The JPEG with its frame header (SOF `marker`) declaring width x height.
QByteArray withJpegFrameSize(QByteArray jpeg, const char* marker, int width, int height)
{
    const qsizetype frame = jpeg.indexOf(marker, 2);
    jpeg[frame + 5] = char(height >> 8);
    jpeg[frame + 6] = char(height & 0xff);
    jpeg[frame + 7] = char(width >> 8);
    jpeg[frame + 8] = char(width & 0xff);
    return jpeg;
}

QByteArray greyBmp(int32_t width, int32_t height, int32_t dpm, int64_t rows)
{
    const int64_t stride = (int64_t(width) * 3 + 3) / 4 * 4;
    QByteArray bmp("BM", 2);
    putLittleEndian(bmp, uint64_t(54 + stride * std::abs(int64_t(height))), 4);
    putLittleEndian(bmp, 0, 4);
    putLittleEndian(bmp, 54, 4);
    putLittleEndian(bmp, 40, 4);
    putLittleEndian(bmp, uint32_t(width), 4);
    putLittleEndian(bmp, uint32_t(height), 4);
    putLittleEndian(bmp, 1, 2);
    putLittleEndian(bmp, 24, 2);
    putLittleEndian(bmp, 0, 4); // uncompressed
    putLittleEndian(bmp, 0, 4);
    putLittleEndian(bmp, uint32_t(dpm), 4);
    putLittleEndian(bmp, uint32_t(dpm), 4);
    putLittleEndian(bmp, 0, 8);
    return bmp + QByteArray(qsizetype(stride * rows), char(0x80));
}

// An animated WebP of a canvas x canvas canvas whose two frames are one
// small opaque picture each, as Qt's writer encodes it.
QByteArray animatedWebp(uint32_t canvas)
{
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(qRgb(0, 0, 255));
    QByteArray still;
    QBuffer buffer(&still);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "webp").write(small);
    // The still picture's image chunk ("VP8 " or "VP8L") follows its header.
    qsizetype at = 12;
    while (at + 8 <= still.size() && still.mid(at, 4) != "VP8 " && still.mid(at, 4) != "VP8L") {
        uint32_t length = 0;
        std::memcpy(&length, still.constData() + at + 4, 4);
        at += 8 + length + (length & 1);
    }
    const QByteArray image = still.mid(at);
    auto chunk = [](const char* type, const QByteArray& data) {
        QByteArray out(type, 4);
        putLittleEndian(out, uint64_t(data.size()), 4);
        return out + data + (data.size() % 2 ? QByteArray(1, '\0') : QByteArray());
    };
    QByteArray header(1, char(0x02)); // animation
    header.append(3, '\0');
    putLittleEndian(header, canvas - 1, 3);
    putLittleEndian(header, canvas - 1, 3);
    QByteArray body = chunk("VP8X", header) + chunk("ANIM", QByteArray(6, '\0'));
    for (uint32_t offset : {0u, 64u}) {
        QByteArray frame;
        putLittleEndian(frame, offset / 2, 3);
        putLittleEndian(frame, offset / 2, 3);
        putLittleEndian(frame, 15, 3);
        putLittleEndian(frame, 15, 3);
        putLittleEndian(frame, 100, 3);
        frame.append('\0');
        body += chunk("ANMF", frame + image);
    }
    QByteArray out("RIFF", 4);
    putLittleEndian(out, uint64_t(body.size() + 4), 4);
    return out + "WEBP" + body;
}

// A TIFF written by libtiff into dir: width x height pixels of one colour,
// RGBA (alpha associated) unless the colour is opaque, in strips or tiles of
// 16 x 16, uncompressed, with the orientation and resolution (dpi) given;
// BigTIFF when big.
QByteArray libtiffPicture(const QTemporaryDir& dir, uint32_t width, uint32_t height, QRgb rgba, bool tiled,
                          int orientation, float dpi, bool big)
{
    const int samples = qAlpha(rgba) == 255 ? 3 : 4;
    const QString path = dir.filePath(QStringLiteral("written.tif"));
    TIFF* tiff = TIFFOpen(QFile::encodeName(path).constData(), big ? "w8" : "w");
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, height);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, samples);
    const uint16_t extra[] = {EXTRASAMPLE_ASSOCALPHA};
    if (samples == 4)
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, extra);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tiff, TIFFTAG_ORIENTATION, orientation);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, dpi);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, dpi);
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    const uchar pixel[4] = {uchar(qRed(rgba)), uchar(qGreen(rgba)), uchar(qBlue(rgba)), uchar(qAlpha(rgba))};
    if (tiled) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, 16);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, 16);
        std::vector<uchar> tile(size_t(16 * 16 * samples));
        for (size_t i = 0; i < tile.size(); ++i)
            tile[i] = pixel[i % size_t(samples)];
        for (uint32_t y = 0; y < height; y += 16)
            for (uint32_t x = 0; x < width; x += 16)
                TIFFWriteTile(tiff, tile.data(), x, y, 0, 0);
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
        std::vector<uchar> row(size_t(width) * size_t(samples));
        for (size_t i = 0; i < row.size(); ++i)
            row[i] = pixel[i % size_t(samples)];
        for (uint32_t y = 0; y < height; ++y)
            TIFFWriteScanline(tiff, row.data(), y, 0);
    }
    TIFFClose(tiff);
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// An interlaced PNG of width x height black 8-bit grey pixels.
QByteArray interlacedBlackPng(uint32_t width, uint32_t height)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8), header;
    hostile::putBigEndian(header, width, 4);
    hostile::putBigEndian(header, height, 4);
    header.append("\x08\x00\x00\x00\x01", 5); // 8-bit grey, Adam7
    hostile::chunk(png, "IHDR", header);
    const uint32_t start[7][2] = {{0, 0}, {4, 0}, {0, 4}, {2, 0}, {0, 2}, {1, 0}, {0, 1}};
    const uint32_t step[7][2] = {{8, 8}, {8, 8}, {4, 8}, {4, 4}, {2, 4}, {2, 2}, {1, 2}};
    uint64_t bytes = 0;
    for (int p = 0; p < 7; ++p) {
        const uint64_t across = width > start[p][0] ? (width - start[p][0] + step[p][0] - 1) / step[p][0] : 0;
        const uint64_t down = height > start[p][1] ? (height - start[p][1] + step[p][1] - 1) / step[p][1] : 0;
        if (across > 0)
            bytes += down * (across + 1);
    }
    hostile::chunk(png, "IDAT", hostile::zeroStream(bytes));
    hostile::chunk(png, "IEND", {});
    return png;
}

void expectWithin(const hostile::Cost& cost, const char* what)
{
    EXPECT_LT(cost.seconds, hostile::kCpuSeconds) << what;
    EXPECT_LT(cost.peakMiB, 100) << what;
    std::fprintf(stderr, "%s: %.2f s CPU, %lld MiB peak\n", what, cost.seconds, static_cast<long long>(cost.peakMiB));
}

} // namespace

// Huge pictures of every kind with a scaled decoder come out at the target
// size within the CPU and memory bounds, their size in points kept.
TEST(PictureDecode, HugePicturesReadScaledWithinBounds)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        QSize full;
    };
    // Inverted inks of a mid-blue CMYK picture.
    const QByteArray cmyk = writeJpeg(4000, 3000, 4, true, 1, [](int, uchar* row) {
        for (int x = 0; x < 4000; ++x) {
            row[x * 4] = 55; row[x * 4 + 1] = 155; row[x * 4 + 2] = 255; row[x * 4 + 3] = 255;
        }
    });
    std::vector<Case> cases;
    cases.push_back({"deflate TIFF of 11000 x 11000 RGB", hostile::zeroTiff(11000, 11000, 3, 11000), QSize(11000, 11000)});
    cases.push_back({"tiled TIFF of 11000 x 11000 RGB", hostile::zeroTiff(11000, 11000, 3, 0, 512), QSize(11000, 11000)});
    cases.push_back({"CMYK progressive JPEG of 4000 x 3000", cmyk, QSize(4000, 3000)});
    cases.push_back({"16-bit PNG of 11000 x 11000", hostile::blackPng(11000, 11000, 16, 0), QSize(11000, 11000)});
    cases.push_back({"interlaced PNG of 11000 x 11000", interlacedBlackPng(11000, 11000), QSize(11000, 11000)});
    for (const Case& c : cases) {
        QImage image;
        QString why;
        expectWithin(hostile::measure([&] { image = read(c.bytes, &why); }), c.what);
        ASSERT_FALSE(image.isNull()) << c.what << ": " << why.toStdString();
        EXPECT_LE(qint64(image.width()) * image.height(), kTarget) << c.what;
        EXPECT_GT(qint64(image.width()) * image.height(), kTarget * 9 / 10) << c.what;
        EXPECT_NEAR(double(image.width()) / image.height(), double(c.full.width()) / c.full.height(), 0.01) << c.what;
        EXPECT_NEAR(image.width() / (image.dotsPerMeterX() / 1000.0), c.full.width() / (QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX() / 1000.0), 5.0) << c.what;
    }
}

// Colours and turns: a CMYK picture keeps its colours, an EXIF-turned one
// comes out turned, the grey or black of strips and tiles stays so.
TEST(PictureDecode, ScaledPicturesKeepColoursAndTurns)
{
    QString why;
    // Red: no cyan, full magenta and yellow, no black (stored inverted).
    const QByteArray red = writeJpeg(800, 600, 4, false, 1, [](int, uchar* row) {
        for (int x = 0; x < 800; ++x) {
            row[x * 4] = 255; row[x * 4 + 1] = 0; row[x * 4 + 2] = 0; row[x * 4 + 3] = 255;
        }
    });
    QImage image = read(red, &why, 200 * 150);
    ASSERT_FALSE(image.isNull()) << why.toStdString();
    const QColor c = image.pixelColor(100, 75);
    EXPECT_GT(c.red(), 230);
    EXPECT_LT(c.green(), 25);
    EXPECT_LT(c.blue(), 25);

    // Orientation 6: stored 800 x 400 with a white left half, shown
    // 400 x 800 with the white half on top.
    const QByteArray turned = writeJpeg(800, 400, 3, false, 6, [](int, uchar* row) {
        for (int x = 0; x < 800; ++x)
            std::memset(row + x * 3, x < 400 ? 255 : 0, 3);
    });
    image = read(turned, &why, 100 * 200);
    ASSERT_FALSE(image.isNull()) << why.toStdString();
    EXPECT_EQ(image.size(), QSize(100, 200));
    EXPECT_GT(qGray(image.pixel(50, 20)), 200);
    EXPECT_LT(qGray(image.pixel(50, 180)), 50);

    // Grey strips with white as zero, and a TIFF stored turned a quarter.
    image = read(hostile::zeroTiff(3000, 2000, 1, 64), &why, 300 * 200);
    ASSERT_FALSE(image.isNull()) << why.toStdString();
    EXPECT_EQ(image.pixel(10, 10), qRgb(255, 255, 255));
    image = read(hostile::zeroTiff(3000, 2000, 3, 0, 256, 6), &why, 300 * 200);
    ASSERT_FALSE(image.isNull()) << why.toStdString();
    EXPECT_EQ(image.size(), QSize(200, 300));
    EXPECT_EQ(image.pixel(10, 10), qRgb(0, 0, 0));
}

// An interlaced PNG scales to the picture a plain one gives, within a
// level.
TEST(PictureDecode, InterlacedPngScalesLikePlainOne)
{
    QImage source(1203, 805, QImage::Format_ARGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            source.setPixel(x, y, qRgba(x % 256, y % 256, (x * y) % 256, 128 + (x + y) % 128));
    QByteArray plain, interlaced;
    {
        QBuffer buffer(&plain);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(QImageWriter(&buffer, "png").write(source));
    }
    // Qt writes no interlaced PNG: libpng does, from RGBA rows.
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &interlaced, [](png_structp p, png_bytep data, size_t n) {
        static_cast<QByteArray*>(png_get_io_ptr(p))->append(reinterpret_cast<const char*>(data), qsizetype(n));
    }, nullptr);
    png_set_IHDR(png, info, 1203, 805, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_ADAM7, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const QImage rgba = source.convertToFormat(QImage::Format_RGBA8888);
    std::vector<png_bytep> rows;
    for (int y = 0; y < rgba.height(); ++y)
        rows.push_back(const_cast<png_bytep>(rgba.constScanLine(y)));
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    ASSERT_EQ(interlaced.at(28), 1);
    QString why;
    const QImage a = read(plain, &why, 300 * 200), b = read(interlaced, &why, 300 * 200);
    ASSERT_FALSE(b.isNull()) << why.toStdString();
    ASSERT_EQ(a.size(), b.size());
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                              std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    EXPECT_LE(worst, 2);
}

// Valid pictures of the rarer kinds are read: a top-down BMP, a WebP, and a
// large progressive JPEG; GIF and BMP pictures past the full-size bound are
// refused naming their size.
TEST(PictureDecode, RareValidPicturesAreRead)
{
    QImage source(37, 23, QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            source.setPixel(x, y, qRgb(x * 6, y * 10, 90));
    QByteArray bmp, webp;
    for (auto [out, format] : {std::pair{&bmp, "bmp"}, std::pair{&webp, "webp"}}) {
        QBuffer buffer(out);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, format);
        writer.setQuality(100);
        ASSERT_TRUE(writer.write(source)) << format;
    }
    // The same BMP stored top row first: its height negative, rows reversed.
    qint32 offset = 0, height = 0;
    quint16 bits = 0;
    std::memcpy(&offset, bmp.constData() + 10, 4);
    std::memcpy(&height, bmp.constData() + 22, 4);
    std::memcpy(&bits, bmp.constData() + 28, 2);
    const int stride = (37 * bits / 8 + 3) / 4 * 4;
    QByteArray topDown = bmp;
    for (int y = 0; y < height; ++y)
        std::memcpy(topDown.data() + offset + y * stride, bmp.constData() + offset + (height - 1 - y) * stride, size_t(stride));
    const qint32 negative = -height;
    std::memcpy(topDown.data() + 22, &negative, 4);
    QString why;
    const QImage down = read(topDown, &why);
    ASSERT_FALSE(down.isNull()) << why.toStdString();
    EXPECT_EQ(down.convertToFormat(QImage::Format_RGB32), read(bmp, &why).convertToFormat(QImage::Format_RGB32));

    const QImage w = read(webp, &why);
    ASSERT_FALSE(w.isNull()) << why.toStdString();
    EXPECT_EQ(w.size(), source.size());

    // A progressive JPEG holds the coefficients of the whole picture while
    // it decodes: 4000 x 4000 with three full components is read scaled.
    const QImage big = read(hostile::zeroJpeg(4000, 4000, 3, true), &why);
    ASSERT_FALSE(big.isNull()) << why.toStdString();
    EXPECT_LE(qint64(big.width()) * big.height(), kTarget);
    EXPECT_EQ(big.width(), big.height());

    // A BMP declaring 5000 x 5000 pixels is past what its full-size reader
    // may take.
    QByteArray huge = bmp;
    const qint32 side = 5000;
    std::memcpy(huge.data() + 18, &side, 4);
    std::memcpy(huge.data() + 22, &side, 4);
    EXPECT_TRUE(read(huge, &why).isNull());
    EXPECT_TRUE(why.contains(QStringLiteral("BMP picture of 5000 x 5000 pixels"))) << why.toStdString();
    EXPECT_TRUE(read(QByteArray("GIF89a\x01\x00\x01\x00", 10) + QByteArray(20, '\0'), &why).isNull());
}

// Hostile pictures, each drawn at no more than the decode edge or refused
// with its reason, within the CPU and memory budget: wide and tall pictures
// of every kind, a progressive JPEG whose coefficients pass the decode budget,
// an animated WebP of a large canvas, and files that end early.
TEST(PictureDecode, HostilePicturesAreBoundedOrRefusedWithinTheBudget)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        QSize drawn;       // the size drawn; empty: refused
        const char* words; // in the reason or notice ("" for none)
    };
    // A small progressive JPEG whose frame header then declares
    // 30000 x 30000: its coefficients would take 5 GB.
    const QByteArray patched = withJpegFrameSize(hostile::zeroJpeg(64, 64, 3, true), "\xFF\xC2", 30000, 30000);
    const QByteArray jpeg = hostile::zeroJpeg(2000, 2000, 3, false);
    const QByteArray bmp = greyBmp(3000, 2000, 2835, 2000);
    std::vector<Case> cases;
    cases.push_back({"TIFF of 100000000 x 1", hostile::zeroTiff(100000000, 1, 1, 1), {}, "100000000 x 1"});
    cases.push_back({"TIFF of 1000000 x 16", hostile::zeroTiff(1000000, 16, 3, 16), QSize(4096, 1), ""});
    cases.push_back({"TIFF of 1 x 1000000", hostile::zeroTiff(1, 1000000, 1, 1000000), QSize(1, 4096), ""});
    cases.push_back({"PNG of 1000000 x 16", hostile::blackPng(1000000, 16, 16, 2), QSize(4096, 1), ""});
    cases.push_back({"PNG of 1 x 1000000", hostile::blackPng(1, 1000000), QSize(1, 4096), ""});
    cases.push_back({"PNG of 2000000 x 1", hostile::blackPng(2000000, 1), {}, "2000000 x 1"});
    cases.push_back({"JPEG of 65000 x 16", hostile::zeroJpeg(65000, 16, 3, false), QSize(4096, 1), ""});
    cases.push_back({"JPEG of 16 x 65000", hostile::zeroJpeg(16, 65000, 1, false), QSize(1, 4096), ""});
    cases.push_back({"BMP of 1000000 x 16", greyBmp(1000000, 16, 2835, 16), QSize(4096, 1), ""});
    cases.push_back({"BMP of 2000000 x 1", greyBmp(2000000, 1, 2835, 1), {}, "2000000 x 1"});
    // Turned a quarter by its EXIF orientation: the turn costs no copy.
    QByteArray turned = hostile::zeroJpeg(11000, 6000, 3, false);
    turned.insert(2, QByteArray("\xFF\xE1\x00\x22"
                                "Exif\0\0MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0", 36));
    cases.push_back({"EXIF-turned JPEG of 11000 x 6000", turned, QSize(2234, 4096), ""});
    cases.push_back({"patched progressive JPEG", patched, {}, "progressive JPEG of 30000 x 30000"});
    cases.push_back({"progressive JPEG of 8000 x 8000", hostile::zeroJpeg(8000, 8000, 3, true), {}, "MB pictures may take"});
    cases.push_back({"animated WebP of 4096 x 4096", animatedWebp(4096), QSize(4096, 4096), ""});
    cases.push_back({"half a JPEG", jpeg.left(jpeg.size() / 2), QSize(2000, 2000), "part of the picture is shown"});
    cases.push_back({"half a BMP", bmp.left(bmp.size() / 2), QSize(3000, 2000), "part of the picture is shown"});
    for (const Case& c : cases) {
        QImage image;
        QString why;
        const hostile::Cost cost = hostile::measure([&] { image = read(c.bytes, &why, platform::kMaxDecodePixels); });
        EXPECT_LT(cost.seconds, hostile::kCpuSeconds) << c.what;
        EXPECT_LT(cost.peakMiB, 100) << c.what;
        std::fprintf(stderr, "%s: %.2f s CPU, %lld MiB peak\n", c.what, cost.seconds, static_cast<long long>(cost.peakMiB));
        EXPECT_EQ(image.isNull() ? QSize() : image.size(), c.drawn) << c.what << ": " << why.toStdString();
        EXPECT_TRUE(why.contains(QString::fromLatin1(c.words))) << c.what << ": " << why.toStdString();
        EXPECT_EQ(image.isNull() || *c.words, !why.isEmpty()) << c.what;
    }
    // What was read of a file that ends early is shown, the rest is
    // transparent: the JPEG's top rows, the bottom-up BMP's bottom rows.
    QString why;
    QImage half = read(jpeg.left(jpeg.size() / 2), &why, platform::kMaxDecodePixels);
    EXPECT_EQ(qAlpha(half.pixel(10, 10)), 255);
    EXPECT_EQ(qAlpha(half.pixel(10, 1990)), 0);
    half = read(bmp.left(bmp.size() / 2), &why, platform::kMaxDecodePixels);
    EXPECT_EQ(qAlpha(half.pixel(10, 10)), 0);
    EXPECT_EQ(half.pixel(10, 1990), qRgb(0x80, 0x80, 0x80));
}

// The size, turn and resolution of a stored picture are those of the
// picture decoded: read by the codecs from where they lie (a BigTIFF, an
// EXIF block past the first 256 KB), absurd resolutions ignored. Tiled
// uncompressed TIFFs are read; colours above their associated alpha are
// taken as the alpha.
TEST(PictureDecode, StoredSizesAgreeWithTheDecodedPicture)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    struct Case {
        const char* what;
        QByteArray bytes;
        QSize size;
        QSizeF points;
    };
    // Turned a quarter (6) by an EXIF block after 300 KB of comments.
    QByteArray late = writeJpeg(80, 40, 3, false, 6, [](int, uchar* row) { std::memset(row, 200, 80 * 3); });
    QByteArray comments;
    for (int i = 0; i < 5; ++i)
        comments += QByteArray("\xFF\xFE\xFF\xF0", 4) + QByteArray(0xFFF0 - 2, 'c');
    late.insert(2, comments);
    // Points per pixel of a picture that declares no resolution.
    const double d = platform::StoredPicture::fromBytes(hostile::blackPng(1, 1)).pointSize().width();
    std::vector<Case> cases;
    cases.push_back({"BigTIFF turned, 144 dpi", libtiffPicture(dir, 40, 20, qRgba(0, 0, 0, 255), false, 6, 144, true),
                     QSize(20, 40), QSizeF(10, 20)});
    cases.push_back({"tiled uncompressed TIFF", libtiffPicture(dir, 40, 20, qRgba(0, 0, 0, 255), true, 1, 72, false),
                     QSize(40, 20), QSizeF(40, 20)});
    cases.push_back({"JPEG with a late EXIF turn", late, QSize(40, 80), QSizeF(40 * d, 80 * d)});
    cases.push_back({"BMP of -5000 dpm", greyBmp(30, 20, -5000, 20), QSize(30, 20), QSizeF(30 * d, 20 * d)});
    // The PNG's pHYs chunk patched to the dots per metre (its CRC is not
    // checked for ancillary chunks).
    auto pngAt = [](uint32_t dpm) {
        QByteArray png = hostile::numberedPng(30, 20, 300, 1);
        const qsizetype phys = png.indexOf("pHYs") + 4;
        for (int i = 0; i < 8; ++i)
            png[phys + i] = char(dpm >> (8 * (3 - i % 4)));
        return png;
    };
    cases.push_back({"PNG of 1 dpm", pngAt(1), QSize(30, 20), QSizeF(30 * d, 20 * d)});
    cases.push_back({"PNG of 2^31 - 1 dpm", pngAt(INT32_MAX), QSize(30, 20), QSizeF(30 * d, 20 * d)});
    for (const Case& c : cases) {
        QString why;
        const platform::StoredPicture stored = platform::StoredPicture::fromBytes(c.bytes, &why);
        ASSERT_FALSE(stored.isNull()) << c.what << ": " << why.toStdString();
        EXPECT_EQ(stored.size(), c.size) << c.what;
        EXPECT_NEAR(stored.pointSize().width(), c.points.width(), 0.01) << c.what;
        EXPECT_NEAR(stored.pointSize().height(), c.points.height(), 0.01) << c.what;
        const QImage image = stored.image({}, &why);
        EXPECT_EQ(image.size(), c.size) << c.what << ": " << why.toStdString();
    }
    // Associated alpha of 128 under full white, in strips and in tiles:
    // valid premultiplied pixels.
    for (bool tiled : {false, true}) {
        QString why;
        const QImage image = read(libtiffPicture(dir, 40, 20, qRgba(255, 255, 255, 128), tiled, 1, 72, false), &why);
        ASSERT_FALSE(image.isNull()) << why.toStdString();
        const QRgb p = image.convertToFormat(QImage::Format_ARGB32_Premultiplied).pixel(5, 5);
        EXPECT_EQ(qAlpha(p), 128) << tiled;
        EXPECT_LE(qRed(p), qAlpha(p)) << tiled;
    }
    // No picture of any resolution has a size in points that is not finite
    // and positive.
    for (int dpm : {INT_MIN, -1, 0, 1, 39, 3937008, 3937009, INT_MAX}) {
        const QSizeF points = platform::pointSizeFor(QSize(1, 1), dpm, dpm);
        EXPECT_TRUE(std::isfinite(points.width()) && points.width() > 0) << dpm;
    }
}

// A file copied into a design has its header read first: a large file that
// is no picture is refused unread, and any file past the size kept is
// refused with that size.
TEST(PictureDecode, FileCopiesReadTheirHeaderFirstWithinTheBudget)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto sparse = [&](const char* name, qint64 size, const QByteArray& head) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(head);
        if (size > head.size()) {
            EXPECT_TRUE(file.resize(size));
        }
        return file.fileName();
    };
    const QString text = sparse("text.png", 200LL << 20, "not a picture");
    const QString huge = sparse("huge.png", 300LL << 20, hostile::blackPng(10, 10));
    QString why;
    platform::StoredPicture copy;
    const hostile::Cost cost = hostile::measure([&] { copy = platform::StoredPicture::copyOfFile(text, &why); });
    EXPECT_TRUE(copy.isNull());
    EXPECT_TRUE(why.contains(QStringLiteral("not a picture"))) << why.toStdString();
    EXPECT_LT(cost.peakMiB, 10);
    EXPECT_TRUE(platform::StoredPicture::copyOfFile(huge, &why).isNull());
    EXPECT_TRUE(why.contains(QStringLiteral("300 MB"))) << why.toStdString();
    EXPECT_FALSE(platform::StoredPicture::copyOfFile(sparse("small.png", 0, hostile::blackPng(10, 10))).isNull());
}

namespace {

// A GIF of width x height grey pixels (value = (x + y) % 256) under a grey
// palette, its LZW codes all 9 bits wide: a clear code every 200 pixels.
QByteArray greyGif(int width, int height)
{
    QByteArray gif("GIF89a", 6);
    auto put16 = [&gif](int v) { gif.append(char(v & 0xff)).append(char(v >> 8)); };
    put16(width);
    put16(height);
    gif.append(char(0xF7)).append('\0').append('\0'); // a palette of 256
    for (int i = 0; i < 256; ++i)
        gif.append(char(i)).append(char(i)).append(char(i));
    gif.append(char(0x2C));
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    gif.append('\0').append(char(8)); // no palette of its own; 8-bit codes
    QByteArray codes;
    quint32 bits = 0;
    int count = 0;
    auto code = [&](quint32 c) {
        bits |= c << count;
        for (count += 9; count >= 8; count -= 8, bits >>= 8)
            codes.append(char(bits & 0xff));
    };
    for (int i = 0; i < width * height; ++i) {
        if (i % 200 == 0)
            code(256);
        code(quint32((i % width + i / width) % 256));
    }
    code(257);
    if (count > 0)
        codes.append(char(bits & 0xff));
    for (qsizetype at = 0; at < codes.size(); at += 255)
        gif.append(char(std::min<qsizetype>(255, codes.size() - at))).append(codes.mid(at, 255));
    return gif.append('\0').append(char(0x3B));
}

} // namespace

// Photos as cameras, phones and editors write them are read with their
// colours and turns: baseline and progressive at 4:2:0, 4:2:2 and 4:4:4,
// as stored and EXIF-turned; and at their full sizes, up to 50 megapixels
// progressive at full colour detail, each within the CPU bound and the
// decode budget.
TEST(PictureDecode, RealPhotoLayoutsAreRead)
{
    // Quadrants of red and green over blue and white.
    const QRgb colours[2][2] = {{qRgb(255, 0, 0), qRgb(0, 255, 0)}, {qRgb(0, 0, 255), qRgb(255, 255, 255)}};
    auto quadrants = [&](int y, uchar* row) {
        for (int x = 0; x < 480; ++x) {
            const QRgb c = colours[y >= 320][x >= 240];
            row[x * 3] = uchar(qRed(c));
            row[x * 3 + 1] = uchar(qGreen(c));
            row[x * 3 + 2] = uchar(qBlue(c));
        }
    };
    for (bool progressive : {false, true})
        for (QSize luma : {QSize(2, 2), QSize(2, 1), QSize(1, 1)})
            for (int orientation : {1, 6}) {
                const QByteArray jpeg = writeJpeg(480, 640, 3, progressive, orientation, quadrants, luma.width(), luma.height());
                QString why;
                const QImage image = read(jpeg, &why, 240 * 320);
                const std::string what = (progressive ? "progressive " : "baseline ") + std::to_string(luma.width())
                    + "x" + std::to_string(luma.height()) + " turned " + std::to_string(orientation);
                ASSERT_FALSE(image.isNull()) << what << ": " << why.toStdString();
                const bool turned = orientation == 6;
                ASSERT_EQ(image.size(), turned ? QSize(320, 240) : QSize(240, 320)) << what;
                for (int row = 0; row < 2; ++row)
                    for (int column = 0; column < 2; ++column) {
                        // Turned a quarter clockwise: the stored left column is on top.
                        const QRgb want = turned ? colours[1 - column][row] : colours[row][column];
                        const QRgb got = image.pixel(image.width() / 4 + column * image.width() / 2,
                                                     image.height() / 4 + row * image.height() / 2);
                        EXPECT_LT(std::abs(qRed(got) - qRed(want)) + std::abs(qGreen(got) - qGreen(want))
                                      + std::abs(qBlue(got) - qBlue(want)),
                                  60)
                            << what << " at " << row << ", " << column;
                    }
            }
    struct Photo {
        const char* what;
        uint16_t width, height;
        bool progressive;
        int lumaH, lumaV;
    };
    for (const Photo& p : {Photo{"24 MP progressive 4:4:4", 6000, 4000, true, 1, 1},
                           Photo{"48 MP progressive 4:2:0", 8484, 5656, true, 2, 2},
                           Photo{"50 MP progressive 4:4:4", 8660, 5773, true, 1, 1},
                           Photo{"50 MP baseline 4:2:2", 8660, 5773, false, 2, 1}}) {
        const QByteArray jpeg = hostile::zeroJpeg(p.width, p.height, 3, p.progressive, p.lumaH, p.lumaV);
        QImage image;
        QString why;
        // The least CPU of up to three reads: other programs sharing the
        // machine inflate one read's page faults, never all of them alike.
        hostile::Cost cost;
        for (int attempt = 0; attempt < 3 && (attempt == 0 || cost.seconds >= hostile::kCpuSeconds); ++attempt) {
            const hostile::Cost once = hostile::measure([&] { image = read(jpeg, &why, platform::kMaxDecodePixels); });
            cost.seconds = attempt == 0 ? once.seconds : std::min(cost.seconds, once.seconds);
            cost.peakMiB = std::max(cost.peakMiB, once.peakMiB);
        }
        std::fprintf(stderr, "%s: %.2f s CPU, %lld MiB peak\n", p.what, cost.seconds, static_cast<long long>(cost.peakMiB));
        ASSERT_FALSE(image.isNull()) << p.what << ": " << why.toStdString();
        EXPECT_EQ(image.width(), platform::kMaxDecodeEdge) << p.what;
        EXPECT_LT(cost.seconds, hostile::kCpuSeconds) << p.what;
        EXPECT_LT(cost.peakMiB, platform::kDecodeBudgetBytes >> 20) << p.what;
    }
}

// Eight threads on eight different 24 MP progressive photos at once stay
// within the decode budget (each holds 144 MB of coefficients while it
// decodes: the others wait their turn) and all are read; a file whose bytes
// cannot hold the picture it declares is refused before anything is held.
TEST(PictureDecode, DecodesAtOnceShareOneBudget)
{
    const platform::DecodeBudget budget;
    std::vector<QByteArray> photos;
    for (int i = 0; i < 8; ++i)
        photos.push_back(hostile::zeroJpeg(uint16_t(6000 + 8 * i), 4000, 3, true));
    std::vector<QImage> images(photos.size());
    std::vector<QString> reasons(photos.size());
    const hostile::Cost cost = hostile::measure([&] {
        const HangGuard guard(std::chrono::seconds(60), "eight decodes sharing the budget");
        std::vector<std::thread> threads;
        for (size_t i = 0; i < photos.size(); ++i)
            threads.emplace_back([&, i] { images[i] = read(photos[i], &reasons[i], 800 * 600); });
        for (std::thread& t : threads)
            t.join();
    });
    std::fprintf(stderr, "eight 24 MP photos at once: %lld MiB peak\n", static_cast<long long>(cost.peakMiB));
    for (size_t i = 0; i < images.size(); ++i)
        EXPECT_FALSE(images[i].isNull()) << i << ": " << reasons[i].toStdString();
    // What the process held, not what the budget counted.
    EXPECT_LT(cost.peakMiB, (platform::kDecodeBudgetBytes >> 20) + 64);
    EXPECT_EQ(budget.inUse(), 0);

    // 676 bytes claiming 65,500 x 1,953 pixels.
    QByteArray claim = withJpegFrameSize(hostile::zeroJpeg(64, 64, 3, false), "\xFF\xC0", 65500, 1953);
    claim.append(QByteArray(676 - claim.size(), '\0'));
    QString why;
    QImage image;
    const hostile::Cost refused = hostile::measure([&] { image = read(claim, &why, platform::kMaxDecodePixels); });
    EXPECT_TRUE(image.isNull());
    EXPECT_TRUE(why.contains(QStringLiteral("65500 x 1953 pixels in a file of 676 bytes"))) << why.toStdString();
    EXPECT_LT(refused.peakMiB, 2);
}

// What a picture file holds besides its picture costs nothing to read: a
// PNG's text chunks are not inflated, a JPEG's APP1 blocks not kept, bytes
// after a WebP or PNG not read, a WebP chunk claiming more than the file
// holds counted as what it holds; a copy of such a file keeps only the
// bytes of its picture, and the total held counts them.
TEST(PictureDecode, CostsFollowThePictureNotTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // 7.5 MB of compressed text, each chunk inflating to 16 MB.
    QByteArray png = hostile::blackPng(16, 16), texts, text;
    hostile::chunk(text, "zTXt", QByteArray("k\0\0", 3) + hostile::zeroStream(16 << 20));
    while (texts.size() < 7500000)
        texts += text;
    png.insert(33, texts);
    QImage image;
    QString why;
    hostile::Cost cost = hostile::measure([&] { image = platform::StoredPicture::fromBytes(png, &why).image({}, &why); });
    EXPECT_FALSE(image.isNull()) << why.toStdString();
    EXPECT_LT(cost.seconds, 0.2) << "text chunks";

    // A 64 x 64 JPEG after 150 MB of APP1 blocks.
    const QString appn = dir.filePath(QStringLiteral("appn.jpg"));
    {
        const QByteArray jpeg = writeJpeg(64, 64, 3, false, 1, [](int, uchar* row) { std::memset(row, 90, 64 * 3); });
        QByteArray block = QByteArray("\xFF\xE1\xFF\xFF", 4) + "http://ns.adobe.com/xap/1.0/";
        block.resize(2 + 0xFFFF, 'x');
        QFile file(appn);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(jpeg.left(2));
        for (int i = 0; i < 2300; ++i)
            file.write(block);
        file.write(jpeg.mid(2));
    }
    cost = hostile::measure([&] { image = platform::readPicture(appn, &why); });
    EXPECT_EQ(image.size(), QSize(64, 64)) << why.toStdString();
    EXPECT_LT(cost.peakMiB, 100) << "APP1 blocks";

    QByteArray webp;
    {
        QImage small(16, 16, QImage::Format_RGB32);
        small.fill(qRgb(200, 40, 40));
        QBuffer buffer(&webp);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(QImageWriter(&buffer, "webp").write(small));
    }
    // Its image chunk claiming 350 MB: counted as far as the file holds it.
    QByteArray claiming = webp;
    ASSERT_EQ(claiming.mid(12, 4), "VP8 ");
    for (const auto& [at, size] : {std::pair{4, 350000012u}, std::pair{16, 350000000u}})
        for (int i = 0; i < 4; ++i)
            claiming[at + i] = char(size >> (8 * i));
    QBuffer claimed(&claiming);
    claimed.open(QIODevice::ReadOnly);
    EXPECT_LT(platform::picture::webpReader().header(claimed).workBytes, 1 << 20);
    EXPECT_EQ(read(claiming, &why).size(), QSize(16, 16)) << why.toStdString();
    for (const auto& [name, bytes] : {std::pair{"padded.webp", webp}, std::pair{"padded.png", hostile::blackPng(16, 16)}}) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        ASSERT_TRUE(file.resize(250LL << 20));
        file.close();
        cost = hostile::measure([&] { image = platform::readPicture(file.fileName(), &why); });
        EXPECT_EQ(image.size(), QSize(16, 16)) << name << ": " << why.toStdString();
        EXPECT_LT(cost.peakMiB, 100) << name;
        const qint64 held = platform::StoredPicture::heldBytes();
        platform::StoredPicture copy;
        cost = hostile::measure([&] { copy = platform::StoredPicture::copyOfFile(file.fileName(), &why); });
        EXPECT_EQ(copy.storedBytes(), bytes) << name << ": " << why.toStdString();
        EXPECT_EQ(platform::StoredPicture::heldBytes() - held, bytes.size()) << name;
        EXPECT_LT(cost.peakMiB, 100) << name;
    }
}

// A tiled TIFF cut and written again by another program while it is read
// ends no read with a crash: each gives the picture, part of it, or a reason.
TEST(PictureDecode, TiledTiffRewrittenWhileReadDoesNotCrash)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray tiff = libtiffPicture(dir, 1024, 1024, qRgba(10, 20, 30, 255), true, 1, 72, false);
    const QString path = dir.filePath(QStringLiteral("drawn.tif"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(tiff);
    }
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        while (!stop) {
            QFile file(path);
            if (!file.open(QIODevice::ReadWrite))
                continue;
            file.resize(tiff.size() / 8);
            file.seek(0);
            file.write(tiff);
        }
    });
    const HangGuard guard(std::chrono::seconds(30), "reads of a TIFF being rewritten");
    int reads = 0;
    for (QElapsedTimer clock = [] { QElapsedTimer t; t.start(); return t; }(); clock.elapsed() < 1500; ++reads) {
        QString why;
        const QImage image = platform::readPicture(path, &why, 0, 256 * 256);
        EXPECT_TRUE(!image.isNull() || !why.isEmpty());
    }
    stop = true;
    writer.join();
    EXPECT_GT(reads, 0);
}

// A picture cut or damaged in its data is shown as far as it could be read,
// with the notice, whatever its kind: a cut GIF and WebP, a TIFF whose lower
// tiles cannot be decoded; a BMP's absurd resolution is not kept.
TEST(PictureDecode, DamagedPicturesAreShownInPartWithTheNotice)
{
    QImage noise(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            noise.setPixel(x, y, qRgb((x * 7 + y * 13) % 256, (x * y) % 256, (x ^ y) % 256));
    QByteArray webp;
    QBuffer buffer(&webp);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(QImageWriter(&buffer, "webp").write(noise));
    // The lower tiles of a tiled TIFF point at its header: their data
    // cannot be inflated.
    QByteArray tiff = hostile::zeroTiff(512, 512, 3, 0, 64);
    auto number = [&tiff](qsizetype at, int width) {
        quint32 v = 0;
        for (int i = width - 1; i >= 0; --i)
            v = v << 8 | uchar(tiff[at + i]);
        return v;
    };
    const quint32 ifd = number(4, 4);
    for (quint32 e = 0; e < number(ifd, 2); ++e)
        if (number(ifd + 2 + 12 * e, 2) == 324)
            for (quint32 tile = 32; tile < 64; ++tile)
                std::memset(tiff.data() + number(ifd + 2 + 12 * e + 8, 4) + 4 * tile, 0, 4);
    const QByteArray gif = greyGif(300, 200);
    struct Case {
        const char* what;
        QByteArray bytes;
        bool damaged, cleared; // cleared: the part not read is transparent
    };
    for (const Case& c : {Case{"whole GIF", gif, false, false}, Case{"cut GIF", gif.left(gif.size() / 2), true, false},
                          Case{"whole WebP", webp, false, false},
                          Case{"cut WebP", webp.left(webp.size() * 6 / 10), true, true},
                          Case{"TIFF with damaged tiles", tiff, true, true}}) {
        QString why;
        const QImage image = read(c.bytes, &why);
        ASSERT_FALSE(image.isNull()) << c.what << ": " << why.toStdString();
        EXPECT_EQ(why.contains(QStringLiteral("part of the picture is shown")), c.damaged) << c.what << ": " << why.toStdString();
        if (c.cleared) {
            EXPECT_EQ(qAlpha(image.pixel(image.width() / 2, image.height() - 1)), 0) << c.what;
        }
    }
    QString why;
    const QImage bmp = read(greyBmp(30, 20, 1, 20), &why);
    EXPECT_EQ(bmp.dotsPerMeterX(), QImage(1, 1, QImage::Format_RGB32).dotsPerMeterX());
}
