// The card panel: the card tabs loaded from the current side's record and
// written back into it.
#include "editor/QBXWindowController.h"

#include "app/Globals.h"
#include "barcode/BarcodeGlobals.h"
#include "drawing/QBXGraphicView.h"
#include "editor/panel_controls.h"
#include "platform/stepper.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>

// Fills the card controls the window has so far; the rest of the card panel
// (fill, colours, picture, content font) comes with the card panel's own
// controls.
void QBXWindowController::Load_Card_Panel()
{
    Card_Property& side = Card_Front_Or_Back == 1 ? Back_card_Prop : Front_card_Prop;
    Card_bor_Stepper->setValue(side.Card_bor_Stepper);
    panel::showInt(Card_bor_Text, Card_bor_Stepper->value());
    if (const int at = panel::borderIndex(side.Card_border_style); at >= 0)
        panel::setIndex(Card_border_style, at);
    if (side.Card_fill_style == QLatin1String("H"))
        panel::setIndex(Card_hatch_style,
                        side.Card_hatch_style.isEmpty() ? -1 : Card_hatch_style->findText(side.Card_hatch_style));
    if (const int at = Card_image_layout->findText(side.Card_BG_Image_Layout); at >= 0)
        panel::setIndex(Card_image_layout, at);
    All_Text_font = side.Card_Content_font;
    All_Text_font_COPY = All_Text_font;
    if (QAbstractButton* row = matrix_card_shape->button(Card_Shape.load()))
        row->setChecked(true);
    card_name->setText(side.Card_Name);
    if (_graphicView) {
        side.Card_Location = _graphicView->bounds().topLeft();
        side.Card_Size = _graphicView->bounds().size();
    }
    if (const int at = Preset_ComboBox->findText(side.Card_Preset); at >= 0)
        panel::setIndex(Preset_ComboBox, at);
    if (const int at = Category_ComboBox->findText(side.Card_Category); at >= 0)
        panel::setIndex(Category_ComboBox, at);
    if (side.Card_Cat_index >= 0 && side.Card_Cat_index < ListData.size())
        Mark_List_New_Selection(side.Card_Cat_index);
}

void QBXWindowController::Update_Card_Graphics()
{
    if (Not_Draw_Only_Prop_Change.load())
        return;
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
