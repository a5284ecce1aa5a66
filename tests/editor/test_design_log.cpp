// Design logs: a design comes back whole from its file, independent
// property-list readers agree with what is written, and every damaged or
// hostile file is refused with the design left exactly as it was.
#include "support_editor.h"

#include "app/Globals.h"
#include "batch/Binding_Table_Model.h"
#include "drawing/QBXBarcode.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXImage.h"
#include "drawing/QBXLine.h"
#include "drawing/QBXSignature.h"
#include "drawing/QBXText.h"
#include "drawing/Shape_Control.h"
#include "editor/design_log_file.h"
#include "platform/keyed_archive.h"
#include "platform/plist.h"
#include "support/bounded_wait.h"
#include "support/file_limits.h"
#include "support/hostile_bytes.h"
#include "support/process_runner.h"
#include "support/test_responder.h"

#include <QPushButton>
#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <random>
#include <sys/stat.h>

namespace {

using Answer = platform::modal::AlertAnswer;
using platform::Plist;
// Message boxes put a line break before their text.
const QString Corrupt = QStringLiteral("\nFile is corrupt and cannot be opened.");

QByteArray encoded(const QBXWindowController& c)
{
    return design_log::toXml(c.Design_Log_Stage());
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QString picturePath(const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("p.png"));
    QImage image(8, 6, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    image.save(path);
    return path;
}

// One graphic of every kind, with text that a property list must escape.
// `cr` is the line end inside texts: a literal CR written by another XML
// writer reads back as LF, as XML requires.
GraphicList everyKind(const QString& picture, const QString& tag, const QString& cr)
{
    auto text = std::make_shared<QBXText>();
    text->Text_contents().text = tag + QStringLiteral(" Zoë & <b>") + cr + QStringLiteral("\"x\"");
    auto line = std::make_shared<QBXLine>();
    auto shape = std::make_shared<Shape_Control>();
    shape->_shape_type = QStringLiteral("Star");
    auto image = std::make_shared<QBXImage>();
    image->setFilePath(picture);
    auto barcode = std::make_shared<QBXBarcode>();
    barcode->header_val = tag;
    auto sign = std::make_shared<QBXSignature>();
    GraphicList list{text, line, shape, image, barcode, sign};
    double x = 5;
    for (const GraphicPtr& g : list) {
        g->setBounds(QRectF(x, 7, 40, 20));
        x += 11;
    }
    return list;
}

void fill(StartedEditor& e, const QString& picture, const QString& cr = QStringLiteral("\r"))
{
    QBXWindowController* c = e.controller.get();
    c->_graphicView->insertGraphics(everyKind(picture, "front", cr), {0, 1, 2, 3, 4, 5});
    c->_graphicView_BACK->insertGraphics(everyKind(picture, "back", cr), {0, 1, 2, 3, 4, 5});
    c->_graphicView_TEMP->insertGraphics({std::make_shared<QBXText>()}, {0});
    Card_Property& f = c->Front_card_Prop;
    f.Card_border_chk = false;
    f.Card_bordr_clr = QColor(10, 20, 30, 40);
    f.Card_bor_Stepper = 3;
    f.Card_fill_chk = true;
    f.Card_fill_style = QStringLiteral("G");
    f.Card_grad_Stepper = 45;
    f.Card_alpha_Stepper = 37.5f;
    f.Card_Name = QStringLiteral("Ünïcode & <name>");
    // Card_Location stays at the canvas origin: the card panel writes it from
    // the front canvas at every load, so another value would not survive one.
    f.Card_Size = QSizeF(300, 200);
    f.Card_Cat_index = 2;
    f.Card_Content_font = QFont(QStringLiteral("DejaVu Serif"), 11);
    Card_Property& b = c->Back_card_Prop;
    b.Card_fill_chk = true;
    b.Card_fill_style = QStringLiteral("I");
    b.Card_BG_Image_Path = picture;
    b.Card_hatch_style = QStringLiteral("H2");
    b.Card_Side_Name = QStringLiteral("B");
    Binding_Table_Model* table = Binding_Table_Model::defaultInstance();
    table->Set_Sheet_Columns({QStringLiteral("Name"), QStringLiteral("Stadt")});
    table->Create_List_By_Array({QStringLiteral("Zoë & <Ann>"), QStringLiteral("a") + cr + QStringLiteral("b")}, 2);
    table->Create_List_By_Array({QString(), QStringLiteral("Köln")}, 2);
    Excel_Binding_Use = true;
    Excel_Source_Path = QStringLiteral("/data/people.xlsx");
}

bool saveTo(StartedEditor& e, const QString& path)
{
    Project_File_Name = path;
    return e->Save_project_file(false, false);
}

class DesignLog : public ::testing::Test {
protected:
    StartedEditor e;
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
};

TEST_F(DesignLog, RoundTripBringsTheDesignBackWhole)
{
    fill(e, picturePath(dir));
    // A side without a picture fill stores no picture path.
    e->Front_card_Prop.Card_BG_Image_Path = QStringLiteral("/old/choice.png");
    const QString log = path(QStringLiteral("name.dcard"));
    ASSERT_TRUE(saveTo(e, log));
    EXPECT_EQ(e->Front_card_Prop.Card_BG_Image_Path, QString());
    const QByteArray saved = encoded(*e.controller);
    const GraphicList temp = e->Get_Temp_Controls_Array();

    e->New_Project_Setting_Reset();
    ASSERT_NE(encoded(*e.controller), saved);
    ASSERT_EQ(e->Read_and_load_design_Log(log, QStringLiteral("L")), 1);
    EXPECT_EQ(encoded(*e.controller), saved);
    EXPECT_EQ(e->Get_Front_Controls_Array().size(), 6u);
    EXPECT_FALSE(std::static_pointer_cast<QBXImage>(e->Get_Front_Controls_Array()[3])->_contents.isNull());
    EXPECT_EQ(e->Get_Temp_Controls_Array(), temp);
    EXPECT_FALSE(e.document->undoManager()->canUndo());
    EXPECT_TRUE(e.document->undoManager()->isUndoRegistrationEnabled());
    EXPECT_FALSE(Not_Draw_Only_Prop_Change.load());
    EXPECT_EQ(Project_File_Name, log);
    EXPECT_EQ(e->window->windowTitle(), QStringLiteral("Cardwright ( name.dcard )"));
    EXPECT_TRUE(Excel_Binding_Use);
    EXPECT_EQ(Excel_Source_Path, QStringLiteral("/data/people.xlsx"));
    // Saved again, the file is the same byte for byte.
    const QString again = path(QStringLiteral("again.dcard"));
    ASSERT_TRUE(saveTo(e, again));
    EXPECT_EQ(readAll(again), readAll(log));

    // A template loads the same content without a file.
    e->New_Project_Setting_Reset();
    ASSERT_EQ(e->Read_and_load_design_Log(log, QStringLiteral("T")), 1);
    EXPECT_EQ(encoded(*e.controller), saved);
    EXPECT_EQ(Project_File_Name, QString());
    EXPECT_EQ(e->window->windowTitle(), QStringLiteral("Cardwright"));

    // An empty design: 63 items ending in two zero counts.
    e->New_Project_Setting_Reset();
    Excel_Binding_Use = false;
    const QString empty = path(QStringLiteral("empty.dcard"));
    ASSERT_TRUE(saveTo(e, empty));
    const std::optional<Plist> root = platform::readPlistFile(empty);
    ASSERT_TRUE(root);
    ASSERT_EQ(root->size(), 63);
    EXPECT_EQ(root->at(61).toString(), QStringLiteral("0"));
    EXPECT_EQ(root->at(62).toString(), QStringLiteral("0"));
}

TEST_F(DesignLog, EveryCharacterSurvivesSaveAndReopen)
{
    // Every character in a card name, a cell and a text.
    const QString all = hostile::everyCharacter();
    fill(e, picturePath(dir));
    e->Front_card_Prop.Card_Name = all;
    Binding_Table_Model::defaultInstance()->Create_List_By_Array({all, all}, 2);
    std::static_pointer_cast<QBXText>(e->Get_Front_Controls_Array()[0])->Text_contents().text = all;
    const QByteArray saved = encoded(*e.controller);
    const QString log = path(QStringLiteral("all.dcard"));
    ASSERT_TRUE(saveTo(e, log));

    e->New_Project_Setting_Reset();
    ASSERT_EQ(e->Read_and_load_design_Log(log, QStringLiteral("L")), 1);
    EXPECT_EQ(e->Front_card_Prop.Card_Name, all);
    EXPECT_EQ(std::static_pointer_cast<QBXText>(e->Get_Front_Controls_Array()[0])->Text_contents().text, all);
    EXPECT_EQ(encoded(*e.controller), saved);
}

TEST_F(DesignLog, IndependentReadersAgreeWithTheWriter)
{
    fill(e, picturePath(dir), QStringLiteral("\n"));
    const QString log = path(QStringLiteral("oracle.dcard"));
    ASSERT_TRUE(saveTo(e, log));
    const QByteArray saved = encoded(*e.controller);

    // plistlib: item types by position, the counts, a keyed archive per graphic.
    const QString check = QStringLiteral(R"(
import plistlib, sys
a = plistlib.load(open(sys.argv[1], 'rb'))
assert isinstance(a, list) and a[0] == 'VELTCARDPROJECTHEADER', 'header'
data = {2, 7, 8, 9, 12, 27, 28}
for side in (0, 28):
    for i in range(1, 29):
        want = bytes if i in data else str
        assert isinstance(a[side + i], want), (side + i, type(a[side + i]))
assert a[57] in ('Y', 'N') and isinstance(a[58], str)
assert isinstance(a[59], list) and all(isinstance(t, str) for t in a[59])
assert isinstance(a[60], list) and all(isinstance(r, dict) for r in a[60])
n = int(a[61]); m = int(a[62 + n])
assert len(a) == 63 + n + m, (len(a), n, m)
for g in a[62:62 + n] + a[63 + n:]:
    k = plistlib.loads(g)
    assert k['$archiver'] == 'NSKeyedArchiver' and '$objects' in k and 'root' in k['$top']
plistlib.dump(a, open(sys.argv[2], 'wb'), fmt=plistlib.FMT_XML, sort_keys=False)
plistlib.dump(a, open(sys.argv[3], 'wb'), fmt=plistlib.FMT_BINARY, sort_keys=False)
print(n, m)
)");
    const QString xml = path(QStringLiteral("python.dcard")), binary = path(QStringLiteral("binary.dcard"));
    const testsupport::ProcessResult py = testsupport::python(check, {log, xml, binary});
    ASSERT_EQ(py.exitCode, 0) << py.err.toStdString();
    EXPECT_EQ(py.out.trimmed(), QByteArray("6 6"));

    // xmllint validates against the property-list DTD through a catalog, so
    // nothing is fetched.
    const QString catalog = path(QStringLiteral("catalog.xml"));
    writeAll(catalog, QStringLiteral(R"(<?xml version="1.0"?>
<catalog xmlns="urn:oasis:names:tc:entity:xmlns:xml:catalog">
  <public publicId="-//Apple//DTD PLIST 1.0//EN" uri="file://%1/tests/support/plist-1.0.dtd"/>
  <system systemId="http://www.apple.com/DTDs/PropertyList-1.0.dtd" uri="file://%1/tests/support/plist-1.0.dtd"/>
</catalog>
)").arg(QStringLiteral(CARDWRIGHT_SOURCE_DIR)).toUtf8());
    qputenv("XML_CATALOG_FILES", catalog.toUtf8());
    const testsupport::ProcessResult lint =
        testsupport::run(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("--nonet"), QStringLiteral("--valid"), log});
    qunsetenv("XML_CATALOG_FILES");
    EXPECT_EQ(lint.exitCode, 0) << lint.err.toStdString();

    // Python's reformatted XML and its binary form load the same design.
    for (const QString& other : {xml, binary}) {
        e->New_Project_Setting_Reset();
        ASSERT_EQ(e->Read_and_load_design_Log(other, QStringLiteral("L")), 1) << other.toStdString();
        EXPECT_EQ(encoded(*e.controller), saved) << other.toStdString();
    }
}

// The state a refused load must leave untouched.
struct Snapshot {
    QByteArray design;
    int undoSteps;
    bool canUndo, undoOn, flag;
    QString name, title;
    static Snapshot of(StartedEditor& e)
    {
        platform::UndoManager* u = e.document->undoManager();
        return {encoded(*e.controller), u->undoCount(), u->canUndo(),
                u->isUndoRegistrationEnabled(), Not_Draw_Only_Prop_Change.load(), Project_File_Name,
                e->window->windowTitle()};
    }
    bool operator==(const Snapshot& o) const
    {
        return design == o.design && undoSteps == o.undoSteps && canUndo == o.canUndo && undoOn == o.undoOn
            && flag == o.flag && name == o.name && title == o.title;
    }
};

TEST_F(DesignLog, DamagedFilesAreRefusedAndChangeNothing)
{
    fill(e, picturePath(dir));
    const QString good = path(QStringLiteral("good.dcard"));
    ASSERT_TRUE(saveTo(e, good));
    const Plist root = *platform::readPlistFile(good);
    e->Set_Log_Name_In_Title();
    e->_graphicView->insertGraphics({std::make_shared<QBXText>()}, {0}); // an undo step
    const Snapshot before = Snapshot::of(e);
    ASSERT_TRUE(before.canUndo);

    auto edited = [&](const std::function<void(std::vector<Plist>&)>& edit) {
        std::vector<Plist> items;
        for (int i = 0; i < root.size(); ++i)
            items.push_back(root.at(i));
        edit(items);
        Plist out = Plist::array();
        for (const Plist& p : items)
            out.append(p);
        return out.toXml();
    };
    auto setItem = [&](int at, Plist value) { return edited([=](auto& v) { v[size_t(at)] = value; }); };
    Plist manyTitles = Plist::array();
    for (int i = 0; i < design_log::kMaxTitles + 1; ++i)
        manyTitles.append(Plist::string(QStringLiteral("t")));
    Plist dict = Plist::dict();
    dict.insert(QStringLiteral("a"), Plist::string(QStringLiteral("b")));
    platform::KeyedArchiver unknown(QStringLiteral("NSView"));

    const std::vector<std::pair<const char*, QByteArray>> cases{
        {"not a property list", QByteArray("<?xml version=\"1.0\"?><plist><array><string>")},
        {"not an array", [&] { Plist p = Plist::dict(); p.insert("k", Plist::string("v")); return p.toXml(); }()},
        {"an empty array", Plist::array().toXml()},
        {"a wrong header", setItem(0, Plist::string(QStringLiteral("OTHERHEADER")))},
        {"too few items", edited([](auto& v) { v.resize(40); })},
        {"a string where a colour goes", setItem(2, Plist::string(QStringLiteral("black")))},
        {"data where text goes", setItem(3, Plist::data("x"))},
        {"an undecodable colour", setItem(7, Plist::data("not an archive"))},
        {"titles that are not an array", setItem(59, dict)},
        {"too many titles", setItem(59, manyTitles)},
        {"an undecodable graphic", setItem(62, Plist::data("garbage"))},
        {"a graphic of an unknown class", setItem(62, Plist::data(unknown.finish()))},
        {"a negative count", setItem(61, Plist::string(QStringLiteral("-1")))},
        {"a count past the items", setItem(61, Plist::string(QStringLiteral("13")))},
        {"a huge count", setItem(61, Plist::string(QStringLiteral("99999999999999")))},
        {"a count that is not a number", setItem(61, Plist::string(QStringLiteral("abc")))},
        {"a front side over 500 mm", setItem(19, Plist::string(QStringLiteral("{1500, 100}")))},
    };
    const QString bad = path(QStringLiteral("bad.dcard"));
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        writeAll(bad, bytes);
        testResponder().answerAlert(Answer::Ok);
        EXPECT_EQ(e->Read_and_load_design_Log(bad, QStringLiteral("L")), 0);
        const QStringList alerts = testResponder().texts(QStringLiteral("alert"));
        ASSERT_EQ(alerts.size(), 1);
        EXPECT_TRUE(alerts[0].startsWith(Corrupt + QStringLiteral("\n\nbad.dcard: "))) << alerts[0].toStdString();
        EXPECT_TRUE(Snapshot::of(e) == before);
        testResponder().reset();
    }

    // Not regular files: a folder, a device, and a FIFO that no one writes
    // (opening it to read would block).
    const QString fifo = path(QStringLiteral("fifo.dcard"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& p : {dir.path(), QStringLiteral("/dev/zero"), fifo, path(QStringLiteral("missing.dcard"))}) {
        SCOPED_TRACE(p.toStdString());
        testResponder().answerAlert(Answer::Ok);
        withinDeadline("reading a file that is not regular",
                       [&] { EXPECT_EQ(e->Read_and_load_design_Log(p, QStringLiteral("L")), 0); });
        EXPECT_TRUE(Snapshot::of(e) == before);
        testResponder().reset();
    }
}

TEST_F(DesignLog, AFailedSaveKeepsTheOldFileAndTheName)
{
    const QString log = path(QStringLiteral("kept.dcard"));
    ASSERT_TRUE(saveTo(e, log));
    const QByteArray old = readAll(log);
    fill(e, picturePath(dir));
    writeAll(path(QStringLiteral("plain")), "x");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.dcard")));
    const QFileInfo folder(dir.path());
    auto entries = [&] {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
            + QDir(folder.path()).entryList({folder.fileName() + QLatin1Char('*')}, QDir::AllEntries | QDir::Hidden);
    };
    const QStringList before = entries();
    for (const QString& target : {path(QStringLiteral("folder.dcard")), path(QStringLiteral("plain/under.dcard"))}) {
        SCOPED_TRACE(target.toStdString());
        Project_File_Name = log;
        testResponder().answerFilePanel({target});
        if (QFileInfo::exists(target))
            testResponder().answerAlert(Answer::Yes); // replace it
        testResponder().answerAlert(Answer::Ok);
        QString failure;
        EXPECT_FALSE(e->Save_project_file(true, true, &failure));
        // "fail", then why.
        EXPECT_TRUE(failure.startsWith(QStringLiteral("fail: "))) << failure.toStdString();
        EXPECT_GT(failure.size(), 6);
        EXPECT_EQ(testResponder().texts(QStringLiteral("alert")), QStringList{QLatin1Char('\n') + failure});
        EXPECT_EQ(Project_File_Name, log);
        EXPECT_EQ(readAll(log), old);
        EXPECT_EQ(entries(), before); // no temporary left
        testResponder().reset();
    }
    // Save on a full disk: the system's reason after "fail".
    Project_File_Name = log;
    testResponder().answerAlert(Answer::Ok);
    QString failure;
    {
        const FileSizeLimit full(512);
        EXPECT_FALSE(e->Save_project_file(false, true, &failure));
    }
    EXPECT_EQ(failure, QStringLiteral("fail: ") + QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")), QStringList{QLatin1Char('\n') + failure});
    EXPECT_EQ(readAll(log), old);
    EXPECT_EQ(entries(), before);
    testResponder().reset();
}

TEST_F(DesignLog, ShapeAndSidesComeFromTheLog)
{
    QBXWindowController* c = e.controller.get();
    c->Front_card_Prop.Card_Shape = QStringLiteral("E");
    c->Front_card_Prop.Card_Side = QStringLiteral("1");
    c->Front_card_Prop.Card_fill_chk = true;
    c->Front_card_Prop.Card_fill_style = QStringLiteral("S");
    c->Front_card_Prop.Card_fill_clr = Qt::red;
    c->Front_card_Prop.Card_Size = QSizeF(240, 150);
    const QString log = path(QStringLiteral("oval.dcard"));
    ASSERT_TRUE(saveTo(e, log));

    e->New_Project_Setting_Reset();
    Card_Shape = 0;
    c->matrix_card_shape->button(0)->setChecked(true);
    ASSERT_EQ(e->Read_and_load_design_Log(log, QStringLiteral("L")), 1);
    EXPECT_EQ(Card_Shape.load(), 2);
    EXPECT_EQ(CARD_SIDE_STR, QStringLiteral("1"));
    EXPECT_EQ(c->Sides_ComboBox->currentIndex(), 1);
    EXPECT_FALSE(c->Back_Side_btn->isEnabled()) << "a one-sided card offers no back";
    EXPECT_TRUE(c->matrix_card_shape->button(2)->isChecked());
    settle();
    const QImage shot = c->_graphicView->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.pixelColor(shot.width() / 2, shot.height() / 2), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(3, 3), QColor(Qt::red)); // outside the oval

    const QString again = path(QStringLiteral("again.dcard"));
    ASSERT_TRUE(saveTo(e, again));
    const Plist root = *platform::readPlistFile(again);
    EXPECT_EQ(root.at(16).toString(), QStringLiteral("E"));
    EXPECT_EQ(root.at(14).toString(), QStringLiteral("1"));
}

TEST_F(DesignLog, UnreadablePicturePathsLoadWithoutAPicture)
{
    const QString fifo = path(QStringLiteral("pic.fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QStringList paths{path(QStringLiteral("missing.png")), fifo, dir.path(), QStringLiteral("/dev/zero"),
                            QStringLiteral("pics/relative.png")};
    GraphicList pictures;
    for (const QString& p : paths) {
        auto g = std::make_shared<QBXImage>();
        g->_file_path = p;
        g->setBounds(QRectF(1, 1, 10, 10));
        pictures.push_back(g);
    }
    e->_graphicView->insertGraphics(pictures, {0, 1, 2, 3, 4});
    const QString log = path(QStringLiteral("pictures.dcard"));
    ASSERT_TRUE(saveTo(e, log));
    const QByteArray saved = encoded(*e.controller);

    e->New_Project_Setting_Reset();
    withinDeadline("loading pictures that are not regular files",
                   [&] { ASSERT_EQ(e->Read_and_load_design_Log(log, QStringLiteral("L")), 1); });
    const GraphicList loaded = e->Get_Front_Controls_Array();
    ASSERT_EQ(loaded.size(), 5u);
    for (size_t i = 0; i < loaded.size(); ++i) {
        const auto* g = static_cast<const QBXImage*>(loaded[i].get());
        EXPECT_TRUE(g->_contents.isNull()) << i;
        EXPECT_EQ(g->_file_path, paths[qsizetype(i)]);
    }
    EXPECT_EQ(encoded(*e.controller), saved);
}

// Seeded damage to real logs: every case either loads a design that
// re-saves to the same stage, or is refused with nothing changed.
TEST_F(DesignLog, FuzzedLogsLoadWholeOrNotAtAll)
{
    const QString picture = picturePath(dir);
    QList<QByteArray> seeds;
    auto keep = [&](const QString& name) {
        const QString p = path(name);
        EXPECT_TRUE(saveTo(e, p));
        seeds << readAll(p);
    };
    keep(QStringLiteral("empty.dcard"));
    fill(e, picture);
    keep(QStringLiteral("full.dcard"));
    e->Front_card_Prop.Card_Shape = QStringLiteral("E");
    e->Front_card_Prop.Card_Side = QStringLiteral("1");
    e->_graphicView->removeGraphicsAtIndexes({0, 1, 2});
    keep(QStringLiteral("oval.dcard"));
    Binding_Table_Model::defaultInstance()->Set_Sheet_Columns({"A", "B", "C"});
    for (int i = 0; i < 30; ++i)
        Binding_Table_Model::defaultInstance()->Create_List_By_Array({QString::number(i), "x", "&"}, 3);
    keep(QStringLiteral("rows.dcard"));

    const unsigned seed = qEnvironmentVariableIsSet("CW_FUZZ_SEED")
        ? unsigned(qEnvironmentVariableIntValue("CW_FUZZ_SEED"))
        : std::random_device{}();
    std::printf("design log fuzz seed: %u (set CW_FUZZ_SEED to repeat)\n", seed);
    std::mt19937 rng(seed);
    auto pick = [&](int n) { return n <= 0 ? 0 : int(rng() % unsigned(n)); };

    auto mutate = [&](const QByteArray& log) -> QByteArray {
        QByteArray bytes = log;
        const int kind = pick(3);
        if (kind == 0) { // byte flips
            for (int i = 0, n = 1 + pick(4); i < n; ++i)
                bytes[pick(int(bytes.size()))] = char(rng());
            return bytes;
        }
        if (kind == 1) // truncation
            return bytes.left(pick(int(bytes.size())));
        Plist root = *Plist::fromData(bytes);
        std::vector<Plist> v;
        for (int i = 0; i < root.size(); ++i)
            v.push_back(root.at(i));
        const int at = pick(int(v.size())), other = pick(int(v.size()));
        static const char* counts[] = {"abc", "-1", "99999999999", "2147483648", " 3", "+0"};
        switch (pick(6)) {
        case 0: v.erase(v.begin() + at); break;
        case 1: v.insert(v.begin() + at, v[size_t(other)]); break;
        case 2: std::swap(v[size_t(at)], v[size_t(other)]); break;
        case 3:
            v[size_t(at)] = v[size_t(at)].type() == Plist::Type::String ? Plist::data(v[size_t(at)].toString().toUtf8())
                                                                         : Plist::string(QStringLiteral("x"));
            break;
        case 4: { // a count one off
            const int c = design_log::intValue(v[61].toString());
            v[61] = Plist::string(QString::number(c + (pick(2) ? 1 : -1)));
            break;
        }
        default: v[size_t(pick(2) ? 61 : int(v.size()) - 1)] = Plist::string(QString::fromLatin1(counts[pick(6)]));
        }
        Plist out = Plist::array();
        for (const Plist& p : v)
            out.append(p);
        return out.toXml();
    };

    const QString target = path(QStringLiteral("fuzz.dcard"));
    const double start = hostile::cpuSeconds();
    int loaded = 0;
    for (int i = 0; i < 1000; ++i) {
        writeAll(target, mutate(seeds[i % seeds.size()]));
        const Snapshot before = Snapshot::of(e);
        testResponder().answerAlert(Answer::Ok);
        const int result = e->Read_and_load_design_Log(target, QStringLiteral("L"));
        testResponder().reset();
        if (result == 1) {
            ++loaded;
            const QByteArray now = encoded(*e.controller);
            const std::optional<design_log::Stage> back = design_log::decode(*Plist::fromData(now));
            ASSERT_TRUE(back) << "case " << i;
            ASSERT_EQ(design_log::toXml(*back), now) << "case " << i;
        } else {
            ASSERT_EQ(result, 0);
            ASSERT_TRUE(Snapshot::of(e) == before) << "case " << i;
        }
    }
    const double seconds = hostile::cpuSeconds() - start;
    std::printf("%d of 1000 damaged logs loaded, %.1f s of CPU time\n", loaded, seconds);
    EXPECT_LT(seconds, 30.0);
}

} // namespace

TEST_F(DesignLog, SixtyLargePicturesOpenDrawAndSaveWholeWithinTheMemoryBudget)
{
    // Sixty barcode graphics, each holding a 4096 x 4096 picture of its own
    // (1200 dpi: 246 pt wide).
    GraphicList list;
    std::vector<int> at;
    std::vector<QByteArray> stored;
    for (int i = 0; i < 60; ++i) {
        stored.push_back(hostile::numberedPng(4096, 4096, 1200, i));
        auto g = std::make_shared<QBXBarcode>();
        g->_barcode_image = platform::StoredPicture::fromBytes(stored.back());
        ASSERT_FALSE(g->_barcode_image.isNull());
        g->setBounds(QRectF(i % 10, i / 10, 246, 246));
        list.push_back(g);
        at.push_back(i);
    }
    e->_graphicView->insertGraphics(list, at);
    const QString log = path(QStringLiteral("sixty.dcard"));
    ASSERT_TRUE(saveTo(e, log));
    e->New_Project_Setting_Reset();

    const hostile::Cost open = hostile::measure([&] { ASSERT_EQ(e->Read_and_load_design_Log(log, QStringLiteral("L")), 1); });
    EXPECT_LT(open.seconds, hostile::kCpuSeconds);
    EXPECT_LT(open.peakMiB, 100);
    const GraphicList opened = e->Get_Front_Controls_Array();
    ASSERT_EQ(opened.size(), 60u);
    // Every picture drawn at what the output needs, one after the other as
    // a card is drawn, within the bound.
    const hostile::Cost draw = hostile::measure([&] {
        for (const GraphicPtr& g : opened) {
            const drawing::PicturePtr pic = std::static_pointer_cast<QBXBarcode>(g)->pictureForDrawing();
            ASSERT_TRUE(pic);
            EXPECT_EQ(pic->image.size(), QSize(2048, 2048));
        }
    });
    EXPECT_LT(draw.peakMiB, 300);
    std::cout << "sixty pictures: open " << open.seconds << " s CPU, " << open.peakMiB << " MiB; drawn "
              << draw.seconds << " s CPU, " << draw.peakMiB << " MiB" << std::endl;
    // Saved again and reopened: each picture keeps the bytes it came with.
    const QString again = path(QStringLiteral("again.dcard"));
    ASSERT_TRUE(saveTo(e, again));
    EXPECT_EQ(readAll(again), readAll(log));
    e->New_Project_Setting_Reset();
    ASSERT_EQ(e->Read_and_load_design_Log(again, QStringLiteral("L")), 1);
    const GraphicList reopened = e->Get_Front_Controls_Array();
    ASSERT_EQ(reopened.size(), 60u);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(reopened[size_t(i)]->_barcode_image.storedBytes(), stored[size_t(i)]) << i;
}
