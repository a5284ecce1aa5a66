#include "platform/keyed_archive.h"
#include "platform/plist.h"
#include "support_oracle.h"

#include <QFile>
#include <QTemporaryDir>
#include "support/qt_print.h"
#include <gtest/gtest.h>

using platform::KeyedArchiver;
using platform::KeyedUnarchiver;
using platform::Plist;

namespace {

QImage smallPicture()
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(QColor(10, 200, 30, 128));
    image.setPixelColor(2, 1, QColor(255, 0, 0));
    return image;
}

QByteArray sampleArchive()
{
    KeyedArchiver out(QStringLiteral("QBXText"), {QStringLiteral("QBXGraphic"), QStringLiteral("NSObject")});
    out.encodeRect("_bounds", QRectF(10.5, -20, 300.25, 0.1));
    out.encodeBool("ctrl_is_locked", true);
    out.encodeColor("_fillColor", QColor::fromRgbF(0.1f, 0.2f, 0.3f, 0.4f));
    out.encodeFloat("_strokeWidth", float(0.1));
    out.encodeString("_fill_type", QStringLiteral("G"));
    out.encodeColor("_fill_Grad_clr1", QColor());
    out.encodeInt32("data_source_type", -2147483647 - 1);
    out.encodeString("_file_path", QString());
    QFont font(QStringLiteral("No Such Family Installed 42"));
    font.setPointSizeF(13.5);
    font.setItalic(true);
    font.setWeight(QFont::DemiBold);
    out.encodeFont("text_ctrl_font", font);
    out.encodeFont("value_font_val", std::nullopt);
    out.beginObject("_Text_contents", QStringLiteral("NSTextStorage"), {QStringLiteral("NSObject")});
    out.encodeString("NSString", QString::fromUtf8("rich \xF0\x9F\x8E\x89 text"));
    out.encodeData("NSAttributes", QByteArray("\x00\x01", 2));
    out.endObject();
    out.encodeImage("_barcode_image", smallPicture());
    out.encodeImage("no_image", QImage());
    out.encodeString("Text_Value", QStringLiteral(""));
    out.encodeBool("ctrl_is_visible", false);
    return out.finish();
}

} // namespace

TEST(KeyedArchive, EveryEntryTypeRoundTrips)
{
    QString error;
    const auto in = KeyedUnarchiver::open(sampleArchive(), &error);
    ASSERT_TRUE(in.has_value()) << qPrintable(error);
    EXPECT_EQ(in->className(), QStringLiteral("QBXText"));
    EXPECT_EQ(in->classChain(), QStringList({"QBXText", "QBXGraphic", "NSObject"}));
    EXPECT_EQ(in->decodeRect("_bounds"), QRectF(10.5, -20, 300.25, 0.1));
    EXPECT_EQ(in->decodeBool("ctrl_is_locked"), true);
    EXPECT_EQ(in->decodeFloat("_strokeWidth"), float(0.1));
    EXPECT_EQ(in->decodeString("_fill_type"), QStringLiteral("G"));
    EXPECT_EQ(in->decodeInt32("data_source_type"), -2147483647 - 1);
    EXPECT_EQ(in->decodeString("Text_Value"), QStringLiteral(""));
    EXPECT_EQ(in->decodeBool("ctrl_is_visible"), false);

    const auto color = in->decodeColor("_fillColor");
    ASSERT_TRUE(color.has_value());
    EXPECT_EQ(*color, QColor::fromRgbF(0.1f, 0.2f, 0.3f, 0.4f));
    EXPECT_EQ(color->alphaF(), 0.4f);

    const auto font = in->decodeFont("text_ctrl_font");
    ASSERT_TRUE(font.has_value());
    EXPECT_EQ(font->family(), QStringLiteral("No Such Family Installed 42"));
    EXPECT_EQ(font->pointSizeF(), 13.5);
    EXPECT_TRUE(font->italic());
    EXPECT_EQ(font->weight(), QFont::DemiBold);

    const auto text = in->decodeObject("_Text_contents");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(text->className(), QStringLiteral("NSTextStorage"));
    EXPECT_EQ(text->decodeString("NSString"), QString::fromUtf8("rich \xF0\x9F\x8E\x89 text"));
    EXPECT_EQ(text->decodeData("NSAttributes"), QByteArray("\x00\x01", 2));

    const auto picture = in->decodeImage("_barcode_image");
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->image().convertToFormat(QImage::Format_ARGB32), smallPicture());

    // Stored order is the order of encoding.
    EXPECT_EQ(in->keys().first(), QStringLiteral("_bounds"));
    EXPECT_EQ(in->keys().last(), QStringLiteral("ctrl_is_visible"));
    EXPECT_EQ(in->keys().size(), 15);
}

