#include "platform/workspace.h"
#include "platform/log.h"

#include <QDesktopServices>

namespace platform::workspace {
namespace {
Opener g_opener;
}

void setOpener(Opener opener)
{
    g_opener = std::move(opener);
}

bool openUrl(const QUrl& url)
{
    const bool opened = g_opener ? g_opener(url) : QDesktopServices::openUrl(url);
    if (!opened)
        logText(QStringLiteral("could not open ") + url.toString());
    return opened;
}

bool openPath(const QString& path)
{
    return openUrl(QUrl::fromLocalFile(path));
}

} // namespace platform::workspace
