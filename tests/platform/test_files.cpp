#include "platform/files.h"
#include "platform/geometry_text.h"
#include "platform/pasteboard.h"
#include "support/file_limits.h"
#include "support/file_mode.h"
#include "support/qt_print.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <clocale>
#include <cstring>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// A writer of `size` bytes in pieces of 1,000.
std::function<bool(QIODevice&)> writeInPieces(qsizetype size)
{
    return [size](QIODevice& out) {
        const QByteArray piece(1000, 'p');
        for (qsizetype done = 0; done < size; done += piece.size())
            if (out.write(piece) != piece.size())
                return false;
        return true;
    };
}

} // namespace

TEST(ChildPath, RefusesNamesThatLeaveTheFolder)
{
    const QString folder = QStringLiteral("/data/DataSet");
    EXPECT_EQ(platform::childPath(folder, QStringLiteral("Names"), QStringLiteral("txt")),
              QStringLiteral("/data/DataSet/Names.txt"));
    EXPECT_EQ(platform::childPath(folder + QLatin1Char('/'), QStringLiteral("..x")), QStringLiteral("/data/DataSet/..x"));
    EXPECT_EQ(platform::childPath(folder, QStringLiteral(".."), QStringLiteral("txt")),
              QStringLiteral("/data/DataSet/...txt"));
    for (const QString& bad : {QString(), QStringLiteral("../../x"), QStringLiteral("a/b"), QStringLiteral("/abs"),
                               QStringLiteral(".."), QStringLiteral("."), QStringLiteral("a") + QChar(0) + QStringLiteral("b")})
        EXPECT_FALSE(platform::childPath(folder, bad).has_value()) << bad.toStdString();
    EXPECT_FALSE(platform::childPath(folder, QStringLiteral("x"), QStringLiteral("t/xt")).has_value());
}

