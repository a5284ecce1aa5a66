#include "platform/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QScopeGuard>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace platform {
namespace {

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

QString systemReason(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

// Writes all of data to the descriptor; 0, or the system's error code of the
// write that failed (a write that takes nothing counts as a full disk).
// *done counts what reached the file either way.
int writeAll(int fd, const char* data, qint64 length, qint64* done)
{
    for (*done = 0; *done < length;) {
        const ssize_t n = ::write(fd, data + *done, size_t(length - *done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        *done += n;
    }
    return 0;
}

// The file as the writers see it: writes are gathered in a buffer of its own
// and go to the descriptor straight, so the first one that fails (a full
// disk) keeps the system's reason. Qt's file buffer would lose it when a
// write runs short, and writers that ignore a short count (Qt's TIFF writer
// does) or seek on after it could leave no reason at all.
class DescriptorWriter final : public QIODevice
{
public:
    explicit DescriptorWriter(int fd) : fd_(fd)
    {
        buffer_.reserve(kGather);
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return false; }
    qint64 size() const override
    {
        struct stat st {};
        const qint64 stored = ::fstat(fd_, &st) == 0 ? qint64(st.st_size) : 0;
        return std::max(stored, written_ + qint64(buffer_.size()));
    }
    bool seek(qint64 pos) override
    {
        if (!drain())
            return false;
        if (::lseek(fd_, off_t(pos), SEEK_SET) < 0)
            return failWith(errno);
        written_ = pos;
        return QIODevice::seek(pos);
    }
    // Writes out what is gathered; false once any write failed.
    bool finish() { return drain(); }
    bool failed() const { return failed_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override
    {
        if (failed_)
            return -1;
        if (buffer_.size() + length > kGather && !drain())
            return -1;
        if (length >= kGather)
            return writeOut(data, length) ? length : -1;
        buffer_.append(data, length);
        return length;
    }

private:
    static constexpr qint64 kGather = 64 * 1024;

    bool drain()
    {
        if (failed_)
            return false;
        const bool ok = writeOut(buffer_.constData(), buffer_.size());
        buffer_.resize(0); // keeps the reserved room
        return ok;
    }
    bool writeOut(const char* data, qint64 length)
    {
        qint64 done = 0;
        const int code = writeAll(fd_, data, length, &done);
        written_ += done;
        return code == 0 || failWith(code);
    }
    bool failWith(int code)
    {
        failed_ = true;
        setErrorString(systemReason(code));
        return false;
    }

    int fd_;
    QByteArray buffer_;
    qint64 written_ = 0; // the descriptor's offset
    bool failed_ = false;
};

// Produces into the descriptor. On failure *error gets the system's reason
// when a write failed, else the one produce put there, else "writing was
// cancelled".
bool produceIntoDescriptor(int fd, const std::function<bool(QIODevice&)>& produce, QString* error)
{
    if (fd < 0)
        return fail(error, QStringLiteral("the file is not open"));
    DescriptorWriter out(fd);
    if (produce(out) && out.finish())
        return true;
    if (out.failed())
        return fail(error, out.errorString());
    return error && !error->isEmpty() ? false : fail(error, QStringLiteral("writing was cancelled"));
}

// Closes a descriptor when it goes out of scope, however it is left.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

std::atomic<FileSystemStandIn> g_standIn {FileSystemStandIn::Native};

// True, with errno set to the code such a file system answers, when the
// stand-in lacks the feature.
bool lacks(FileSystemStandIn feature, int code)
{
    if (g_standIn.load() < feature)
        return false;
    errno = code;
    return true;
}

// The last road, for file systems whose renames cannot refuse to replace:
// the target created exclusively, the temporary's bytes copied into it and
// forced to disk. A failure removes the target it made.
bool copyIntoNewFile(int from, const QByteArray& target, QString* error)
{
    const Descriptor out {::open(target.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666)};
    if (out.fd < 0)
        return fail(error, systemReason(errno));
    auto remove = qScopeGuard([&target] { ::unlink(target.constData()); });
    std::vector<char> buffer(size_t(256) * 1024);
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(from, buffer.data(), buffer.size(), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(error, systemReason(errno));
        if (n == 0)
            break;
        qint64 done = 0;
        if (const int code = writeAll(out.fd, buffer.data(), n, &done))
            return fail(error, systemReason(code));
        at += n;
    }
    if (::fsync(out.fd) != 0)
        return fail(error, systemReason(errno));
    remove.dismiss();
    return true;
}

// The road of file systems without unnamed temporary files: a named one
// beside the target, created exclusively with the mode cut by the umask,
// then given the target's name without replacing anything. It is removed
// on every road.
bool writeNewFileNamed(const QByteArray& target, const std::function<bool(QIODevice&)>& produce, QString* error)
{
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        temporary = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(temporary.constData(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    const Descriptor file {fd};
    if (file.fd < 0)
        return fail(error, systemReason(errno));
    const auto remove = qScopeGuard([&temporary] { ::unlink(temporary.constData()); });
    if (!produceIntoDescriptor(file.fd, produce, error))
        return false;
    // A hard link never replaces; file systems without links (FAT) take a
    // rename that may not replace either, and those that cannot rename so
    // (some network and FUSE file systems answer EINVAL) a copy.
    if (!lacks(FileSystemStandIn::NoLinks, EPERM) && ::link(temporary.constData(), target.constData()) == 0)
        return true;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS)
        return fail(error, systemReason(errno));
    if (!lacks(FileSystemStandIn::NoExclusiveRename, EINVAL)
        && ::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != EOPNOTSUPP && errno != ENOSYS)
        return fail(error, systemReason(errno));
    return copyIntoNewFile(file.fd, target, error);
}

} // namespace

bool writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& produce,
                         WriteMode mode, QString* error)
{
    if (error)
        error->clear();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, file.errorString());
    // QSaveFile gives the temporary file the mode of the file it replaces;
    // a private file must never be readable by others, not even briefly.
    if (mode == WriteMode::OwnerOnly && ::fchmod(file.handle(), S_IRUSR | S_IWUSR) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        file.cancelWriting();
        return fail(error, why);
    }
    // The reason is taken before cancelling replaces it by its own.
    if (!produceIntoDescriptor(file.handle(), produce, error)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return fail(error, file.errorString());
    return true;
}

bool writeNewFile(const QString& path, const std::function<bool(QIODevice&)>& produce, QString* error)
{
    if (error)
        error->clear();
    const QByteArray target = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    // An unnamed file in the target's folder, given its name only once it is
    // whole: a failure or a crash leaves nothing behind. The mode is cut by
    // the umask as for any new file.
    const Descriptor file {lacks(FileSystemStandIn::NoUnnamedFiles, EOPNOTSUPP)
                               ? -1
                               : ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666)};
    if (file.fd < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)
            return writeNewFileNamed(target, produce, error);
        return fail(error, systemReason(errno));
    }
    if (!produceIntoDescriptor(file.fd, produce, error))
        return false;
    // Writing to disk starts now, so that the folder's sync at the end of a
    // run has little left to wait for.
    ::sync_file_range(file.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.fd);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) != 0)
        return fail(error, systemReason(errno));
    return true;
}

