// The project's own resources: generated pictures decode in an independent
// reader as the format their name declares, the generator is deterministic,
// and the title and message lists are valid UTF-8 within the field limits.
#include "support/bounded_wait.h"
#include "wizards/Title_Message_Lists.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kShare = QStringLiteral(CARDWRIGHT_BINARY_DIR "/share/cardwright");
const QString kGenerator = QStringLiteral(CARDWRIGHT_BINARY_DIR "/bin/cw_make_resources");

QByteArray digestOfFolder(const QString& folder)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly)) {
            hash.addData(name.toUtf8());
            hash.addData(f.readAll());
        }
    }
    return hash.result();
}

} // namespace

TEST(Resources, GeneratedPicturesDecodeInPilAsTheirDeclaredFormat)
{
    const QDir backgrounds(kShare + QStringLiteral("/Background"));
    const QStringList names = backgrounds.entryList(QDir::Files, QDir::Name);
    ASSERT_GE(names.size(), 20);
    QStringList paths{kShare + QStringLiteral("/Wizard_pattern.jpg")};
    for (const QString& n : names)
        paths << backgrounds.filePath(n);
    // Clip art: about six category folders of six to ten pictures each.
    const QDir library(kShare + QStringLiteral("/LibraryImage"));
    const QStringList categories = library.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    EXPECT_GE(categories.size(), 5);
    EXPECT_TRUE(categories.contains(QStringLiteral("party cards")));
    for (const QString& c : categories) {
        const QDir category(library.filePath(c));
        const QStringList pictures = category.entryList({QStringLiteral("*.png"), QStringLiteral("*.jpg")}, QDir::Files);
        EXPECT_TRUE(pictures.size() >= 6 && pictures.size() <= 10) << c.toStdString();
        for (const QString& n : pictures)
            paths << category.filePath(n);
    }
    const char* script = R"(
import sys
from PIL import Image
for p in sys.argv[1:]:
    with Image.open(p) as im:
        im.load()
        want = 'PNG' if p.lower().endswith('.png') else 'JPEG'
        if im.format != want or im.width < 16 or im.height < 16:
            print('bad', p, im.format, im.size)
            sys.exit(1)
print('ok', len(sys.argv) - 1)
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), QString::fromLatin1(script)} + paths);
    ASSERT_TRUE(python.waitForFinished(kHangMilliseconds));
    const QByteArray out = python.readAllStandardOutput() + python.readAllStandardError();
    EXPECT_EQ(python.exitCode(), 0) << out.toStdString();
    EXPECT_TRUE(out.startsWith("ok")) << out.toStdString();
    // Both formats are there.
    EXPECT_TRUE(names.filter(QStringLiteral(".png")).size() > 5);
    EXPECT_TRUE(names.filter(QStringLiteral(".jpg")).size() > 5);
}

TEST(Resources, GeneratorWritesTheSameFilesEveryTime)
{
    QTemporaryDir a, b;
    for (const QTemporaryDir* dir : {&a, &b}) {
        const int code = QProcess::execute(kGenerator, {QStringLiteral("--backgrounds"), dir->path(),
                                                        QStringLiteral("4"), QStringLiteral("320"), QStringLiteral("240")});
        ASSERT_EQ(code, 0);
    }
    EXPECT_EQ(QDir(a.path()).entryList(QDir::Files).size(), 4);
    EXPECT_EQ(digestOfFolder(a.path()), digestOfFolder(b.path()));
    EXPECT_NE(QProcess::execute(kGenerator, {QStringLiteral("--backgrounds"), a.path(), QStringLiteral("1"),
                                             QStringLiteral("0"), QStringLiteral("10")}),
              0);
}

TEST(Resources, ListsAreUtf8WithinTheFieldLimits)
{
    for (const auto& [name, limit] : {std::pair{"Title.txt", 100}, std::pair{"Message.txt", 250}}) {
        const QString path = QStringLiteral(CARDWRIGHT_SOURCE_DIR "/resources/") + QString::fromLatin1(name);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = f.readAll();
        EXPECT_FALSE(bytes.contains('\r')) << name;
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8.decode(bytes);
        EXPECT_FALSE(utf8.hasError()) << name;
        bool nonAscii = false;
        for (QChar c : text)
            nonAscii |= c.unicode() > 127;
        EXPECT_TRUE(nonAscii) << name;
        const QStringList entries = Title_Message_Lists::Load_List_File(path);
        EXPECT_GE(entries.size(), 10) << name;
        for (const QString& entry : entries) {
            EXPECT_FALSE(entry.trimmed().isEmpty()) << name;
            EXPECT_LE(entry.size(), limit) << entry.toStdString();
        }
    }
}

TEST(Resources, BuiltInTemplatesArePairsThatIndependentReadersAccept)
{
    const QDir templates(kShare + QStringLiteral("/Templates"));
    const QStringList previews = templates.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
    ASSERT_GE(previews.size(), 6);
    QStringList args;
    for (const QString& p : previews)
        args << templates.filePath(p);
    const char* script = R"(
import plistlib, sys
from PIL import Image
sizes = set()
for p in sys.argv[1:]:
    with Image.open(p) as im:
        im.load()
        assert im.format == 'PNG' and im.height % 2 == 0, (p, im.format, im.size)
        sizes.add(im.size)
    with open(p[:-4] + '.dcard', 'rb') as f:
        log = plistlib.load(f)
    assert 'VELTCARDPROJECTHEADER' in repr(log)[:400], p
assert len(sizes) >= 3, sizes
print('ok', len(sys.argv) - 1)
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), QString::fromLatin1(script)} + args);
    ASSERT_TRUE(python.waitForFinished(kHangMilliseconds));
    const QByteArray out = python.readAllStandardOutput() + python.readAllStandardError();
    EXPECT_TRUE(out.startsWith("ok")) << out.toStdString();
}
