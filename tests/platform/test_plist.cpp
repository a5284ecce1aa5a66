#include "platform/files.h"
#include "platform/plist.h"
#include "support/hostile_bytes.h"
#include "support_oracle.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <clocale>
#include <cmath>
#include <functional>
#include "support/qt_print.h"
#include <gtest/gtest.h>
#include <plist/plist.h>

using platform::Plist;

namespace {

// One value of every type, with text that XML writers get wrong.
Plist sample(bool withUid)
{
    Plist inner = Plist::dict();
    inner.insert(QStringLiteral("zulu"), Plist::integer(-7));
    inner.insert(QStringLiteral("alpha"), Plist::real(0.1));
    inner.insert(QStringLiteral("mike"), Plist::boolean(false));
    Plist list = Plist::array();
    list.append(Plist::string(QStringLiteral("line one\r\nline two\ttab")));
    list.append(Plist::string(QString::fromUtf8("astral \xF0\x9F\x8E\x89 and <&> \"quotes\"")));
    list.append(Plist::data(QByteArray("\x00\x01\xff binary", 10)));
    list.append(Plist::real(-2.5e-300));
    list.append(Plist::integer(std::numeric_limits<qint64>::min()));
    list.append(Plist::date(QDateTime(QDate(2024, 2, 29), QTime(13, 14, 15), Qt::UTC)));
    list.append(Plist::string(QString()));
    list.append(Plist::array());
    Plist root = Plist::dict();
    root.insert(QStringLiteral("z-last-first"), Plist::boolean(true));
    root.insert(QStringLiteral("inner"), inner);
    root.insert(QStringLiteral("list"), list);
    root.insert(QString::fromUtf8("k\xC3\xA9y \xF0\x9D\x84\x9E"), Plist::integer(42));
    if (withUid)
        root.insert(QStringLiteral("ref"), Plist::uid(3));
    return root;
}

QString controlText()
{
    QString text = QStringLiteral("bell");
    for (char16_t c = 1; c < 0x20; ++c)
        text.append(QChar(c));
    return text + QStringLiteral("end\r");
}

// plistlib's XML writer turns CR and CRLF into LF; its binary writer keeps them.
Plist crToLf(const Plist& v)
{
    if (v.type() == Plist::Type::String) {
        QString text = v.toString();
        return Plist::string(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    }
    if (v.isArray()) {
        Plist out = Plist::array();
        for (int i = 0; i < v.size(); ++i)
            out.append(crToLf(v.at(i)));
        return out;
    }
    if (v.isDict()) {
        Plist out = Plist::dict();
        for (int i = 0; i < v.size(); ++i)
            out.insert(v.keyAt(i), crToLf(v.valueAt(i)));
        return out;
    }
    return v;
}

// The same value as a libplist node (strings without control characters).
plist_t peerNode(const Plist& v)
{
    switch (v.type()) {
    case Plist::Type::Bool: return plist_new_bool(v.toBool());
    case Plist::Type::Integer: return plist_new_uint(uint64_t(v.toInteger()));
    case Plist::Type::Real: return plist_new_real(v.toReal());
    case Plist::Type::String: return plist_new_string(v.toString().toUtf8().constData());
    case Plist::Type::Data: return plist_new_data(v.toData().constData(), uint64_t(v.toData().size()));
    case Plist::Type::Date: {
        const qint64 ms = QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).msecsTo(v.toDate());
        return plist_new_date(int32_t(std::floor(double(ms) / 1000)), int32_t(((ms % 1000) + 1000) % 1000 * 1000));
    }
    case Plist::Type::Uid: return plist_new_uid(v.toUid());
    case Plist::Type::Array: {
        plist_t a = plist_new_array();
        for (int i = 0; i < v.size(); ++i)
            plist_array_append_item(a, peerNode(v.at(i)));
        return a;
    }
    case Plist::Type::Dict: {
        plist_t d = plist_new_dict();
        for (int i = 0; i < v.size(); ++i)
            plist_dict_set_item(d, v.keyAt(i).toUtf8().constData(), peerNode(v.valueAt(i)));
        return d;
    }
    case Plist::Type::Absent: break;
    }
    return nullptr;
}

QByteArray peerXml(const Plist& v)
{
    plist_t node = peerNode(v);
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    const QByteArray out(xml, qsizetype(length));
    plist_to_xml_free(xml);
    plist_free(node);
    return out;
}

} // namespace

