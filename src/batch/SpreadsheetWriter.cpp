#include "batch/SpreadsheetWriter.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "batch/CardZipArchive.h"
#include "batch/XlsxParts.h"
#include "platform/threads.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <map>
#include <new>
#include <thread>

int Excel_Sheet_Number = 1;
int Excel_Sheet_Columns = 1;

namespace {

// The shared instance, made on first use; its destruction at exit removes
// the open workbook's work folder.
std::unique_ptr<SpreadsheetWriter> spreadsheet;

const char kMainNamespace[] = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

QString localPath(const QUrl& url) { return url.isLocalFile() ? url.toLocalFile() : url.path(); }

void logError(const QString& what) { Show_NSLog_Message(QStringLiteral("Error: %1").arg(what)); }

bool endsWith(const QString& type, const char* suffix) { return type.endsWith(QLatin1String(suffix)); }

// Resolves a relationship target against the folder of its source part (or
// the package root for "/..."), inside the unpacked package only. Returns the
// path relative to the package root, or "" for a target to ignore.
QString resolveTarget(const QString& sourceFolder, const xlsx::Relationship& rel)
{
    if (rel.external || rel.target.isEmpty())
        return {};
    const QString target = QUrl::fromPercentEncoding(rel.target.toUtf8());
    const QString joined = target.startsWith(QLatin1Char('/'))
                               ? target.mid(1)
                               : (sourceFolder.isEmpty() ? target : sourceFolder + QLatin1Char('/') + target);
    const QString clean = QDir::cleanPath(joined);
    if (clean.isEmpty() || clean == QLatin1String(".") || clean == QLatin1String("..") ||
        clean.startsWith(QLatin1String("../")) || clean.startsWith(QLatin1Char('/')))
        return {};
    return clean;
}

QString folderOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash);
}

// Why a file that is no zip archive is no workbook, named by what it is.
QString notAZipReason(const QString& path)
{
    QFile file(path);
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(8) : QByteArray();
    if (head == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        return QStringLiteral("it is an Excel 97-2003 workbook (.xls); save it as an .xlsx workbook");
    if (head.isEmpty())
        return QStringLiteral("the file is empty or cannot be read");
    if (head.startsWith("PK"))
        return QStringLiteral("its zip archive is damaged or cut short");
    return QStringLiteral("it is not a zip archive, as every .xlsx workbook is");
}

QString relationshipsOf(const QString& part)
{
    const QString folder = folderOf(part);
    const QString name = part.mid(folder.isEmpty() ? 0 : folder.size() + 1);
    return (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) + QStringLiteral("_rels/") + name +
           QStringLiteral(".rels");
}

void appendNumber(std::string& out, long long n)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, n);
    out.append(buffer, result.ptr);
}

} // namespace

SpreadsheetWriter::SpreadsheetWriter() = default;
SpreadsheetWriter::~SpreadsheetWriter() = default;

SpreadsheetWriter& SpreadsheetWriter::instance()
{
    if (!spreadsheet) {
        spreadsheet = std::make_unique<SpreadsheetWriter>();
        // The application's end removes the work folder too (the instance's
        // destruction at exit covers a process ended without the event loop).
        if (QCoreApplication::instance())
            qAddPostRoutine(&SpreadsheetWriter::Release_Data);
    }
    return *spreadsheet;
}

void SpreadsheetWriter::Release_Data()
{
    if (!spreadsheet)
        return;
    SpreadsheetWriter& s = *spreadsheet;
    s.workFolder.reset();
    s.tmpDir.clear();
    s.data.clear();
    s.header.clear();
    s.sharedStrings.clear();
    s.sheetNames.clear();
    s.sheetParts.clear();
    s.budget = 0;
    s.sharedStringsCost = 0;
    s.tooLongShared.clear();
    s.openError.clear();
}

QString SpreadsheetWriter::Open_Error()
{
    return spreadsheet ? spreadsheet->openError : QString();
}

void Delete_Excel_File_Temp_Folder() { SpreadsheetWriter::Release_Data(); }

