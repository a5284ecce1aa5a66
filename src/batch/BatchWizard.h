#pragma once
// The batch-series wizard: series created and edited.
// Minimal until its window lands: opening it only logs.

class BatchWizard {
public:
    static BatchWizard* defaultInstance();

    // Opens the window; 0 while the window does not exist.
    int Open_Wnd();
};