TEST(Plist, XmlLayoutIsTheOneFilesHaveAlwaysHad)
{
    // libplist wrote our XML before: files keep its layout byte for byte.
    Plist nested = Plist::array();
    QByteArray bytes;
    for (int i = 0; i < 300; ++i)
        bytes.append(char(i * 7));
    Plist level = Plist::array();
    for (int depth = 11; depth >= 0; --depth) {
        Plist up = Plist::array();
        up.append(Plist::data(bytes.left(depth * 25)));
        up.append(std::move(level));
        level = std::move(up);
    }
    Plist root = Plist::dict();
    root.insert(QStringLiteral("text & <markup> \"'\t\n]]>"), Plist::string(QString::fromUtf8("Zo\xC3\xAB \xF0\x9F\x8E\x89 &<>")));
    root.insert(QStringLiteral("empty"), Plist::string(QString()));
    root.insert(QStringLiteral("nested"), level);
    root.insert(QStringLiteral("none"), Plist::dict());
    Plist numbers = Plist::array();
    for (qint64 n : {qint64(0), qint64(-5), qint64(42), std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()})
        numbers.append(Plist::integer(n));
    for (double r : {0.0, -0.0, 1.5, 0.1, -2.0, 1e300, 1e-300, 1e16, 1e17, 5e-324, double(0.3f), 1.0 / 3.0,
                     double(INFINITY), -double(INFINITY), double(NAN)})
        numbers.append(Plist::real(r));
    for (double d : {0.0, 1e8 + 0.5, -100.0, 2e9, -2e9})
        numbers.append(Plist::dateSinceReference(d));
    numbers.append(Plist::boolean(true));
    numbers.append(Plist::boolean(false));
    numbers.append(Plist::uid(7));
    numbers.append(Plist::data(QByteArray()));
    root.insert(QStringLiteral("numbers"), numbers);
    EXPECT_EQ(root.toXml(), peerXml(root));
    EXPECT_EQ(Plist::string(QStringLiteral("top")).toXml(), peerXml(Plist::string(QStringLiteral("top"))));
    EXPECT_EQ(Plist::data(bytes).toXml(), peerXml(Plist::data(bytes)));
}

TEST(Plist, EveryCharacterSurvivesXmlAndBothReadersAgree)
{
    // Every character, and text that looks like the reader's own escapes.
    QString all = hostile::everyCharacter();
    for (char16_t c : {0xDC00, 0xD800, 0x20, 0xFDD0, 0xE020, 0xFDD0, 0xFDD0, 0xFFFF})
        all.append(QChar(c));
    all.append(QStringLiteral(" &#xfffe; "));
    Plist root = Plist::dict();
    root.insert(all, Plist::string(all));
    root.insert(QStringLiteral("sample"), sample(true));
    const QByteArray xml = root.toXml();
    const std::optional<Plist> back = Plist::fromData(xml);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->keyAt(0), all);
    EXPECT_EQ(back->valueAt(0).toString(), all);
    EXPECT_TRUE(*back == root);
    EXPECT_TRUE(Plist::fromData(hostile::withComment(xml)) == back);

    // Files another writer made with raw U+FFFE or U+FFFF read too.
    const std::optional<Plist> raw = Plist::fromData(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><string>a\xEF\xBF\xBE\xEF\xBF\xBF</string></plist>");
    ASSERT_TRUE(raw);
    EXPECT_EQ(raw->toString(), QString::fromUtf16(u"a\uFFFE\uFFFF"));

    // Damaged documents are refused by both.
    for (const QByteArray& bad : {xml.left(xml.size() / 2), QByteArray(xml).replace("</key>", "</kex>"),
                                  QByteArray(xml).replace("<string>", "<string>&#x110000;"),
                                  QByteArray(xml).replace("&amp;", "&amp"),
                                  QByteArray(xml).replace("<dict>", "<dict><integer>1</integer>")}) {
        EXPECT_FALSE(Plist::fromData(bad));
        EXPECT_FALSE(Plist::fromData(hostile::withComment(bad)));
    }
}

