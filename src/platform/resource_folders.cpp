#include "platform/resource_folders.h"
#include "platform/files.h"
#include "platform/log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace platform {
namespace {

void seed(const QString& from, const QString& to)
{
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString target = to + QLatin1Char('/') + entry.fileName();
        if (entry.isDir()) {
            QString error;
            if (makeFolder(target, &error))
                seed(entry.filePath(), target);
            else
                logText(QStringLiteral("resource folder not seeded: ") + error);
        } else if (!QFileInfo::exists(target) && !QFile::copy(entry.filePath(), target)) {
            logText(QStringLiteral("resource file not copied: ") + target);
        }
    }
}

} // namespace

QString defaultResourceFolder()
{
    const QString fromEnvironment = qEnvironmentVariable("CARDWRIGHT_RESOURCE_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString defaultSeedFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/cardwright"));
}

bool prepareResourceFolder(const QString& folder, const QString& seedFolder, QString* error)
{
    if (!makeFolder(folder, error))
        return false;
    if (!seedFolder.isEmpty() && QFileInfo(seedFolder).isDir())
        seed(seedFolder, folder);
    return true;
}

} // namespace platform
