#include "output/Print_Wnd.h"

#include "app/AppHelpers.h"

Print_Wnd* Print_Wnd::defaultInstance()
{
    static Print_Wnd instance;
    return &instance;
}

void Print_Wnd::Open_Print_Wnd()
{
    Show_NSLog_Message(QStringLiteral("Print_Wnd: the window is not available yet."));
}