TEST(Plist, EveryTypeRoundTripsThroughBothFormatsInOrder)
{
    const Plist original = sample(true);
    for (const auto format : {Plist::Format::Xml, Plist::Format::Binary}) {
        const QByteArray bytes = original.serialize(format);
        ASSERT_FALSE(bytes.isEmpty());
        const auto back = Plist::fromData(bytes);
        ASSERT_TRUE(back.has_value());
        EXPECT_TRUE(*back == original) << bytes.constData();
        EXPECT_EQ(back->keyAt(0), QStringLiteral("z-last-first"));
        EXPECT_EQ(back->value(u"inner").keyAt(0), QStringLiteral("zulu"));
        EXPECT_EQ(back->value(u"ref").toUid(), 3u);
    }
}

TEST(Plist, ControlCharactersAndCarriageReturnSurviveXml)
{
    Plist root = Plist::dict();
    root.insert(QStringLiteral("key\r\x01"), Plist::string(controlText()));
    const QByteArray xml = root.toXml();
    EXPECT_TRUE(xml.contains("&#x1;"));
    EXPECT_TRUE(xml.contains("&#13;"));
    EXPECT_FALSE(xml.contains('\r'));
    EXPECT_FALSE(xml.contains('\x01'));
    const auto back = Plist::fromData(xml);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->value(u"key\r\x01").toString(), controlText());
}

TEST(Plist, NulCharacterIsTheOnlyLoss)
{
    Plist root = Plist::array();
    root.append(Plist::string(QStringLiteral("a") + QChar(0) + QStringLiteral("b")));
    for (const auto format : {Plist::Format::Xml, Plist::Format::Binary}) {
        const auto back = Plist::fromData(root.serialize(format));
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->at(0).toString(), QStringLiteral("ab"));
    }
}

TEST(Plist, BadIndexOrWrongTypeGivesAbsentOrDefault)
{
    const Plist root = sample(false);
    EXPECT_TRUE(root.value(u"missing").isAbsent());
    EXPECT_TRUE(root.at(0).isAbsent()); // a dictionary is not an array
    const Plist& list = root.value(u"list");
    EXPECT_TRUE(list.at(-1).isAbsent());
    EXPECT_TRUE(list.at(list.size()).isAbsent());
    EXPECT_TRUE(list.at(0).value(u"x").isAbsent());
    EXPECT_EQ(list.at(0).toInteger(5), 5);
    EXPECT_EQ(root.value(u"inner").value(u"zulu").toReal(1.5), 1.5);
    EXPECT_FALSE(list.at(3).toDate().isValid());
    EXPECT_TRUE(list.at(6).toString().isEmpty());
}

TEST(Plist, InsertReplacesInPlaceAndRemoveKeepsOrder)
{
    Plist d = Plist::dict();
    d.insert(QStringLiteral("a"), Plist::integer(1));
    d.insert(QStringLiteral("b"), Plist::integer(2));
    d.insert(QStringLiteral("c"), Plist::integer(3));
    d.insert(QStringLiteral("a"), Plist::integer(9));
    EXPECT_TRUE(d.remove(u"b"));
    EXPECT_FALSE(d.remove(u"b"));
    ASSERT_EQ(d.size(), 2);
    EXPECT_EQ(d.keyAt(0), QStringLiteral("a"));
    EXPECT_EQ(d.valueAt(0).toInteger(), 9);
    EXPECT_EQ(d.keyAt(1), QStringLiteral("c"));
}