void standInFileSystem(FileSystemStandIn lacking)
{
    g_standIn = lacking;
}

bool syncFolder(const QString& folder, QString* error)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return fail(error, systemReason(errno));
    const bool ok = ::syncfs(fd) == 0;
    const int code = errno;
    ::close(fd);
    return ok || fail(error, systemReason(code));
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, WriteMode mode, QString* error)
{
    return writeFileAtomically(
        path, [&bytes](QIODevice& out) { return out.write(bytes) == bytes.size(); }, mode, error);
}

std::optional<QString> childPath(const QString& folder, const QString& name, const QString& ext)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QChar(0)))
        return std::nullopt;
    if (ext.contains(QLatin1Char('/')) || ext.contains(QChar(0)))
        return std::nullopt;
    const QString leaf = ext.isEmpty() ? name : name + QLatin1Char('.') + ext;
    if (leaf == QLatin1String(".") || leaf == QLatin1String(".."))
        return std::nullopt;
    if (folder.endsWith(QLatin1Char('/')))
        return folder + leaf;
    return folder + QLatin1Char('/') + leaf;
}

bool makeFolder(const QString& path, QString* error)
{
    if (path.isEmpty())
        return fail(error, QStringLiteral("empty folder path"));
    const QString clean = QDir::cleanPath(QDir(path).absolutePath());
    // Create level by level so that every folder made here gets 0700
    // (QDir::mkpath has no permissions argument).
    qsizetype from = 1;
    for (;;) {
        const qsizetype slash = clean.indexOf(QLatin1Char('/'), from);
        const QString level = slash < 0 ? clean : clean.left(slash);
        const QByteArray native = QFile::encodeName(level);
        if (::mkdir(native.constData(), S_IRWXU) != 0) {
            const int err = errno;
            struct stat st {};
            if (!(err == EEXIST && ::stat(native.constData(), &st) == 0 && S_ISDIR(st.st_mode)))
                return fail(error, level + QStringLiteral(": ")
                                       + QString::fromLocal8Bit(std::strerror(err == EEXIST ? ENOTDIR : err)));
        }
        if (slash < 0)
            return true;
        from = slash + 1;
    }
}

