#pragma once
// A started main window controller over a fresh document, as the program
// starts it (offscreen, with the temporary resource folder of the test main).
#include "drawing/QBXDocument.h"
#include "editor/QBXWindowController.h"

#include <memory>

struct StartedEditor {
    std::unique_ptr<QBXDocument> document = std::make_unique<QBXDocument>();
    std::unique_ptr<QBXWindowController> controller;
    bool started = false;
    int endedWith = -1; // status handed to the end of the program

    // `wizardRuns` false: start-up is expected to stop before the wizard.
    explicit StartedEditor(bool wizardRuns = true);
    ~StartedEditor();
    QBXWindowController* operator->() const { return controller.get(); }
};

// Lets queued work (refresh requests, paints) run.
void settle();