TEST(Plist, BadDataIsAnError)
{
    const QByteArray good = sample(true).toBinary();
    const QByteArray xml = sample(false).toXml();
    const QList<QByteArray> bad = {
        QByteArray(),
        QByteArray("garbage that is no property list"),
        good.left(good.size() - 9),
        xml.left(xml.size() / 2),
        QByteArray("bplist00"),
        QByteArray(64, '\0'),
    };
    for (const QByteArray& bytes : bad) {
        QString error;
        EXPECT_FALSE(Plist::fromData(bytes, &error).has_value()) << bytes.size();
        EXPECT_FALSE(error.isEmpty());
    }
    // An absent value has no serial form, nested or not.
    Plist withHole = Plist::array();
    withHole.append(Plist());
    EXPECT_TRUE(withHole.toXml().isEmpty());
    EXPECT_TRUE(withHole.toBinary().isEmpty());
}

TEST(Plist, RealsIgnoreACommaDecimalLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed";
    Plist root = Plist::array();
    root.append(Plist::real(2.5));
    root.append(Plist::real(0.1));
    root.append(Plist::real(-1234567.890625));
    const QByteArray xml = root.toXml();
    const auto back = Plist::fromData(xml);
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_TRUE(xml.contains("<real>2.5</real>")) << xml.constData();
    ASSERT_TRUE(back.has_value());
    EXPECT_TRUE(*back == root);
}

TEST(Plist, FailedAtomicWriteLeavesTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("design.dcard"));
    ASSERT_TRUE(platform::writePlistFile(path, sample(false), Plist::Format::Xml));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    Plist bad = Plist::array();
    bad.append(Plist::string(QStringLiteral("x")));
    bad.append(Plist());
    QString error;
    EXPECT_FALSE(platform::writePlistFile(path, bad, Plist::Format::Xml, &error));
    EXPECT_FALSE(error.isEmpty());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    f.close();

    // A parent that is a file cannot hold the new file.
    EXPECT_FALSE(platform::writePlistFile(path + QStringLiteral("/child.plist"), sample(false),
                                          Plist::Format::Binary, &error));
    const auto back = platform::readPlistFile(path, &error);
    ASSERT_TRUE(back.has_value());
    EXPECT_TRUE(*back == sample(false));
    EXPECT_FALSE(platform::readPlistFile(dir.filePath(QStringLiteral("none.plist")), &error).has_value());
}

TEST(Plist, StreamedXmlIsTheTextOfTheValueSentInPieces)
{
    // Rows of repeated keys (and more distinct keys than the reader keeps
    // at hand), well over one piece of text.
    Plist rows = Plist::array();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rows.plist"));
    auto stream = [&](QIODevice& device, bool spoil) {
        platform::PlistXmlWriter out(&device);
        out.beginArray();
        for (int r = 0; r < 3000; ++r) {
            out.beginDict();
            Plist row = Plist::dict();
            for (int k = 0; k < 5 + r % 20; ++k) {
                const QString key = QStringLiteral("Column%1").arg(k);
                const QString text = QStringLiteral("Zoë & <%1>").arg(r * k);
                out.key(key);
                out.string(text);
                row.insert(key, Plist::string(text));
            }
            out.key(u"picture");
            out.data(QByteArray(r % 7, char(r)));
            row.insert(QStringLiteral("picture"), Plist::data(QByteArray(r % 7, char(r))));
            out.end();
            if (!spoil)
                rows.append(std::move(row));
        }
        out.value(sample(true));
        if (spoil)
            out.value(Plist());
        out.end();
        return out.finish();
    };
    ASSERT_TRUE(platform::writeFileAtomically(path, [&](QIODevice& f) { return stream(f, false); }));
    rows.append(sample(true));
    const QByteArray whole = rows.toXml();
    ASSERT_GT(whole.size(), 4 * 64 * 1024);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), whole);
    f.close();
    const std::optional<Plist> back = platform::readPlistFile(path);
    ASSERT_TRUE(back);
    EXPECT_TRUE(*back == rows);

    // Failing after pieces went out keeps the old file and leaves nothing.
    EXPECT_FALSE(platform::writeFileAtomically(path, [&](QIODevice& f) { return stream(f, true); }));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), whole);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("rows.plist")});

    // Text that is no property list is refused.
    using Steps = std::function<void(platform::PlistXmlWriter&)>;
    for (const Steps& wrong : std::vector<Steps>{
             [](auto& out) { out.beginArray(); out.key(u"k"); out.end(); },
             [](auto& out) { out.beginDict(); out.string(u"v"); out.end(); },
             [](auto& out) { out.beginDict(); out.key(u"k"); out.end(); },
             [](auto& out) { out.beginArray(); },
             [](auto& out) { out.end(); },
             [](auto& out) { out.string(u"one"); out.string(u"two"); },
             [](auto& out) { for (int i = 0; i < 600; ++i) out.beginArray(); for (int i = 0; i < 600; ++i) out.end(); },
         }) {
        platform::PlistXmlWriter out;
        wrong(out);
        EXPECT_FALSE(out.finish());
    }
    // A device that takes nothing.
    QBuffer closed;
    platform::PlistXmlWriter out(&closed);
    out.value(rows);
    EXPECT_FALSE(out.finish());
}