// One read of a shared-strings part, made before its outcome is taken.
struct SpreadsheetWriter::SharedStringsRead
{
    QString path;
    QString part; // relative to the work folder; empty when nothing was read
    xlsx::ParseResult result = xlsx::ParseResult::Missing;
    QStringList strings;
    std::vector<qsizetype> tooLong;
    QString message;
    qint64 cost = 0;

    static SharedStringsRead of(const QString& folder, const QString& part, qint64 budget)
    {
        SharedStringsRead read;
        read.part = part;
        read.path = folder + QLatin1Char('/') + part;
        read.result = xlsx::readSharedStrings(read.path, read.strings, read.message, read.cost, budget, &read.tooLong);
        return read;
    }
};

SpreadsheetWriter::SheetRows SpreadsheetWriter::ReadWorkbook(const QUrl& url, bool only_col)
{
    if (!only_col) {
        readChosenSheet(false);
        return spreadsheet->data;
    }

    Release_Data();
    Excel_Sheet_Columns = 1;
    SpreadsheetWriter& s = instance();
    const QString path = localPath(url);
    s.budget = xlsx::readBudget(QFileInfo(path).size());
    auto folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid()) {
        logError(QStringLiteral("cannot make a work folder: %1").arg(folder->errorString()));
        return s.data;
    }
    // The shared strings are read while the rest of the workbook unpacks,
    // from the part where workbooks keep them; that read counts once the
    // workbook's relationships name the same part.
    static const QString usualSharedPart = QStringLiteral("xl/sharedStrings.xml");
    const QString folderPath = folder->path();
    SharedStringsRead early;
    auto extracted = [&](const QString& part) {
        if (part == usualSharedPart)
            early = SharedStringsRead::of(folderPath, part, s.budget);
    };
    CardZipArchive::Error error;
    if (!CardZipArchive::unzipFileAtPath_toDestination_overwrite_password_error(path, folderPath, true, QString(),
                                                                                  &error, extracted)) {
        logError(QStringLiteral("%1: %2").arg(error.localizedDescription, path));
        s.openError = error.code == CardZipArchive::ErrorOpenArchive ? notAZipReason(path) : error.localizedDescription;
        return s.data;
    }
    s.workFolder = std::move(folder);
    s.tmpDir = s.workFolder->path();
    Show_NSLog_Message(QStringLiteral("Temp. directory initialized:\n %1").arg(s.tmpDir));

    QString sharedPart;
    if (!s.listSheets(sharedPart))
        return s.data;
    if (s.sheetParts.isEmpty()) {
        s.openError = QStringLiteral("it holds no readable worksheet");
        logError(QStringLiteral("%1 holds no readable worksheet").arg(path));
        return s.data;
    }
    if (sharedPart.isEmpty())
        sharedPart = usualSharedPart;
    s.ReadSharedStrings(early.part == sharedPart ? std::move(early)
                                                 : SharedStringsRead::of(s.tmpDir, sharedPart, s.budget));
    return s.data;
}

