// The right-hand property panel: which graphic it shows, and the card panel
// written back into the current side's record.
#include "editor/QBXWindowController.h"

#include "app/Globals.h"
#include "barcode/BarcodeGlobals.h"
#include "drawing/QBXGraphicView.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

// Minimal until the panels land: the panel request returns the tool to the
// arrow, follows the current graphic and sets the standard buttons; loading
// the tabs of each kind is the panels' own work.
void QBXWindowController::Show_RHS_Properties(const GraphicPtr& graphic)
{
    if (Not_Draw_Only_Prop_Change.load())
        return;
    selectArrowTool();
    if (!graphic) {
        Disable_Standard_Button_For_Card();
        Last_Selected_Graphic.reset();
        return;
    }
    Enable_Standard_Button_For_Control();
    if (graphic->ctrl_is_locked)
        Disable_Standard_Button_For_Lock();
    else
        Enable_Standard_Button_For_Unlock();
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

// ---- the canvas container and the standard buttons ----

void QBXWindowController::changeViewController(int index)
{
    QWidget* views[3] = {first_view, second_view, temp_design_view};
    if (index < 0 || index > 2 || !myTargetView || !views[index])
        return;
    myTargetView->setCurrentWidget(views[index]);
}

void QBXWindowController::card_prop_set(const QString&)
{
    // The card panel's fill radios come with the card panel.
}
