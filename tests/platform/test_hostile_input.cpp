// Hostile property lists and pictures: each is refused or read to a bounded
// result quickly and within 100 MB.
#include "platform/keyed_archive.h"
#include "platform/picture/picture_decode.h"
#include "platform/plist.h"
#include "support/hostile_bytes.h"

#include <QBuffer>
#include <cmath>
#include <cstring>
#include <QImageReader>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::Plist;

namespace {

void expectCheap(const hostile::Cost& cost, const char* what)
{
    EXPECT_LT(cost.seconds, hostile::kCpuSeconds) << what;
    EXPECT_LT(cost.peakMiB, 100) << what;
}

// A keyed archive of a barcode graphic whose picture holds the PNG bytes.
QByteArray barcodeArchive(const QByteArray& png)
{
    auto named = [](const char* name) {
        Plist c = Plist::dict();
        c.insert(QStringLiteral("$classname"), Plist::string(QString::fromLatin1(name)));
        Plist chain = Plist::array();
        chain.append(Plist::string(QString::fromLatin1(name)));
        chain.append(Plist::string(QStringLiteral("NSObject")));
        c.insert(QStringLiteral("$classes"), chain);
        return c;
    };
    Plist graphic = Plist::dict();
    graphic.insert(QStringLiteral("_barcode_image"), Plist::uid(2));
    graphic.insert(QStringLiteral("$class"), Plist::uid(4));
    Plist picture = Plist::dict();
    picture.insert(QStringLiteral("NSPNG"), Plist::data(png));
    picture.insert(QStringLiteral("$class"), Plist::uid(3));
    Plist objects = Plist::array();
    for (Plist o : {Plist::string(QStringLiteral("$null")), graphic, picture, named("NSImage"), named("QBXBarcode")})
        objects.append(o);
    Plist top = Plist::dict();
    top.insert(QStringLiteral("root"), Plist::uid(1));
    Plist root = Plist::dict();
    root.insert(QStringLiteral("$archiver"), Plist::string(QStringLiteral("NSKeyedArchiver")));
    root.insert(QStringLiteral("$objects"), objects);
    root.insert(QStringLiteral("$top"), top);
    return root.toBinary();
}

} // namespace

TEST(HostilePlist, BombsAreRefusedOrBoundedQuickly)
{
    // A dictionary key in UTF-16 holding U+0000: read, not fatal.
    std::optional<Plist> v = Plist::fromData(hostile::nulKeyPlist());
    ASSERT_TRUE(v && v->isDict());
    EXPECT_EQ(v->keyAt(0), QString::fromUtf16(u"a\u0000b", 3));
    EXPECT_TRUE(v->valueAt(0).toBool());

    // 22,500 nested XML arrays; 512 still read.
    QString error;
    expectCheap(hostile::measure([&] { v = Plist::fromData(hostile::nestedXml(22500), &error); }), "deep XML");
    EXPECT_FALSE(v);
    EXPECT_TRUE(error.contains(QStringLiteral("nested"))) << error.toStdString();
    EXPECT_TRUE(Plist::fromData(hostile::nestedXml(512)));

    // 100,000 references to one 4,000-character entity: refused for its
    // declaration before anything is expanded.
    expectCheap(hostile::measure([&] { v = Plist::fromData(hostile::entityXml(100000, 4000), &error); }), "entities");
    EXPECT_FALSE(v);
    EXPECT_TRUE(error.contains(QStringLiteral("declares entities"))) << error.toStdString();

    // 5 MB of declarations of each kind, in UTF-8 and UTF-16: refused at once.
    for (const char* kind : {"ATTLIST", "ELEMENT", "NOTATION"}) {
        const QByteArray xml =
            hostile::declarationsXml(5 << 20, kind, "<plist version=\"1.0\"><string>x</string></plist>\n");
        expectCheap(hostile::measure([&] { v = Plist::fromData(xml, &error); }), kind);
        EXPECT_FALSE(v) << kind;
        EXPECT_TRUE(error.contains(QStringLiteral("document type"))) << error.toStdString();
        QStringEncoder utf16(QStringConverter::Utf16LE, QStringEncoder::Flag::WriteBom);
        const QByteArray wide = utf16(QString::fromUtf8(xml.first(1 << 20)) + QStringLiteral("]><plist/>"));
        expectCheap(hostile::measure([&] { v = Plist::fromData(wide, &error); }), kind);
        EXPECT_FALSE(v) << kind;
    }
    // The standard document type, and a "[" inside its quoted names, read.
    EXPECT_TRUE(Plist::fromData("<?xml version=\"1.0\"?><!-- [ --><!DOCTYPE plist SYSTEM \"a[b\">"
                                "<plist version=\"1.0\"><true/></plist>"));

    // Thirty arrays each naming the next four times: 4^30 expansions.
    std::vector<QByteArray> objects;
    for (uint64_t i = 0; i < 30; ++i)
        objects.push_back(hostile::arrayObject({i + 1, i + 1, i + 1, i + 1}, 1));
    objects.push_back(hostile::arrayObject({}, 1));
    expectCheap(hostile::measure([&] { v = Plist::fromData(hostile::binaryPlist(objects, 1)); }), "reference bomb");
    EXPECT_FALSE(v);

    // 100,000 nested binary arrays.
    objects.clear();
    for (uint64_t i = 0; i < 100000; ++i)
        objects.push_back(hostile::arrayObject({i + 1}, 4));
    objects.push_back(hostile::arrayObject({}, 4));
    const QByteArray deep = hostile::binaryPlist(objects, 4);
    expectCheap(hostile::measure([&] { v = Plist::fromData(deep); }), "deep binary");
    EXPECT_FALSE(v);

    // 200,000 references to one 1,000-byte item: read, the item shared.
    QByteArray item("\x4F\x11\x03\xE8", 4);
    item.append(1000, 'x');
    const QByteArray shared =
        hostile::binaryPlist({hostile::arrayObject(std::vector<uint64_t>(200000, 1), 1), item}, 1);
    expectCheap(hostile::measure([&] { v = Plist::fromData(shared); }), "shared item");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->size(), 200000);
    EXPECT_EQ(v->at(199999).toData().size(), 1000);
}

