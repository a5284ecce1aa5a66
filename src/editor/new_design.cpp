// A new design: the reset to one clean state, the start wizard on top of it,
// and the New command that offers to save first.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "batch/Binding_Table_Model.h"
#include "drawing/GraphicDefaults.h"
#include "drawing/PictureStore.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "platform/color_well.h"
#include "platform/pasteboard.h"
#include "platform/process_end.h"
#include "platform/stepper.h"
#include "wizards/Invitation_Wizard.h"
#include "wizards/User_Profile_Class.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <exception>

namespace {

// The values of a side record in a new design: the record defaults, with the
// border switched on.
Card_Property resetSide(const QFont& font, const QColor& colour)
{
    Card_Property side;
    side.Card_border_chk = true;
    side.Card_bordr_clr = QColor::fromRgbF(0, 0, 0, 1);
    side.Card_bor_Stepper = 1;
    side.Card_border_style = QStringLiteral("S");
    side.Card_fill_chk = false;
    side.Card_fill_style = QStringLiteral("S");
    side.Card_fill_clr = QColor::fromRgbF(1, 1, 1, 1);
    side.Card_fill_Grd_1_clr = QColor::fromRgbF(1, 1, 1, 1);
    side.Card_fill_Grd_2_clr = QColor::fromRgbF(1, 1, 1, 1);
    side.Card_grad_Stepper = 0;
    side.Card_hatch_style = QStringLiteral("");
    side.Card_hatch_bk_clr = QColor::fromRgbF(1, 1, 1, 1);
    side.Card_alpha_Stepper = 100.0f;
    side.Card_Side = QStringLiteral("2");
    side.Card_Side_Name = QStringLiteral("F");
    side.Card_Shape = QStringLiteral("R");
    side.Card_Name = QStringLiteral("Untitled");
    side.Card_Location = QPointF(0, 0);
    side.Card_Size = QSizeF(0, 0);
    side.Card_Preset = QStringLiteral("Horizontal");
    side.Card_Category = QStringLiteral("PVC Card");
    side.Card_Sub_Category = QStringLiteral("CR80-Credit Card Size");
    side.Card_Cat_index = 0;
    side.Card_Create_Mode = QStringLiteral("W");
    side.Card_Content_clr = colour;
    side.Card_Content_font = font;
    side.Card_BG_Image = QImage();
    side.Card_BG_Image_Path = QStringLiteral("");
    side.Card_BG_Image_Layout = QStringLiteral("Stretch");
    return side;
}

// Removes every graphic of a canvas's list, leaving no undo step: the old
// design's graphics must not come back by Undo into the new one.
void deleteAllGraphics(QBXGraphicView* canvas, QBXDocument* document)
{
    if (!canvas)
        return;
    canvas->changeSelectionIndexes({});
    canvas->Set_Selected_Graphic(nullptr);
    const int count = int(canvas->graphics().size());
    if (count == 0 || !document)
        return;
    std::vector<int> all(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        all[size_t(i)] = i;
    document->Enable_Disable_Undo_Registraion(false);
    canvas->removeGraphicsAtIndexes(all);
    document->Enable_Disable_Undo_Registraion(true);
}

} // namespace

void QBXWindowController::New_Project_Setting_Reset()
{
    // 1. Panel writes stay off while the controls are reset.
    Not_Draw_Only_Prop_Change = true;

    // 2. Only our own graphics leave the clipboard; what other programs put
    // there stays.
    if (platform::pasteboard::hasGraphics())
        QGuiApplication::clipboard()->clear();

    // 3. The resource and data folders.
    Check_Path_And_Create_Files();

    // 4. The grid is no longer drawn permanently.
    if (_grid)
        _grid->setAlwaysShown(false);

    // 5. No undo history.
    if (m_document)
        m_document->Clear_All_Undo_Redo();

    // 6. The cascade of new graphics starts again.
    last_ctrl_X = 10.0f;
    last_ctrl_Y = 10.0f;

    // 7. The user-profile records of both sides (not the temporary one).
    Fill_User_Profile = false;
    if (Front_user_profile)
        Front_user_profile->Reset_All_Values();
    if (Back_user_profile)
        Back_user_profile->Reset_All_Values();

    // 8. No file.
    Project_File_Name = QStringLiteral("");

    // The spreadsheet binding of the previous design, as reading a log
    // without one leaves it: not used, no source, no columns, no rows.
    Excel_Binding_Use = false;
    Excel_Source_Path = QStringLiteral("");
    if (Data_source_type) {
        const QSignalBlocker block(Data_source_type);
        Remove_Excel_Col_Name_In_Combo(Data_source_type);
    }
    if (Binding_Table_Model* table = Binding_Table_Model::defaultInstance()) {
        table->Clear_Rows();
        table->Set_Sheet_Columns({});
    }

    // 9. The all-text font and colour.
    All_Text_font = graphic_defaults::namedFont(Text_Ctrl_Font, 14.0);
    All_Text_font_COPY = QFont();
    const QColor black = QColor::fromRgbF(0, 0, 0, 1);
    Show_All_Text_Font();
    if (All_Text_clr)
        All_Text_clr->setColor(black);
    All_Text_clr_COPY = black;

    // 10. Both side records.
    Front_card_Prop = resetSide(All_Text_font, black);
    Back_card_Prop = resetSide(All_Text_font, black);

    // Two sides again: a one-sided design must not pass "1" on to the new
    // card's record.
    CARD_SIDE_STR = QStringLiteral("2");
    if (Sides_ComboBox) {
        const QSignalBlocker block(Sides_ComboBox);
        Sides_ComboBox->setCurrentIndex(0);
    }

    // 11. The front side, its fill radios for a solid fill.
    Select_front_side();
    card_prop_set(QStringLiteral("S"));

    // 12. The window title.
    Set_Log_Name_In_Title();

    // 13. Both sides' graphics, with both selections and every reference
    // to them.
    deleteAllGraphics(_graphicView, m_document.data());
    deleteAllGraphics(_graphicView_BACK, m_document.data());
    Last_Selected_Graphic.reset();
    // Their decoded pixels go with them.
    drawing::releaseDecodedPictures();

    // 14.
    Not_Draw_Only_Prop_Change = false;
}

void QBXWindowController::New_Project()
{
    try {
        New_Project_Setting_Reset();
        Show_RHS_Properties(nullptr);
        Refresh_Canvas();
        Open_Start_Window();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    Not_Draw_Only_Prop_Change = false;
}

bool QBXWindowController::New_Btn_Clicked(QObject*)
{
    if (Show_YES_NO_MessageBox(QStringLiteral("Do you want to save changes before opening new document?"))) {
        // A cancelled panel or a failed write keeps the design.
        if (!Save_project_file(false, true))
            return false;
    }
    New_Project();
    Undo_Redo_Button_state();
    return true;
}

void QBXWindowController::Open_Start_Window()
{
    if (Front_back_label)
        Front_back_label->hide();
    Invitation_Wizard* wizard = Invitation_Wizard::defaultInstance();
    const int result = wizard->Open_Wnd();
    if (result != 1) {
        // Exit has ended the program already (through the same seam). The
        // close box ends it too, but a design with graphics goes through
        // the exit command and its save question first.
        if (wizard->exit_requested)
            return;
        if (Get_Front_Controls_Array().empty() && Get_Back_Controls_Array().empty())
            platform::endProcess(0);
        else
            Exit_App();
        return;
    }
    if (Front_back_label)
        Front_back_label->show();
    if (Start_Card_Option != QLatin1String("W"))
        return;
    if (m_document)
        m_document->Enable_Disable_Undo_Registraion(false);
    // The new card is built on the front, whatever side was showing.
    Select_front_side();
    // The side switch showed the reset record's preset; the card has the
    // wizard's size.
    if (width_Stepper && height_Stepper)
        Select_Matching_Preset(QSizeF(width_Stepper->value(), height_Stepper->value()));
    Update_Card_Graphics();
    if (myTargetView && first_view)
        myTargetView->setCurrentWidget(first_view);
    if (sett_tab)
        sett_tab->show();
    if (matrix_card_shape) {
        if (QAbstractButton* row = matrix_card_shape->button(Card_Shape.load()))
            row->setChecked(true);
    }
    Fill_Party_Invidation_Details();
    Show_RHS_Properties(nullptr);
    if (m_document)
        m_document->Enable_Disable_Undo_Registraion(true);
    // The edit buttons follow the canvas as the card panel left it.
    Undo_Redo_Button_state();
}

void QBXWindowController::newDocumentWindow()
{
    // The new-window command is the New command: the save question first,
    // then the reset and the wizard.
    New_Btn_Clicked(nullptr);
}
