#pragma once
// A small wrapper over minizip: unpack a whole archive into a folder, and pack
// a list of files and folders (with their subfolders) into a new archive.
// It is the only user of minizip in the program.
#include <QString>
#include <QStringList>

#include <functional>

class CardZipArchive
{
public:
    // Failure of the unzip operation, in the domain "CardZipArchiveErrorDomain".
    struct Error
    {
        QString domain;
        int code = 0;
        QString localizedDescription;
    };

    // Codes of Error::code.
    enum : int {
        ErrorOpenArchive = -1,   // "failed to open zip file"
        ErrorFirstEntry = -2,    // "failed to open first file in zip file"
        ErrorUnsafePath = -3,    // "unsafe entry path in zip file"
        ErrorTooLarge = -4,      // "zip file is too large to unpack"
        ErrorCorrupt = -5,       // "zip file is corrupt"
        ErrorWriteFailed = -6,   // "failed to write extracted file"
    };

    // Unpacking refuses archives whose central directory declares more than
    // this many bytes or entries, and stops once more bytes than this were
    // written. Tests lower the byte limit to provoke the refusal cheaply.
    static qint64 Max_Unpacked_Bytes;
    static constexpr qint64 Default_Max_Unpacked_Bytes = qint64(1) << 30;
    static constexpr qint64 Max_Entries = 65535;

    // Unpacks every entry of the archive at `path` under `destination`
    // ("\" in entry names is taken as "/"). With overwrite false an existing
    // file is left alone and its entry skipped. An entry name that would lead
    // outside the destination refuses the whole archive before anything is
    // written. On any failure the files and folders this call made are
    // removed, `error` (when given) is filled and false is returned.
    // An archive of at least Parallel_Unpack_Bytes whose entries go to
    // distinct files unpacks on several threads, with the same outcome.
    // `extracted` (when given) is called on the calling thread with each
    // file's path relative to the destination as soon as the file is
    // complete, while others may still be unpacking; after a failure the
    // files it was told about are gone again.
    using EntryDone = std::function<void(const QString& relativePath)>;
    static qint64 Parallel_Unpack_Bytes;
    static bool unzipFileAtPath_toDestination_overwrite_password_error(
        const QString& path, const QString& destination, bool overwrite,
        const QString& password, Error* error, const EntryDone& extracted = {});

    // Packs the files and folders at `paths` (full paths) into a new archive
    // at `path`; each is stored under its last path component, folders with
    // their whole tree (an empty folder as "name/"). False on any failure,
    // and then no archive is left at `path`.
    static bool createZipFileAtPath_withFilesAtPaths(const QString& path, const QStringList& paths);

    // Writing one archive: construct, open, writeFile..., close.
    explicit CardZipArchive(const QString& path);  // initWithPath:
    ~CardZipArchive();
    CardZipArchive(const CardZipArchive&) = delete;
    CardZipArchive& operator=(const CardZipArchive&) = delete;

    // Creates the archive (replacing an existing file); false when it cannot.
    bool open();
    // Adds basePath/relativePath under the name relativePath, a folder with
    // everything inside it. False when a source cannot be read or the archive
    // refuses an entry.
    bool writeFile(const QString& relativePath, const QString& basePath);
    // Finishes the archive; false when the central directory cannot be written.
    bool close();

    // Adds an entry whose bytes the caller has deflated (raw deflate, made
    // at `level`) and hands over piece by piece: openRawEntry, writeEntry...,
    // closeRawEntry with the length and CRC-32 of the data they hold.
    bool openRawEntry(const QString& name, int level);
    bool writeEntry(const char* bytes, qint64 length);
    bool closeRawEntry(qint64 length, quint32 crc);

private:
    bool addFolder(const QString& relativePath, const QString& basePath);
    bool addRegularFile(const QString& name, const QString& sourcePath);

    QString _path;
    QString _filename;
    void* _zip = nullptr;
};
