#pragma once
// The import wizard: series values imported from text or spreadsheet files.
// Minimal until its window lands: opening it only logs.

class Import_Wizard {
public:
    static Import_Wizard* defaultInstance();
    // 1: the wizard asks for a series file name; file_name_Insert 1: it adds to the open series.
    int file_name_required = 0;
    int file_name_Insert = 0;
    // Opens the window; 0 while the window does not exist.
    int Open_Wnd();
};