TEST(KeyedArchive, NullMissingAndWrongTypedEntriesReadAsMissing)
{
    const auto in = KeyedUnarchiver::open(sampleArchive());
    ASSERT_TRUE(in.has_value());
    // Null references: present, but no object.
    EXPECT_TRUE(in->containsKey("_file_path"));
    EXPECT_FALSE(in->decodeString("_file_path").has_value());
    EXPECT_FALSE(in->decodeColor("_fill_Grad_clr1").has_value());
    EXPECT_FALSE(in->decodeFont("value_font_val").has_value());
    EXPECT_FALSE(in->decodeImage("no_image").has_value());
    // Missing keys get no defaults.
    EXPECT_FALSE(in->containsKey("qr_size_val"));
    EXPECT_FALSE(in->decodeInt32("qr_size_val").has_value());
    EXPECT_FALSE(in->decodeBool("missing").has_value());
    // Wrong types.
    EXPECT_FALSE(in->decodeBool("_strokeWidth").has_value());
    EXPECT_FALSE(in->decodeInt32("ctrl_is_locked").has_value());
    EXPECT_FALSE(in->decodeFloat("data_source_type").has_value());
    EXPECT_FALSE(in->decodeRect("ctrl_is_locked").has_value());
    EXPECT_FALSE(in->decodeString("_fillColor").has_value());
    EXPECT_FALSE(in->decodeColor("text_ctrl_font").has_value());
    EXPECT_FALSE(in->decodeFont("_fill_type").has_value());
    EXPECT_FALSE(in->decodeImage("_Text_contents").has_value());
    EXPECT_FALSE(in->decodeObject("ctrl_is_locked").has_value());
    // Out-of-order reads still find their keys.
    EXPECT_EQ(in->decodeBool("ctrl_is_visible"), false);
    EXPECT_EQ(in->decodeRect("_bounds"), QRectF(10.5, -20, 300.25, 0.1));
}

TEST(KeyedArchive, HandMadeArchivesWithBadValues)
{
    // An archive written by another program: an integer beyond 32 bits, a
    // reference past the object table, a malformed rectangle, a float stored
    // as a double, and a mutable string object.
    Plist classes = Plist::dict();
    classes.insert(QStringLiteral("$classname"), Plist::string(QStringLiteral("Mystery")));
    Plist mutableClass = Plist::dict();
    mutableClass.insert(QStringLiteral("$classname"), Plist::string(QStringLiteral("NSMutableString")));
    Plist mutableString = Plist::dict();
    mutableString.insert(QStringLiteral("NS.string"), Plist::string(QStringLiteral("mutable")));
    mutableString.insert(QStringLiteral("$class"), Plist::uid(4));
    Plist root = Plist::dict();
    root.insert(QStringLiteral("$class"), Plist::uid(2));
    root.insert(QStringLiteral("big"), Plist::integer(qint64(1) << 40));
    root.insert(QStringLiteral("dangling"), Plist::uid(99));
    root.insert(QStringLiteral("rect"), Plist::string(QStringLiteral("{{1, 2}, {3}}")));
    root.insert(QStringLiteral("float"), Plist::real(0.1));
    root.insert(QStringLiteral("text"), Plist::uid(3));
    Plist objects = Plist::array();
    objects.append(Plist::string(QStringLiteral("$null")));
    objects.append(root);
    objects.append(classes);
    objects.append(mutableString);
    objects.append(mutableClass);
    Plist top = Plist::dict();
    top.insert(QStringLiteral("root"), Plist::uid(1));
    Plist archive = Plist::dict();
    archive.insert(QStringLiteral("$top"), top);
    archive.insert(QStringLiteral("$objects"), objects);

    for (const auto format : {Plist::Format::Binary, Plist::Format::Xml}) {
        const auto in = KeyedUnarchiver::open(archive.serialize(format));
        ASSERT_TRUE(in.has_value());
        EXPECT_EQ(in->className(), QStringLiteral("Mystery"));
        EXPECT_FALSE(in->decodeInt32("big").has_value());
        EXPECT_FALSE(in->decodeString("dangling").has_value());
        EXPECT_EQ(in->decodeRect("rect"), QRectF());
        EXPECT_EQ(in->decodeFloat("float"), 0.1f);
        EXPECT_EQ(in->decodeString("text"), QStringLiteral("mutable"));
    }
}

