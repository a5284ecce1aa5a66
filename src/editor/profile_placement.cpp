// The user-profile form and the placement of its fields (the profile forms'
// work); until they land the form answers Cancel and places nothing.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"

int QBXWindowController::Open_User_Profile_Window(int, const QString&)
{
    Show_NSLog_Message(QStringLiteral("The user profile form is not available."));
    return 0;
}

void QBXWindowController::Fill_User_profile_info_front_side() {}

void QBXWindowController::Fill_User_profile_info_back_side() {}
