#include "batch/CardZipArchive.h"

#include "platform/threads.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <minizip/unzip.h>
#include <minizip/zip.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

qint64 CardZipArchive::Max_Unpacked_Bytes = CardZipArchive::Default_Max_Unpacked_Bytes;
qint64 CardZipArchive::Parallel_Unpack_Bytes = 4 << 20;

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

// One entry as the first pass found it: where it sits in the archive and
// where it goes.
struct PlannedEntry
{
    unz64_file_pos position{};
    QString target; // full path under the destination
    bool folder = false;
    ZPOS64_T size = 0; // declared uncompressed size
};

// First pass over the central directory: every name must be safe and the
// declared sizes must stay under the limits; nothing is written yet.
int checkArchive(unzFile zip, const QString& destination, std::vector<PlannedEntry>& entries)
{
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(zip, &global) != UNZ_OK)
        return CardZipArchive::ErrorCorrupt;
    if (global.number_entry > ZPOS64_T(CardZipArchive::Max_Entries))
        return CardZipArchive::ErrorTooLarge;
    if (unzGoToFirstFile(zip) != UNZ_OK)
        return CardZipArchive::ErrorFirstEntry;
    ZPOS64_T declared = 0;
    int status = UNZ_OK;
    do {
        unz_file_info64 info{};
        EntryName name;
        PlannedEntry entry;
        if (!readEntryName(zip, info, name) || unzGetFilePos64(zip, &entry.position) != UNZ_OK)
            return CardZipArchive::ErrorCorrupt;
        if (!isSafeEntryPath(name.path, destination))
            return CardZipArchive::ErrorUnsafePath;
        declared += info.uncompressed_size;
        if (qint64(entries.size()) >= CardZipArchive::Max_Entries ||
            declared > ZPOS64_T(CardZipArchive::Max_Unpacked_Bytes))
            return CardZipArchive::ErrorTooLarge;
        entry.target = QDir::cleanPath(destination + QLatin1Char('/') + name.path);
        entry.folder = name.folder;
        entry.size = info.uncompressed_size;
        entries.push_back(std::move(entry));
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

// Copies the open entry into `target`; `created` is set once the file
// exists. Returns 0 or an error code.
int extractEntry(unzFile zip, const unz_file_info64& info, const QString& target, std::atomic<qint64>& written,
                 char& created)
{
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return CardZipArchive::ErrorWriteFailed;
    created = 1;
    std::vector<char> block(kUnzipBufferSize);
    char* buffer = block.data();
    ZPOS64_T entryBytes = 0;
    for (;;) {
        const int n = unzReadCurrentFile(zip, buffer, unsigned(block.size()));
        if (n == 0)
            break;
        if (n < 0)
            return CardZipArchive::ErrorCorrupt;
        entryBytes += ZPOS64_T(n);
        if (written += n; written > CardZipArchive::Max_Unpacked_Bytes)
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

QString folderFor(const PlannedEntry& entry) { return entry.folder ? entry.target : QFileInfo(entry.target).path(); }

// Opens the planned entry, makes its folders (with `folders`; else they
// exist already), writes it when it is a file that may be written, closes
// it. Returns 0 or an error code.
int extractPlanned(unzFile zip, const PlannedEntry& entry, bool overwrite, const QByteArray& password,
                   std::atomic<qint64>& written, char& created, Extraction* folders)
{
    if (unzGoToFilePos64(zip, &entry.position) != UNZ_OK)
        return CardZipArchive::ErrorCorrupt;
    const int opened =
        password.isEmpty() ? unzOpenCurrentFile(zip) : unzOpenCurrentFilePassword(zip, password.constData());
    if (opened != UNZ_OK)
        return CardZipArchive::ErrorCorrupt;
    unz_file_info64 info{};
    int result = unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK
                     ? 0
                     : CardZipArchive::ErrorCorrupt;
    if (result == 0 && folders && !folders->makeFolder(folderFor(entry)))
        result = CardZipArchive::ErrorWriteFailed;
    if (result == 0 && !entry.folder && (overwrite || !QFileInfo::exists(entry.target)))
        result = extractEntry(zip, info, entry.target, written, created);
    const int closed = unzCloseCurrentFile(zip);
    if (result != 0)
        return result;
    return closed == UNZ_OK ? 0 : CardZipArchive::ErrorCorrupt;
}

// Entries may be unpacked in any order when no two of them write the same
// file and no file stands where an entry needs a folder; otherwise the
// archive's order decides what is left, and they are unpacked in it.
bool independent(const std::vector<PlannedEntry>& entries, const QString& destination)
{
    QSet<QString> files;
    QSet<QString> folders;
    for (const PlannedEntry& entry : entries) {
        if (!entry.folder) {
            if (files.contains(entry.target))
                return false;
            files.insert(entry.target);
        }
        for (QString f = folderFor(entry); f.size() > destination.size() && !folders.contains(f);
             f = QFileInfo(f).path())
            folders.insert(f);
    }
    for (const QString& file : std::as_const(files)) {
        if (folders.contains(file))
            return false;
    }
    return true;
}

// Unpacks the planned entries: an archive at least Parallel_Unpack_Bytes
// large whose entries are independent on several threads, each with its
// own handle, largest entries first; anything else in the archive's order.
// Either way the outcome is the sequential one: the error reported is that
// of the first entry, in the archive's order, that fails, and the entries
// before it are all tried.
int extractAll(const QString& path, unzFile zip, const std::vector<PlannedEntry>& entries, const QString& destination,
               bool overwrite, const QByteArray& password, Extraction& made, const CardZipArchive::EntryDone& extracted)
{
    if (!made.makeFolder(destination))
        return CardZipArchive::ErrorWriteFailed;
    const qsizetype count = qsizetype(entries.size());
    ZPOS64_T declared = 0;
    for (const PlannedEntry& entry : entries)
        declared += entry.size;
    const int threads = int(std::min<qsizetype>({count, 4, QThread::idealThreadCount()}));
    std::atomic<qint64> written{0};
    std::vector<char> created(size_t(count), char(0));
    auto finished = [&](qsizetype k) {
        if (extracted && created[size_t(k)])
            extracted(entries[size_t(k)].target.mid(destination.size() + 1));
    };
    // Entries from `from` on, in the archive's order.
    auto inOrder = [&](qsizetype from) {
        for (qsizetype k = from; k < count; ++k) {
            const int code = extractPlanned(zip, entries[size_t(k)], overwrite, password, written, created[size_t(k)], &made);
            if (created[size_t(k)])
                made.files.append(entries[size_t(k)].target);
            if (code != 0)
                return code;
            finished(k);
        }
        return 0;
    };
    if (threads < 2 || declared < ZPOS64_T(CardZipArchive::Parallel_Unpack_Bytes) ||
        !independent(entries, destination))
        return inOrder(0);

    // Folders first, in the archive's order; entries from the first one
    // that cannot get its folder on are left to the ordered road.
    qsizetype folderFailure = count;
    for (qsizetype k = 0; k < count && folderFailure == count; ++k) {
        if (!made.makeFolder(folderFor(entries[size_t(k)])))
            folderFailure = k;
    }
    std::vector<qsizetype> order;
    for (qsizetype k = 0; k < folderFailure; ++k)
        order.push_back(k);
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return entries[size_t(a)].size > entries[size_t(b)].size; });
    std::vector<int> codes(size_t(count), 0);
    std::atomic<qsizetype> next{0};
    std::atomic<qsizetype> firstFailure{folderFailure};
    const QByteArray encoded = QFile::encodeName(path);
    // Workers unpack; this thread hands the files they finish to `extracted`.
    std::mutex lock;
    std::condition_variable changed;
    std::vector<qsizetype> done;
    int working = threads;
    auto work = [&] {
        unzFile own = unzOpen64(encoded.constData());
        for (size_t i = size_t(next++); i < order.size(); i = size_t(next++)) {
            const qsizetype k = order[i];
            if (k > firstFailure.load())
                continue; // the outcome is decided before it
            const int code = own ? extractPlanned(own, entries[size_t(k)], overwrite, password, written,
                                                  created[size_t(k)], nullptr)
                                 : CardZipArchive::ErrorCorrupt;
            if (code == 0) {
                if (created[size_t(k)] && extracted) {
                    const std::lock_guard<std::mutex> locked(lock);
                    done.push_back(k);
                    changed.notify_one();
                }
                continue;
            }
            codes[size_t(k)] = code;
            for (qsizetype seen = firstFailure.load(); k < seen && !firstFailure.compare_exchange_weak(seen, k);)
                ;
        }
        if (own)
            unzClose(own);
        const std::lock_guard<std::mutex> locked(lock);
        --working;
        changed.notify_one();
    };
    std::vector<std::thread> pool;
    for (int t = 0; t < threads && platform::startThread(pool, work); ++t)
        ;
    if (pool.empty()) // the system refused every worker: this thread unpacks alone
        return inOrder(0);
    {
        const std::lock_guard<std::mutex> locked(lock);
        working -= threads - int(pool.size());
    }
    for (std::unique_lock<std::mutex> locked(lock);;) {
        changed.wait(locked, [&] { return working == 0 || !done.empty(); });
        if (done.empty())
            break;
        const std::vector<qsizetype> ready = std::exchange(done, {});
        locked.unlock();
        for (const qsizetype k : ready)
            finished(k);
        locked.lock();
    }
    for (auto& t : pool)
        t.join();
    for (qsizetype k = 0; k < count; ++k) {
        if (created[size_t(k)])
            made.files.append(entries[size_t(k)].target);
    }
    const qsizetype failed = firstFailure.load();
    if (failed < folderFailure)
        return codes[size_t(failed)];
    // Every entry before the one without its folder is unpacked: that one
    // and the rest go on in order, as they would have.
    return inOrder(folderFailure);
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
    const QString& path, const QString& destination, bool overwrite, const QString& password, Error* error,
    const EntryDone& extracted)
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
    std::vector<PlannedEntry> entries;
    int code = checkArchive(zip, dest, entries);
    if (code == 0) {
        Extraction made;
        code = extractAll(path, zip, entries, dest, overwrite, password.toLatin1(), made, extracted);
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
