#include "batch/BatchWizard.h"

#include "app/AppHelpers.h"

BatchWizard* BatchWizard::defaultInstance()
{
    static BatchWizard instance;
    return &instance;
}

int BatchWizard::Open_Wnd()
{
    Show_NSLog_Message(QStringLiteral("BatchWizard: the window is not available yet."));
    return 0;
}
