// Every road that reads XML (property lists, the settings file, designs,
// the clipboard, graphic archives, the links file, workbook parts) reads
// the XML declaration as XML 1.0 defines it, decodes the text itself, reads
// the Latin-1 family other readers read, refuses anything else saying why,
// and holds to its bounds of time and memory whatever a file holds.
#include "support_editor.h"

#include "app/Globals.h"
#include "batch/XlsxParts.h"
#include "drawing/QBXText.h"
#include "editor/Links.h"
#include "editor/design_log_file.h"
#include "output/Preferences.h"
#include "platform/keyed_archive.h"
#include "platform/plist.h"
#include "support/hostile_bytes.h"
#include "support/test_responder.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::Plist;
using Answer = platform::modal::AlertAnswer;

namespace {

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The document with its declaration replaced by `declaration`.
QByteArray declared(const QByteArray& xml, const QByteArray& declaration)
{
    return declaration + xml.mid(xml.indexOf("?>") + 2);
}

QByteArray latin1(const QString& text) { return text.toLatin1(); }

QByteArray windows1252(const QString& text)
{
    QStringEncoder encode("windows-1252");
    return encode(text);
}

class XmlRoads : public ::testing::Test {
protected:
    StartedEditor e;
    QTemporaryDir dir;

    void TearDown() override
    {
        QFile::remove(Preferences::settingsFilePath());
        QFile::remove(Resource_Path + QStringLiteral("/Links.plist"));
        testResponder().reset();
    }
    QString path(const QString& name) const { return dir.filePath(name); }

    // Every property-list road refuses `bytes` (the design road answering
    // its alert), each within the CPU time and memory given.
    void refusedCheaplyOnEveryRoad(const QByteArray& bytes, qint64 boundMiB)
    {
        const QString file = path(QStringLiteral("hostile.dcard"));
        writeAll(file, bytes);
        writeAll(Preferences::settingsFilePath(), bytes);
        writeAll(Resource_Path + QStringLiteral("/Links.plist"), bytes);
        auto cheap = [boundMiB](const char* road, auto&& call) {
            const hostile::Cost cost = hostile::measure(call);
            EXPECT_LT(cost.seconds, hostile::kCpuSeconds) << road;
            EXPECT_LT(cost.peakMiB, boundMiB) << road;
        };
        cheap("property list", [&] { EXPECT_FALSE(Plist::fromData(bytes)); });
        cheap("property-list file", [&] { EXPECT_FALSE(platform::readPlistFile(file)); });
        cheap("settings", [&] { EXPECT_EQ(Preferences::sharedInstance()->send_email_Recipient(), QString()); });
        cheap("links", [&] { EXPECT_TRUE(links::File().commandLink(QStringLiteral("website_1"), QString()).isEmpty()); });
        cheap("clipboard", [&] {
            QBXError error;
            EXPECT_FALSE(QBXGraphic::graphicsWithPasteboardData(bytes, &error));
        });
        cheap("graphic archive", [&] { EXPECT_FALSE(platform::KeyedUnarchiver::open(bytes)); });
        cheap("design", [&] {
            testResponder().answerAlert(Answer::Ok);
            EXPECT_EQ(e->Read_and_load_design_Log(file, QStringLiteral("L")), 0);
        });
    }

    // The settings road: the recipient read from the file, or the refusal.
    QString settings(const QByteArray& bytes, QString* refusal)
    {
        writeAll(Preferences::settingsFilePath(), bytes);
        refusal->clear();
        return Preferences::sharedInstance(refusal)->send_email_Recipient();
    }
};

} // namespace

