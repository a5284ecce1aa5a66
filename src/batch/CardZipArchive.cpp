#include "batch/CardZipArchive.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

qint64 CardZipArchive::Max_Unpacked_Bytes = CardZipArchive::Default_Max_Unpacked_Bytes;

namespace {

// Blocks of 256 KB: a large part unpacks with few library calls and writes.
constexpr int kUnzipBufferSize = 1 << 18;
constexpr int kZipBufferSize = 16384;
constexpr auto kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

QString errorDescription(int code)
{
    switch (code) {
    case CardZipArchive::ErrorOpenArchive: return QStringLiteral("failed to open zip file");
    case CardZipArchive::ErrorFirstEntry: return QStringLiteral("failed to open first file in zip file");
    case CardZipArchive::ErrorUnsafePath: return QStringLiteral("unsafe entry path in zip file");
    case CardZipArchive::ErrorTooLarge: return QStringLiteral("zip file is too large to unpack");
    case CardZipArchive::ErrorCorrupt: return QStringLiteral("zip file is corrupt");
    default: return QStringLiteral("failed to write extracted file");
    }
}

// What one unzip call has made, so that a failure can take it back.
struct Extraction
{
    QStringList files;
    QStringList folders;

    void undo() const
    {
        for (auto it = files.crbegin(); it != files.crend(); ++it)
            QFile::remove(*it);
        for (auto it = folders.crbegin(); it != folders.crend(); ++it)
            QDir().rmdir(*it);
    }

