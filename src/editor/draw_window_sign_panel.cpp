// The signature panel: loaded from a signature or fingerprint graphic and
// written back into the selected ones.
#include "editor/QBXWindowController.h"

#include "barcode/BarcodeGlobals.h"

// The signature tab's controls come with the signature panel; the host
// loads the data-source part.
void QBXWindowController::Load_Sign_Panel(const GraphicPtr&) {}

void QBXWindowController::Update_Sign_Graphics()
{
    if (Not_Draw_Only_Prop_Change.load())
        return;
    Refresh_Panel_Canvas();
}
