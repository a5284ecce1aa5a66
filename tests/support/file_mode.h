#pragma once
// The permission bits of a path (-1 when it does not exist).
#include <QFile>
#include <QString>
#include <sys/stat.h>

inline int fileMode(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return int(st.st_mode & ~S_IFMT);
}
