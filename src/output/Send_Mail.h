#pragma once
// The e-mail window: card pictures sent to recipients through the mail script.
// Minimal until its window lands: opening it only logs.

class Send_Mail {
public:
    static Send_Mail* defaultInstance();

    // Opens the window; 0 while the window does not exist.
    int Open_Wnd();
};
