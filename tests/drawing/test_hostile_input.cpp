// Clipboard data and picture files from anywhere: bombs are refused within
// a second and 100 MB, pictures naming one file share one decode, and seeded
// fuzz loops (seed printed; CARDWRIGHT_FUZZ_SEED repeats a run) feed mutated
// settings, clipboard, entity-declaring and picture bytes to the readers.
#include "drawing/GraphicDefaults.h"
#include "drawing/PictureStore.h"
#include "drawing/QBXGraphic.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXText.h"
#include "platform/picture/picture_decode.h"
#include "platform/plist.h"
#include "support/hostile_bytes.h"
#include "support_model.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImageReader>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <unistd.h>

using platform::Plist;

namespace {

struct QuietDefaults {
    GraphicDefaults saved = graphicDefaults();
    QuietDefaults() { graphicDefaults().log = [](const QString&) {}; }
    ~QuietDefaults() { graphicDefaults() = saved; }
};

// Random damage of the kinds that reach readers: flipped and special bytes,
// inserted, removed and repeated runs, truncation.
QByteArray mutate(QByteArray data, QRandomGenerator& rng)
{
    static const char special[] = {0, '\x7f', '\x80', '\xff', '\x0f', '\xd0', '\xaf', '<', '>'};
    const int steps = 1 + int(rng.bounded(6));
    for (int s = 0; s < steps && !data.isEmpty(); ++s) {
        const auto at = qsizetype(rng.bounded(quint32(data.size())));
        const auto run = qsizetype(1 + rng.bounded(quint32(std::min<qsizetype>(64, data.size() - at))));
        switch (rng.bounded(6)) {
        case 0: data[at] = char(rng.bounded(256)); break;
        case 1: data[at] = special[rng.bounded(quint32(sizeof special))]; break;
        case 2: data.insert(at, QByteArray(run, char(rng.bounded(256)))); break;
        case 3: data.remove(at, run); break;
        case 4: data.insert(at, data.mid(at, run).repeated(1 + int(rng.bounded(8)))); break;
        default: data.truncate(at); break;
        }
    }
    return data;
}

void expectCheap(const hostile::Cost& cost, const char* what)
{
    EXPECT_LT(cost.seconds, hostile::kCpuSeconds) << what;
    EXPECT_LT(cost.peakMiB, 100) << what;
    std::cout << what << ": " << cost.seconds << " s CPU, " << cost.peakMiB << " MiB" << std::endl;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

quint64 fuzzSeed()
{
    quint64 seed = qEnvironmentVariable("CARDWRIGHT_FUZZ_SEED").toULongLong();
    if (seed == 0)
        seed = QRandomGenerator::system()->generate64();
    std::cout << "fuzz seed: " << seed << std::endl;
    ::testing::Test::RecordProperty("seed", std::to_string(seed));
    return seed;
}

// A small picture of every kind the program offers, by content.
std::vector<QByteArray> offeredPictures()
{
    QImage image(23, 17, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgba(x * 11, y * 15, (x ^ y) * 9, 128 + x));
    std::vector<QByteArray> pictures;
    for (const char* format : {"png", "bmp", "tiff"}) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, format).write(image);
        pictures.push_back(bytes);
    }
    pictures.push_back(hostile::zeroJpeg(40, 24, 3, false));
    // GIF89a, 1 x 1, two colours.
    pictures.push_back(QByteArray::fromHex("47494638396101000100800000ffffff0000002c00000000010001000002024401003b"));
    return pictures;
}

// A binary-plist data object.
QByteArray dataObject(const QByteArray& bytes)
{
    QByteArray o(1, char(0x4F));
    o.append(char(0x12));
    hostile::putBigEndian(o, uint64_t(bytes.size()), 4);
    return o + bytes;
}

} // namespace