// Lists the sheets: the workbook part named by the package relationships,
// its worksheets in tab order with the part each one's relationship names,
// and the shared-strings part the workbook names. False when the workbook
// part cannot be read.
bool SpreadsheetWriter::listSheets(QString& sharedPart)
{
    QString message;
    QList<xlsx::Relationship> rels;
    QString workbookPart;
    QString packageRelsFault; // why the package relationships were refused
    if (xlsx::readRelationships(tmpDir + QStringLiteral("/_rels/.rels"), rels, message) ==
        xlsx::ParseResult::Malformed) {
        logError(message);
        packageRelsFault = message;
    }
    for (const auto& rel : std::as_const(rels)) {
        if (endsWith(rel.type, "/officeDocument")) {
            workbookPart = resolveTarget(QString(), rel);
            break;
        }
    }
    if (workbookPart.isEmpty() && QFileInfo::exists(tmpDir + QStringLiteral("/xl/workbook.xml")))
        workbookPart = QStringLiteral("xl/workbook.xml");

    if (!workbookPart.isEmpty() && QFileInfo(tmpDir + QLatin1Char('/') + workbookPart).isFile()) {
        QList<xlsx::SheetEntry> sheets;
        if (xlsx::readWorkbookSheets(tmpDir + QLatin1Char('/') + workbookPart, sheets, message) !=
            xlsx::ParseResult::Parsed) {
            refuse(message, true);
            return false;
        }
        QList<xlsx::Relationship> wbRels;
        // Without its relationships no sheet of the workbook can be found.
        if (xlsx::readRelationships(tmpDir + QLatin1Char('/') + relationshipsOf(workbookPart), wbRels,
                                    message) == xlsx::ParseResult::Malformed) {
            refuse(message, true);
            return false;
        }
        std::map<QString, xlsx::Relationship> byId;
        for (const auto& rel : std::as_const(wbRels)) {
            byId.emplace(rel.id, rel);
            if (sharedPart.isEmpty() && endsWith(rel.type, "/sharedStrings"))
                sharedPart = resolveTarget(folderOf(workbookPart), rel);
        }
        // A sheet left out of the list is logged: the numbers of the sheets
        // after it move up.
        auto skip = [](const QString& name, const QString& reason) {
            logError(QStringLiteral("sheet \"%1\" skipped: %2").arg(name, reason));
        };
        for (const auto& sheet : std::as_const(sheets)) {
            const auto it = byId.find(sheet.relationshipId);
            if (it == byId.end()) {
                skip(sheet.name, QStringLiteral("no relationship \"%1\"").arg(sheet.relationshipId));
                continue;
            }
            if (!endsWith(it->second.type, "/worksheet")) {
                skip(sheet.name, QStringLiteral("not a worksheet but %1").arg(it->second.type.section(QLatin1Char('/'), -1)));
                continue;
            }
            const QString part = resolveTarget(folderOf(workbookPart), it->second);
            if (part.isEmpty()) {
                skip(sheet.name, it->second.target.isEmpty()
                                     ? QStringLiteral("its relationship names no part")
                                     : QStringLiteral("its part \"%1\" lies outside the workbook").arg(it->second.target));
                continue;
            }
            sheetNames.append(sheet.name);
            sheetParts.append(part);
        }
    } else if (!packageRelsFault.isEmpty() && !QFileInfo(tmpDir + QStringLiteral("/xl/worksheets")).isDir()) {
        refuse(packageRelsFault, true);
        return false;
    } else {
        // No workbook part: the worksheets folder's sheetN.xml by ascending N.
        static const QRegularExpression sheetFile(QStringLiteral("^sheet([0-9]{1,6})\\.xml$"));
        QList<std::pair<int, QString>> numbered;
        const QStringList files = QDir(tmpDir + QStringLiteral("/xl/worksheets")).entryList(QDir::Files);
        for (const QString& f : files) {
            const auto m = sheetFile.match(f);
            if (m.hasMatch())
                numbered.append({m.captured(1).toInt(), f});
            else
                logError(QStringLiteral("part xl/worksheets/%1 skipped: not named sheetN.xml").arg(f));
        }
        std::sort(numbered.begin(), numbered.end());
        for (const auto& [n, f] : std::as_const(numbered)) {
            sheetNames.append(QFileInfo(f).completeBaseName());
            sheetParts.append(QStringLiteral("xl/worksheets/") + f);
        }
    }
    return true;
}

QString SpreadsheetWriter::sheetPartPath(int number) const
{
    if (tmpDir.isEmpty() || number < 1 || number > sheetParts.size())
        return {};
    return tmpDir + QLatin1Char('/') + sheetParts.at(number - 1);
}

void SpreadsheetWriter::refuse(const QString& message, bool everySheet)
{
    logError(message);
    // The reason names the part inside the workbook, not the work folder.
    QString reason = message;
    if (!tmpDir.isEmpty())
        reason.replace(tmpDir + QLatin1Char('/'), QString());
    openError = reason;
    data.clear();
    if (everySheet) {
        sheetNames.clear();
        sheetParts.clear();
    }
}

