// The start of the card editor: one untitled document, the one main window
// controller for it, its start-up, then the event loop.
#include "app/EditorStart.h"

#include "drawing/PictureStore.h"
#include "editor/QBXWindowController.h"
#include "platform/process_end.h"
#include "platform/threads.h"

#include <QThreadPool>

int Start_Editor()
{
    // The program's pictures, kept until the drawing threads have ended.
    drawing::PictureStore pictures;
    struct DrawingEnded {
        ~DrawingEnded() { platform::waitForPoolIdle(*QThreadPool::globalInstance()); }
    } drawingEnded;
    QBXDocument document;
    QBXWindowController controller;
    controller.setDocument(&document);
    if (!controller.awakeFromNib())
        return 1;
    const int status = platform::runEventLoop();
    controller.setDocument(nullptr);
    return status;
}
