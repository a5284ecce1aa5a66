// The sharing page of the small dialogs.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"

void QBXWindowController::Open_Share_It_Dl()
{
    Show_NSLog_Message(QStringLiteral("Sharing is not available."));
}

int QBXWindowController::Run_Export_Template_Window()
{
    return ::Run_Export_Template_Window();
}
