// The decode budget: every read gives its share back however it ends, the
// memory a JPEG's coefficients take stays within what its read reserved,
// and a copied JPEG keeps its segments whole. Each test reads with a fresh
// budget of its own.
#include "platform/picture/picture_decode.h"
#include "platform/stored_picture.h"
#include "support/hostile_bytes.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace {

QImage readBytes(const QByteArray& bytes, QString* why)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return platform::readPicture(reader, why);
}

QByteArray written(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (QByteArray(format) == "jpeg")
        writer.setProgressiveScanWrite(true);
    if (QByteArray(format) == "tiff")
        writer.setCompression(1); // LZW
    return writer.write(image) ? bytes : QByteArray();
}

// A baseline JPEG of zero samples whose three components come in separate
// scans, as `cjpeg -scans` writes them: its decode keeps the coefficients of
// the whole picture, as a progressive one does.
QByteArray separateScansJpeg(uint16_t width, uint16_t height)
{
    const QByteArray single = hostile::zeroJpeg(width, height, 3, false);
    QByteArray jpeg = single.left(single.indexOf("\xFF\xDA", 2));
    const uint64_t bits = uint64_t((width + 7) / 8) * uint64_t((height + 7) / 8) * 2; // DC 0, end of block
    for (char component : {'\1', '\2', '\3'}) {
        jpeg += QByteArray("\xFF\xDA\x00\x08\x01", 5) + component + QByteArray("\x00\x00\x3F\x00", 4);
        jpeg += QByteArray(qsizetype(bits / 8), '\0');
        if (bits % 8)
            jpeg.append(char(0xFF >> (bits % 8)));
    }
    return jpeg.append("\xFF\xD9", 2);
}

} // namespace

// Pictures of every kind whose header is read and whose data is cut or
// spoilt: each read that reached its decode (its share taken) and failed or
// showed only part gives its share back; so do refusals, which take none.
TEST(DecodeBudget, EveryReadGivesItsShareBackHoweverItEnds)
{
    QImage source(96, 64, QImage::Format_RGB32);
    for (int y = 0; y < source.height(); ++y)
        for (int x = 0; x < source.width(); ++x)
            source.setPixel(x, y, qRgb(x * 2, y * 3, (x * y) & 255));
    std::map<std::string, QByteArray> pictures;
    for (const char* format : {"png", "jpeg", "tiff", "webp", "bmp"})
        pictures[format] = written(source, format);
    pictures["separate scans"] = separateScansJpeg(96, 64);
    for (const auto& [kind, whole] : pictures) {
        ASSERT_FALSE(whole.isEmpty()) << kind;
        std::vector<QByteArray> spoilt = {whole.left(whole.size() / 2), whole.left(whole.size() * 3 / 4)};
        QByteArray flipped = whole;
        for (qsizetype i = whole.size() / 4; i < whole.size() / 2; i += 7)
            flipped[i] = char(flipped[i] ^ 0x5A);
        spoilt.push_back(flipped);
        // A JPEG whose last scan names a component its frame lacks.
        if (kind == "jpeg") {
            QByteArray badScan = whole;
            badScan[badScan.lastIndexOf("\xFF\xDA") + 5] = '\x77';
            spoilt.push_back(badScan);
        }
        int failedInDecode = 0;
        for (size_t i = 0; i < spoilt.size(); ++i) {
            const platform::DecodeBudget budget;
            QString why;
            const QImage image = readBytes(spoilt[i], &why);
            EXPECT_EQ(budget.inUse(), 0) << kind << " " << i << ": " << why.toStdString();
            failedInDecode += budget.peak() > 0 && !why.isEmpty();
        }
        EXPECT_GT(failedInDecode, 0) << kind << ": no spoilt variant reached its decode";
    }
}

// The coefficients a JPEG's decode keeps for the whole picture (progressive
// or in separate scans) are mapped only within what its read reserved from
// the budget, and given back when it ends: what the process holds grows by
// no more than that reservation, and returns.
TEST(DecodeBudget, CoefficientsStayWithinTheReadsReservation)
{
    constexpr qint64 kMarginMiB = 24; // libjpeg's tables, the allocator's slack
    struct Case {
        const char* what;
        QByteArray jpeg;
    };
    for (const Case& c : {Case{"progressive 24 MP 4:4:4", hostile::zeroJpeg(6000, 4000, 3, true)},
                          Case{"separate scans 48 MP", separateScansJpeg(8000, 6000)}}) {
        const platform::DecodeBudget budget;
        const qint64 before = hostile::statusKiB("VmRSS:");
        QString why;
        QImage image;
        const hostile::Cost cost = hostile::measure([&] { image = readBytes(c.jpeg, &why); });
        const qint64 reservedMiB = budget.peak() >> 20;
        std::fprintf(stderr, "%s: %lld MiB peak, %lld MiB reserved: %s\n", c.what, static_cast<long long>(cost.peakMiB),
                     static_cast<long long>(reservedMiB), qPrintable(why));
        // Read, or refused for memory before its coefficients were mapped.
        EXPECT_TRUE(!image.isNull() || why.contains(QStringLiteral("memory"))) << c.what << ": " << why.toStdString();
        EXPECT_LE(cost.peakMiB, reservedMiB + kMarginMiB) << c.what;
        image = QImage();
        EXPECT_LT((hostile::statusKiB("VmRSS:") - before) >> 10, kMarginMiB) << c.what << ": mapping kept";
        EXPECT_EQ(budget.inUse(), 0) << c.what;
    }
}

// A copied JPEG keeps every segment before its picture whole, whatever its
// bytes hold (an ICC profile or a maker's block may hold what looks like an
// end marker), and ends at its own end marker: it reads as the file does.
TEST(DecodeBudget, ACopiedJpegKeepsItsSegmentsWhole)
{
    QImage source(40, 30, QImage::Format_RGB32);
    source.fill(qRgb(30, 140, 220));
    const QByteArray jpeg = written(source, "jpeg");
    ASSERT_FALSE(jpeg.isEmpty());
    auto segment = [](char marker, const QByteArray& data) {
        const qsizetype length = data.size() + 2;
        return QByteArray("\xFF", 1) + marker + char(length >> 8) + char(length & 0xFF) + data;
    };
    const QByteArray looksLikeMarkers("\xFF\xD9\xFF\xDA\x00\x08\xFF\xD8\xFF", 9);
    const QByteArray segments = segment('\xE2', "ICC_PROFILE" + QByteArray(1, '\0') + looksLikeMarkers.repeated(40))
        + segment('\xED', "Photoshop 3.0" + QByteArray(1, '\0') + looksLikeMarkers)
        + segment('\xEE', QByteArray("Adobe\0\x64\0\0\0\0\x01", 12) + looksLikeMarkers)
        + segment('\xEF', looksLikeMarkers.repeated(1000));
    const QByteArray withSegments = jpeg.left(2) + segments + jpeg.mid(2);

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath(QStringLiteral("segments.jpg")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(withSegments + QByteArray(5000, 'x')); // bytes after the picture are not kept
    file.close();
    QString why;
    const platform::StoredPicture copy = platform::StoredPicture::copyOfFile(file.fileName(), &why);
    ASSERT_FALSE(copy.isNull()) << why.toStdString();
    EXPECT_EQ(copy.storedBytes(), withSegments);
    const QImage image = copy.image({}, &why);
    ASSERT_EQ(image.size(), source.size()) << why.toStdString();
    EXPECT_LT(std::abs(qBlue(image.pixel(20, 15)) - 220), 8);
}
