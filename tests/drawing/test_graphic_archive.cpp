// The stored form of graphics: round trips of every field of every class,
// pasteboard lists, old and damaged archives, and an outside check of the
// format with Python's plistlib.
#include "support/bounded_wait.h"
#include "drawing/Card_Property.h"
#include "drawing/GraphicDefaults.h"
#include "drawing/QBXDocument.h"
#include "drawing/QBXGraphic.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXLine.h"
#include "drawing/QBXText.h"
#include "platform/plist.h"
#include "support_model.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

using platform::Plist;

namespace {

struct DefaultsGuard {
    GraphicDefaults saved = graphicDefaults();
    ~DefaultsGuard() { graphicDefaults() = saved; }
};

// The archive keys of the fixture, in order.
std::vector<std::pair<QString, QString>> fixtureKeys()
{
    QFile f(QStringLiteral(CARDWRIGHT_SOURCE_DIR "/tests/drawing/fixtures/graphic_archive_keys.txt"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    std::vector<std::pair<QString, QString>> keys;
    for (const QByteArray& raw : f.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList parts = line.split(QLatin1Char(' '));
        keys.emplace_back(parts.at(0), parts.at(1));
    }
    return keys;
}

// Edits the root object (and its class entry) of one graphic archive.
QByteArray editArchive(const QByteArray& data, const std::function<void(Plist& root, Plist& classInfo)>& edit)
{
    auto top = Plist::fromData(data);
    EXPECT_TRUE(top.has_value());
    const Plist& objects = top->value(u"$objects");
    const int rootIndex = int(top->value(u"$top").value(u"root").toUid());
    Plist root = objects.at(rootIndex);
    const int classIndex = int(root.value(u"$class").toUid());
    Plist classInfo = objects.at(classIndex);
    edit(root, classInfo);
    Plist rebuilt = Plist::array();
    for (int i = 0; i < objects.size(); ++i)
        rebuilt.append(i == rootIndex ? root : (i == classIndex ? classInfo : objects.at(i)));
    top->insert(QStringLiteral("$objects"), rebuilt);
    return top->toBinary();
}

GraphicPtr readBack(const QByteArray& data)
{
    return QBXGraphic::graphicWithArchivedData(data);
}

// The field names fieldDifferences reports for one archive key.
std::vector<std::string> fieldsOfKey(const QString& key)
{
    if (key == QLatin1String("_bounds"))
        return {"_bounds.x()", "_bounds.y()", "_bounds.width()", "_bounds.height()"};
    if (key == QLatin1String("_Text_contents"))
        return {"_Text_contents.has_value()"};
    if (key == QLatin1String("_barcode_image"))
        return {"_barcode_image.isNull()", "_barcode_image pixels"};
    return {key.toStdString()};
}

bool onlyTheseDiffer(const std::vector<std::string>& diffs, const std::vector<std::string>& allowed)
{
    for (const auto& d : diffs) {
        if (std::find(allowed.begin(), allowed.end(), d) == allowed.end())
            return false;
    }
    return true;
}

} // namespace

TEST(GraphicArchive, EveryClassRoundTripsEveryField)
{
    int seed = 0;
    for (const GraphicPtr& g : oneOfEachClass()) {
        for (bool makeText : {false, true}) {
            SCOPED_TRACE(g->className().toStdString() + (makeText ? " with rich text" : ""));
            fillDistinct(*g, seed++, makeText);
            if (g->className() == QLatin1String("QBXGraphic")) {
                // The base class has no drawing of its own: refused on read.
                EXPECT_FALSE(readBack(QBXGraphic::archivedDataWithGraphic(*g)));
                continue;
            }
            // Every field now differs from a new graphic of the class.
            const auto fresh = QBXGraphic::graphicOfClass(g->className());
            EXPECT_GE(fieldDifferences(*g, *fresh, true).size(), 90u);
            const GraphicPtr back = readBack(QBXGraphic::archivedDataWithGraphic(*g));
            ASSERT_TRUE(back);
            const auto diffs = fieldDifferences(*g, *back, true);
            EXPECT_TRUE(diffs.empty()) << diffs.front();
        }
    }
}

TEST(GraphicArchive, DoublesComeBackAtFloatPrecision)
{
    QBXText g;
    g._strokeWidth = 0.1;
    g._fill_grad_angle = 1.0 / 3.0;
    const GraphicPtr back = readBack(QBXGraphic::archivedDataWithGraphic(g));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->_strokeWidth, 0.10000000149011612);
    EXPECT_EQ(back->_fill_grad_angle, double(float(1.0 / 3.0)));
}

TEST(GraphicArchive, LineKeepsItsDirectionAndOldArchivesReadNo)
{
    for (int flags = 0; flags < 4; ++flags) {
        QBXLine line;
        line._bounds = QRectF(10, 10, 100, 50);
        line._pointsRight = flags & 1;
        line._pointsDown = flags & 2;
        const QByteArray data = QBXGraphic::archivedDataWithGraphic(line);
        const auto back = std::dynamic_pointer_cast<QBXLine>(readBack(data));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->_pointsRight, line._pointsRight);
        EXPECT_EQ(back->_pointsDown, line._pointsDown);
        const QByteArray old = editArchive(data, [](Plist& root, Plist&) {
            root.remove(u"_pointsRight");
            root.remove(u"_pointsDown");
        });
        const auto oldBack = std::dynamic_pointer_cast<QBXLine>(readBack(old));
        ASSERT_TRUE(oldBack);
        EXPECT_FALSE(oldBack->_pointsRight);
        EXPECT_FALSE(oldBack->_pointsDown);
        EXPECT_EQ(oldBack->_bounds, line._bounds);
    }
}

