// The card background pictures of the sides.
#include "editor/QBXWindowController.h"

#include "drawing/CardBackground.h"

void QBXWindowController::set_Front_BG_Image(const QString& path)
{
    if (path.isEmpty())
        return;
    drawing::setBackgroundPicture(Front_card_Prop, path);
    Show_RHS_Properties(nullptr);
    Read_Shown_Pictures();
    Refresh_Canvas();
}

void QBXWindowController::set_Back_BG_Image(const QString& path)
{
    if (path.isEmpty())
        return;
    drawing::setBackgroundPicture(Back_card_Prop, path);
    Show_RHS_Properties(nullptr);
    Read_Shown_Pictures();
    Refresh_Canvas();
}