TEST(Plist, PythonPlistlibAndXmllintAgree)
{
    QTemporaryDir dir;
    const QString xmlPath = dir.filePath(QStringLiteral("ours.plist"));
    const QString binPath = dir.filePath(QStringLiteral("ours.bplist"));
    Plist forXml = sample(false);
    forXml.insert(QStringLiteral("cr"), Plist::string(QStringLiteral("a\rb\r\n")));
    ASSERT_TRUE(platform::writePlistFile(xmlPath, forXml, Plist::Format::Xml));
    ASSERT_TRUE(platform::writePlistFile(binPath, sample(true), Plist::Format::Binary));

    const auto lint = oracle::run(QStringLiteral("xmllint"), {QStringLiteral("--noout"), xmlPath});
    EXPECT_EQ(lint.exitCode, 0) << lint.err.constData();

    // plistlib reads our files and writes them back in both formats, keeping
    // the key order; we must read its output as the same values.
    const QString script = QStringLiteral(
        "import plistlib, sys\n"
        "v = plistlib.load(open(sys.argv[1], 'rb'))\n"
        "fmt = plistlib.FMT_XML if sys.argv[3] == 'xml' else plistlib.FMT_BINARY\n"
        "open(sys.argv[2], 'wb').write(plistlib.dumps(v, fmt=fmt, sort_keys=False))\n");
    struct Case {
        QString in;
        QString format;
        Plist expected;
    };
    const Case cases[] = {{xmlPath, QStringLiteral("xml"), crToLf(forXml)},
                          {xmlPath, QStringLiteral("binary"), forXml},
                          {binPath, QStringLiteral("binary"), sample(true)}};
    for (const Case& c : cases) {
        const QString out = dir.filePath(QStringLiteral("theirs-") + c.format);
        const auto result = oracle::python(script, {c.in, out, c.format});
        ASSERT_EQ(result.exitCode, 0) << result.err.constData();
        QString error;
        const auto back = platform::readPlistFile(out, &error);
        ASSERT_TRUE(back.has_value()) << qPrintable(error);
        EXPECT_TRUE(*back == c.expected) << qPrintable(c.in) << " -> " << qPrintable(c.format);
    }
}

namespace {

// Bytes this process has read from files so far (the kernel's count).
qint64 bytesReadByProcess()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

} // namespace

TEST(Plist, FilesOverTheLimitAreRefusedUnread)
{
    QTemporaryDir dir;
    QFile big(dir.filePath(QStringLiteral("big.plist")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(platform::kMaxPlistBytes + 1)); // sparse: no disk used
    big.close();
    QString error;
    const qint64 before = bytesReadByProcess();
    ASSERT_GE(before, 0);
    EXPECT_FALSE(platform::readPlistFile(big.fileName(), &error).has_value());
    EXPECT_LT(bytesReadByProcess() - before, 1 << 20); // none of its 256 MB
    EXPECT_TRUE(error.contains(QStringLiteral("256 MB")));
}