void SpreadsheetWriter::ReadSharedStrings(SharedStringsRead read)
{
    sharedStrings = std::move(read.strings);
    sharedStringsCost = read.cost;
    switch (read.result) {
    case xlsx::ParseResult::Malformed:
        // Text cells would read empty: the workbook is refused.
        sharedStrings.clear();
        sharedStringsCost = 0;
        refuse(read.message, true);
        break;
    case xlsx::ParseResult::TooLarge:
        // Cells would read without their texts: the workbook is refused.
        sharedStrings.clear();
        sharedStringsCost = 0;
        refuse(QStringLiteral("%1 holds more text than can be read (%2 MB at most)")
                   .arg(read.path)
                   .arg(budget >> 20),
               true);
        break;
    default:
        tooLongShared = std::move(read.tooLong);
        break;
    }
}

bool SpreadsheetWriter::ReadData(const QString& path, const QString& sheetName, bool headerOnly)
{
    data.clear();
    header.clear();
    xlsx::SheetContent content;
    QString message;
    const xlsx::ParseResult result = xlsx::readWorksheet(path, sharedStrings, headerOnly, content, message,
                                                         budget - sharedStringsCost, tooLongShared);
    if (result == xlsx::ParseResult::TooLarge) {
        refuse(QStringLiteral("sheet \"%1\": %2 holds more cells than can be read (%3 MB at most)")
                   .arg(sheetName, path)
                   .arg(budget >> 20),
               false);
        return false;
    }
    if (result == xlsx::ParseResult::CellTooLong) {
        refuse(QStringLiteral("cell %1 of sheet \"%2\" holds more than %3 characters, more than a cell can hold")
                   .arg(content.tooLongCell, sheetName, QLocale(QLocale::English).toString(xlsx::kMaxCellLength)),
               false);
        return false;
    }
    if (result != xlsx::ParseResult::Parsed) {
        refuse(result == xlsx::ParseResult::Missing ? QStringLiteral("no worksheet part %1").arg(path) : message, false);
        return false;
    }
    openError.clear(); // an earlier sheet's refusal no longer holds
    if (content.badReferences > 0)
        logError(QStringLiteral("%1 cell(s) with a malformed or too wide reference skipped, first \"%2\", in %3")
                     .arg(content.badReferences)
                     .arg(content.firstBadReference, path));
    if (content.badSharedIndexes > 0)
        logError(QStringLiteral("%1 shared-string index(es) without a string, first \"%2\", in %3")
                     .arg(content.badSharedIndexes)
                     .arg(content.firstBadSharedIndex, path));

    if (headerOnly) {
        const int width = std::max(content.declaredColumns, content.width);
        const bool none = content.rowCount() == 0;
        if (width > 0 || !none)
            Excel_Sheet_Columns = width;
        if (none)
            return true;
        QStringList first = content.takeRows(sharedStrings).first().toList();
        first.resize(width);
        for (int k = 0; k < width; ++k) {
            if (Trim_Str(first.at(k)).isEmpty())
                first[k] = QStringLiteral("Untitled Column %1").arg(k + 1);
        }
        header.append(first);
        return true;
    }
    data = content.takeRows(sharedStrings);
    Excel_Sheet_Columns = content.width;
    return true;
}

SpreadsheetWriter::Rows SpreadsheetWriter::ReadData_only_column()
{
    readChosenSheet(true);
    return spreadsheet->header;
}

void SpreadsheetWriter::readChosenSheet(bool headerOnly)
{
    SpreadsheetWriter& s = instance();
    s.data.clear();
    s.header.clear();
    const QString part = s.sheetPartPath(Excel_Sheet_Number);
    if (part.isEmpty())
        logError(QStringLiteral("the workbook has no worksheet %1").arg(Excel_Sheet_Number));
    else
        s.ReadData(part, s.sheetNames.at(Excel_Sheet_Number - 1), headerOnly);
}

QStringList SpreadsheetWriter::Read_Sheet_Name() { return spreadsheet ? spreadsheet->sheetNames : QStringList(); }

QString SpreadsheetWriter::ColumnIndexToName(int number) { return xlsx::columnLetters(number); }

