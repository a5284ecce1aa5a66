// Starting a new design. The start wizard, the save question and the full
// reset of both sides join here with the new-design command.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"

void QBXWindowController::New_Project()
{
    // The start-up design: empty lists, default side records, the default
    // card size. The start wizard and the full reset join with their issue.
    Check_Path_And_Create_Files();
    Front_card_Prop = Card_Property();
    Back_card_Prop = Card_Property();
    if (m_document) {
        for (const QString& key : {QStringLiteral("graphics"), QStringLiteral("graphics_back"),
                                   QStringLiteral("graphics_temp")}) {
            const GraphicList list = m_document->listForKey(key);
            if (!list.empty())
                m_document->removeGraphicsWithoutUndo(key, list);
        }
        m_document->Clear_All_Undo_Redo();
    }
    SetDocumentCanvasSize(QBXDocument::canvasSize(true, QSizeF()));
}

void QBXWindowController::newDocumentWindow()
{
    // The "new" command does what the new-design button does; it is wired
    // with that button.
}
