// Pictures of every kind read within the target size, CPU and memory
// bounds, and valid pictures of the rarer kinds read right.
#include "platform/picture_decode.h"
#include "support/hostile_bytes.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <cstdio>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <png.h>

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
// progressive and with an EXIF orientation.
QByteArray writeJpeg(int width, int height, int components, bool progressive, int orientation,
                     const std::function<void(int y, uchar* row)>& fill)
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

void expectWithin(const hostile::Cost& cost, const char* what)
{
    EXPECT_LT(cost.seconds, hostile::kCpuSeconds) << what;
    EXPECT_LT(cost.peakMiB, 300) << what;
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

// Valid pictures that Qt's readers take are read: a top-down BMP, a WebP,
// and a progressive JPEG past libjpeg's memory limit; GIF, BMP and WebP
// pictures past the full-size bound are refused naming their size.
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

    // 7000 x 7000 with three full components: its coefficients take more
    // than libjpeg is allowed here, so Qt reads it, scaled.
    const QImage big = read(hostile::zeroJpeg(7000, 7000, 3, true), &why);
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