TEST(HostileInput, ClipboardBombsAreRefusedAndOneFileIsDecodedOnce)
{
    QuietDefaults quiet;
    // A few hundred bytes of arrays that each name the next three times.
    std::vector<QByteArray> objects;
    for (uint64_t i = 0; i < 24; ++i)
        objects.push_back(hostile::arrayObject({i + 1, i + 1, i + 1}, 1));
    objects.push_back(hostile::arrayObject({}, 1));
    const QByteArray bomb = hostile::binaryPlist(objects, 1);
    std::optional<GraphicList> graphics;
    QBXError error;
    const hostile::Cost cost = hostile::measure([&] { graphics = QBXGraphic::graphicsWithPasteboardData(bomb, &error); });
    EXPECT_FALSE(graphics);
    EXPECT_EQ(error.code, 2);
    EXPECT_LT(cost.seconds, hostile::kCpuSeconds);
    EXPECT_LT(cost.peakMiB, 100);
    // Clipboard data declared in EBCDIC, with 80,000 attribute declarations.
    const hostile::Cost ebcdic = hostile::measure(
        [&] { graphics = QBXGraphic::graphicsWithPasteboardData(hostile::ebcdicDeclarationsPlist(), &error); });
    EXPECT_FALSE(graphics);
    EXPECT_LT(ebcdic.seconds, hostile::kCpuSeconds);

    // Eight picture graphics naming one 8000 x 8000 file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.png"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(hostile::blackPng(8000, 8000));
    file.close();
    std::vector<std::shared_ptr<QBXImage>> pictures;
    const hostile::Cost load = hostile::measure([&] {
        for (int i = 0; i < 8; ++i) {
            pictures.push_back(std::make_shared<QBXImage>());
            pictures.back()->setFilePath(path);
        }
    });
    EXPECT_LT(load.seconds, hostile::kCpuSeconds);
    EXPECT_LT(load.peakMiB, 100);
    const platform::StoredPicture& first = pictures[0]->_contents;
    ASSERT_FALSE(first.isNull());
    for (const auto& p : pictures)
        EXPECT_EQ(p->_contents.key(), first.key());
}

TEST(HostileInput, PastesAreBoundedAndSharedArchivesReadOnce)
{
    QuietDefaults quiet;
    // One text graphic of 50,000 characters, named many times by the list.
    QBXText text;
    text.Text_Value = QString(50000, QLatin1Char('x'));
    const QByteArray archive = QBXGraphic::archivedDataWithGraphic(text);
    auto naming = [&](int times) {
        return hostile::binaryPlist({hostile::arrayObject(std::vector<uint64_t>(size_t(times), 1), 1),
                                     dataObject(archive)},
                                    1);
    };
    std::optional<GraphicList> graphics;
    QBXError error;
    const QByteArray bomb = naming(200000);
    expectCheap(hostile::measure([&] { graphics = QBXGraphic::graphicsWithPasteboardData(bomb, &error); }),
                "200,000 references");
    EXPECT_FALSE(graphics);
    EXPECT_EQ(error.code, 2);
    const QByteArray most = naming(QBXGraphic::kMaxPastedGraphics);
    expectCheap(hostile::measure([&] { graphics = QBXGraphic::graphicsWithPasteboardData(most, &error); }),
                "10,000 references");
    ASSERT_TRUE(graphics);
    ASSERT_EQ(graphics->size(), size_t(QBXGraphic::kMaxPastedGraphics));
    EXPECT_EQ(graphics->back()->Text_Value, text.Text_Value);
    EXPECT_NE(graphics->front(), graphics->back());

    // 5,000 real graphics, and base-class graphics refused on the way.
    GraphicList many = oneOfEachClass();
    for (int i = 0; i < 5000; ++i) {
        many.push_back(QBXGraphic::graphicOfClass(QStringLiteral("Shape_Control")));
        many.back()->_bounds = QRectF(i % 500, i / 10, 20, 10);
    }
    const QByteArray real = QBXGraphic::pasteboardDataWithGraphics(many);
    int dropped = 0;
    expectCheap(hostile::measure([&] { graphics = QBXGraphic::graphicsWithPasteboardData(real, &error, &dropped); }),
                "5,000 graphics");
    ASSERT_TRUE(graphics);
    EXPECT_EQ(graphics->size(), many.size() - 1);
    EXPECT_EQ(dropped, 1);
    for (const GraphicPtr& g : *graphics)
        EXPECT_NE(g->className(), QLatin1String("QBXGraphic"));
}