// Documents of one settings file in every spelling the declaration allows:
// the Latin-1 family is decoded by its own table (not read as UTF-8, nor
// left to a reader that could switch on a second declaration); a
// declaration that is not exactly XML's, or any other encoding, is refused
// on every road with its reason.
TEST_F(XmlRoads, DeclarationsAreReadAsXmlDefinesThem)
{
    const QString value = QStringLiteral("r\u00E9cipient\u20AC\u0153@ex\u00E4mple.com");
    Plist dict = Plist::dict();
    dict.insert(QStringLiteral("SendEmailRecipient"), Plist::string(value));
    const QString xml = QString::fromUtf8(dict.toXml());
    const QString ascii = QString(xml).replace(value, QStringLiteral("r&#xE9;cipient&#x20AC;&#x153;@ex&#228;mple.com"));
    const QString noEuro = QString(xml).replace(value, QStringLiteral("r\u00E9cipient&#x20AC;&#x153;@ex\u00E4mple.com"));
    struct Read {
        QByteArray declaration;
        QByteArray body;
    };
    std::vector<Read> reads;
    for (const char* name : {"UTF-8", "utf-8", "UTF8", "utf8"})
        reads.push_back({QByteArray("<?xml version=\"1.0\" encoding=\"") + name + "\"?>", xml.toUtf8()});
    for (const char* name : {"ISO-8859-1", "iso-8859-1", "latin1", "Latin-1", "ISO_8859-1", "l1", "CP819", "IBM819"})
        reads.push_back({QByteArray("<?xml version=\"1.0\" encoding=\"") + name + "\"?>", latin1(noEuro)});
    for (const char* name : {"windows-1252", "Windows-1252", "cp1252"})
        reads.push_back({QByteArray("<?xml version=\"1.0\" encoding=\"") + name + "\"?>", windows1252(xml)});
    for (const char* name : {"US-ASCII", "us-ascii", "ASCII"})
        reads.push_back({QByteArray("<?xml version=\"1.0\" encoding=\"") + name + "\"?>", ascii.toLatin1()});
    for (const char* head : {"", "<?xml version='1.0'?>", "<?xml version = \"1.0\"\tstandalone='yes' ?>",
                             "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>"})
        reads.push_back({head, xml.toUtf8()});
    for (const Read& r : reads) {
        for (const bool comment : {false, true}) { // the direct scan and the general reader
            const QByteArray body = declared(r.body, "");
            const QByteArray bytes = r.declaration + (comment ? "<!-- -->\r\n" : "") + body;
            SCOPED_TRACE(bytes.left(80).toStdString());
            QString error, refusal;
            const std::optional<Plist> read = Plist::fromData(bytes, &error);
            ASSERT_TRUE(read) << error.toStdString();
            EXPECT_EQ(read->value(u"SendEmailRecipient").toString(), value);
            EXPECT_EQ(settings(bytes, &refusal), value);
            EXPECT_TRUE(refusal.isEmpty()) << refusal.toStdString();
        }
    }

    const QByteArray utf8 = xml.toUtf8();
    const std::pair<QByteArray, const char*> refused[] = {
        {declared(utf8, "<?xml version=\"1.0\" encoding=\"UTF-8\" encoding=\"IBM037\"?>"), "not well-formed"},
        {declared(utf8, "<?xml version=\"1.0\" encoding=\"UTF-8\" encoding=\"ISO-8859-1\"?>"), "given twice"},
        {declared(utf8, "<?xml version=\"1.0\" version=\"1.0\"?>"), "given twice"},
        {declared(utf8, "<?xml version=\"1.0\" standalone=\"yes\" encoding=\"UTF-8\"?>"), "out of order"},
        {declared(utf8, "<?xml encoding=\"UTF-8\"?>"), "no version"},
        {declared(utf8, "<?xml version=\"1.0\" charset=\"UTF-8\"?>"), "\"charset\""},
        {declared(utf8, "<?xml version=\"1.0\"encoding=\"UTF-8\"?>"), "no blank"},
        {declared(utf8, "<?xml version=\"1.0\" encoding=UTF-8?>"), "not in quotes"},
        {declared(utf8, "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"maybe\"?>"), "standalone \"maybe\""},
        {" " + utf8, "does not start"},
        {declared(utf8, "<?xml version=\"1.0\"" + QByteArray(2000, ' ') + "?>"), "not closed"},
        {declared(utf8, "<?xml version=\"1.0\" encoding=\"IBM037\"?>"), "EBCDIC (\"IBM037\")"},
        {declared(utf8, "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>"), "\"Shift_JIS\""},
        {declared(utf8, "<?xml version=\"1.0\" encoding=\"UTF-16\"?>"), "without a byte-order mark"},
        {declared(latin1(noEuro), "<?xml version=\"1.0\" encoding=\"US-ASCII\"?>"), "0xE9"},
        {declared(latin1(noEuro), "<?xml version=\"1.0\"?>"), "not valid UTF-8"},
        {"\xEF\xBB\xBF" + declared(utf8, "<?xml version=\"1.0\" encoding=\"latin1\"?>"), "marked as UTF-8"},
        {declared(windows1252(xml) + "\x90", "<?xml version=\"1.0\" encoding=\"cp1252\"?>"), "byte 0x90, which it leaves undefined"},
    };
    for (const auto& [bytes, reason] : refused) {
        SCOPED_TRACE(bytes.left(80).toStdString());
        QString error, refusal;
        EXPECT_FALSE(Plist::fromData(bytes, &error));
        EXPECT_TRUE(error.contains(QLatin1String(reason))) << error.toStdString();
        EXPECT_EQ(settings(bytes, &refusal), QString());
        EXPECT_TRUE(refusal.contains(QLatin1String(reason))) << refusal.toStdString();
        QBXError clipboard;
        EXPECT_FALSE(QBXGraphic::graphicsWithPasteboardData(bytes, &clipboard));
        EXPECT_TRUE(clipboard.localizedFailureReason.contains(QLatin1String(reason)))
            << clipboard.localizedFailureReason.toStdString();
    }
}