    // Creates `folder` and its missing parents (owner-only), remembering each
    // folder made. False when a part of the path is a file or cannot be made.
    bool makeFolder(const QString& folder)
    {
        QStringList missing;
        QString p = folder;
        while (!QFileInfo::exists(p)) {
            missing.prepend(p);
            const QString parent = QFileInfo(p).path();
            if (parent == p)
                break;
            p = parent;
        }
        if (!QFileInfo(p).isDir())
            return false;
        for (const QString& m : missing) {
            if (!QDir().mkdir(m, kOwnerOnly))
                return false;
            folders.append(m);
        }
        return true;
    }
};

// One entry's name as stored, with "\" read as "/", and whether it is a folder.
struct EntryName
{
    QString path;
    bool folder = false;
};

bool readEntryName(unzFile zip, unz_file_info64& info, EntryName& out)
{
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    std::vector<char> name(info.size_filename + 1, '\0');
    if (unzGetCurrentFileInfo64(zip, &info, name.data(), uLong(name.size()), nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    name[info.size_filename] = '\0';
    const QByteArray bytes(name.data(), qsizetype(info.size_filename));
    out.folder = !bytes.isEmpty() && (bytes.endsWith('/') || bytes.endsWith('\\'));
    out.path = QString::fromUtf8(bytes);
    out.path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return true;
}

// An entry name may only name something below the destination: no absolute
// path, no ".." component, no embedded NUL, not empty.
bool isSafeEntryPath(const QString& path, const QString& destination)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')) || path.contains(QChar(0)))
        return false;
    const QStringList parts = path.split(QLatin1Char('/'));
    if (parts.contains(QStringLiteral("..")))
        return false;
    const QString joined = QDir::cleanPath(destination + QLatin1Char('/') + path);
    return joined.startsWith(destination + QLatin1Char('/'));
}

// First pass over the central directory: every name must be safe and the
// declared sizes must stay under the limits; nothing is written yet.
int checkArchive(unzFile zip, const QString& destination)
{
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(zip, &global) != UNZ_OK)
        return CardZipArchive::ErrorCorrupt;
    if (global.number_entry > ZPOS64_T(CardZipArchive::Max_Entries))
        return CardZipArchive::ErrorTooLarge;
    if (unzGoToFirstFile(zip) != UNZ_OK)
        return CardZipArchive::ErrorFirstEntry;
    ZPOS64_T declared = 0;
    qint64 entries = 0;
    int status = UNZ_OK;
    do {
        unz_file_info64 info{};
        EntryName name;
        if (!readEntryName(zip, info, name))
            return CardZipArchive::ErrorCorrupt;
        if (!isSafeEntryPath(name.path, destination))
            return CardZipArchive::ErrorUnsafePath;
        declared += info.uncompressed_size;
        if (++entries > CardZipArchive::Max_Entries || declared > ZPOS64_T(CardZipArchive::Max_Unpacked_Bytes))
            return CardZipArchive::ErrorTooLarge;
        status = unzGoToNextFile(zip);
    } while (status == UNZ_OK);
    return status == UNZ_END_OF_LIST_OF_FILE ? 0 : CardZipArchive::ErrorCorrupt;
}

void setModificationTime(QFile& file, const unz_file_info64& info)
{
    if (info.dosDate == 0)
        return;
    const tm_unz& t = info.tmu_date;
    const QDateTime when(QDate(int(t.tm_year), int(t.tm_mon) + 1, int(t.tm_mday)),
                         QTime(int(t.tm_hour), int(t.tm_min), int(t.tm_sec)), Qt::LocalTime);
    if (when.isValid())
        file.setFileTime(when, QFileDevice::FileModificationTime);
}

// Copies the open entry into `target`. Returns 0 or an error code.
int extractEntry(unzFile zip, const unz_file_info64& info, const QString& target, qint64& written,
                 Extraction& made)
{
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return CardZipArchive::ErrorWriteFailed;
    made.files.append(target);
    std::vector<char> block(kUnzipBufferSize);
    char* buffer = block.data();
    ZPOS64_T entryBytes = 0;
    for (;;) {
        const int n = unzReadCurrentFile(zip, buffer, unsigned(block.size()));
        if (n == 0)
            break;
        if (n < 0)
            return CardZipArchive::ErrorCorrupt;
        written += n;
        entryBytes += ZPOS64_T(n);
        if (written > CardZipArchive::Max_Unpacked_Bytes)
            return CardZipArchive::ErrorTooLarge;
        if (out.write(buffer, n) != n)
            return CardZipArchive::ErrorWriteFailed;
    }
    // minizip checks the CRC only when the entry was read to its declared
    // end, so a short entry has to be caught here.
    if (entryBytes != info.uncompressed_size)
        return CardZipArchive::ErrorCorrupt;
    if (!out.flush())
        return CardZipArchive::ErrorWriteFailed;
    setModificationTime(out, info);
    out.close();
    return out.error() == QFileDevice::NoError ? 0 : CardZipArchive::ErrorWriteFailed;
}

int extractAll(unzFile zip, const QString& destination, bool overwrite, const QByteArray& password,
               Extraction& made)
{
    if (unzGoToFirstFile(zip) != UNZ_OK)
        return CardZipArchive::ErrorFirstEntry;
    if (!made.makeFolder(destination))
        return CardZipArchive::ErrorWriteFailed;
    qint64 written = 0;
    int status = UNZ_OK;
    do {
        const int opened = password.isEmpty() ? unzOpenCurrentFile(zip)
                                              : unzOpenCurrentFilePassword(zip, password.constData());
        if (opened != UNZ_OK)
            return CardZipArchive::ErrorCorrupt;
        unz_file_info64 info{};
        EntryName name;
        int result = readEntryName(zip, info, name) ? 0 : CardZipArchive::ErrorCorrupt;
        if (result == 0) {
            const QString target = QDir::cleanPath(destination + QLatin1Char('/') + name.path);
            if (name.folder) {
                if (!made.makeFolder(target))
                    result = CardZipArchive::ErrorWriteFailed;
            } else if (!made.makeFolder(QFileInfo(target).path())) {
                result = CardZipArchive::ErrorWriteFailed;
            } else if (overwrite || !QFileInfo::exists(target)) {
                result = extractEntry(zip, info, target, written, made);
            }
        }
        const int closed = unzCloseCurrentFile(zip);
        if (result != 0)
            return result;
        if (closed != UNZ_OK)
            return CardZipArchive::ErrorCorrupt;
        status = unzGoToNextFile(zip);
    } while (status == UNZ_OK);
    return status == UNZ_END_OF_LIST_OF_FILE ? 0 : CardZipArchive::ErrorCorrupt;
}

// minizip cannot open an archive whose end record sits at offset 0, which is
// exactly an archive without entries; such a file is told apart here.
bool isEmptyArchive(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(22);
    return head.size() == 22 && head.startsWith(QByteArray("PK\x05\x06", 4)) && head[10] == 0 && head[11] == 0;
}

} // namespace

bool CardZipArchive::unzipFileAtPath_toDestination_overwrite_password_error(
    const QString& path, const QString& destination, bool overwrite, const QString& password, Error* error)
{
    auto fail = [error](int code) {
        if (error)
            *error = Error{QStringLiteral("CardZipArchiveErrorDomain"), code, errorDescription(code)};
        return false;
    };
    const QByteArray encoded = QFile::encodeName(path);
    unzFile zip = unzOpen64(encoded.constData());
    if (!zip)
        return fail(isEmptyArchive(path) ? ErrorFirstEntry : ErrorOpenArchive);
    const QString dest = QDir::cleanPath(QFileInfo(destination).absoluteFilePath());
    int code = checkArchive(zip, dest);
    if (code == 0) {
        Extraction made;
        code = extractAll(zip, dest, overwrite, password.toLatin1(), made);
        if (code != 0)
            made.undo();
    }
    unzClose(zip);
    return code == 0 ? true : fail(code);
}

