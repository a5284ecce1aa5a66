// The background picture browser of the main window: the pictures of the
// resource folder's "Background" folder; a pick becomes the front side's
// background.
#include "editor/QBXWindowController.h"

#include "app/Globals.h"

void QBXWindowController::Load_and_fill_backgrounds()
{
    // No folder: the browser stays as it is, without a message.
    Load_Picture_Folder(Resource_Path + QStringLiteral("/Background"));
}

void QBXWindowController::Picture_Chosen(const QString& path)
{
    // A file that gives no picture leaves the background as it was.
    if (!Check_Picture_File(path))
        return;
    selected_image = path;
    // The front record gets the picture whatever side is shown.
    set_Front_BG_Image(selected_image);
    Refresh_Canvas();
}