// A declaration naming UTF-8 and then IBM037 over 80,000 EBCDIC attribute
// declarations is refused at once on every road; the design road says why
// on screen.
TEST_F(XmlRoads, AHostileDeclarationIsRefusedQuicklyOnEveryRoad)
{
    const QByteArray hostileBytes = hostile::repeatedEncodingPlist();
    refusedCheaplyOnEveryRoad(hostileBytes, 100);
    const hostile::Cost workbook = hostile::measure([&] {
        QStringList strings;
        QString message;
        qint64 kept = 0;
        EXPECT_EQ(xlsx::readSharedStrings(path(QStringLiteral("hostile.dcard")), strings, message, kept, xlsx::maxKeptBytes),
                  xlsx::ParseResult::Malformed);
        EXPECT_TRUE(message.contains(QStringLiteral("not well-formed"))) << message.toStdString();
    });
    EXPECT_LT(workbook.seconds, hostile::kCpuSeconds);
    EXPECT_LT(workbook.peakMiB, 100);
    const QStringList alerts = testResponder().texts(QStringLiteral("alert"));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts[0].contains(QStringLiteral("\"hostile.dcard\" cannot be opened: an XML declaration that is "
                                                  "not well-formed (\"encoding\" given twice or out of order).")))
        << alerts[0].toStdString();
}