CardZipArchive::CardZipArchive(const QString& path) : _path(path) {}

CardZipArchive::~CardZipArchive()
{
    if (_zip)
        zipClose(static_cast<zipFile>(_zip), nullptr);
}

bool CardZipArchive::open()
{
    if (_zip)
        throw std::logic_error("Attempting open an archive which is already open");
    _zip = zipOpen64(QFile::encodeName(_path).constData(), APPEND_STATUS_CREATE);
    return _zip != nullptr;
}

bool CardZipArchive::writeFile(const QString& relativePath, const QString& basePath)
{
    if (!_zip)
        throw std::logic_error("Attempting to write to an archive which was never opened");
    const QString source = basePath + QLatin1Char('/') + relativePath;
    if (QFileInfo(source).isDir())
        return addFolder(relativePath, basePath);
    return addRegularFile(relativePath, source);
}

bool CardZipArchive::addFolder(const QString& relativePath, const QString& basePath)
{
    // Names in code-unit order, so an archive's bytes never depend on the
    // file system's listing order or the user's locale.
    QStringList names = QDir(basePath + QLatin1Char('/') + relativePath)
                            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                       QDir::NoSort);
    std::sort(names.begin(), names.end());
    if (names.isEmpty()) {
        const QByteArray entry = (relativePath + QLatin1Char('/')).toUtf8();
        zipFile zip = static_cast<zipFile>(_zip);
        if (zipOpenNewFileInZip(zip, entry.constData(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                Z_DEFAULT_COMPRESSION) != ZIP_OK)
            return false;
        return zipCloseFileInZip(zip) == ZIP_OK;
    }
    for (const QString& name : names) {
        if (!writeFile(relativePath + QLatin1Char('/') + name, basePath))
            return false;
    }
    return true;
}

bool CardZipArchive::addRegularFile(const QString& name, const QString& sourcePath)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return false;
    zipFile zip = static_cast<zipFile>(_zip);
    const QByteArray entry = name.toUtf8();
    if (zipOpenNewFileInZip(zip, entry.constData(), nullptr, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                            Z_DEFAULT_COMPRESSION) != ZIP_OK)
        return false;
    std::vector<char> block(kZipBufferSize);
    bool ok = true;
    for (;;) {
        const qint64 n = source.read(block.data(), qint64(block.size()));
        if (n == 0)
            break;
        if (n < 0 || zipWriteInFileInZip(zip, block.data(), unsigned(n)) != ZIP_OK) {
            ok = false;
            break;
        }
    }
    const bool closed = zipCloseFileInZip(zip) == ZIP_OK;
    return ok && closed;
}

bool CardZipArchive::openRawEntry(const QString& name, int level)
{
    if (!_zip)
        throw std::logic_error("Attempting to write to an archive which was never opened");
    const QByteArray entry = name.toUtf8();
    return zipOpenNewFileInZip2(static_cast<zipFile>(_zip), entry.constData(), nullptr, nullptr, 0, nullptr, 0,
                                nullptr, Z_DEFLATED, level, 1) == ZIP_OK;
}

bool CardZipArchive::closeRawEntry(qint64 length, quint32 crc)
{
    if (!_zip)
        throw std::logic_error("Attempting to close an archive which was never opened");
    return zipCloseFileInZipRaw(static_cast<zipFile>(_zip), uLong(length), uLong(crc)) == ZIP_OK;
}

bool CardZipArchive::writeEntry(const char* bytes, qint64 length)
{
    if (!_zip)
        throw std::logic_error("Attempting to write to an archive which was never opened");
    while (length > 0) {
        const unsigned n = unsigned(std::min<qint64>(length, qint64(1) << 30));
        if (zipWriteInFileInZip(static_cast<zipFile>(_zip), bytes, n) != ZIP_OK)
            return false;
        bytes += n;
        length -= n;
    }
    return true;
}

bool CardZipArchive::close()
{
    if (!_zip)
        throw std::logic_error("Attempting to close an archive which was never opened");
    const int result = zipClose(static_cast<zipFile>(_zip), nullptr);
    _zip = nullptr;
    return result == ZIP_OK;
}

bool CardZipArchive::createZipFileAtPath_withFilesAtPaths(const QString& path, const QStringList& paths)
{
    bool ok = true;
    {
        CardZipArchive archive(path);
        if (!archive.open())
            return false;
        for (const QString& full : paths) {
            QString copy = full;
            if (copy.endsWith(QLatin1Char('/')))
                copy.chop(1);
            const QFileInfo info(copy);
            if (!archive.writeFile(info.fileName(), info.path())) {
                ok = false;
                break;
            }
        }
        if (!archive.close())
            ok = false;
    }
    if (!ok)
        QFile::remove(path);
    return ok;
}