TEST(GraphicArchive, PasteboardListKeepsOrderAndKinds)
{
    GraphicList list = oneOfEachClass();
    std::reverse(list.begin(), list.end());
    for (size_t i = 0; i < list.size(); ++i)
        fillDistinct(*list[i], int(i) + 10, i % 2 == 0);
    const QByteArray data = QBXGraphic::pasteboardDataWithGraphics(list);
    EXPECT_TRUE(data.startsWith("bplist00"));
    QBXError error;
    int dropped = -1;
    const auto back = QBXGraphic::graphicsWithPasteboardData(data, &error, &dropped);
    ASSERT_TRUE(back.has_value());
    // All but the base-class graphic (last after the reversal).
    ASSERT_EQ(back->size(), list.size() - 1);
    EXPECT_EQ(dropped, 1);
    for (size_t i = 0; i < back->size(); ++i) {
        EXPECT_EQ((*back)[i]->className(), list[i]->className());
        EXPECT_TRUE(fieldDifferences(*list[i], *(*back)[i], true).empty()) << i;
    }
}

TEST(GraphicArchive, EachMissingKeyReadsItsDefault)
{
    QBXText base;
    fillDistinct(base, 4, true);
    const QByteArray data = QBXGraphic::archivedDataWithGraphic(base);
    const QBXText fresh;
    for (const auto& [key, kind] : fixtureKeys()) {
        SCOPED_TRACE(key.toStdString());
        EXPECT_TRUE(holdsDocumentedDefault(fresh, key));
        if (key == QLatin1String("stretch_val"))
            continue; // below
        const QByteArray edited = editArchive(data, [&](Plist& root, Plist&) { ASSERT_TRUE(root.remove(key)); });
        const GraphicPtr back = readBack(edited);
        ASSERT_TRUE(back);
        const auto fields = fieldsOfKey(key);
        // Only this field changed, and it now holds the value of a new graphic.
        EXPECT_TRUE(onlyTheseDiffer(fieldDifferences(base, *back, true), fields));
        EXPECT_TRUE(holdsDocumentedDefault(*back, key));
        EXPECT_FALSE(holdsDocumentedDefault(base, key));
    }
    // The faults a zero reading would cause.
    const GraphicPtr noVisible = readBack(editArchive(data, [](Plist& r, Plist&) { r.remove(u"ctrl_is_visible"); }));
    EXPECT_TRUE(noVisible->ctrl_is_visible);
    const GraphicPtr noQr = readBack(editArchive(data, [](Plist& r, Plist&) { r.remove(u"qr_size_val"); }));
    EXPECT_EQ(noQr->qr_size_val, 60);
    const GraphicPtr noAlpha = readBack(editArchive(data, [](Plist& r, Plist&) { r.remove(u"alpha_val"); }));
    EXPECT_EQ(noAlpha->alpha_val, 100.0f);
    // A barcode saved before it kept its own stretch takes the designer's
    // (a new barcode starts unstretched), and keeps taking it when saved again.
    const GraphicPtr noStretch = readBack(editArchive(data, [](Plist& r, Plist&) { r.remove(u"stretch_val"); }));
    EXPECT_EQ(noStretch->stretch_val, kStretchOfDesigner);
    EXPECT_TRUE(onlyTheseDiffer(fieldDifferences(base, *noStretch, true), fieldsOfKey(QStringLiteral("stretch_val"))));
    EXPECT_EQ(readBack(QBXGraphic::archivedDataWithGraphic(*noStretch))->stretch_val, kStretchOfDesigner);
}

