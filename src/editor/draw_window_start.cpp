// The start of the card editor: one untitled document, the one main window
// controller for it, its start-up, then the event loop.
#include "app/EditorStart.h"

#include "editor/QBXWindowController.h"
#include "platform/process_end.h"

int Start_Editor()
{
    QBXDocument document;
    QBXWindowController controller;
    controller.setDocument(&document);
    if (!controller.awakeFromNib())
        return 1;
    const int status = platform::runEventLoop();
    controller.setDocument(nullptr);
    return status;
}