TEST(KeyedArchive, NonArchiveDataIsAnError)
{
    Plist noClass = Plist::dict();
    Plist top = Plist::dict();
    top.insert(QStringLiteral("root"), Plist::uid(1));
    noClass.insert(QStringLiteral("$top"), top);
    Plist objects = Plist::array();
    objects.append(Plist::string(QStringLiteral("$null")));
    objects.append(Plist::dict());
    noClass.insert(QStringLiteral("$objects"), objects);

    Plist rootOutOfRange = noClass;
    Plist farTop = Plist::dict();
    farTop.insert(QStringLiteral("root"), Plist::uid(7));
    rootOutOfRange.insert(QStringLiteral("$top"), farTop);

    const QList<QByteArray> bad = {
        QByteArray(),
        QByteArray("not a plist"),
        Plist::array().toBinary(),
        Plist::dict().toBinary(),
        noClass.toBinary(),
        rootOutOfRange.toBinary(),
        sampleArchive().left(100),
    };
    for (const QByteArray& bytes : bad) {
        QString error;
        EXPECT_FALSE(KeyedUnarchiver::open(bytes, &error).has_value());
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(KeyedArchive, SingleColourAndFontArchives)
{
    const QColor colour(12, 34, 56, 78);
    EXPECT_EQ(platform::unarchiveColor(platform::archiveColor(colour)), colour);
    QFont font(QStringLiteral("Uninstalled, With Comma"));
    font.setPixelSize(17);
    const auto back = platform::unarchiveFont(platform::archiveFont(font));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->family(), font.family());
    EXPECT_EQ(back->pixelSize(), 17);
    EXPECT_FALSE(platform::unarchiveColor(platform::archiveFont(font)).has_value());
    EXPECT_FALSE(platform::unarchiveFont(QByteArray("junk")).has_value());
}

TEST(KeyedArchive, PlistlibReadsTheArchiveAndItsReferences)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.bplist"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(sampleArchive());
    f.close();
    const QString script = QStringLiteral(
        "import plistlib, sys\n"
        "a = plistlib.load(open(sys.argv[1], 'rb'))\n"
        "objs = a['$objects']\n"
        "assert objs[0] == '$null'\n"
        "root = objs[a['$top']['root'].data]\n"
        "cls = objs[root['$class'].data]\n"
        "keys = [k for k in root if k != '$class']\n"
        "print(cls['$classname'], cls['$classes'][1], keys[0], keys[-1], len(keys))\n"
        "print(root['_strokeWidth'] == 0.10000000149011612, root['_file_path'].data)\n"
        "text = objs[root['_Text_contents'].data]\n"
        "print(objs[text['NSString'].data])\n"
        "font = objs[root['text_ctrl_font'].data]\n"
        "print(font['NSName'], font['NSSize'])\n");
    const auto result = oracle::python(script, {path});
    ASSERT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(result.out.toStdString(),
              std::string("QBXText QBXGraphic _bounds ctrl_is_visible 15\n"
                          "True 0\n"
                          "rich \xF0\x9F\x8E\x89 text\n"
                          "No Such Family Installed 42 13.5\n"));
}

