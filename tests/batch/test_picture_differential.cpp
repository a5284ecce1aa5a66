// Pictures of every layout Debian's own tools write (ImageMagick, cjpeg,
// tiffcp, cwebp, img2webp, gifsicle), small so the matrix runs in seconds,
// read on every road a picture comes by: a file read, a file copied into a
// design (a background), the bytes of a design or a paste, an image
// graphic's file and a run's row. Each road gives ImageMagick's decode of
// the same file within the tolerance below, or refuses the picture naming
// the limit it passes; a failure names the variant and the road.
#include "batch/DataBinding.h"
#include "drawing/PictureStore.h"
#include "platform/picture/picture_decode.h"
#include "platform/stored_picture.h"
#include "support_binding.h"

#include "support/process_runner.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>

namespace {

// Levels (of 255) a premultiplied channel may differ from ImageMagick's:
// both decode with the same codec libraries, and the rest is rounding
// (16-bit samples and colour tables brought to 8 bits, CMYK turned to RGB,
// alpha multiplied in).
constexpr int kTolerance = 2;

struct Variant {
    const char* name;    // the file written, named for its layout
    const char* command; // its command lines, joined by " && ": "@x" is file x of the folder, "@out" the variant
    const char* refused = nullptr; // the limit it passes, said in the refusal; null: read
    int tolerance = kTolerance;
};

// The pictures the variants start from: 37 x 29 (no edge a multiple of 8 or
// 16) of busy colour, its grey, and with an alpha ramp; 640 x 480 where a
// layout's memory tells only at a larger size.
const char* const kSources =
    "convert -size 37x29 -seed 3 plasma:fractal @src.ppm"
    " && convert @src.ppm -colorspace Gray @grey.pgm"
    " && convert @src.ppm ( -size 37x29 gradient:white-black ) -alpha off -compose CopyOpacity -composite @alpha.png"
    " && convert @src.ppm -resize 640x480! @large.ppm"
    " && convert @src.ppm @src.png"
    " && convert @src.ppm -depth 8 -compress none @rgb8.tif"
    " && convert @src.ppm -depth 16 -compress none @rgb16.tif"
    " && convert @grey.pgm -depth 8 -compress none @grey8.tif"
    " && convert @grey.pgm -depth 16 -compress none @grey16.tif"
    " && convert @alpha.png -depth 8 -compress none @rgba8.tif"
    " && convert @src.ppm -colors 16 -compress none @palette4.tif"
    " && convert @src.ppm -monochrome -depth 1 -compress none @bilevel.tif"
    " && convert @src.ppm -depth 16 -interlace Plane -compress none @planar16.tif"
    " && convert @src.ppm -resize 200% -colors 64 @frame.gif";

const Variant kVariants[] = {
    // JPEG: every sampling, grey, CMYK, progressive, arithmetic, restart
    // intervals, components in scans of their own.
    {"baseline-420.jpg", "cjpeg -outfile @out @src.ppm"},
    {"baseline-444.jpg", "cjpeg -sample 1x1 -outfile @out @src.ppm"},
    {"baseline-422.jpg", "cjpeg -sample 2x1 -outfile @out @src.ppm"},
    {"baseline-440.jpg", "cjpeg -sample 1x2 -outfile @out @src.ppm"},
    {"baseline-411.jpg", "cjpeg -sample 4x1 -outfile @out @src.ppm"},
    {"grey.jpg", "cjpeg -grayscale -outfile @out @src.ppm"},
    {"optimized.jpg", "cjpeg -optimize -quality 95 -outfile @out @src.ppm"},
    {"progressive-420.jpg", "cjpeg -progressive -outfile @out @src.ppm"},
    {"progressive-444.jpg", "cjpeg -progressive -sample 1x1 -outfile @out @src.ppm"},
    {"progressive-grey.jpg", "cjpeg -progressive -grayscale -outfile @out @grey.pgm"},
    {"arithmetic.jpg", "cjpeg -arithmetic -outfile @out @src.ppm"},
    {"arithmetic-progressive.jpg", "cjpeg -arithmetic -progressive -outfile @out @src.ppm"},
    {"restart-rows.jpg", "cjpeg -restart 1 -outfile @out @src.ppm"},
    {"restart-blocks.jpg", "cjpeg -restart 3B -progressive -outfile @out @src.ppm"},
    {"scans-apart.jpg", "printf 0;\\n1;\\n2;\\n > @apart.txt && cjpeg -scans @apart.txt -outfile @out @large.ppm"},
    {"scans-two.jpg", "printf 0,1;\\n2;\\n > @two.txt && cjpeg -scans @two.txt -outfile @out @large.ppm"},
    {"scans-refined.jpg",
     "printf 0,1,2:0-0,0,1;\\n0:1-5,0,2;\\n2:1-63,0,1;\\n1:1-63,0,1;\\n0:6-63,0,2;\\n0:1-63,2,1;\\n0,1,2:0-0,1,0;\\n"
     "2:1-63,1,0;\\n1:1-63,1,0;\\n0:1-63,1,0;\\n > @refined.txt && cjpeg -scans @refined.txt -outfile @out @src.ppm"},
    {"cmyk.jpg", "convert @src.ppm -colorspace CMYK @out"},
    // TIFF: strips and tiles of any size, chunky or planar, 1 to 16 bits,
    // each compression libtiff writes.
    {"strips-none.tif", "tiffcp -c none -r 5 @rgb8.tif @out"},
    {"strips-lzw.tif", "tiffcp -c lzw -r 8 @rgb8.tif @out"},
    {"strips-lzw-predictor.tif", "tiffcp -c lzw:2 @rgb8.tif @out"},
    {"strips-zip-16.tif", "tiffcp -c zip:2 @rgb16.tif @out"},
    {"strips-packbits.tif", "tiffcp -c packbits @rgb8.tif @out"},
    {"strips-lzma.tif", "tiffcp -c lzma @rgb8.tif @out"},
    {"strips-zstd.tif", "tiffcp -c zstd @rgb8.tif @out"},
    {"strips-webp.tif", "tiffcp -c webp:p100 @rgb8.tif @out"},
    {"strips-jpeg.tif", "tiffcp -c jpeg -r 16 @rgb8.tif @out"},
    {"strips-planar.tif", "tiffcp -p separate @rgb8.tif @out"},
    {"strips-planar-16.tif", "tiffcp -c zip @planar16.tif @out"},
    {"strips-grey-8.tif", "tiffcp -c lzw @grey8.tif @out"},
    {"strips-grey-16.tif", "tiffcp @grey16.tif @out"},
    {"strips-grey-4.tif", "convert @grey.pgm -depth 4 @out"},
    {"strips-grey-2.tif", "convert @grey.pgm -depth 2 @out"},
    {"strips-bilevel.tif", "tiffcp @bilevel.tif @out"},
    {"strips-g3.tif", "tiffcp -c g3 @bilevel.tif @out"},
    {"strips-g4.tif", "tiffcp -c g4 @bilevel.tif @out"},
    {"strips-jbig.tif", "tiffcp -c jbig @bilevel.tif @out"},
    {"strips-lerc.tif", "tiffcp -c lerc @rgb8.tif @out"},
    {"strips-min-is-white.tif", "convert @bilevel.tif -define quantum:polarity=min-is-white @out"},
    {"strips-palette-4.tif", "tiffcp @palette4.tif @out"},
    {"strips-palette-8.tif", "convert @src.ppm -type Palette @out"},
    {"strips-rgba.tif", "tiffcp -c zip @rgba8.tif @out"},
    {"strips-rgba-16.tif", "convert @alpha.png -depth 16 @out"},
    {"strips-cmyk.tif", "convert @src.ppm -colorspace CMYK @out"},
    {"strips-cmyk-16.tif", "convert @src.ppm -colorspace CMYK -depth 16 @out"},
    {"tiles-16-cmyk.tif", "convert @src.ppm -colorspace CMYK -define tiff:tile-geometry=16x16 -compress none @out"},
    {"strips-big-endian.tif", "convert @src.ppm -depth 16 -endian MSB @out"},
    {"strips-bigtiff.tif", "convert @src.ppm TIFF64:@out"},
    {"tiles-16.tif", "tiffcp -t -w 16 -l 16 -c none @rgb8.tif @out"},
    {"tiles-16-16bit.tif", "tiffcp -t -w 16 -l 16 -c none @rgb16.tif @out"},
    {"tiles-16-grey.tif", "tiffcp -t -w 16 -l 16 -c none @grey8.tif @out"},
    {"tiles-16-grey-16.tif", "tiffcp -t -w 16 -l 16 -c none @grey16.tif @out"},
    {"tiles-16-bilevel.tif", "tiffcp -t -w 16 -l 16 @bilevel.tif @out"},
    {"tiles-16-palette.tif", "tiffcp -t -w 16 -l 16 @palette4.tif @out"},
    {"tiles-16-rgba.tif", "tiffcp -t -w 16 -l 16 -c none @rgba8.tif @out"},
    {"tiles-16-planar.tif", "tiffcp -t -w 16 -l 16 -c none -p separate @rgb8.tif @out"},
    {"tiles-16-planar-16.tif", "tiffcp -t -w 16 -l 16 -c none @planar16.tif @out"},
    {"tiles-32x16-lzw.tif", "tiffcp -t -w 32 -l 16 -c lzw @rgb8.tif @out"},
    {"tiles-48-zip.tif", "tiffcp -t -w 48 -l 48 -c zip @rgb8.tif @out"},
    {"tiles-64-jpeg.tif", "tiffcp -t -w 64 -l 64 -c jpeg @rgb8.tif @out"},
    {"tiles-16-imagemagick.tif", "convert @src.ppm -define tiff:tile-geometry=16x16 -compress none @out"},
    // PNG: every colour type and depth, interlaced or not.
    {"grey-1.png", "convert @grey.pgm -define png:color-type=0 -define png:bit-depth=1 @out"},
    {"grey-2.png", "convert @grey.pgm -define png:color-type=0 -define png:bit-depth=2 @out"},
    {"grey-4.png", "convert @grey.pgm -define png:color-type=0 -define png:bit-depth=4 -interlace PNG @out"},
    {"grey-8.png", "convert @grey.pgm -define png:color-type=0 -define png:bit-depth=8 @out"},
    {"grey-16.png", "convert @grey.pgm -depth 16 -define png:color-type=0 -interlace PNG @out"},
    {"rgb-8.png", "convert @src.ppm PNG24:@out"},
    {"rgb-16.png", "convert @src.ppm -depth 16 PNG48:@out"},
    {"rgb-8-interlaced.png", "convert @src.ppm -interlace PNG PNG24:@out"},
    {"palette-8.png", "convert @src.ppm PNG8:@out"},
    {"palette-4.png", "convert @src.ppm -colors 16 -define png:bit-depth=4 -define png:color-type=3 @out"},
    {"palette-1.png", "convert @src.ppm -colors 2 -define png:bit-depth=1 -define png:color-type=3 @out"},
    {"palette-alpha.png", "convert @alpha.png -interlace PNG PNG8:@out"},
    {"grey-alpha-8.png", "convert @alpha.png -colorspace Gray -define png:color-type=4 @out"},
    {"grey-alpha-16.png", "convert @alpha.png -colorspace Gray -depth 16 -define png:color-type=4 @out"},
    {"rgba-8.png", "convert @alpha.png PNG32:@out"},
    {"rgba-16-interlaced.png", "convert @alpha.png -depth 16 -interlace PNG PNG64:@out"},
    // GIF: global and local colour tables, interlaced, frames smaller or
    // larger than the screen, transparency, animation; a screen past the
    // GIF bound is refused with it.
    {"global.gif", "convert @src.ppm @out"},
    {"interlaced.gif", "gifsicle -i @frame.gif -o @out"},
    {"local-table.gif", "local-table @frame.gif @out"},
    {"local-tables-animated.gif", "convert @src.ppm -colors 8 @a.gif && convert @a.gif @frame.gif @b.gif && local-table @b.gif @out"},
    {"frame-smaller.gif", "gifsicle --logical-screen 90x70 --position 7,5 @frame.gif -o @out"},
    {"frame-much-smaller.gif", "gifsicle --logical-screen 2400x1600 --position 7,5 @frame.gif -o @out"},
    {"frame-past-the-screen.gif", "convert @frame.gif -repage 50x40+10+8 @out"},
    {"transparent.gif", "convert @alpha.png -channel A -threshold 50% +channel @out"},
    {"animated.gif", "convert -delay 10 @src.ppm @grey.pgm @out"},
    {"screen-past-the-bound.gif", "gifsicle --logical-screen 5000x4000 @frame.gif -o @out", "4096 x 4096"},
    // BMP: every depth, run-length coded, old and new headers.
    {"bits-1.bmp", "convert @src.ppm -monochrome BMP3:@out"},
    {"bits-4.bmp", "convert @src.ppm -colors 16 -type Palette BMP3:@out"},
    {"bits-8.bmp", "convert @src.ppm -type Palette BMP3:@out"},
    // Qt's reader widens 5 and 6-bit samples by a shift (31 to 248).
    {"bits-16.bmp", "convert @src.ppm -define bmp:subtype=RGB565 @out", nullptr, 7},
    {"bits-24.bmp", "convert @src.ppm BMP3:@out"},
    {"bits-32-alpha.bmp", "convert @alpha.png BMP:@out"},
    {"rle-8.bmp", "convert @src.ppm -type Palette -compress RLE BMP3:@out"},
    {"rle-4.bmp", "convert @src.ppm -colors 16 -type Palette -compress RLE BMP3:@out"},
    {"os2.bmp", "convert @src.ppm BMP2:@out"},
    // WebP: lossy, lossless, with alpha, animated.
    {"lossy.webp", "cwebp -quiet -q 80 @src.png -o @out"},
    {"lossless.webp", "cwebp -quiet -lossless @src.png -o @out"},
    {"lossy-alpha.webp", "cwebp -quiet -q 80 @alpha.png -o @out"},
    {"lossless-alpha.webp", "cwebp -quiet -lossless @alpha.png -o @out"},
    {"animated.webp", "img2webp -q 80 @src.png -lossless @alpha.png -o @out"},
};

// The GIF with its global colour table moved to its first frame.
QByteArray withLocalTable(QByteArray gif)
{
    const int flags = uchar(gif[10]);
    if (!(flags & 0x80))
        return gif;
    const qsizetype size = 3 << ((flags & 7) + 1);
    const QByteArray table = gif.mid(13, size);
    gif.remove(13, size);
    gif[10] = char(flags & 0x70);
    qsizetype at = 13;
    while (at < gif.size() && gif[at] == '\x21') { // extensions: their label, sub-blocks, terminator
        for (at += 2; at < gif.size() && gif[at] != 0;)
            at += 1 + uchar(gif[at]);
        ++at;
    }
    if (at + 10 > gif.size() || gif[at] != '\x2C')
        return {};
    gif[at + 9] = char(0x80 | (flags & 7));
    return gif.insert(at + 10, table);
}

// The command lines with "@" names made paths in dir; false with what the
// failing one printed. Two commands are done here: "printf TEXT > @file"
// (no spaces in TEXT) and "local-table @from @to".
bool runCommands(const QString& commands, const QTemporaryDir& dir, const QString& out, QString* failure)
{
    for (const QString& line : commands.split(QStringLiteral(" && "))) {
        QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        QString redirect;
        for (qsizetype i = 0; i < words.size(); ++i) {
            // A name alone or after ImageMagick's "FORMAT:".
            const qsizetype at = words[i].indexOf(QLatin1Char('@'));
            if (at == 0 || (at > 0 && words[i][at - 1] == QLatin1Char(':'))) {
                const QString name = words[i].mid(at + 1);
                words[i] = words[i].left(at) + (name == QStringLiteral("out") ? out : dir.filePath(name));
            }
            if (words[i] == QStringLiteral(">") && i + 1 < words.size()) {
                redirect = dir.filePath(words[i + 1].mid(1));
                words = words.mid(0, i);
                break;
            }
        }
        if (!redirect.isEmpty()) { // printf's script into a file
            QFile file(redirect);
            if (!file.open(QIODevice::WriteOnly))
                return false;
            file.write(words.value(1).replace(QStringLiteral("\\n"), QStringLiteral("\n")).toUtf8());
            continue;
        }
        if (words.value(0) == QStringLiteral("local-table") && words.size() == 3) {
            QFile from(words[1]), to(words[2]);
            if (!from.open(QIODevice::ReadOnly) || !to.open(QIODevice::WriteOnly))
                return false;
            to.write(withLocalTable(from.readAll()));
            continue;
        }
        const testsupport::ProcessResult r = testsupport::run(words.takeFirst(), words);
        if (r.exitCode != 0) {
            *failure = line + QStringLiteral(": ") + QString::fromLocal8Bit(r.err);
            return false;
        }
    }
    return true;
}

// ImageMagick's decode of the file's first picture, premultiplied RGBA.
QImage oracle(const QString& path, QString* failure)
{
    const testsupport::ProcessResult r = testsupport::run(
        QStringLiteral("convert"), {path + QStringLiteral("[0]"), QStringLiteral("-coalesce"), QStringLiteral("-colorspace"),
                                    QStringLiteral("sRGB"), QStringLiteral("-depth"), QStringLiteral("8"),
                                    QStringLiteral("pam:-")});
    const qsizetype end = r.out.indexOf("ENDHDR\n");
    if (r.exitCode != 0 || end < 0) {
        *failure = QString::fromLocal8Bit(r.err);
        return {};
    }
    int width = 0, height = 0, depth = 0;
    for (const QByteArray& line : r.out.left(end).split('\n')) {
        const QList<QByteArray> field = line.split(' ');
        if (field.size() == 2 && field[0] == "WIDTH")
            width = field[1].toInt();
        else if (field.size() == 2 && field[0] == "HEIGHT")
            height = field[1].toInt();
        else if (field.size() == 2 && field[0] == "DEPTH")
            depth = field[1].toInt();
    }
    const auto* in = reinterpret_cast<const uchar*>(r.out.constData() + end + 7);
    if (depth < 1 || depth > 4 || r.out.size() - end - 7 < qint64(width) * height * depth) {
        *failure = QStringLiteral("ImageMagick's picture is not %1 x %2 x %3").arg(width).arg(height).arg(depth);
        return {};
    }
    QImage image(width, height, QImage::Format_RGBA8888);
    for (int y = 0; y < height; ++y) {
        uchar* out = image.scanLine(y);
        for (int x = 0; x < width; ++x, in += depth, out += 4) {
            const bool grey = depth < 3;
            out[0] = in[0];
            out[1] = in[grey ? 0 : 1];
            out[2] = in[grey ? 0 : 2];
            out[3] = depth % 2 == 0 ? in[depth - 1] : 255;
        }
    }
    return image.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

// The largest difference of a channel, or -1 when the sizes differ.
int largestDifference(const QImage& read, const QImage& expected)
{
    if (read.size() != expected.size())
        return -1;
    const QImage mine = read.convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    int most = 0;
    for (int y = 0; y < mine.height(); ++y) {
        const uchar* a = mine.constScanLine(y);
        const uchar* b = expected.constScanLine(y);
        for (int i = 0; i < mine.width() * 4; ++i)
            most = std::max(most, std::abs(int(a[i]) - int(b[i])));
    }
    return most;
}

struct Road {
    const char* name;
    QImage (*read)(const QString& path, QString* why);
};

// A run's row naming the file: the picture it binds and decodes for the
// card, drawn at its full size; a problem of the run is the reason.
QImage readInRun(const QString& path, QString* why)
{
    auto graphic = std::make_shared<QBXImage>();
    graphic->Set_Data_source_type(2);
    graphic->Set_Excel_binding_Index(1);
    const Binding_Rows rows = {{{QStringLiteral("Extension"), 1}, {QStringLiteral("Column1"), path}}};
    QHash<QString, Run_Picture> met;
    Binding_Problems problems;
    Fill_Sources sources;
    sources.rows = &rows;
    sources.use_excel = true;
    sources.in_run = true;
    sources.problems = &problems;
    sources.pictures = &met;
    sources.dpi = 300;
    Assign_Batch_Values_To_Control({graphic}, 0, sources);
    *why = Problem_Lines(problems.List()).join(QLatin1Char('\n'));
    const drawing::PicturePtr picture = drawing::pictureFor(graphic->_contents);
    return picture ? picture->image : QImage();
}

const Road kRoads[] = {
    {"file", [](const QString& path, QString* why) { return platform::readPicture(path, why); }},
    {"copy",
     [](const QString& path, QString* why) { return platform::StoredPicture::copyOfFile(path, why).image({}, why); }},
    {"bytes",
     [](const QString& path, QString* why) {
         QFile file(path);
         const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
         return platform::StoredPicture::fromBytes(bytes, why).image({}, why);
     }},
    {"graphic",
     [](const QString& path, QString* why) {
         QBXImage graphic;
         graphic.setFilePath(path);
         if (graphic.storedPicture().isNull()) // refused at its header: the reason logged
             return platform::StoredPicture::fromFile(path, why).image();
         const drawing::PicturePtr picture = drawing::pictureFor(graphic.storedPicture(), {}, why);
         if (picture)
             *why = picture->notice;
         return picture ? picture->image : QImage();
     }},
    {"run", readInRun},
};

} // namespace

TEST(PictureDifferential, EveryLayoutOtherProgramsReadIsReadOnEveryRoad)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString failure;
    ASSERT_TRUE(runCommands(QString::fromLatin1(kSources), dir, QString(), &failure)) << failure.toStdString();
    int compared = 0;
    for (const Variant& v : kVariants) {
        const QString path = dir.filePath(QString::fromLatin1(v.name));
        if (!runCommands(QString::fromLatin1(v.command), dir, path, &failure)) {
            ADD_FAILURE() << v.name << " not written: " << failure.toStdString();
            continue;
        }
        const QImage expected = oracle(path, &failure);
        if (expected.isNull()) {
            ADD_FAILURE() << v.name << " not decoded by ImageMagick: " << failure.toStdString();
            continue;
        }
        for (const Road& road : kRoads) {
            QString why;
            const QImage image = road.read(path, &why);
            if (v.refused) {
                EXPECT_TRUE(image.isNull()) << v.name << " on the " << road.name << " road";
                EXPECT_TRUE(why.contains(QLatin1String(v.refused)))
                    << v.name << " on the " << road.name << " road: " << why.toStdString();
                continue;
            }
            EXPECT_TRUE(why.isEmpty()) << v.name << " on the " << road.name << " road: " << why.toStdString();
            const int difference = largestDifference(image, expected);
            EXPECT_TRUE(difference >= 0 && difference <= v.tolerance)
                << v.name << " on the " << road.name << " road: " << image.width() << " x " << image.height()
                << ", ImageMagick " << expected.width() << " x " << expected.height() << ", largest difference "
                << difference;
        }
        ++compared;
    }
    std::cout << compared << " variants on " << std::size(kRoads) << " roads" << std::endl;
}