// Whatever the shape of its markup (many attributes, one repeated, deep
// nesting, long names, many namespaces), a property list costs every road
// at most two seconds of CPU time and twice its size plus 50 MB; an
// element with more attributes than a property list uses is refused before
// the general reader sees it.
TEST_F(XmlRoads, EveryShapeOfMarkupCostsWhatItHolds)
{
    const QByteArray head("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    QByteArray many, namespaces;
    for (int i = 0; i < 100000; ++i) {
        many += " a" + QByteArray::number(i) + "=\"\"";
        namespaces += " xmlns:n" + QByteArray::number(i) + "=\"u\"";
    }
    const QByteArray longName(30 << 20, 'k');
    const std::pair<QByteArray, const char*> shapes[] = {
        {head + "<plist version=\"1.0\"" + many + "><dict/></plist>", "more than one attribute"},
        {head + "<plist" + QByteArray(" a=\"1\"").repeated(1000000) + "><dict/></plist>", "more than one attribute"},
        {head + "<plist" + namespaces + "><dict/></plist>", "more than one attribute"},
        {head + "<plist>" + QByteArray("<array xmlns:n=\"u\">").repeated(1000000) + "</plist>", "nested deeper"},
        {head + hostile::nestedXml(1000000), "nested deeper"},
        {head + "<plist version=\"1.0\"><" + longName + "/></plist>", "not a property list"},
        {head + "<plist " + longName + "=\"1.0\"><" + longName + "/></plist>", "not a property list"},
    };
    for (const auto& [bytes, reason] : shapes) {
        SCOPED_TRACE(bytes.left(60).toStdString());
        QString error;
        EXPECT_FALSE(Plist::fromData(bytes, &error));
        EXPECT_TRUE(error.contains(QLatin1String(reason))) << error.toStdString();
        refusedCheaplyOnEveryRoad(bytes, 2 * (bytes.size() >> 20) + 50);
        testResponder().reset();
    }
}

// A saved design whose declaration names ISO-8859-1, US-ASCII or
// windows-1252 (every byte ASCII), or whose lines end in CR LF, opens as it
// was saved; one in EBCDIC is refused with that reason on screen, not as
// corrupt.
TEST_F(XmlRoads, DesignsInTheLatin1FamilyOpenTheSame)
{
    auto text = std::make_shared<QBXText>();
    text->Text_Value = QStringLiteral("Gr\u00FC\u00DFe");
    design_log::Stage stage = e->Design_Log_Stage();
    stage.frontGraphics.push_back(text);
    const QByteArray saved = design_log::toXml(stage);
    // Non-ASCII text as references, as a Latin-1 or ASCII writer spells it.
    QByteArray ascii;
    for (const QChar c : QString::fromUtf8(saved))
        ascii += c.unicode() < 0x80 ? QByteArray(1, char(c.unicode())) : "&#" + QByteArray::number(c.unicode()) + ";";
    const std::optional<design_log::Stage> original = design_log::decode(*Plist::fromData(saved));
    ASSERT_TRUE(original);
    for (const char* name : {"ISO-8859-1", "US-ASCII", "windows-1252", "UTF8"}) {
        for (const bool crlf : {false, true}) {
            QByteArray bytes = declared(ascii, QByteArray("<?xml version=\"1.0\" encoding=\"") + name + "\"?>");
            if (crlf)
                bytes.replace("\n", "\r\n");
            writeAll(path(QStringLiteral("latin.dcard")), bytes);
            QString reason;
            const std::optional<design_log::Stage> read = design_log::readFile(path(QStringLiteral("latin.dcard")), &reason);
            ASSERT_TRUE(read) << name << ": " << reason.toStdString();
            EXPECT_EQ(design_log::toXml(*read), design_log::toXml(*original)) << name;
        }
    }
    writeAll(path(QStringLiteral("ebcdic.dcard")), hostile::ebcdicXml(saved));
    testResponder().answerAlert(Answer::Ok);
    EXPECT_EQ(e->Read_and_load_design_Log(path(QStringLiteral("ebcdic.dcard")), QStringLiteral("L")), 0);
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
              QStringList{QStringLiteral("\n\"ebcdic.dcard\" cannot be opened: text written in EBCDIC (\"IBM037\"), "
                                         "not in UTF-8, UTF-16 or Latin-1.")});
}

