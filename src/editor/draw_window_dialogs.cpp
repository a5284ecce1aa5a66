// The sharing page and the template-name window.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "editor/Links.h"

void QBXWindowController::Open_Share_It_Dl()
{
    links::open(links::commandLink(QStringLiteral("share"), App_Name));
}

int QBXWindowController::Run_Export_Template_Window()
{
    return ::Run_Export_Template_Window();
}
