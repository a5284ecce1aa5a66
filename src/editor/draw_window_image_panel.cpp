// The picture choosers of the image panel used by the picture tools.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "platform/modal.h"

bool QBXWindowController::Browse_User_Image_Manually()
{
    const std::optional<QString> chosen = platform::modal::openFile(
        QStringLiteral("Choose a picture"), QString(),
        {QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("jpe"), QStringLiteral("jfif"),
         QStringLiteral("gif"), QStringLiteral("bmp"), QStringLiteral("png"), QStringLiteral("tif"),
         QStringLiteral("tiff")});
    if (!chosen || chosen->isEmpty()) {
        Library_Selected_Image = QStringLiteral("");
        return false;
    }
    Library_Selected_Image = *chosen;
    return true;
}

int QBXWindowController::Open_Image_Library_Window(const QString&)
{
    // The picture library comes with the library browser; until then it
    // answers Cancel.
    Show_NSLog_Message(QStringLiteral("The picture library is not available."));
    return 0;
}
