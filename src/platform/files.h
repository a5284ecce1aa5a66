#pragma once
// File and folder services: atomic writes, safe child paths, private
// folders, removal, and folder listings in one fixed order.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QIODevice;

namespace platform {

enum class WriteMode {
    Default,  // a new file gets the usual mode; a replaced file keeps its mode
    OwnerOnly // the file is readable and writable by its owner only (0600)
};

// Writes the bytes to a temporary file beside path and renames it over path.
// On any failure path is left as it was; false with the reason in *error.
bool writeFileAtomically(const QString& path, const QByteArray& bytes,
                         WriteMode mode = WriteMode::Default, QString* error = nullptr);
// The same, with the content produced into the device; returning false from
// produce cancels the write and leaves path untouched. *error is emptied as
// the write begins; on failure it holds the system's reason when the file
// failed, else the reason produce put there itself (into the same string),
// else "writing was cancelled".
bool writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& produce,
                         WriteMode mode = WriteMode::Default, QString* error = nullptr);

// Writes a new file with the content produced into the device: it appears at
// path whole or not at all, and never replaces an existing file. Unlike the
// atomic write above it is not forced to disk one by one: a run writing many
// files calls syncFolder once at its end. The reasons are given as by
// writeFileAtomically.
bool writeNewFile(const QString& path, const std::function<bool(QIODevice&)>& produce, QString* error = nullptr);

// Test hook: writeNewFile acts as on a file system that lacks the feature
// named and every one before it: unnamed temporary files (FAT, some network
// file systems), hard links (FAT), renames that refuse to replace (some
// network and FUSE file systems answer EINVAL). Native lacks none.
enum class FileSystemStandIn { Native, NoUnnamedFiles, NoLinks, NoExclusiveRename };
void standInFileSystem(FileSystemStandIn lacking);

// Forces everything written to the file system holding folder to disk.
bool syncFolder(const QString& folder, QString* error = nullptr);

// folder/name or folder/name.ext for a single file name. Refuses (nullopt)
// an empty name, a name holding "/" or U+0000, and "." or "..", so a name
// taken from the user can never leave the folder.
std::optional<QString> childPath(const QString& folder, const QString& name, const QString& ext = {});

// Creates every missing level of path with mode 0700; existing folders are
// left as they are and count as success.
bool makeFolder(const QString& path, QString* error = nullptr);

// Removes a file, a link or a whole folder. False (with the reason) when the
// path does not exist or cannot be removed.
bool removePath(const QString& path, QString* error = nullptr);

// Copies a regular file; never replaces: an existing target is a failure.
bool copyFile(const QString& from, const QString& to, QString* error = nullptr);
// Renames (moves within one file system); never replaces an existing target.
bool renamePath(const QString& from, const QString& to, QString* error = nullptr);

// Test hook: the n-th of the following calls of removePath, copyFile and
// renamePath fails (n counted from 1); 0 turns the hook off. Needed where
// permissions cannot make a call fail (tests run as root).
void failFileOperation(int n);

// True when path names a regular file (links followed). FIFOs, devices and
// folders are not: opening them to read may block or never end.
bool isRegularFile(const QString& path);

enum class ListKind { Files = 1, Folders = 2, All = 3 };
// Names (not paths) of the visible entries of folder, sorted by code point,
// optionally only those whose suffix is one of extensions (case-insensitive,
// without the dot).
QStringList listFolder(const QString& folder, ListKind kind = ListKind::All,
                       const QStringList& extensions = {});

} // namespace platform
