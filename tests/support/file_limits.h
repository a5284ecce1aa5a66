#pragma once
// Failures of the file system provoked without privileges: past the
// file-size limit a write fails as on a full disk, only with EFBIG for
// ENOSPC (SIGXFSZ ignored meanwhile). And the descriptors the process holds.
#include <QDir>
#include <csignal>
#include <sys/resource.h>

class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        signal_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small {bytes, saved_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, signal_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_ {};
    void (*signal_)(int) = nullptr;
};

inline qsizetype openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size();
}