namespace {

// Deflate level of the written parts: the fastest, which keeps a sheet of
// text and numbers at about a sixth of its size.
constexpr int kPartLevel = 1;
// Cells per block of the written parts.
constexpr qsizetype kBlockCells = 1 << 15;

// A piece of a part deflated on its own: raw deflate ending in a full
// flush, so pieces made on different threads join into one stream.
struct DeflatedPiece
{
    std::string bytes;
    uLong crc = 0;
    qint64 length = 0;
};

DeflatedPiece deflatePiece(const std::string& text)
{
    DeflatedPiece piece;
    piece.length = qint64(text.size());
    piece.crc = crc32_z(crc32_z(0, nullptr, 0), reinterpret_cast<const Bytef*>(text.data()), text.size());
    z_stream z{};
    if (deflateInit2(&z, kPartLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::bad_alloc();
    // Deflated into a scratch buffer of the worst-case size, kept at its
    // exact size: the pieces of a part wait in memory until it is written.
    thread_local std::string scratch;
    scratch.resize(deflateBound(&z, uLong(text.size())) + 16);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = uInt(text.size());
    z.next_out = reinterpret_cast<Bytef*>(scratch.data());
    z.avail_out = uInt(scratch.size());
    deflate(&z, Z_FULL_FLUSH);
    piece.bytes.assign(scratch.data(), z.total_out);
    deflateEnd(&z);
    return piece;
}

// Writes the pieces, in order, as one deflated entry.
bool writeDeflatedEntry(CardZipArchive& archive, const QString& name, const std::vector<DeflatedPiece>& pieces)
{
    if (!archive.openRawEntry(name, kPartLevel))
        return false;
    static const char lastBlock[] = {0x03, 0x00}; // an empty final block ends the stream
    bool ok = true;
    uLong crc = crc32_z(0, nullptr, 0);
    qint64 length = 0;
    for (const DeflatedPiece& piece : pieces) {
        ok = ok && archive.writeEntry(piece.bytes.data(), qint64(piece.bytes.size()));
        crc = crc32_combine(crc, piece.crc, z_off_t(piece.length));
        length += piece.length;
    }
    ok = ok && archive.writeEntry(lastBlock, 2);
    return archive.closeRawEntry(length, quint32(crc)) && ok;
}

// Runs work(k) for k = 0 .. count - 1 on up to eight threads.
template <typename Work>
void forEachBlock(qsizetype count, const Work& work)
{
    const int threads = int(std::clamp<qsizetype>(count, 1, std::min(8, QThread::idealThreadCount())));
    std::atomic<qsizetype> next{0};
    auto run = [&] {
        for (qsizetype k = next++; k < count; k = next++)
            work(k);
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < threads && platform::startThread(pool, run); ++t)
        ;
    run();
    for (auto& t : pool)
        t.join();
}

// The worksheet and shared-string parts of `rows`, built and deflated in
// blocks of rows on several threads. Text cells get consecutive
// shared-string indexes in row-major order. The dimension covers every
// written cell and each row's spans its own cells, so readers that trust
// them (openpyxl's read-only mode) see every cell.
bool writeParts(CardZipArchive& archive, const SpreadsheetWriter::Rows& rows)
{
    qsizetype columns = 1;
    for (const QStringList& row : rows)
        columns = std::max(columns, row.size());
    std::vector<std::string> columnNames(static_cast<size_t>(columns));
    for (qsizetype c = 0; c < columns; ++c)
        columnNames[size_t(c)] = SpreadsheetWriter::ColumnIndexToName(int(c) + 1).toStdString();
    std::string lastCell = columnNames.back();
    appendNumber(lastCell, rows.size());

    // Blocks of whole rows, about kBlockCells cells each.
    std::vector<qsizetype> firstRow{0};
    qsizetype cells = 0;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        cells += rows[r].size() + 1;
        if (cells >= kBlockCells && r + 1 < rows.size()) {
            firstRow.push_back(r + 1);
            cells = 0;
        }
    }
    firstRow.push_back(rows.size());
    const qsizetype blocks = qsizetype(firstRow.size()) - 1;

    // Which cells are numbers, and where each block's texts start.
    std::vector<std::vector<char>> isNumber(static_cast<size_t>(blocks));
    std::vector<qint64> firstText(static_cast<size_t>(blocks) + 1, 0);
    forEachBlock(blocks, [&](qsizetype b) {
        std::vector<char>& kinds = isNumber[size_t(b)];
        qint64 texts = 0;
        for (qsizetype r = firstRow[size_t(b)]; r < firstRow[size_t(b) + 1]; ++r) {
            for (const QString& value : rows[r]) {
                const bool number = xlsx::isCanonicalNumber(value);
                kinds.push_back(char(number));
                texts += !number;
            }
        }
        firstText[size_t(b) + 1] = texts;
    });
    for (qsizetype b = 0; b < blocks; ++b)
        firstText[size_t(b) + 1] += firstText[size_t(b)];
    const qint64 textCount = firstText.back();

    std::vector<DeflatedPiece> sheet(static_cast<size_t>(blocks) + 2), strings(static_cast<size_t>(blocks) + 2);
    forEachBlock(blocks, [&](qsizetype b) {
        std::string xml, sst;
        std::string rowNumber;
        const std::vector<char>& kinds = isNumber[size_t(b)];
        size_t cell = 0;
        qint64 text = firstText[size_t(b)];
        for (qsizetype r = firstRow[size_t(b)]; r < firstRow[size_t(b) + 1]; ++r) {
            const QStringList& row = rows[r];
            rowNumber.clear();
            appendNumber(rowNumber, r + 1);
            xml += "<row r=\"";
            xml += rowNumber;
            if (!row.isEmpty()) {
                xml += "\" spans=\"1:";
                appendNumber(xml, row.size());
            }
            xml += "\">";
            for (qsizetype c = 0; c < row.size(); ++c) {
                const QString& value = row.at(c);
                xml += "<c r=\"";
                xml += columnNames[size_t(c)];
                xml += rowNumber;
                if (kinds[cell++]) {
                    xml += "\"><v>";
                    for (QChar ch : value)
                        xml.push_back(char(ch.unicode()));
                } else {
                    xml += "\" t=\"s\"><v>";
                    appendNumber(xml, text++);
                    sst += "<si><t>";
                    xlsx::appendEscaped(sst, value);
                    sst += "</t></si>\n";
                }
                xml += "</v></c>";
            }
            xml += "</row>\n";
        }
        sheet[size_t(b) + 1] = deflatePiece(xml);
        strings[size_t(b) + 1] = deflatePiece(sst);
    });

    std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"";
    head += kMainNamespace;
    head += "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""
            " xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\""
            " xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\" mc:Ignorable=\"x14ac\">\n"
            "<dimension ref=\"A1:";
    head += lastCell;
    head += "\"/>\n<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"><selection activeCell=\"";
    head += lastCell;
    head += "\" sqref=\"";
    head += lastCell;
    head += "\"/></sheetView></sheetViews>\n"
            "<sheetFormatPr baseColWidth=\"10\" defaultRowHeight=\"15\" x14ac:dyDescent=\"0\"/>\n<sheetData>\n";
    sheet.front() = deflatePiece(head);
    sheet.back() = deflatePiece(
        "</sheetData>\n"
        "<pageMargins left=\"0.75\" right=\"0.75\" top=\"1\" bottom=\"0.5\" header=\"0.5\" footer=\"0.5\"/>\n"
        "<extLst><ext xmlns:mx=\"http://schemas.microsoft.com/office/mac/excel/2008/main\""
        " uri=\"{64002731-A6B0-56B0-2670-7721B7C09600}\"><mx:PLV Mode=\"0\" OnePage=\"0\" WScale=\"0\"/>"
        "</ext></extLst>\n</worksheet>\n");

    std::string sstHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns=\"";
    sstHead += kMainNamespace;
    sstHead += "\"";
    if (textCount > 0) {
        sstHead += " count=\"";
        appendNumber(sstHead, textCount);
        sstHead += "\" uniqueCount=\"";
        appendNumber(sstHead, textCount);
        sstHead += "\"";
    }
    sstHead += ">\n";
    strings.front() = deflatePiece(sstHead);
    strings.back() = deflatePiece("</sst>\n");

    bool ok = true;
    for (const auto& [name, pieces] : {std::pair{QStringLiteral("xl/worksheets/sheet1.xml"), &sheet},
                                       std::pair{QStringLiteral("xl/sharedStrings.xml"), &strings}}) {
        if (ok && !writeDeflatedEntry(archive, name, *pieces)) {
            Show_NSLog_Message(QStringLiteral("Error when writing file %1").arg(name));
            ok = false;
        }
    }
    return ok;
}

// Top-level entries of the package folder, "[Content_Types].xml" first.
QStringList packageEntries(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const bool aFirst = a == QLatin1String("[Content_Types].xml");
        const bool bFirst = b == QLatin1String("[Content_Types].xml");
        return aFirst != bFirst ? aFirst : a < b;
    });
    return names;
}

