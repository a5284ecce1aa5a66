// Card sides and the undo buttons.
#include "editor/QBXWindowController.h"

#include "app/Globals.h"
#include "drawing/QBXGraphicView.h"

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>

void QBXWindowController::Select_front_side()
{
    Card_Front_Or_Back = 0;
    if (myTargetView && first_view)
        myTargetView->setCurrentWidget(first_view);
    if (Front_back_label)
        Front_back_label->setText(QStringLiteral("Front"));
    Refresh_Canvas();
}

void QBXWindowController::Undo_Redo_Button_state()
{
    platform::UndoManager* undo = m_document ? m_document->undoManager() : nullptr;
    if (Undo_btn)
        Undo_btn->setEnabled(undo && undo->canUndo());
    if (Redo_btn)
        Redo_btn->setEnabled(undo && undo->canRedo());
}