TEST(Folders, MadePrivateLevelByLevelAndExistingOnesKept)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir().mkdir(dir.filePath(QStringLiteral("open"))));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.filePath(QStringLiteral("open"))).constData(), 0755), 0);
    EXPECT_TRUE(platform::makeFolder(dir.filePath(QStringLiteral("open/a/b"))));
    EXPECT_EQ(fileMode(dir.filePath(QStringLiteral("open"))), 0755);
    EXPECT_EQ(fileMode(dir.filePath(QStringLiteral("open/a"))), 0700);
    EXPECT_EQ(fileMode(dir.filePath(QStringLiteral("open/a/b"))), 0700);
    EXPECT_TRUE(platform::makeFolder(dir.filePath(QStringLiteral("open/a/b"))));

    QFile file(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QString error;
    EXPECT_FALSE(platform::makeFolder(file.fileName(), &error));
    EXPECT_FALSE(platform::makeFolder(file.fileName() + QStringLiteral("/sub"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(platform::makeFolder(dir.filePath(QString(300, QLatin1Char('n'))), &error));
}

TEST(AtomicWrite, ReplacesWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Names.txt"));
    ASSERT_TRUE(platform::writeFileAtomically(path, QByteArray("old\n")));
    QString error;
    // Cancelled while writing: the old content stays and no temporary is left.
    EXPECT_FALSE(platform::writeFileAtomically(
        path, [](QIODevice& out) { out.write("partial"); return false; }, platform::WriteMode::Default, &error));
    EXPECT_EQ(contentOf(path), QByteArray("old\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("Names.txt")});
    // Unwritable places.
    EXPECT_FALSE(platform::writeFileAtomically(path + QStringLiteral("/child"), QByteArray("x"),
                                               platform::WriteMode::Default, &error));
    EXPECT_FALSE(platform::writeFileAtomically(dir.filePath(QString(256, QLatin1Char('n'))), QByteArray("x"),
                                               platform::WriteMode::Default, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(platform::writeFileAtomically(path, QByteArray("new\n")));
    EXPECT_EQ(contentOf(path), QByteArray("new\n"));
}

TEST(AtomicWrite, AFailedWriteGivesTheSystemsReason)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("design"));
    ASSERT_TRUE(platform::writeFileAtomically(path, QByteArray("old")));
    QString bytesError, producedError, piecesError;
    bool bytesWritten, produced, pieces;
    {
        const FileSizeLimit limit(65536);
        bytesWritten =
            platform::writeFileAtomically(path, QByteArray(1 << 20, 'x'), platform::WriteMode::Default, &bytesError);
        produced = platform::writeFileAtomically(
            path, [](QIODevice& out) { return out.write(QByteArray(1 << 20, 'y')) == 1 << 20; },
            platform::WriteMode::Default, &producedError);
        // Small writes are gathered before they reach the file; the failed one
        // still gives its reason.
        pieces = platform::writeFileAtomically(path, writeInPieces(1 << 20), platform::WriteMode::Default, &piecesError);
    }
    EXPECT_FALSE(bytesWritten);
    EXPECT_FALSE(produced);
    EXPECT_FALSE(pieces);
    const QString reason = QString::fromLocal8Bit(std::strerror(EFBIG));
    EXPECT_EQ(bytesError, reason);
    EXPECT_EQ(producedError, reason);
    EXPECT_EQ(piecesError, reason);
    EXPECT_EQ(contentOf(path), QByteArray("old"));
}

TEST(AtomicWrite, OwnerOnlyFilesAreNeverWiderThan0600)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("password"));
    ASSERT_TRUE(platform::writeFileAtomically(path, QByteArray("wide")));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0666), 0);
    EXPECT_TRUE(platform::writeFileAtomically(path, QByteArray("secret"), platform::WriteMode::OwnerOnly));
    EXPECT_EQ(fileMode(path), 0600);
    const QString fresh = dir.filePath(QStringLiteral("fresh"));
    EXPECT_TRUE(platform::writeFileAtomically(fresh, QByteArray("secret"), platform::WriteMode::OwnerOnly));
    EXPECT_EQ(fileMode(fresh), 0600);
    EXPECT_EQ(contentOf(fresh), QByteArray("secret"));
}

// A run's new file: whole or absent, never over an existing one (not even
// one made while it is written), with the usual mode; a failure gives the
// system's reason or the writer's own and leaves no file and no descriptor,
// also when the writer throws. On file systems with unnamed temporary files,
// without them, without hard links too, and without renames that refuse to
// replace as well.
TEST(NewFile, AppearsWholeOrNotAtAll)
{
    using platform::FileSystemStandIn;
    for (const FileSystemStandIn standIn : {FileSystemStandIn::Native, FileSystemStandIn::NoUnnamedFiles,
                                            FileSystemStandIn::NoLinks, FileSystemStandIn::NoExclusiveRename}) {
        SCOPED_TRACE(int(standIn));
        platform::standInFileSystem(standIn);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Card_1.PNG"));
        const auto write = [](const QByteArray& bytes) {
            return [bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); };
        };
        const qsizetype descriptors = openDescriptors();
        const mode_t umask = ::umask(022);
        EXPECT_TRUE(platform::writeNewFile(path, write("card")));
        ::umask(umask);
        EXPECT_EQ(contentOf(path), QByteArray("card"));
        EXPECT_EQ(fileMode(path), 0644);
        QString error;
        EXPECT_FALSE(platform::writeNewFile(path, write("other"), &error));
        EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(EEXIST)));
        EXPECT_EQ(contentOf(path), QByteArray("card"));
        const QString raced = dir.filePath(QStringLiteral("Card_2.PNG"));
        EXPECT_FALSE(platform::writeNewFile(raced, [&](QIODevice& out) {
            platform::writeFileAtomically(raced, QByteArray("theirs"));
            return out.write("mine") == 4;
        }, &error));
        EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(EEXIST)));
        EXPECT_EQ(contentOf(raced), QByteArray("theirs"));

        const QString cancelled = dir.filePath(QStringLiteral("cancelled"));
        EXPECT_FALSE(platform::writeNewFile(cancelled, [](QIODevice& out) { out.write("partial"); return false; },
                                            &error));
        EXPECT_EQ(error, QStringLiteral("writing was cancelled"));
        EXPECT_FALSE(platform::writeNewFile(cancelled, [&](QIODevice&) {
            error = QStringLiteral("no pixels");
            return false;
        }, &error));
        EXPECT_EQ(error, QStringLiteral("no pixels"));
        EXPECT_THROW(platform::writeNewFile(cancelled, [](QIODevice& out) -> bool {
            out.write("partial");
            throw std::runtime_error("writer failed");
        }), std::runtime_error);
        bool large, pieces;
        QString piecesError;
        {
            const FileSizeLimit limit(65536);
            large = platform::writeNewFile(dir.filePath(QStringLiteral("large")), write(QByteArray(1 << 20, 'x')),
                                           &error);
            pieces = platform::writeNewFile(dir.filePath(QStringLiteral("pieces")), writeInPieces(1 << 20),
                                            &piecesError);
        }
        EXPECT_FALSE(large);
        EXPECT_FALSE(pieces);
        EXPECT_EQ(error, QString::fromLocal8Bit(std::strerror(EFBIG)));
        EXPECT_EQ(piecesError, QString::fromLocal8Bit(std::strerror(EFBIG)));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList({QStringLiteral("Card_1.PNG"), QStringLiteral("Card_2.PNG")}));
        EXPECT_EQ(openDescriptors(), descriptors);
        EXPECT_TRUE(platform::syncFolder(dir.path(), &error));
        EXPECT_FALSE(platform::syncFolder(dir.filePath(QStringLiteral("missing")), &error));
    }
    platform::standInFileSystem(platform::FileSystemStandIn::Native);
}