namespace {
int g_failAfter = 0; // operations left before the failing one; 0: off

bool injectedFailure(const QString& path, QString* error)
{
    if (g_failAfter <= 0 || --g_failAfter > 0)
        return false;
    return !fail(error, path + QStringLiteral(": operation failed (injected)"));
}
} // namespace

void failFileOperation(int n)
{
    g_failAfter = qMax(n, 0);
}

bool copyFile(const QString& from, const QString& to, QString* error)
{
    if (injectedFailure(from, error))
        return false;
    if (!isRegularFile(from))
        return fail(error, from + QStringLiteral(": not a regular file"));
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        return fail(error, to + QStringLiteral(": exists already"));
    QFile source(from);
    if (!source.copy(to))
        return fail(error, to + QStringLiteral(": ") + source.errorString());
    return true;
}

bool renamePath(const QString& from, const QString& to, QString* error)
{
    if (injectedFailure(from, error))
        return false;
    if (!QFileInfo::exists(from) && !QFileInfo(from).isSymLink())
        return fail(error, from + QStringLiteral(": no such file or folder"));
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink())
        return fail(error, to + QStringLiteral(": exists already"));
    QFile source(from);
    if (!source.rename(to))
        return fail(error, to + QStringLiteral(": ") + source.errorString());
    return true;
}

bool removePath(const QString& path, QString* error)
{
    if (injectedFailure(path, error))
        return false;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return fail(error, path + QStringLiteral(": no such file or folder"));
    if (info.isDir() && !info.isSymLink()) {
        QDir dir(path);
        if (!dir.removeRecursively())
            return fail(error, path + QStringLiteral(": the folder could not be removed"));
        return true;
    }
    QFile file(path);
    if (!file.remove())
        return fail(error, path + QStringLiteral(": ") + file.errorString());
    return true;
}

QStringList listFolder(const QString& folder, ListKind kind, const QStringList& extensions)
{
    QDir::Filters filters = QDir::NoDotAndDotDot;
    if (int(kind) & int(ListKind::Files))
        filters |= QDir::Files;
    if (int(kind) & int(ListKind::Folders))
        filters |= QDir::Dirs;
    const QFileInfoList entries = QDir(folder).entryInfoList(filters, QDir::NoSort);
    QStringList names;
    for (const QFileInfo& entry : entries) {
        if (!extensions.isEmpty() && !extensions.contains(entry.suffix(), Qt::CaseInsensitive))
            continue;
        names.append(entry.fileName());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool isRegularFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace platform
