#pragma once
// A started main window controller over a fresh document, as the program
// starts it (offscreen, with the temporary resource folder of the test main).
#include "drawing/QBXDocument.h"
#include "editor/QBXWindowController.h"

#include <QString>

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

// Runs this test program's tests matching `filter` on a fresh X server with
// one screen of `screen` ("1366x768x24"), the xcb platform and the
// environment variable `cue` set to "inner" (which the child test waits for).
// Its exit code (-1 when it did not end in `milliseconds`) and output.
struct XvfbRun {
    int exitCode = -1;
    QString log;
};
XvfbRun runUnderXvfb(const QString& filter, const QString& cue, const QString& screen, int milliseconds);