TEST(RegularFile, OnlyFilesAndLinksToThem)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("f");
    QFile(file).open(QIODevice::WriteOnly);
    QFile::link(file, dir.filePath("link"));
    EXPECT_TRUE(platform::isRegularFile(file));
    EXPECT_TRUE(platform::isRegularFile(dir.filePath("link")));
    for (const QString& other : {dir.path(), QStringLiteral("/dev/null"), dir.filePath("missing"), QString()})
        EXPECT_FALSE(platform::isRegularFile(other)) << other.toStdString();
}

TEST(Listing, OneOrderFilesFoldersAndExtensions)
{
    QTemporaryDir dir;
    for (const char* name : {"b.png", "B.PNG", "a.jpg", "_z.png", "é.png", ".hidden.png"}) {
        QFile f(dir.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Folder")));
    EXPECT_EQ(platform::listFolder(dir.path(), platform::ListKind::Files, {QStringLiteral("png")}),
              QStringList({"B.PNG", "_z.png", "b.png", QString::fromUtf8("é.png")}));
    EXPECT_EQ(platform::listFolder(dir.path(), platform::ListKind::Folders), QStringList{QStringLiteral("Folder")});
    EXPECT_EQ(platform::listFolder(dir.path()).size(), 6);
    EXPECT_TRUE(platform::listFolder(dir.filePath(QStringLiteral("missing"))).isEmpty());

    EXPECT_TRUE(platform::removePath(dir.filePath(QStringLiteral("Folder"))));
    QString error;
    EXPECT_FALSE(platform::removePath(dir.filePath(QStringLiteral("Folder")), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(GeometryText, ShortestRoundTripWithoutLocale)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "de_DE.UTF-8"); // no effect on the texts if present
    const QRectF rect(0.1, -2.5, 1e21, 1.0 / 3.0);
    const QString text = platform::rectToText(rect);
    const QString point = platform::pointToText(QPointF(243, 154.5));
    std::setlocale(LC_ALL, previous.c_str());
    EXPECT_EQ(text, QStringLiteral("{{0.1, -2.5}, {1e+21, 0.3333333333333333}}"));
    EXPECT_EQ(platform::rectFromText(text), rect);
    EXPECT_EQ(point, QStringLiteral("{243, 154.5}"));
    EXPECT_EQ(platform::pointFromText(point), QPointF(243, 154.5));
    EXPECT_EQ(platform::sizeToText(QSizeF(0, 0)), QStringLiteral("{0, 0}"));
    EXPECT_EQ(platform::sizeFromText(u" { 3 ,4 } "), QSizeF(3, 4));
}

TEST(GeometryText, MalformedTextReadsAsZeros)
{
    for (QStringView bad : {u"", u"{1, 2", u"{1,}", u"{1 2}", u"{1, 2}x", u"{1,5, 2}", u"{a, b}", u"{{1, 2}, {3}}"}) {
        EXPECT_EQ(platform::pointFromText(bad), QPointF()) << bad.toString().toStdString();
        EXPECT_EQ(platform::rectFromText(bad), QRectF()) << bad.toString().toStdString();
    }
    EXPECT_EQ(platform::sizeFromText(u"{1.5}"), QSizeF(0, 0));
}

TEST(Pasteboard, GraphicsTravelUnderThePrivateTypeBesidePdfAndTiff)
{
    platform::pasteboard::putGraphics(QByteArray("bplist00-graphics"), QByteArray("%PDF-1.4"), QByteArray());
    ASSERT_TRUE(platform::pasteboard::hasGraphics());
    EXPECT_EQ(platform::pasteboard::graphics(), QByteArray("bplist00-graphics"));
    EXPECT_STREQ(platform::pasteboard::kGraphicsType, "Quillbox 2 pasteboard type");
}