// Workbook parts declaring the Latin-1 family or "UTF8" read as openpyxl
// reads them; the encoding found is the one expat reads in.
TEST_F(XmlRoads, WorkbookPartsInTheLatin1FamilyRead)
{
    const QString strings = QStringLiteral("caf\u00E9 \u20AC\u0153 \u00C6");
    auto part = [&](const char* name, const QByteArray& text) {
        return QByteArray("<?xml version=\"1.0\" encoding=\"") + name
            + "\"?><sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>" + text
            + "</t></si></sst>";
    };
    const QByteArray asciiText = "caf&#233; &#8364;&#339; &#198;";
    const std::pair<QByteArray, QString> cases[] = {
        {part("ISO-8859-1", latin1(QStringLiteral("caf\u00E9 ")) + "&#8364;&#339; " + latin1(QStringLiteral("\u00C6"))), strings},
        {part("latin1", latin1(QStringLiteral("caf\u00E9 ")) + "&#8364;&#339; " + latin1(QStringLiteral("\u00C6"))), strings},
        {part("windows-1252", windows1252(strings)), strings},
        {part("US-ASCII", asciiText), strings},
        {part("UTF8", strings.toUtf8()), strings},
    };
    const QString file = path(QStringLiteral("sharedStrings.xml"));
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(bytes.left(50).toStdString());
        writeAll(file, bytes);
        QStringList read;
        QString message;
        qint64 kept = 0;
        ASSERT_EQ(xlsx::readSharedStrings(file, read, message, kept, xlsx::maxKeptBytes), xlsx::ParseResult::Parsed) << message.toStdString();
        EXPECT_EQ(read, QStringList{expected});
    }
    // A byte windows-1252 leaves undefined is refused, as Python refuses it.
    writeAll(file, part("cp1252", QByteArray("ok \x8D")));
    QStringList read;
    QString message;
    qint64 kept = 0;
    EXPECT_EQ(xlsx::readSharedStrings(file, read, message, kept, xlsx::maxKeptBytes), xlsx::ParseResult::Malformed);
    EXPECT_TRUE(message.startsWith(QStringLiteral("text declared in windows-1252 holding the byte 0x8D, which it leaves "
                                                  "undefined at line 1"))) << message.toStdString();
}

// A 60 MB property list that is mostly one comment or blank lines is read
// within twice its size plus 50 MB and two seconds of CPU time on every
// road; one past 256 MB is
// refused with that size.
TEST_F(XmlRoads, PropertyListsAreBoundedByTheirSize)
{
    Plist dict = Plist::dict();
    dict.insert(QStringLiteral("SendEmailRecipient"), Plist::string(QStringLiteral("a@b.c")));
    const QByteArray xml = dict.toXml();
    const qsizetype size = 60 << 20;
    const QByteArray head = xml.left(xml.indexOf("<plist"));
    const QByteArray body = xml.mid(head.size());
    const QByteArray documents[] = {
        head + "<!--" + QByteArray(size, 'x') + "-->" + body,
        head + QByteArray("\r\n").repeated(size / 2) + body,
        QByteArray(body).replace("<dict>", "<dict>" + QByteArray(" \r\n\t").repeated(size / 4)),
    };
    const qint64 boundMiB = 2 * (size >> 20) + 50;
    for (const QByteArray& bytes : documents) {
        writeAll(Preferences::settingsFilePath(), bytes);
        hostile::Cost cost = hostile::measure([&] { EXPECT_EQ(Plist::fromData(bytes)->size(), 1); });
        EXPECT_LT(cost.peakMiB, boundMiB - (size >> 20)) << "data"; // the data is there before
        cost = hostile::measure([&] { EXPECT_TRUE(platform::readPlistFile(Preferences::settingsFilePath())); });
        EXPECT_LT(cost.peakMiB, boundMiB) << "file";
        cost = hostile::measure([&] { EXPECT_EQ(Preferences::sharedInstance()->send_email_Recipient(), "a@b.c"); });
        EXPECT_LT(cost.peakMiB, boundMiB) << "settings";
        EXPECT_LT(cost.seconds, hostile::kCpuSeconds);
        // The links of a window come from one read.
        writeAll(Resource_Path + QStringLiteral("/Links.plist"), bytes);
        cost = hostile::measure([&] {
            const links::File file;
            for (const char* command : {"facebook_share", "twitter_share", "support_mail", "website_1"})
                file.commandLink(QString::fromLatin1(command), QString());
        });
        EXPECT_LT(cost.peakMiB, boundMiB) << "links";
        EXPECT_LT(cost.seconds, hostile::kCpuSeconds) << "links";
    }

    QFile big(path(QStringLiteral("big.dcard")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(platform::kMaxPlistBytes + 1)); // sparse: no disk used
    big.close();
    QString reason;
    EXPECT_FALSE(platform::readPlistFile(big.fileName(), &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("256 MB"))) << reason.toStdString();
    testResponder().answerAlert(Answer::Ok);
    EXPECT_EQ(e->Read_and_load_design_Log(big.fileName(), QStringLiteral("L")), 0);
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
              QStringList{QStringLiteral("\n\"big.dcard\" cannot be opened: larger than 256 MB, the most a design holds.")});
}