// Property lists are read in UTF-8, UTF-16 with a byte-order mark, and the
// Latin-1 family; any other encoding, declared or found, is refused at once
// with its name.
TEST(HostilePlist, OnlyEncodingsOtherReadersTakeAreRead)
{
    QString error;
    std::optional<Plist> v;
    const QByteArray ebcdic = hostile::ebcdicDeclarationsPlist();
    expectCheap(hostile::measure([&] { v = Plist::fromData(ebcdic, &error); }), "IBM037");
    EXPECT_FALSE(v);
    EXPECT_TRUE(error.contains(QStringLiteral("\"IBM037\""))) << error.toStdString();
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("ebcdic.plist"));
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(ebcdic);
    out.close();
    expectCheap(hostile::measure([&] { v = platform::readPlistFile(file, &error); }), "IBM037 file");
    EXPECT_FALSE(v);

    Plist value = Plist::dict();
    value.insert(QStringLiteral("Gr\u00FC\u00DFe"), Plist::string(QStringLiteral("\u6F22 & \U0001F389")));
    const QByteArray xml = value.toXml();
    const QString text = QString::fromUtf8(xml);
    auto encoded = [&](QStringConverter::Encoding encoding, const char* declared, bool bom) {
        QStringEncoder encode(encoding, bom ? QStringEncoder::Flag::WriteBom : QStringEncoder::Flag::Default);
        return QByteArray(encode(QString(text).replace(QStringLiteral("UTF-8"), QLatin1String(declared))));
    };
    // Characters past Latin-1 as references, as a Latin-1 writer spells them.
    const QString referenced = QString(text).replace(QStringLiteral("\u6F22"), QStringLiteral("&#x6F22;"))
                                   .replace(QStringLiteral("\U0001F389"), QStringLiteral("&#x1F389;"));
    const QByteArray read[] = {
        "\xEF\xBB\xBF" + xml,
        encoded(QStringConverter::Utf16LE, "UTF-16", true),
        encoded(QStringConverter::Utf16BE, "utf-16", true),
        encoded(QStringConverter::Utf16LE, "UTF-16LE", true),
        hostile::withComment(xml),
        QString(referenced).replace(QStringLiteral("UTF-8"), QStringLiteral("latin1")).toLatin1(),
        QString(referenced).replace(QStringLiteral("UTF-8"), QStringLiteral("US-ASCII"))
            .replace(QStringLiteral("\u00FC"), QStringLiteral("&#xFC;")).replace(QStringLiteral("\u00DF"), QStringLiteral("&#223;"))
            .toLatin1(),
    };
    for (const QByteArray& bytes : read) {
        v = Plist::fromData(bytes, &error);
        EXPECT_TRUE(v && *v == value) << bytes.left(40).toHex().constData() << " " << error.toStdString();
    }
    const std::pair<QByteArray, const char*> refused[] = {
        {encoded(QStringConverter::Utf32LE, "UTF-32", true), "UTF-32"},
        {encoded(QStringConverter::Utf32BE, "UTF-32", false), "UTF-32"},
        {encoded(QStringConverter::Utf16LE, "UTF-16", false), "UTF-16"},
        {encoded(QStringConverter::Utf16BE, "UTF-8", true), "\"UTF-8\""},
        {encoded(QStringConverter::Utf8, "UTF-16", false), "\"UTF-16\""},
        {encoded(QStringConverter::Utf8, "US-ASCII", false), "US-ASCII holding the byte 0xC3"},
        {encoded(QStringConverter::Utf8, "UTF-8", false).replace("UTF-8\"", "UTF-8\" encoding=\"ISO-8859-1\""), "given twice"},
        {"<?xml version='1.0' encoding = 'IBM037' ?>" + xml.mid(xml.indexOf("?>") + 2), "\"IBM037\""},
        // The whole document in EBCDIC, with its declaration and without.
        {hostile::ebcdicXml("<??>" + xml).mid(4), "EBCDIC"},
        {hostile::ebcdicXml("<??>" + xml.mid(xml.indexOf("?>") + 2)).mid(4), "EBCDIC"},
    };
    for (const auto& [bytes, name] : refused) {
        v = Plist::fromData(bytes, &error);
        EXPECT_FALSE(v) << name;
        EXPECT_TRUE(error.contains(QLatin1String(name))) << name << ": " << error.toStdString();
    }
}

