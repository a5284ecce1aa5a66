#include "support_editor.h"

#include "app/Globals.h"
#include "platform/process_end.h"
#include "support/test_responder.h"
#include "wizards/Invitation_Wizard.h"

#include <QApplication>

StartedEditor::StartedEditor(bool wizardRuns)
{
    Card_Front_Or_Back = 0;
    last_ctrl_X = 10.0f;
    last_ctrl_Y = 10.0f;
    controller = std::make_unique<QBXWindowController>();
    controller->setDocument(document.get());
    // Start-up runs the start wizard; leave it with Exit, whose end of the
    // program is recorded instead of carried out.
    platform::setProcessEndHandler([this](int status) { endedWith = status; });
    if (wizardRuns)
        testResponder().onDialog([](QDialog&) { Invitation_Wizard::defaultInstance()->ExitClick(); });
    started = controller->awakeFromNib();
    settle();
}

StartedEditor::~StartedEditor()
{
    platform::setProcessEndHandler({});
    controller.reset();
    document.reset();
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}