TEST(HostileInput, PastedLargePicturesAreHeldByTheirBytesAndCopiedWhole)
{
    QuietDefaults quiet;
    // Forty barcode graphics, each holding a 4096 x 4096 picture of its own.
    GraphicList copied;
    std::vector<QByteArray> stored;
    for (int i = 0; i < 40; ++i) {
        stored.push_back(hostile::numberedPng(4096, 4096, 1200, i));
        auto g = QBXGraphic::graphicOfClass(QStringLiteral("QBXBarcode"));
        g->_barcode_image = platform::StoredPicture::fromBytes(stored.back());
        g->_bounds = QRectF(i, i, 246, 246);
        copied.push_back(g);
    }
    const QByteArray payload = QBXGraphic::pasteboardDataWithGraphics(copied);
    std::optional<GraphicList> pasted;
    QBXError error;
    expectCheap(hostile::measure([&] { pasted = QBXGraphic::graphicsWithPasteboardData(payload, &error); }),
                "forty large pictures pasted");
    ASSERT_TRUE(pasted);
    ASSERT_EQ(pasted->size(), 40u);
    const hostile::Cost drawn = hostile::measure([&] {
        for (const GraphicPtr& g : *pasted)
            ASSERT_TRUE(drawing::pictureFor(g->_barcode_image, QSize(2048, 2048)));
    });
    EXPECT_LT(drawn.peakMiB, 300);
    std::cout << "forty pasted pictures drawn: " << drawn.seconds << " s CPU, " << drawn.peakMiB << " MiB" << std::endl;
    // Copied again, every picture goes with the bytes it came with.
    const QByteArray again = QBXGraphic::pasteboardDataWithGraphics(*pasted);
    for (size_t i = 0; i < stored.size(); ++i)
        EXPECT_TRUE(again.contains(stored[i])) << i;
}

TEST(HostileInput, PicturesAreSharedByFileAndBoundedTogether)
{
    QuietDefaults quiet;
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("shared.png"), hostile::blackPng(3000, 3000));
    // Twenty spellings of one file: through /proc/self/root, a link, a hard link.
    QStringList spellings;
    for (int i = 0; i < 18; ++i)
        spellings << QStringLiteral("/proc/self/root").repeated(i) + path;
    spellings << dir.filePath(QStringLiteral("link.png")) << dir.filePath(QStringLiteral("hard.png"));
    ASSERT_TRUE(QFile::link(path, spellings[18]));
    ASSERT_EQ(::link(QFile::encodeName(path).constData(), QFile::encodeName(spellings[19]).constData()), 0);
    std::vector<std::shared_ptr<QBXImage>> pictures;
    expectCheap(hostile::measure([&] {
                    for (const QString& spelling : spellings) {
                        pictures.push_back(std::make_shared<QBXImage>());
                        pictures.back()->setFilePath(spelling);
                    }
                }),
                "twenty spellings");
    ASSERT_FALSE(pictures[0]->_contents.isNull());
    for (const auto& p : pictures)
        EXPECT_EQ(p->_contents.key(), pictures[0]->_contents.key());
}

TEST(HostileInput, OnlyOfferedPictureKindsDecodeAndLargeOnesInOnePass)
{
    QuietDefaults quiet;
    QTemporaryDir dir;
    // An MNG named .png declares a 2,097,168 x 12 frame: refused by its kind.
    const QString mng = writeFile(dir, QStringLiteral("frame.png"), hostile::mngPicture(2097168, 12));
    drawing::PicturePtr picture;
    expectCheap(hostile::measure([&] { picture = drawing::loadPicture(mng); }), "MNG");
    EXPECT_FALSE(picture);
    int n = 0;
    for (const QByteArray& bytes : offeredPictures())
        EXPECT_TRUE(drawing::loadPicture(writeFile(dir, QStringLiteral("p%1.dat").arg(n++), bytes))) << n;

    // 100-megapixel PNG and JPEG pictures, each named by eight graphics.
    const drawing::PicturePtr small = drawing::loadPicture(writeFile(dir, QStringLiteral("small.jpg"),
                                                                     hostile::zeroJpeg(100, 100, 3, false)));
    ASSERT_TRUE(small);
    struct Big {
        const char* name;
        QByteArray bytes;
        QRgb colour;
    };
    for (const Big& big : {Big{"big.png", hostile::blackPng(10000, 10000), 0xff000000u},
                           Big{"big.jpg", hostile::zeroJpeg(10000, 10000, 3, false), 0xff808080u}}) {
        const char* name = big.name;
        const QString path = writeFile(dir, QString::fromLatin1(name), big.bytes);
        std::vector<std::shared_ptr<QBXImage>> graphics;
        drawing::PicturePtr drawn;
        expectCheap(hostile::measure([&] {
                        for (int i = 0; i < 8; ++i) {
                            graphics.push_back(std::make_shared<QBXImage>());
                            graphics.back()->setFilePath(path);
                        }
                        drawn = graphics[0]->pictureForDrawing();
                    }),
                    name);
        ASSERT_TRUE(drawn) << name;
        const QImage& image = drawn->image;
        EXPECT_LE(qint64(image.width()) * image.height(), platform::kMaxDecodePixels);
        EXPECT_EQ(image.width(), image.height());
        EXPECT_EQ(graphics[7]->pictureForDrawing(), drawn);
        EXPECT_EQ(image.pixel(image.width() / 2, image.height() / 2), big.colour) << name;
        // The size in points is the full picture's.
        EXPECT_NEAR(drawing::pointSizeOf(image).width(), small->pointSize.width() * 100, 1.0) << name;
    }
}