TEST(HostilePlist, DatesOutOfRangeAreHeldAndWrittenSafely)
{
    // A binary date 3e9 seconds before 2001 (below the 32-bit range).
    QByteArray date("\x33", 1);
    const double seconds = -3e9;
    uint64_t bits;
    std::memcpy(&bits, &seconds, 8);
    hostile::putBigEndian(date, bits, 8);
    const std::optional<Plist> v = Plist::fromData(hostile::binaryPlist({date}, 1));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->toDate(), QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).addSecs(-3000000000LL));
    // Written back as the earliest date the format's writer holds.
    const std::optional<Plist> back = Plist::fromData(v->toBinary());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->toDate(), QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).addSecs(INT32_MIN));
    EXPECT_FALSE(Plist::dateSinceReference(1e300).toDate().isValid());
    EXPECT_FALSE(Plist::dateSinceReference(std::nan("")).toDate().isValid());
    EXPECT_FALSE(Plist::dateSinceReference(std::nan("")).toXml().isEmpty());
}

TEST(HostilePicture, HugeDeclaredSizesAreRefusedOrReadScaledAndShared)
{
    // 30000 x 30000 declared: refused from its header.
    const QByteArray giant = hostile::blackPng(30000, 30000);
    QImage image;
    QString error;
    expectCheap(hostile::measure([&] { image = platform::StoredPicture::fromBytes(giant, &error).image(); }), "giant");
    EXPECT_TRUE(image.isNull());
    EXPECT_TRUE(error.contains(QStringLiteral("30000 x 30000"))) << error.toStdString();

    // Eight pasted barcode graphics, each archiving a 10000 x 10000 PNG.
    const QByteArray archive = barcodeArchive(hostile::blackPng(10000, 10000));
    std::vector<platform::StoredPicture> pictures;
    expectCheap(hostile::measure([&] {
                    for (int i = 0; i < 8; ++i)
                        if (auto in = platform::KeyedUnarchiver::open(archive))
                            pictures.push_back(in->decodeImage("_barcode_image").value_or(platform::StoredPicture()));
                }),
                "eight barcode pictures");
    ASSERT_EQ(pictures.size(), 8u);
    // Only their headers are read: each keeps its full size undecoded.
    for (const platform::StoredPicture& p : pictures)
        EXPECT_EQ(p.size(), QSize(10000, 10000));
    QImage drawn;
    expectCheap(hostile::measure([&] { drawn = pictures[0].image(QSize(1000, 1000)); }), "one decoded for its need");
    EXPECT_EQ(drawn.size(), QSize(1000, 1000));
    // Archived again, the picture keeps the bytes it came with, full size.
    platform::KeyedArchiver out(QStringLiteral("QBXBarcode"));
    out.encodeImage("_barcode_image", pictures[0]);
    EXPECT_TRUE(out.finish().contains(hostile::blackPng(10000, 10000)));
}
