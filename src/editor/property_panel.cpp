// The right-hand property panel: which graphic it shows, and the card panel
// written back into the current side's record.
#include "editor/QBXWindowController.h"

#include "app/Globals.h"
#include "drawing/QBXGraphicView.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>

void QBXWindowController::Show_RHS_Properties(const GraphicPtr& graphic)
{
    // The panel shows the graphic, or the card of the current side for none.
    Last_Selected_Graphic = graphic;
}

void QBXWindowController::Update_Card_Graphics()
{
    Card_Property& side = Card_Front_Or_Back == 1 ? Back_card_Prop : Front_card_Prop;
    if (_graphicView)
        side.Card_Size = _graphicView->frameSize();
    if (Sides_ComboBox)
        side.Card_Side = Sides_ComboBox->currentIndex() == 1 ? QStringLiteral("1") : QStringLiteral("2");
    side.Card_Shape = Card_Property::Card_Shape_Code(Card_Shape.load());
    if (card_name && !card_name->text().isEmpty())
        side.Card_Name = card_name->text();
    if (Preset_ComboBox && Preset_ComboBox->currentIndex() >= 0)
        side.Card_Preset = Preset_ComboBox->currentText();
    if (Category_ComboBox && Category_ComboBox->currentIndex() >= 0)
        side.Card_Category = Category_ComboBox->currentText();
    Refresh_Canvas();
}