// A 36-byte WebP whose image chunk claims `claimed` bytes: a VP8 frame
// header of 64 x 48 pixels and no data.
QByteArray claimingWebp(quint32 claimed)
{
    auto put = [](QByteArray& out, quint32 v) {
        for (int i = 0; i < 4; ++i)
            out.append(char(v >> (8 * i)));
    };
    QByteArray webp("RIFF");
    put(webp, claimed + 12);
    webp += "WEBPVP8 ";
    put(webp, claimed);
    return webp + QByteArray::fromHex("5002009d012a40003000000000000000");
}

// A BMP header of 2^31 - 1 x 2^31 - 1 pixels of 65,535 bits each: its rows
// take more bytes than 64 bits count.
QByteArray hugeRowsBmp()
{
    QByteArray bmp("BM");
    for (quint32 v : {54u, 0u, 54u, 40u, 0x7FFFFFFFu, 0x7FFFFFFFu, 0xFFFF0001u, 0u, 0u, 2835u, 2835u, 0u, 0u})
        for (int i = 0; i < 4; ++i)
            bmp.append(char(v >> (8 * i)));
    return bmp;
}

// Hostile pictures cost what their picture allows, not what their bytes do,
// each with its reason: JPEGs of thousands of scans, one whose scans end at
// its end marker before 800 KB of zeros, one cut mid-scan by its end
// marker; GIFs of ten million comment sub-blocks (20 MB) and of 65,535
// frames; a WebP whose chunk claims 1,000 MB in 36 bytes; a BMP whose rows
// pass 64 bits.
TEST(HostileInput, HostilePicturesCostWhatTheirPictureAllows)
{
    QuietDefaults quiet;
    const QByteArray noise = hostile::noiseJpeg();
    const QByteArray eoi("\xFF\xD9", 2);
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* said; // in the reason ("" for none)
        bool shown;
    };
    const Case cases[] = {
        {"2,000 scans", hostile::scansJpeg(4000, 4000, 2000), "more than 100 scans", false},
        {"60,000 scans", hostile::scansJpeg(4000, 4000, 60000), "more than 100 scans", false},
        {"zeros after the end", hostile::zeroJpeg(7000, 7000, 3, true).left(1500) + eoi + QByteArray(800 << 10, '\0'),
         "fewer than such a picture takes", false},
        {"scan cut by the end marker", noise.left(noise.size() / 2) + eoi, "damaged", true},
        {"comment sub-blocks", hostile::gifOf(10000000, 1), "", true},
        {"65,535 frames", hostile::gifOf(0, 65535), "", true},
        {"WebP chunk past the file", claimingWebp(1000000000), "the data ends early", false},
        {"BMP rows past 64 bits", hugeRowsBmp(), "", false},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString path = writeFile(dir, QStringLiteral("hostile"), c.bytes);
        for (bool file : {false, true}) {
            QString why;
            QImage image;
            expectCheap(hostile::measure([&] {
                            image = file ? platform::readPicture(path, &why)
                                         : platform::StoredPicture::fromBytes(c.bytes, &why).image({}, &why);
                        }),
                        c.name);
            EXPECT_EQ(!image.isNull(), c.shown) << c.name;
            EXPECT_TRUE(why.contains(QLatin1String(c.said))) << c.name << ": " << why.toStdString();
        }
    }
}

