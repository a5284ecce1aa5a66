#pragma once
// Opens files, folders and links in the user's default applications.
// Tests replace the opener to record the requests instead.
#include <QString>
#include <QUrl>
#include <functional>

namespace platform::workspace {

using Opener = std::function<bool(const QUrl&)>;

// Replaces the opener; an empty one restores the desktop's. Main thread only.
void setOpener(Opener opener);

bool openUrl(const QUrl& url);
bool openPath(const QString& path);

} // namespace platform::workspace
