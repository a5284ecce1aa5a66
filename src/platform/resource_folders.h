#pragma once
// The per-user resource folder: where it is, and how it is created and
// seeded from the resources installed beside the program.
#include <QString>

namespace platform {

// $CARDWRIGHT_RESOURCE_DIR when set, else the application data location
// (~/.local/share/Cardwright).
QString defaultResourceFolder();
// <bindir>/../share/cardwright, where build and install put resources/.
QString defaultSeedFolder();

// Creates folder (0700 for every level made) and copies into it every file
// and folder of seedFolder that it lacks; files already there, edited or
// not, are kept. A missing seed folder seeds nothing. False, with the
// reason, when folder cannot be created; a file that cannot be copied is
// logged and skipped.
bool prepareResourceFolder(const QString& folder, const QString& seedFolder, QString* error = nullptr);

} // namespace platform