TEST(KeyedArchive, DamagedArchivesNeverCrash)
{
    // Every truncation and a sweep of single-byte changes: opening may fail
    // or succeed, and every read afterwards stays within the data.
    const QByteArray good = sampleArchive();
    auto readAll = [](const QByteArray& bytes) {
        const auto in = KeyedUnarchiver::open(bytes);
        if (!in)
            return;
        (void)in->className();
        (void)in->classChain();
        for (const QString& key : in->keys()) {
            const QByteArray k = key.toUtf8();
            (void)in->decodeRect(k.constData());
            (void)in->decodeBool(k.constData());
            (void)in->decodeInt32(k.constData());
            (void)in->decodeFloat(k.constData());
            (void)in->decodeString(k.constData());
            (void)in->decodeColor(k.constData());
            (void)in->decodeFont(k.constData());
            (void)in->decodeImage(k.constData());
            if (const auto nested = in->decodeObject(k.constData()))
                (void)nested->decodeString("NSString");
        }
    };
    for (qsizetype n = 0; n < good.size(); n += 7)
        readAll(good.left(n));
    for (qsizetype i = 0; i < good.size(); ++i)
        for (const char value : {'\x00', '\xff', '\x5f', '\x0f'}) {
            QByteArray bad = good;
            bad[i] = value;
            readAll(bad);
        }
    SUCCEED();
}

TEST(KeyedArchive, OurBinaryFormIsReadByTheGeneralReader)
{
    const auto plist = Plist::fromData(sampleArchive());
    ASSERT_TRUE(plist.has_value());
    EXPECT_EQ(plist->value(u"$archiver").toString(), QStringLiteral("NSKeyedArchiver"));
    EXPECT_EQ(plist->value(u"$top").value(u"root").toUid(), 1u);
    const Plist& objects = plist->value(u"$objects");
    EXPECT_EQ(objects.at(0).toString(), QStringLiteral("$null"));
    const Plist& root = objects.at(1);
    EXPECT_EQ(root.keyAt(0), QStringLiteral("$class"));
    EXPECT_EQ(root.keyAt(1), QStringLiteral("_bounds"));
    EXPECT_EQ(root.value(u"_bounds").toString(), QStringLiteral("{{10.5, -20}, {300.25, 0.1}}"));
    EXPECT_EQ(root.value(u"data_source_type").toInteger(), -2147483647LL - 1);
    EXPECT_EQ(root.value(u"_file_path").toUid(), 0u);
    // The XML form of the same archive reads back the same.
    const auto viaXml = KeyedUnarchiver::open(plist->toXml());
    ASSERT_TRUE(viaXml.has_value());
    EXPECT_EQ(viaXml->decodeFont("text_ctrl_font")->family(), QStringLiteral("No Such Family Installed 42"));
}

TEST(KeyedArchive, WideReferencesAndOffsetsRoundTrip)
{
    // Over 256 objects and over 64 KiB: two-byte references, three-byte offsets.
    KeyedArchiver out(QStringLiteral("Wide"));
    std::vector<QByteArray> keys;
    for (int i = 0; i < 400; ++i)
        keys.push_back("key" + QByteArray::number(i));
    for (int i = 0; i < 400; ++i)
        out.encodeString(keys[size_t(i)].constData(), QStringLiteral("text %1").arg(i));
    out.encodeData("blob", QByteArray(70000, 'x'));
    out.encodeInt32("last", 1234567);
    const QByteArray bytes = out.finish();
    ASSERT_GT(bytes.size(), 70000);
    const auto in = KeyedUnarchiver::open(bytes);
    ASSERT_TRUE(in.has_value());
    EXPECT_EQ(in->decodeString("key399"), QStringLiteral("text 399"));
    EXPECT_EQ(in->decodeString("key0"), QStringLiteral("text 0"));
    EXPECT_EQ(in->decodeData("blob")->size(), 70000);
    EXPECT_EQ(in->decodeInt32("last"), 1234567);
    const auto plist = Plist::fromData(bytes);
    ASSERT_TRUE(plist.has_value());
    EXPECT_EQ(plist->value(u"$objects").size(), 404); // $null, root, class, 400 strings, blob
}
