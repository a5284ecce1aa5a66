#include "batch/Import_Wizard.h"

#include "app/AppHelpers.h"

Import_Wizard* Import_Wizard::defaultInstance()
{
    static Import_Wizard instance;
    return &instance;
}

int Import_Wizard::Open_Wnd()
{
    Show_NSLog_Message(QStringLiteral("Import_Wizard: the window is not available yet."));
    return 0;
}