TEST(GraphicArchive, WrongTypesNonFiniteAndOutOfRangeCodesReadAsDefaults)
{
    QBXText base;
    fillDistinct(base, 1, false);
    const QByteArray data = QBXGraphic::archivedDataWithGraphic(base);
    struct Case {
        const char* key;
        Plist value;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Case> cases = {
        {"_strokeWidth", Plist::string(QStringLiteral("wide"))},
        {"img_trnsp_val", Plist::real(nan)},
        {"hue_val", Plist::real(std::numeric_limits<double>::infinity())},
        {"_bounds", Plist::string(QStringLiteral("{{nan, 1}, {2, 3}}"))},
        {"_fillColor", Plist::integer(5)},
        {"ctrl_is_visible", Plist::integer(1)},
        {"qr_size_val", Plist::real(61.0)},
        {"data_source_type", Plist::integer(3)},
        {"_line_cap_style", Plist::integer(-1)},
        {"text_alignmnet", Plist::integer(5)},
        {"text_transfrom_case", Plist::integer(4)},
        {"print_object", Plist::integer(qint64(1) << 40)},
        {"Text_Value", Plist::boolean(true)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const QString key = QString::fromLatin1(c.key);
        const GraphicPtr back = readBack(editArchive(data, [&](Plist& root, Plist&) { root.insert(key, c.value); }));
        ASSERT_TRUE(back);
        const auto fields = fieldsOfKey(key);
        EXPECT_TRUE(onlyTheseDiffer(fieldDifferences(base, *back, true), fields));
        EXPECT_TRUE(holdsDocumentedDefault(*back, key));
    }
    // Open integers are kept exactly, even odd ones; their users check them.
    const GraphicPtr open = readBack(editArchive(data, [](Plist& root, Plist&) {
        root.insert(QStringLiteral("batch_list_index"), Plist::integer(2147483647));
        root.insert(QStringLiteral("polygon_type"), Plist::integer(-5));
        root.insert(QStringLiteral("double_star_type"), Plist::integer(2000000000));
    }));
    EXPECT_EQ(open->batch_list_index, 2147483647);
    EXPECT_EQ(open->polygon_type, -5);
    EXPECT_EQ(open->double_star_type, 2000000000);
}

TEST(GraphicArchive, UnknownClassesAndNonArchivesAreDroppedAndCounted)
{
    GraphicList list = oneOfEachClass();
    std::vector<QByteArray> items = QBXGraphic::propertiesWithGraphics(list);
    items[2] = editArchive(items[2], [](Plist&, Plist& classInfo) {
        classInfo.insert(QStringLiteral("$classname"), Plist::string(QStringLiteral("QBXSomethingNew")));
    });
    items.insert(items.begin() + 4, QByteArray("not an archive at all"));
    int dropped = 0;
    const GraphicList back = QBXGraphic::graphicsWithProperties(items, &dropped);
    EXPECT_EQ(dropped, 3);
    ASSERT_EQ(back.size(), 5u);
    QStringList names;
    for (const auto& g : back)
        names << g->className();
    EXPECT_EQ(names, QStringList({"QBXLine", "QBXImage", "QBXBarcode", "Shape_Control", "QBXSignature"}));
}

TEST(GraphicArchive, PasteboardDataThatIsNotAnArrayGivesCodeTwo)
{
    Plist dict = Plist::dict();
    dict.insert(QStringLiteral("a"), Plist::integer(1));
    const QByteArray valid = QBXGraphic::pasteboardDataWithGraphics(oneOfEachClass());
    const std::vector<QByteArray> bad = {dict.toBinary(), dict.toXml(), QByteArray(), QByteArray("random bytes"),
                                         valid.left(valid.size() / 2)};
    for (const QByteArray& data : bad) {
        QBXError error;
        EXPECT_FALSE(QBXGraphic::graphicsWithPasteboardData(data, &error).has_value());
        EXPECT_EQ(error.code, 2);
        EXPECT_EQ(error.domain, "QuillboxErrorDomain");
        EXPECT_EQ(error.localizedDescription,
                  "Quillbox could not complete the operation because an unknown error occurred.");
    }
    QBXError none;
    const auto empty = QBXGraphic::graphicsWithPasteboardData(Plist::array().toBinary(), &none);
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->empty());
    EXPECT_EQ(none.code, 0);
}

TEST(GraphicArchive, SeededMutationsAndTruncationsNeverCrash)
{
    DefaultsGuard guard;
    graphicDefaults().log = [](const QString&) {};
    GraphicList list = oneOfEachClass();
    for (size_t i = 0; i < list.size(); ++i)
        fillDistinct(*list[i], int(i), i % 2 == 1);
    const QByteArray valid = QBXGraphic::pasteboardDataWithGraphics(list);
    const QByteArray single = QBXGraphic::archivedDataWithGraphic(*list[2]);
    std::mt19937 rng(20261208);
    int parsed = 0;
    for (int round = 0; round < 2000; ++round) {
        QByteArray data = (round % 2) ? valid : single;
        const int mode = int(rng() % 3);
        if (mode == 0) {
            data.truncate(int(rng() % uint32_t(data.size())));
        } else {
            const int flips = 1 + int(rng() % 8);
            for (int k = 0; k < flips; ++k)
                data[int(rng() % uint32_t(data.size()))] = char(rng() & 0xff);
        }
        QBXError error;
        int dropped = 0;
        if (round % 2) {
            const auto graphics = QBXGraphic::graphicsWithPasteboardData(data, &error, &dropped);
            if (graphics) {
                ++parsed;
                EXPECT_LE(graphics->size() + size_t(dropped), list.size() + 64);
            } else {
                EXPECT_EQ(error.code, 2);
            }
        } else if (const GraphicPtr g = QBXGraphic::graphicWithArchivedData(data)) {
            // Whatever was read stays within the closed codes.
            EXPECT_GE(g->data_source_type, 0);
            EXPECT_LE(g->data_source_type, 2);
            EXPECT_LE(g->text_transfrom_case, 3);
        }
    }
    EXPECT_GT(parsed, 0);
}

TEST(GraphicArchive, PictureIsReloadedFromItsFileOrKeptWithoutOne)
{
    DefaultsGuard guard;
    QStringList logged;
    graphicDefaults().log = [&](const QString& t) { logged << t; };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pic.png"));
    QImage img(4, 3, QImage::Format_ARGB32);
    img.fill(Qt::red);
    ASSERT_TRUE(img.save(path));
    QBXImage withFile, withoutFile;
    withFile._file_path = path;
    withoutFile._file_path = dir.filePath(QStringLiteral("gone.png"));
    const GraphicList back =
        QBXGraphic::graphicsWithProperties(QBXGraphic::propertiesWithGraphics(
            {std::shared_ptr<QBXGraphic>(withFile.fullCopy()), withoutFile.fullCopy()}));
    ASSERT_EQ(back.size(), 2u);
    const auto& a = static_cast<QBXImage&>(*back[0]);
    const auto& b = static_cast<QBXImage&>(*back[1]);
    EXPECT_EQ(a._contents.size(), QSize(4, 3));
    EXPECT_EQ(b._file_path, withoutFile._file_path);
    EXPECT_TRUE(b._contents.isNull());
    EXPECT_EQ(logged.size(), 2);
    EXPECT_EQ(logged.count(withoutFile._file_path), 1);
}

TEST(GraphicArchive, PythonPlistlibReadsOurPasteboardData)
{
    GraphicList list = oneOfEachClass();
    for (size_t i = 0; i < list.size(); ++i)
        fillDistinct(*list[i], int(i), i % 2 == 0);
    QTemporaryDir dir;
    const QString dataPath = dir.filePath(QStringLiteral("pasteboard.bin"));
    QFile f(dataPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QBXGraphic::pasteboardDataWithGraphics(list));
    f.close();
    QStringList args{QStringLiteral(CARDWRIGHT_SOURCE_DIR "/tests/drawing/oracle_pasteboard.py"), dataPath,
                     QStringLiteral(CARDWRIGHT_SOURCE_DIR "/tests/drawing/fixtures/graphic_archive_keys.txt")};
    for (const auto& g : list)
        args << g->className();
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), args);
    ASSERT_TRUE(python.waitForFinished(kHangMilliseconds));
    const QString out = QString::fromUtf8(python.readAllStandardOutput() + python.readAllStandardError());
    EXPECT_EQ(python.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.startsWith(QStringLiteral("OK 7"))) << out.toStdString();
}

