// The user-profile forms' opening and the placement of a profile record on a
// card side.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"

std::function<void(int)> Profile_Field_Placement_Hook;

int QBXWindowController::Open_User_Profile_Window(int, const QString&)
{
    Show_NSLog_Message(QStringLiteral("The user profile form is not available."));
    return 0;
}

void QBXWindowController::Place_User_Profile(User_Profile_Class*, QBXGraphicView*) {}

void QBXWindowController::Align_Data_Source_Combo_With_Excel() {}

void QBXWindowController::Fill_User_profile_info_front_side() {}

void QBXWindowController::Fill_User_profile_info_back_side() {}

void QBXWindowController::Fill_User_profile_info_TEMP_side() {}

void QBXWindowController::Fill_User_profile_Details()
{
    Fill_User_profile_info_front_side();
    Fill_User_profile_info_back_side();
}

QRectF QBXWindowController::Get_Control_Rect_From_Template(const QString&)
{
    return QRectF();
}

GraphicList QBXWindowController::Preview_User_Profile()
{
    return {};
}
