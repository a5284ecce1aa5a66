#pragma once
// The print window: cards laid several to a sheet, printed or previewed.
// Minimal until its window lands: opening it only logs.

class Print_Wnd {
public:
    static Print_Wnd* defaultInstance();

    // Opens the print window.
    void Open_Print_Wnd();
};
