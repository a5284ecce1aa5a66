// The zip wrapper against Python's zipfile and unzip: packing a tree,
// unpacking foreign archives, and refusing bad ones without leaving files.
#include "batch/CardZipArchive.h"
#include "batch/support_batch.h"
#include "platform/threads.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace batchtest;

namespace {

class ZipArchive : public ::testing::Test
{
protected:
    void TearDown() override { CardZipArchive::Max_Unpacked_Bytes = CardZipArchive::Default_Max_Unpacked_Bytes; }

    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    // Unzips into base/dest beside a sentinel file; returns the error code (0 for YES).
    int unzipBesideSentinel(const QString& archive, bool overwrite = true)
    {
        writeFile(path(QStringLiteral("base/sentinel")), "keep");
        CardZipArchive::Error error;
        const bool ok = CardZipArchive::unzipFileAtPath_toDestination_overwrite_password_error(
            archive, path(QStringLiteral("base/dest")), overwrite, QString(), &error);
        EXPECT_EQ(ok, error.code == 0);
        if (!ok) {
            EXPECT_EQ(error.domain, QStringLiteral("CardZipArchiveErrorDomain"));
        }
        return ok ? 0 : error.code;
    }

    QTemporaryDir dir;
};

TEST_F(ZipArchive, PackedTreeIsReadByZipfileAndUnzip)
{
    const QByteArray binary = QByteArray("\x00\x01\xff\xfe", 4).repeated(9000);
    writeFile(path(QStringLiteral("src/[Content_Types].xml")), "<Types/>");
    writeFile(path(QStringLiteral("src/xl/a.xml")), "<a/>");
    writeFile(path(QStringLiteral("src/xl/deep/b.bin")), binary);
    ASSERT_TRUE(QDir().mkpath(path(QStringLiteral("src/empty"))));

    const QString archive = path(QStringLiteral("out.zip"));
    ASSERT_TRUE(CardZipArchive::createZipFileAtPath_withFilesAtPaths(
        archive, {path(QStringLiteral("src/[Content_Types].xml")), path(QStringLiteral("src/xl/")),
                  path(QStringLiteral("src/empty"))}));

    const ProcessResult listing = python(QStringLiteral(R"(
import sys, zipfile, hashlib
with zipfile.ZipFile(sys.argv[1]) as z:
    assert z.testzip() is None
    for i in z.infolist():
        print(i.filename, i.file_size, hashlib.md5(z.read(i)).hexdigest())
)"),
                                         {archive});
    ASSERT_EQ(listing.exitCode, 0) << listing.err.constData();
    const QByteArray md5Bin = QCryptographicHash::hash(binary, QCryptographicHash::Md5).toHex();
    EXPECT_EQ(listing.out, "[Content_Types].xml 8 " +
                               QCryptographicHash::hash("<Types/>", QCryptographicHash::Md5).toHex() +
                               "\nxl/a.xml 4 " + QCryptographicHash::hash("<a/>", QCryptographicHash::Md5).toHex() +
                               "\nxl/deep/b.bin 36000 " + md5Bin + "\nempty/ 0 d41d8cd98f00b204e9800998ecf8427e\n");
    EXPECT_EQ(run(QStringLiteral("unzip"), {QStringLiteral("-tq"), archive}).exitCode, 0);

    // And it comes back whole through our own unzip.
    ASSERT_EQ(unzipBesideSentinel(archive), 0);
    EXPECT_EQ(treeOf(path(QStringLiteral("base/dest"))),
              QStringList({"[Content_Types].xml", "empty", "xl", "xl/a.xml", "xl/deep", "xl/deep/b.bin"}));
    EXPECT_EQ(readFile(path(QStringLiteral("base/dest/xl/deep/b.bin"))), binary);
}

TEST_F(ZipArchive, ForeignArchiveWithBackslashesAndFolderEntries)
{
    const QString archive = path(QStringLiteral("win.zip"));
    pythonZip(archive, {{"dir\\", ""}, {"dir\\sub\\f.txt", "inner"}, {"top.txt", "new"}, {"other/x.txt", "x"}});
    writeFile(path(QStringLiteral("base/dest/top.txt")), "old");

    ASSERT_EQ(unzipBesideSentinel(archive, /*overwrite*/ false), 0);
    EXPECT_EQ(treeOf(path(QStringLiteral("base/dest"))),
              QStringList({"dir", "dir/sub", "dir/sub/f.txt", "other", "other/x.txt", "top.txt"}));
    EXPECT_EQ(readFile(path(QStringLiteral("base/dest/dir/sub/f.txt"))), "inner");
    EXPECT_EQ(readFile(path(QStringLiteral("base/dest/top.txt"))), "old");
    // The entry's date is restored as local time.
    EXPECT_EQ(QFileInfo(path(QStringLiteral("base/dest/other/x.txt"))).lastModified(),
              QDateTime(QDate(2020, 1, 2), QTime(3, 4, 6)));

    ASSERT_EQ(unzipBesideSentinel(archive, /*overwrite*/ true), 0);
    EXPECT_EQ(readFile(path(QStringLiteral("base/dest/top.txt"))), "new");
}

TEST_F(ZipArchive, NotAZipOrEmptyIsRefused)
{
    writeFile(path(QStringLiteral("renamed.xlsx")), "PK but really an old binary workbook");
    EXPECT_EQ(unzipBesideSentinel(path(QStringLiteral("renamed.xlsx"))), CardZipArchive::ErrorOpenArchive);
    EXPECT_EQ(unzipBesideSentinel(path(QStringLiteral("missing.xlsx"))), CardZipArchive::ErrorOpenArchive);

    const QString whole = path(QStringLiteral("whole.zip"));
    pythonZip(whole, {{"a.txt", QByteArray(5000, 'a')}, {"b.txt", "b"}});
    const QByteArray bytes = readFile(whole);
    writeFile(path(QStringLiteral("truncated.zip")), bytes.left(bytes.size() / 2));
    EXPECT_EQ(unzipBesideSentinel(path(QStringLiteral("truncated.zip"))), CardZipArchive::ErrorOpenArchive);

    pythonZip(path(QStringLiteral("empty.zip")), {});
    CardZipArchive::Error error;
    EXPECT_FALSE(CardZipArchive::unzipFileAtPath_toDestination_overwrite_password_error(
        path(QStringLiteral("empty.zip")), path(QStringLiteral("base/dest")), true, QString(), &error));
    EXPECT_EQ(error.code, CardZipArchive::ErrorFirstEntry);
    EXPECT_EQ(error.localizedDescription, QStringLiteral("failed to open first file in zip file"));
    EXPECT_EQ(treeOf(path(QStringLiteral("base"))), QStringList({"sentinel"}));
}

TEST_F(ZipArchive, UnsafeNamesRefuseTheWholeArchive)
{
    for (const QString name : {"../x", "a/../../x", "..\\x", "/tmp/cw-absolute-x", "ok/.."}) {
        SCOPED_TRACE(name.toStdString());
        const QString archive = path(QStringLiteral("unsafe.zip"));
        pythonZip(archive, {{"first.txt", "written before the bad name?"}, {name, "escaped"}});
        EXPECT_EQ(unzipBesideSentinel(archive), CardZipArchive::ErrorUnsafePath);
        EXPECT_EQ(treeOf(path(QStringLiteral("base"))), QStringList({"sentinel"}));
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("x"))));
        EXPECT_FALSE(QFile::exists(QStringLiteral("/tmp/cw-absolute-x")));
    }
}

