#include "batch/Generate_List.h"

#include "app/AppHelpers.h"

Generate_List* Generate_List::defaultInstance()
{
    static Generate_List instance;
    return &instance;
}

int Generate_List::Open_Wnd()
{
    Show_NSLog_Message(QStringLiteral("Generate_List: the window is not available yet."));
    return 0;
}