// Packs the template's files and then the two parts written from `rows`
// into a new archive at `path`; false when any of it fails.
bool packWorkbook(const QString& path, const QString& templateFolder, const SpreadsheetWriter::Rows& rows)
{
    CardZipArchive archive(path);
    if (!archive.open())
        return false;
    bool ok = true;
    for (const QString& name : packageEntries(templateFolder))
        ok = ok && archive.writeFile(name, templateFolder);
    ok = ok && writeParts(archive, rows);
    return archive.close() && ok;
}

} // namespace

bool SpreadsheetWriter::WriteWorkbook(const QUrl& url, const Rows& rows, bool hasTitleRow)
{
    Q_UNUSED(hasTitleRow);
    const QString target = localPath(url);
    if (rows.isEmpty()) {
        logError(QStringLiteral("no rows to write to %1").arg(target));
        return false;
    }
    const QString templatePath = Resource_Path + QStringLiteral("/Template.xlsx");
    if (!QFileInfo(templatePath).isFile()) {
        logError(QStringLiteral("template workbook %1 is missing").arg(templatePath));
        return false;
    }
    QTemporaryDir work;
    if (!work.isValid()) {
        logError(QStringLiteral("cannot make a work folder: %1").arg(work.errorString()));
        return false;
    }
    CardZipArchive::Error error;
    if (!CardZipArchive::unzipFileAtPath_toDestination_overwrite_password_error(templatePath, work.path(), true,
                                                                                  QString(), &error)) {
        logError(QStringLiteral("%1: %2").arg(error.localizedDescription, templatePath));
        return false;
    }
    // The two parts written from the rows replace the template's.
    QFile::remove(work.path() + QStringLiteral("/xl/worksheets/sheet1.xml"));
    QFile::remove(work.path() + QStringLiteral("/xl/sharedStrings.xml"));
    QDir().rmdir(work.path() + QStringLiteral("/xl/worksheets"));

    // Zip beside the target under a passing name and put it in place only
    // when complete, so a failure never leaves a broken or missing workbook.
    const QFileInfo targetInfo(target);
    const QString partial = targetInfo.absolutePath() + QStringLiteral("/.cw%1.xlsx.part")
                                                            .arg(QRandomGenerator::global()->generate(), 8, 16,
                                                                 QLatin1Char('0'));
    if (!packWorkbook(partial, work.path(), rows)) {
        QFile::remove(partial);
        logError(QStringLiteral("cannot write the workbook %1").arg(target));
        return false;
    }
    // rename(2) replaces an existing target in one step.
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(partial);
        logError(QStringLiteral("cannot write the workbook %1").arg(target));
        return false;
    }
    return true;
}

QString Get_Column_Char_Str(const QString& reference)
{
    qsizetype i = 0;
    while (i < reference.size() && !(reference[i] >= u'1' && reference[i] <= u'9'))
        ++i;
    return reference.left(i);
}

int Get_Col_index(const QString& letters, int base)
{
    const QByteArray bytes = letters.toLatin1();
    const int n = xlsx::columnNumber(bytes.constData(), int(bytes.size()));
    return n < 0 ? -1 : n - (base - 64);
}

int Asc_Val(const QString& text) { return text.isEmpty() ? 0 : (text.at(0).unicode() & 0xFF); }
