#include "support_editor.h"

#include "app/Globals.h"

#include <QApplication>

StartedEditor::StartedEditor()
{
    Card_Front_Or_Back = 0;
    last_ctrl_X = 10.0f;
    last_ctrl_Y = 10.0f;
    controller = std::make_unique<QBXWindowController>();
    controller->setDocument(document.get());
    started = controller->awakeFromNib();
    settle();
}

StartedEditor::~StartedEditor()
{
    controller.reset();
    document.reset();
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}
