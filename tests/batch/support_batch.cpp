#include "batch/support_batch.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <zlib.h>

namespace batchtest {

void pythonZip(const QString& zipPath, const Entries& entries, bool stored)
{
    QJsonArray list;
    for (const auto& [name, bytes] : entries)
        list.append(QJsonArray{name, QString::fromLatin1(bytes.toBase64())});
    const ProcessResult r = python(QStringLiteral(R"(
import base64, json, sys, zipfile
entries = json.load(sys.stdin)
method = zipfile.ZIP_STORED if sys.argv[2] == 'stored' else zipfile.ZIP_DEFLATED
with zipfile.ZipFile(sys.argv[1], 'w', method) as z:
    for name, data in entries:
        z.writestr(zipfile.ZipInfo(name, (2020, 1, 2, 3, 4, 6)), base64.b64decode(data), method)
)"),
                                   {zipPath, stored ? QStringLiteral("stored") : QStringLiteral("deflated")},
                                   QJsonDocument(list).toJson());
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
}

namespace {

void put16(QByteArray& out, unsigned v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}
void put32(QByteArray& out, quint32 v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// Raw deflate of `bytes` ending in a full flush: byte-aligned, with no
// reference to earlier data, so copies of it can follow one another.
QByteArray deflateFlushed(const QByteArray& bytes)
{
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&z, uLong(bytes.size())) + 64), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
    z.avail_in = uInt(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    deflate(&z, Z_FULL_FLUSH);
    out.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    return out;
}

} // namespace

void zipRepeated(const QString& zipPath, const RepeatedEntries& entries)
{
    QByteArray file, directory;
    for (const auto& [name, pieces] : entries) {
        QByteArray data;
        uLong crc = crc32(0, nullptr, 0);
        qint64 size = 0;
        for (const Piece& piece : pieces) {
            const QByteArray packed = deflateFlushed(piece.bytes);
            const uLong pieceCrc = crc32(0, reinterpret_cast<const Bytef*>(piece.bytes.constData()), uInt(piece.bytes.size()));
            for (qint64 k = 0; k < piece.repeat; ++k) {
                data += packed;
                crc = crc32_combine(crc, pieceCrc, z_off_t(piece.bytes.size()));
            }
            size += piece.bytes.size() * piece.repeat;
        }
        data += QByteArray("\x03\x00", 2); // a last, empty block
        ASSERT_LT(size, qint64(1) << 32);
        const QByteArray n = name.toUtf8();
        auto header = [&](QByteArray& out, bool central) {
            put32(out, central ? 0x02014b50 : 0x04034b50);
            if (central)
                put16(out, 20);
            put16(out, 20);
            put16(out, 0);
            put16(out, 8);
            put16(out, 0);
            put16(out, 0x21);
            put32(out, quint32(crc));
            put32(out, quint32(data.size()));
            put32(out, quint32(size));
            put16(out, unsigned(n.size()));
            put16(out, 0);
        };
        QByteArray central;
        header(central, true);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put32(central, 0);
        put32(central, quint32(file.size()));
        directory += central + n;
        header(file, false);
        file += n + data;
    }
    QByteArray end;
    put32(end, 0x06054b50);
    put32(end, 0);
    put16(end, unsigned(entries.size()));
    put16(end, unsigned(entries.size()));
    put32(end, quint32(directory.size()));
    put32(end, quint32(file.size()));
    put16(end, 0);
    writeFile(zipPath, file + directory + end);
}

double residentPeakMB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    double peak = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    // Starts the next count from the current size.
    QFile reset(QStringLiteral("/proc/self/clear_refs"));
    if (reset.open(QIODevice::WriteOnly))
        reset.write("5");
    return peak;
}

Entries workbookParts(const QList<QPair<QString, QByteArray>>& sheets, const QByteArray& sharedStrings)
{
    QByteArray types =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/xl/workbook.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>";
    QByteArray book = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>";
    QByteArray rels = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    Entries parts;
    for (int k = 1; k <= sheets.size(); ++k) {
        const QByteArray n = QByteArray::number(k);
        types += "<Override PartName=\"/xl/worksheets/sheet" + n +
                 ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
        book += "<sheet name=\"" + sheets[k - 1].first.toUtf8() + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n +
                "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
                "Target=\"worksheets/sheet" + n + ".xml\"/>";
        parts.append({QStringLiteral("xl/worksheets/sheet%1.xml").arg(k), sheets[k - 1].second});
    }
    if (!sharedStrings.isEmpty()) {
        types += "<Override PartName=\"/xl/sharedStrings.xml\" "
                 "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>";
        rels += "<Relationship Id=\"rIdS\" "
                "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
                "Target=\"sharedStrings.xml\"/>";
        parts.append({QStringLiteral("xl/sharedStrings.xml"), sharedStrings});
    }
    types += "</Types>";
    book += "</sheets></workbook>";
    rels += "</Relationships>";
    parts.prepend({QStringLiteral("xl/_rels/workbook.xml.rels"), rels});
    parts.prepend({QStringLiteral("xl/workbook.xml"), book});
    parts.prepend({QStringLiteral("_rels/.rels"),
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                   "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                   "<Relationship Id=\"rId1\" "
                   "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
                   "Target=\"xl/workbook.xml\"/></Relationships>"});
    parts.prepend({QStringLiteral("[Content_Types].xml"), types});
    return parts;
}

QByteArray sheetXml(const QByteArray& rows, const QByteArray& dimension)
{
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    if (!dimension.isEmpty())
        xml += "<dimension ref=\"" + dimension + "\"/>";
    return xml + "<sheetData>" + rows + "</sheetData></worksheet>";
}

QByteArray sharedStringsXml(const QByteArray& items)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">" +
           items + "</sst>";
}

QJsonDocument openpyxlValues(const QString& path, const QString& sheetName)
{
    const ProcessResult r = python(QStringLiteral(R"(
import json, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1], data_only=True)
ws = wb[sys.argv[2]] if sys.argv[2] else wb.worksheets[0]
def cell(v):
    if v is None: return ['', '']
    if isinstance(v, bool): return ['b', '1' if v else '0']
    if isinstance(v, (int, float)): return ['n', repr(v)]
    return ['s', str(v)]
print(json.dumps([[cell(v) for v in row] for row in ws.iter_rows(values_only=True)]))
)"),
                                   {path, sheetName});
    EXPECT_EQ(r.exitCode, 0) << r.err.constData();
    return QJsonDocument::fromJson(r.out);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

QStringList treeOf(const QString& folder)
{
    QStringList all;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        all.append(QDir(folder).relativeFilePath(it.next()));
    all.sort();
    return all;
}

QString builtResourceFolder() { return QStringLiteral(CARDWRIGHT_BINARY_DIR "/share/cardwright"); }

} // namespace batchtest