TEST_F(ZipArchive, CorruptOrOversizedArchivesLeaveNothing)
{
    // A flipped byte inside a stored entry fails its CRC.
    const QString archive = path(QStringLiteral("flipped.zip"));
    const QByteArray payload = QByteArray("payload-").repeated(64);
    pythonZip(archive, {{"good.txt", "fine"}, {"bad.txt", payload}}, /*stored*/ true);
    QByteArray bytes = readFile(archive);
    const qsizetype at = bytes.indexOf(payload) + 100;
    bytes[at] = char(bytes[at] ^ 0x20);
    writeFile(archive, bytes);
    EXPECT_EQ(unzipBesideSentinel(archive), CardZipArchive::ErrorCorrupt);
    EXPECT_EQ(treeOf(path(QStringLiteral("base"))), QStringList({"sentinel"}));

    // Zeros that deflate to almost nothing, past a lowered limit.
    const QString bomb = path(QStringLiteral("zeros.zip"));
    pythonZip(bomb, {{"a.bin", QByteArray(40000, '\0')}, {"b.bin", QByteArray(40000, '\0')}});
    CardZipArchive::Max_Unpacked_Bytes = 64 * 1024;
    EXPECT_EQ(unzipBesideSentinel(bomb), CardZipArchive::ErrorTooLarge);
    EXPECT_EQ(treeOf(path(QStringLiteral("base"))), QStringList({"sentinel"}));
    CardZipArchive::Max_Unpacked_Bytes = 80000;
    EXPECT_EQ(unzipBesideSentinel(bomb), 0);

    // A file where a folder is needed cannot be written.
    QDir(path(QStringLiteral("base/dest"))).removeRecursively();
    const QString clash = path(QStringLiteral("clash.zip"));
    pythonZip(clash, {{"a", "file"}, {"a/b.txt", "under a file"}});
    writeFile(path(QStringLiteral("base/dest/keep.txt")), "mine");
    EXPECT_EQ(unzipBesideSentinel(clash), CardZipArchive::ErrorWriteFailed);
    EXPECT_EQ(treeOf(path(QStringLiteral("base/dest"))), QStringList({"keep.txt"}));
}

