#include "batch/SpreadsheetWriter.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "batch/CardZipArchive.h"
#include "batch/XlsxParts.h"
#include "platform/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <map>

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

// Writes `bytes` to `path`; false (logged) when the file cannot be written whole.
bool writePart(const QString& path, const std::string& bytes)
{
    QFile file(path);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
              file.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size()) && file.flush();
    file.close();
    ok = ok && file.error() == QFileDevice::NoError;
    if (!ok)
        Show_NSLog_Message(QStringLiteral("Error when writing file %1").arg(path));
    return ok;
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
    s.sharedStrings.clear();
    s.sheetNames.clear();
    s.sheetParts.clear();
}

void Delete_Excel_File_Temp_Folder() { SpreadsheetWriter::Release_Data(); }

SpreadsheetWriter::Rows SpreadsheetWriter::ReadWorkbook(const QUrl& url, bool only_col)
{
    if (!only_col)
        return readChosenSheet(false);

    Release_Data();
    Excel_Sheet_Columns = 1;
    SpreadsheetWriter& s = instance();
    const QString path = localPath(url);
    auto folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid()) {
        logError(QStringLiteral("cannot make a work folder: %1").arg(folder->errorString()));
        return s.data;
    }
    CardZipArchive::Error error;
    if (!CardZipArchive::unzipFileAtPath_toDestination_overwrite_password_error(path, folder->path(), true,
                                                                                  QString(), &error)) {
        logError(QStringLiteral("%1: %2").arg(error.localizedDescription, path));
        return s.data;
    }
    s.workFolder = std::move(folder);
    s.tmpDir = s.workFolder->path();
    Show_NSLog_Message(QStringLiteral("Temp. directory initialized:\n %1").arg(s.tmpDir));

    QString sharedPart;
    if (!s.listSheets(sharedPart))
        return s.data;
    if (sharedPart.isEmpty())
        sharedPart = QStringLiteral("xl/sharedStrings.xml");
    s.ReadSharedStrings(s.tmpDir + QLatin1Char('/') + sharedPart);
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
    if (xlsx::readRelationships(tmpDir + QStringLiteral("/_rels/.rels"), rels, message) ==
        xlsx::ParseResult::Malformed)
        logError(message);
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
            logError(message);
            return false;
        }
        QList<xlsx::Relationship> wbRels;
        if (xlsx::readRelationships(tmpDir + QLatin1Char('/') + relationshipsOf(workbookPart), wbRels,
                                    message) == xlsx::ParseResult::Malformed)
            logError(message);
        std::map<QString, xlsx::Relationship> byId;
        for (const auto& rel : std::as_const(wbRels)) {
            byId.emplace(rel.id, rel);
            if (sharedPart.isEmpty() && endsWith(rel.type, "/sharedStrings"))
                sharedPart = resolveTarget(folderOf(workbookPart), rel);
        }
        for (const auto& sheet : std::as_const(sheets)) {
            const auto it = byId.find(sheet.relationshipId);
            if (it == byId.end() || !endsWith(it->second.type, "/worksheet"))
                continue;
            const QString part = resolveTarget(folderOf(workbookPart), it->second);
            if (part.isEmpty())
                continue;
            sheetNames.append(sheet.name);
            sheetParts.append(part);
        }
    } else {
        // No workbook part: the worksheets folder's sheetN.xml by ascending N.
        static const QRegularExpression sheetFile(QStringLiteral("^sheet([0-9]{1,6})\\.xml$"));
        QList<std::pair<int, QString>> numbered;
        const QStringList files = QDir(tmpDir + QStringLiteral("/xl/worksheets")).entryList(QDir::Files);
        for (const QString& f : files) {
            const auto m = sheetFile.match(f);
            if (m.hasMatch())
                numbered.append({m.captured(1).toInt(), f});
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

void SpreadsheetWriter::ReadSharedStrings(const QString& path)
{
    sharedStrings.clear();
    QString message;
    if (xlsx::readSharedStrings(path, sharedStrings, message) == xlsx::ParseResult::Malformed) {
        logError(message);
        sharedStrings.clear();
    }
}

bool SpreadsheetWriter::ReadData(const QString& path, bool headerOnly)
{
    data.clear();
    xlsx::SheetContent content;
    QString message;
    const xlsx::ParseResult result = xlsx::readWorksheet(path, sharedStrings, headerOnly, content, message);
    if (result != xlsx::ParseResult::Parsed) {
        logError(result == xlsx::ParseResult::Missing ? QStringLiteral("no worksheet part %1").arg(path) : message);
        return false;
    }
    if (content.tooLarge || qint64(content.rows.size()) * content.width > xlsx::maxRowSlots) {
        logError(QStringLiteral("%1 holds more cells than can be read").arg(path));
        return false;
    }
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
        if (width > 0 || !content.rows.isEmpty())
            Excel_Sheet_Columns = width;
        if (content.rows.isEmpty())
            return true;
        QStringList header = content.rows.constFirst();
        header.resize(width);
        for (int k = 0; k < width; ++k) {
            if (Trim_Str(header.at(k)).isEmpty())
                header[k] = QStringLiteral("Untitled Column %1").arg(k + 1);
        }
        data.append(header);
        return true;
    }
    const QString empty = QStringLiteral("");
    for (QStringList& row : content.rows) {
        if (row.size() < content.width)
            row.resize(content.width, empty);
    }
    data = std::move(content.rows);
    Excel_Sheet_Columns = content.width;
    return true;
}

SpreadsheetWriter::Rows SpreadsheetWriter::ReadData_only_column() { return readChosenSheet(true); }

SpreadsheetWriter::Rows SpreadsheetWriter::readChosenSheet(bool headerOnly)
{
    SpreadsheetWriter& s = instance();
    s.data.clear();
    const QString part = s.sheetPartPath(Excel_Sheet_Number);
    if (part.isEmpty())
        logError(QStringLiteral("the workbook has no worksheet %1").arg(Excel_Sheet_Number));
    else
        s.ReadData(part, headerOnly);
    return s.data;
}

QStringList SpreadsheetWriter::Read_Sheet_Name() { return spreadsheet ? spreadsheet->sheetNames : QStringList(); }

QString SpreadsheetWriter::ColumnIndexToName(int number)
{
    QString name;
    for (int n = number; n > 0; n = (n - 1) / 26)
        name.prepend(QChar(u'A' + (n - 1) % 26));
    return name;
}

namespace {

// The worksheet part of `rows`; text cells get consecutive shared-string
// indexes in row-major order and are collected into `texts`.
std::string worksheetXml(const SpreadsheetWriter::Rows& rows, std::vector<const QString*>& texts)
{
    const int columns = std::max<int>(1, int(rows.constFirst().size()));
    const std::string lastColumn = SpreadsheetWriter::ColumnIndexToName(columns).toStdString();
    std::string lastCell = lastColumn;
    appendNumber(lastCell, rows.size());

    std::string out;
    out.reserve(size_t(rows.size()) * 64 + 1024);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<worksheet xmlns=\"";
    out += kMainNamespace;
    out += "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\""
           " xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\""
           " xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\" mc:Ignorable=\"x14ac\">\n"
           "<dimension ref=\"A1:";
    out += lastCell;
    out += "\"/>\n<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"><selection activeCell=\"";
    out += lastCell;
    out += "\" sqref=\"";
    out += lastCell;
    out += "\"/></sheetView></sheetViews>\n"
           "<sheetFormatPr baseColWidth=\"10\" defaultRowHeight=\"15\" x14ac:dyDescent=\"0\"/>\n<sheetData>\n";

    std::vector<std::string> columnNames;
    long long r = 0;
    for (const QStringList& row : rows) {
        ++r;
        out += "<row r=\"";
        appendNumber(out, r);
        out += "\" spans=\"1:";
        appendNumber(out, columns);
        out += "\">";
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (size_t(c) >= columnNames.size())
                columnNames.push_back(SpreadsheetWriter::ColumnIndexToName(int(c) + 1).toStdString());
            const QString& value = row.at(c);
            out += "<c r=\"";
            out += columnNames[size_t(c)];
            appendNumber(out, r);
            if (xlsx::isPlainDecimal(value)) {
                out += "\"><v>";
                for (QChar ch : value)
                    out.push_back(char(ch.unicode()));
            } else {
                out += "\" t=\"s\"><v>";
                appendNumber(out, (long long)texts.size());
                texts.push_back(&value);
            }
            out += "</v></c>";
        }
        out += "</row>\n";
    }
    out += "</sheetData>\n"
           "<pageMargins left=\"0.75\" right=\"0.75\" top=\"1\" bottom=\"0.5\" header=\"0.5\" footer=\"0.5\"/>\n"
           "<extLst><ext xmlns:mx=\"http://schemas.microsoft.com/office/mac/excel/2008/main\""
           " uri=\"{64002731-A6B0-56B0-2670-7721B7C09600}\"><mx:PLV Mode=\"0\" OnePage=\"0\" WScale=\"0\"/>"
           "</ext></extLst>\n</worksheet>\n";
    return out;
}

std::string sharedStringsXml(const std::vector<const QString*>& texts)
{
    std::string out;
    out.reserve(texts.size() * 32 + 256);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<sst xmlns=\"";
    out += kMainNamespace;
    out += "\"";
    if (!texts.empty()) {
        out += " count=\"";
        appendNumber(out, (long long)texts.size());
        out += "\" uniqueCount=\"";
        appendNumber(out, (long long)texts.size());
        out += "\"";
    }
    out += ">\n";
    for (const QString* text : texts) {
        out += "<si><t>";
        xlsx::appendEscaped(out, *text);
        out += "</t></si>\n";
    }
    out += "</sst>\n";
    return out;
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
    QStringList paths;
    for (const QString& n : std::as_const(names))
        paths.append(folder + QLatin1Char('/') + n);
    return paths;
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
    platform::makeFolder(work.path() + QStringLiteral("/xl/worksheets"));
    std::vector<const QString*> texts;
    if (!writePart(work.path() + QStringLiteral("/xl/worksheets/sheet1.xml"), worksheetXml(rows, texts)) ||
        !writePart(work.path() + QStringLiteral("/xl/sharedStrings.xml"), sharedStringsXml(texts)))
        return false;

    // Zip beside the target under a passing name and put it in place only
    // when complete, so a failure never leaves a broken or missing workbook.
    const QFileInfo targetInfo(target);
    const QString partial = targetInfo.absolutePath() + QStringLiteral("/.cw%1.xlsx.part")
                                                            .arg(QRandomGenerator::global()->generate(), 8, 16,
                                                                 QLatin1Char('0'));
    if (!CardZipArchive::createZipFileAtPath_withFilesAtPaths(partial, packageEntries(work.path()))) {
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