TEST(HostileInput, FuzzedPicturesNeverCrash)
{
    QuietDefaults quiet;
    QRandomGenerator rng(fuzzSeed());
    std::vector<QByteArray> seeds = offeredPictures();
    seeds.push_back(hostile::blackPng(300, 200));
    seeds.push_back(hostile::zeroJpeg(300, 200, 1, false));
    seeds.push_back(hostile::mngPicture(64, 64));
    seeds.push_back(hostile::scansJpeg(64, 48, 4));
    seeds.push_back(hostile::gifOf(3, 3));
    seeds.push_back(claimingWebp(100));
    seeds.push_back(hugeRowsBmp());
    seeds.push_back(hostile::zeroTiff(40, 24, 3, 0, 16));
    const int cases = qEnvironmentVariableIsSet("CARDWRIGHT_FUZZ_CASES")
        ? qEnvironmentVariableIntValue("CARDWRIGHT_FUZZ_CASES") : 3000;
    QElapsedTimer timer;
    timer.start();
    int done = 0, read = 0;
    for (; done < cases && timer.elapsed() < 20000; ++done) {
        QByteArray data = mutate(seeds[rng.bounded(quint32(seeds.size()))], rng);
        const QImage image = platform::StoredPicture::fromBytes(data).image();
        if (!image.isNull()) {
            ++read;
            EXPECT_LE(qint64(image.width()) * image.height(), platform::kMaxDecodePixels);
            EXPECT_LE(std::max(image.width(), image.height()), platform::kMaxDecodeEdge);
        }
        // The thumbnail road: PNG and JPEG rows scaled as they are decoded.
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        const QImage thumbnail = platform::readPicture(reader, nullptr, 8);
        EXPECT_TRUE(thumbnail.isNull() || (thumbnail.width() <= 8 && thumbnail.height() <= 8));
    }
    std::cout << done << " pictures, " << read << " read" << std::endl;
    EXPECT_GT(read, 0);
}

TEST(HostileInput, FuzzedSettingsAndClipboardBytesNeverCrash)
{
    QuietDefaults quiet;
    const quint64 seed = fuzzSeed();
    QRandomGenerator rng(seed);

    Plist settings = Plist::dict();
    for (const char* key : {"SendEmailRecipient", "SendEmailSender", "SendEmailPwd", "SendEmailSMTP", "SendEmailPORT"})
        settings.insert(QString::fromLatin1(key), Plist::string(QStringLiteral("value of ") + QLatin1String(key)));
    GraphicList list = oneOfEachClass();
    for (size_t i = 0; i < list.size(); ++i)
        fillDistinct(*list[i], int(i), i % 2 == 1);
    const QByteArray clipboard = QBXGraphic::pasteboardDataWithGraphics(list);
    QString text;
    for (char16_t c : {0x01, 0x0D, 0xD800, 0xFFFE, 0xFDD0, 0x26, 0xE9})
        text.append(QChar(c));
    settings.insert(text, Plist::string(text));
    const std::vector<QByteArray> seeds = {settings.toXml(), settings.toBinary(), clipboard,
                                           Plist::fromData(clipboard)->toXml(), hostile::entityXml(3, 40)};

    const int cases = qEnvironmentVariableIsSet("CARDWRIGHT_FUZZ_CASES")
        ? qEnvironmentVariableIntValue("CARDWRIGHT_FUZZ_CASES") : 5000;
    QElapsedTimer timer;
    timer.start();
    int done = 0, read = 0;
    for (; done < cases && timer.elapsed() < 30000; ++done) {
        const QByteArray data = mutate(seeds[rng.bounded(quint32(seeds.size()))], rng);
        // The settings road: a dictionary, its strings looked up. The direct
        // scan of plain XML and the general reader agree.
        const std::optional<Plist> v = Plist::fromData(data);
        EXPECT_TRUE(Plist::fromData(hostile::withComment(data)) == v) << data.toStdString();
        if (v && v->isDict()) {
            ++read;
            (void)v->value(u"SendEmailSMTP").toString();
        }
        QBXError error;
        if (const auto graphics = QBXGraphic::graphicsWithPasteboardData(data, &error)) {
            ++read;
            EXPECT_FALSE(QBXGraphic::pasteboardDataWithGraphics(*graphics).isEmpty() && !graphics->empty());
        }
    }
    std::cout << done << " cases, " << read << " read, seed " << seed << std::endl;
    EXPECT_GT(read, 0);
}