// Large archives unpack on several threads: whatever breaks, the outcome
// (error, files left, files reported) is the one of the ordered road, also
// when the system refuses some or all of the worker threads.
TEST_F(ZipArchive, ThreadedUnpackingEndsAsTheOrderedOne)
{
    const QByteArray big = QByteArray("row-").repeated(20000);
    const QByteArray payload = QByteArray("payload-").repeated(64);
    struct Case
    {
        Entries entries;
        bool flip;     // a byte of the payload flipped: its entry fails its CRC
        bool xlIsFile; // the destination holds a file "xl": xl/c.txt cannot be written
        QStringList reported;
    };
    const QList<Case> cases = {
        {{{"a.bin", big}, {"xl/c.txt", "c"}, {"b.bin", big}}, false, false, {"a.bin", "b.bin", "xl/c.txt"}},
        {{{"d.txt", "first"}, {"a.bin", big}, {"d.txt", "second"}}, false, false, {"a.bin", "d.txt", "d.txt"}},
        {{{"a.bin", big}, {"bad.txt", payload}, {"xl/c.txt", "c"}}, true, false, {}},
        {{{"a.bin", big}, {"bad.txt", payload}, {"xl/c.txt", "c"}}, true, true, {}},
        {{{"a.bin", big}, {"xl/c.txt", "c"}, {"bad.txt", payload}}, true, true, {}},
    };
    const qint64 usual = CardZipArchive::Parallel_Unpack_Bytes;
    const QString archive = path(QStringLiteral("case.zip"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entries.constFirst().first.toStdString() + c.entries.constLast().first.toStdString());
        pythonZip(archive, c.entries, /*stored*/ true);
        if (c.flip) {
            QByteArray bytes = readFile(archive);
            const qsizetype at = bytes.indexOf(payload) + 100;
            bytes[at] = char(bytes[at] ^ 0x20);
            writeFile(archive, bytes);
        }
        QList<std::pair<int, QStringList>> outcomes;
        for (const auto& [threshold, threads] : {std::pair{qint64(1), -1}, std::pair{std::numeric_limits<qint64>::max(), -1},
                                                std::pair{qint64(1), 1}, std::pair{qint64(1), 0}}) {
            CardZipArchive::Parallel_Unpack_Bytes = threshold;
            platform::refuseThreadsAfter(threads);
            QDir(path(QStringLiteral("base"))).removeRecursively();
            if (c.xlIsFile)
                writeFile(path(QStringLiteral("base/dest/xl")), "file");
            QStringList reported;
            CardZipArchive::Error error;
            CardZipArchive::unzipFileAtPath_toDestination_overwrite_password_error(
                archive, path(QStringLiteral("base/dest")), true, QString(), &error,
                [&](const QString& file) { reported.append(file); });
            reported.sort();
            if (error.code == 0) {
                EXPECT_EQ(reported, c.reported);
            }
            platform::refuseThreadsAfter(-1);
            outcomes.append({error.code, treeOf(path(QStringLiteral("base")))});
        }
        for (qsizetype k = 1; k < outcomes.size(); ++k)
            EXPECT_EQ(outcomes[0], outcomes[k]) << k;
    }
    EXPECT_EQ(readFile(path(QStringLiteral("base/dest/xl"))), "file");
    CardZipArchive::Parallel_Unpack_Bytes = usual;
}

TEST_F(ZipArchive, PackingFailuresLeaveNoArchive)
{
    writeFile(path(QStringLiteral("src/a.txt")), "a");
    const QString archive = path(QStringLiteral("out.zip"));
    EXPECT_FALSE(CardZipArchive::createZipFileAtPath_withFilesAtPaths(
        archive, {path(QStringLiteral("src/a.txt")), path(QStringLiteral("src/missing.txt"))}));
    EXPECT_FALSE(QFile::exists(archive));

    // A folder holding a dangling link: its source cannot be read.
    writeFile(path(QStringLiteral("tree/ok.txt")), "ok");
    ASSERT_TRUE(QFile::link(path(QStringLiteral("nowhere")), path(QStringLiteral("tree/zz-link"))));
    EXPECT_FALSE(CardZipArchive::createZipFileAtPath_withFilesAtPaths(archive, {path(QStringLiteral("tree"))}));
    EXPECT_FALSE(QFile::exists(archive));

    // The archive's folder is a file.
    EXPECT_FALSE(CardZipArchive::createZipFileAtPath_withFilesAtPaths(path(QStringLiteral("src/a.txt/out.zip")),
                                                                      {path(QStringLiteral("src/a.txt"))}));
}

} // namespace