TEST(Document, NativeDataHoldsVersionTwoAndTheFrontGraphicsOnly)
{
    QBXDocument doc;
    doc.insertGraphic(std::make_shared<QBXLine>(), 0);
    doc.insertGraphic(std::make_shared<QBXText>(), 1);
    doc.insertIntoList(QStringLiteral("graphics_back"), {std::make_shared<QBXImage>()}, {0});
    const auto root = Plist::fromData(doc.dataOfType(QStringLiteral("VELT CARD document")));
    ASSERT_TRUE(root.has_value());
    EXPECT_EQ(root->value(u"version").toInteger(), 2);
    const Plist& graphics = root->value(u"graphics");
    ASSERT_EQ(graphics.size(), 2);
    std::vector<QByteArray> items{graphics.at(0).toData(), graphics.at(1).toData()};
    const GraphicList back = QBXGraphic::graphicsWithProperties(items);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0]->className(), "QBXLine");
    EXPECT_EQ(back[1]->className(), "QBXText");
    EXPECT_EQ(root->value(u"printInfo").type(), Plist::Type::Data);
    EXPECT_EQ(doc.dataOfType(QBXDocument::NativeTypeIdentifier), doc.dataOfType(QBXDocument::NativeTypeName));
    // Without a renderer there is no TIFF, and the error says so.
    QBXError error;
    EXPECT_TRUE(doc.dataOfType(QBXDocument::TIFFType, &error).isEmpty());
    EXPECT_EQ(error.code, 3);
}

