// The template browser and the card-size wizard as editor commands: a chosen
// template replaces the design, a chosen size and outline go into the card.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "drawing/Card_Property.h"
#include "editor/panel_controls.h"
#include "platform/stepper.h"
#include "wizards/Card_Size_List.h"
#include "wizards/Card_Wizard.h"
#include "wizards/Template_Wizard.h"
#include "wizards/User_Profile_Class.h"
#include "wizards/WizardGlobals.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <exception>

QStringList QBXWindowController::Card_Size_Names(int category) const
{
    return category == 0 ? pvc_card_arry : paper_card_arry;
}

QPushButton* QBXWindowController::Make_Card_Size_Button()
{
    Card_Size_btn = new QPushButton(QStringLiteral("Card Size…"));
    Card_Size_btn->setObjectName(QStringLiteral("Card_Size_btn"));
    connect(Card_Size_btn, &QPushButton::clicked, this, [this] { Card_Size_Btn_Clicked(Card_Size_btn); });
    return Card_Size_btn;
}

void QBXWindowController::Show_Card_Shape_Row()
{
    if (!matrix_card_shape)
        return;
    const QSignalBlocker block(matrix_card_shape);
    if (QAbstractButton* row = matrix_card_shape->button(Card_Shape.load()))
        row->setChecked(true);
}

void QBXWindowController::Templates_Btn_Clicked(QObject*)
{
    try {
        Template_Wizard* browser = Template_Wizard::defaultInstance();
        if (browser->Open_Template_Window() != 1)
            return;
        // The browser's OK set the outline to the rectangle; a template that
        // is not loaded leaves the design's own.
        const auto keepShape = [this, browser] {
            Card_Shape = browser->shape_at_opening;
            Show_Card_Shape_Row();
        };
        if (Show_YES_NO_MessageBox(QStringLiteral("Do you want to save changes before opening new document?"))) {
            // A cancelled panel or a failed write keeps the design.
            if (!Save_project_file(false, true)) {
                keepShape();
                return;
            }
        }
        // The profile filled in the browser survives the load's reset.
        const User_Profile_Class front = *Front_user_profile;
        const User_Profile_Class back = *Back_user_profile;
        const bool filled = Fill_User_Profile;
        if (Read_and_load_design_Log(Selected_Template_Path, QStringLiteral("T")) != 1) {
            keepShape();
            return;
        }
        Undo_Redo_Button_state();
        if (browser->profile_filled) {
            *Front_user_profile = front;
            *Back_user_profile = back;
            Fill_User_Profile = filled;
            Fill_User_profile_Details();
            Refresh_Canvas();
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void QBXWindowController::Card_Size_Btn_Clicked(QObject*)
{
    try {
        Card_Wizard* wizard = Card_Wizard::defaultInstance();
        if (wizard->Open_Wnd() != 1)
            return;
        const float width = float(wizard->size_list->width_Stepper->value());
        const float height = float(wizard->size_list->height_Stepper->value());
        // The name, orientation and category chosen in the wizard become the
        // card's; the panel's list then shows that category's presets.
        if (const QString name = Trim_Str(wizard->card_name->text()); !name.isEmpty())
            panel::setText(card_name, name);
        panel::setIndex(Preset_ComboBox, wizard->size_list->Preset_ComboBox->currentIndex());
        panel::setIndex(Category_ComboBox, wizard->size_list->Category_ComboBox->currentIndex());
        comboBoxSelectionDidChange(Category_ComboBox);
        Set_Card_Size_In_Control(QSizeF(width, height));
        Show_Card_Shape_Row();
        // The card's size and outline live in the front record, whichever
        // side is shown.
        Front_card_Prop.Card_Size = QSizeF(MM_to_Points_Convert(width), MM_to_Points_Convert(height));
        Front_card_Prop.Card_Shape = Card_Property::Card_Shape_Code(Card_Shape.load());
        Update_Card_Graphics();
        if (wizard->profile_filled) {
            Fill_User_profile_Details();
            Refresh_Canvas();
        }
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}
