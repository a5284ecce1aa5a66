// The barcode designer entry point of the barcode panel.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"

void QBXWindowController::Open_Barcode_Window()
{
    // The designer window comes with the barcode panel.
    Show_NSLog_Message(QStringLiteral("The barcode designer is not available."));
}