TEST(CardProperty, CodingRoundTripsAndMissingKeysReadDefaults)
{
    Card_Property p;
    p.Card_border_chk = true;
    p.Card_fill_chk = true;
    p.Card_bordr_clr = QColor::fromRgbF(0.1f, 0.2f, 0.3f, 0.4f);
    p.Card_fill_clr = QColor::fromRgbF(0.5f, 0.6f, 0.7f, 0.8f);
    p.Card_fill_Grd_1_clr = QColor::fromRgbF(0.9f, 0.1f, 0.2f, 1.0f);
    p.Card_fill_Grd_2_clr = QColor::fromRgbF(0.3f, 0.4f, 0.5f, 0.6f);
    p.Card_hatch_bk_clr = QColor::fromRgbF(0.7f, 0.8f, 0.9f, 0.25f);
    p.Card_bor_Stepper = 4;
    p.Card_grad_Stepper = 45;
    p.Card_Cat_index = 7;
    p.Card_alpha_Stepper = 0.35f;
    p.Card_border_style = QStringLiteral("DDD");
    p.Card_fill_style = QStringLiteral("I");
    p.Card_hatch_style = QStringLiteral("Cross");
    p.Card_Side = QStringLiteral("1");
    p.Card_Side_Name = QStringLiteral("B");
    p.Card_Shape = QStringLiteral("E");
    p.Card_Name = QStringLiteral("Badge \u00e9");
    p.Card_Preset = QStringLiteral("Vertical");
    p.Card_Category = QStringLiteral("Paper");
    p.Card_Sub_Category = QStringLiteral("A7");
    p.Card_Create_Mode = QStringLiteral("X");
    p.Card_BG_Image_Path = QStringLiteral("/tmp/bg.png");
    p.Card_BG_Image_Layout = QStringLiteral("Tile");
    QImage blue(3, 2, QImage::Format_ARGB32);
    blue.fill(Qt::blue);
    p.Card_BG_Image = blue;
    p.Card_Location = QPointF(1.5, -2.25);
    p.Card_Size = QSizeF(243.5, 154.125);
    p.Card_Content_clr = QColor::fromRgbF(0.2f, 0.4f, 0.6f, 1.0f);
    p.Card_Content_font = graphic_defaults::namedFont(QStringLiteral("MissingFace-Bold"), 18.5);
    bool ok = false;
    const QByteArray data = p.encodeWithCoder();
    Card_Property back = Card_Property::initWithCoder(data, &ok);
    EXPECT_TRUE(ok);
    back.Card_BG_Image = back.Card_BG_Image.image().convertToFormat(QImage::Format_ARGB32);
    EXPECT_TRUE(back == p);

    const QByteArray noKeys = editArchive(data, [](Plist& root, Plist&) {
        root.remove(u"Card_bor_Stepper");
        root.remove(u"Card_alpha_Stepper");
        root.remove(u"Card_Shape");
        root.remove(u"Card_Content_font");
    });
    const Card_Property partial = Card_Property::initWithCoder(noKeys, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(partial.Card_bor_Stepper, 1);
    EXPECT_EQ(partial.Card_alpha_Stepper, 100.0f);
    EXPECT_EQ(partial.Card_Shape, "R");
    EXPECT_EQ(partial.Card_Content_font.family(), "TimesNewRomanPS-ItalicMT");
    EXPECT_EQ(partial.Card_Name, p.Card_Name);

    const Card_Property garbage = Card_Property::initWithCoder(QByteArray("nonsense"), &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(garbage == Card_Property());
}

TEST(CardProperty, DefaultsCopyAndCodeHelpers)
{
    const Card_Property p;
    EXPECT_FALSE(p.Card_border_chk);
    EXPECT_EQ(p.Card_bor_Stepper, 1);
    EXPECT_EQ(p.Card_alpha_Stepper, 100.0f);
    EXPECT_EQ(p.Card_Side, "2");
    EXPECT_EQ(p.Card_Sub_Category, "CR80-Credit Card Size");
    EXPECT_EQ(p.Card_Content_font.pointSizeF(), 14.0);
    Card_Property copy = p.copyWithZone();
    copy.Card_fill_clr = Qt::red;
    EXPECT_EQ(p.Card_fill_clr, QColor::fromRgbF(1, 1, 1, 1));

    EXPECT_EQ(Card_Property::Card_Shape_Index(QStringLiteral("R")), 0);
    EXPECT_EQ(Card_Property::Card_Shape_Index(QStringLiteral("RR")), 1);
    EXPECT_EQ(Card_Property::Card_Shape_Index(QStringLiteral("E")), 2);
    EXPECT_EQ(Card_Property::Card_Shape_Index(QStringLiteral("?")), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Card_Property::Card_Shape_Index(Card_Property::Card_Shape_Code(i)), i);
    EXPECT_EQ(Card_Property::Card_Sides_Str(QStringLiteral("1")), "1");
    EXPECT_EQ(Card_Property::Card_Sides_Str(QStringLiteral("2")), "2");
    EXPECT_EQ(Card_Property::Card_Sides_Str(QString()), "2");
    EXPECT_EQ(Card_Property::Card_Sides_Index(QStringLiteral("1")), 1);
    EXPECT_EQ(Card_Property::Card_Sides_Index(QStringLiteral("2")), 0);
}

TEST(Document, RenderingAndPrintingGoThroughTheRendererHooks)
{
    QBXDocument doc;
    doc.insertGraphic(std::make_shared<QBXLine>(), 0);
    doc.insertIntoList(QStringLiteral("graphics_back"), {std::make_shared<QBXText>()}, {0});
    QString asked;
    size_t count = 0;
    QBXDocument::renderDataHook() = [&](const GraphicList& g, const QString& format, QBXError*) {
        asked = format;
        count = g.size();
        return QByteArray("%PDF-");
    };
    EXPECT_EQ(doc.dataOfType(QBXDocument::PDFType), QByteArray("%PDF-"));
    EXPECT_EQ(asked, "PDF");
    EXPECT_EQ(count, 1u); // the front list only
    QBXDocument::renderDataHook() = {};

    QRectF frame;
    QString title;
    QBXDocument::printHook() = [&](const GraphicList&, const QRectF& f, const QString& t, const QByteArray&,
                                   const QVariantMap&) {
        frame = f;
        title = t;
        return true;
    };
    EXPECT_TRUE(doc.printOperationWithSettings({}, QStringLiteral("/tmp/My card.v2.dcard")));
    EXPECT_EQ(frame, QRectF(0, 0, 243, 154));
    EXPECT_EQ(title, "My card.v2");
    QBXDocument::printHook() = {};
    EXPECT_FALSE(doc.printOperationWithSettings({}, QString()));
    EXPECT_EQ(doc.printJobTitle(QString()), doc.displayName());
}
