#include "output/Send_Mail.h"

#include "app/AppHelpers.h"

Send_Mail* Send_Mail::defaultInstance()
{
    static Send_Mail instance;
    return &instance;
}

int Send_Mail::Open_Wnd()
{
    Show_NSLog_Message(QStringLiteral("Send_Mail: the window is not available yet."));
    return 0;
}
