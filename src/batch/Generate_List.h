#pragma once
// The series generator: numbered or dated series made from a pattern.
// Minimal until its window lands: opening it only logs.

class Generate_List {
public:
    static Generate_List* defaultInstance();
    // 1: the generator asks for a series file name; file_name_Insert 1: it adds to the open series.
    int file_name_required = 0;
    int file_name_Insert = 0;
    // Opens the window; 0 while the window does not exist.
    int Open_Wnd();
};
