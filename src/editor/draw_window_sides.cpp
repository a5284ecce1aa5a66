// Card sides, the edit commands forwarded to the current side's canvas, lock
// and unlock, the grid commands and the card tasks (background, template
// export, user profile, sharing).
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "barcode/BarcodeGlobals.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXGrid.h"
#include "platform/color_well.h"
#include "platform/files.h"
#include "platform/pasteboard.h"
#include "platform/tab_item.h"
#include "wizards/Grid_Wizard.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>

#include <algorithm>
#include <cstdio>

// ---------------------------------------------------------------- sides

void QBXWindowController::Select_front_side()
{
    Front_back_label->setText(QStringLiteral("Front"));
    Card_Front_Or_Back = 0;
    changeViewController(0);
    Show_RHS_Properties(nullptr);
    Undo_Redo_Button_state();
}

void QBXWindowController::Select_back_side()
{
    Front_back_label->setText(QStringLiteral("Back"));
    Card_Front_Or_Back = 1;
    changeViewController(1);
    Show_RHS_Properties(nullptr);
    Undo_Redo_Button_state();
}

void QBXWindowController::Select_temp_design_side()
{
    Front_back_label->setText(QStringLiteral("TEMP"));
    changeViewController(2);
    Show_RHS_Properties(nullptr);
    Undo_Redo_Button_state();
}

void QBXWindowController::Front_Card_Btn_Clicked(QObject*) { Select_front_side(); }
void QBXWindowController::Back_Card_Btn_Clicked(QObject*) { Select_back_side(); }

void QBXWindowController::Temp_Card_Btn_Clicked(QObject*)
{
    Select_temp_design_side();
    Temp_Design_Control_Assign();
}

void QBXWindowController::Temp_Design_Control_Assign()
{
    if (!_graphicView_TEMP || !m_document)
        return;
    _graphicView_TEMP->delete_all_control();
    // The very graphics of the side, not copies.
    const GraphicList side = Card_Front_Or_Back == 1 ? Get_Back_Controls_Array() : Get_Front_Controls_Array();
    std::vector<int> indexes;
    for (int i = 0; i < int(side.size()); ++i)
        indexes.push_back(i);
    if (!side.empty())
        _graphicView_TEMP->insertGraphics(side, indexes);
    _graphicView_TEMP->setNeedsDisplay();
    Undo_Redo_Button_state();
}

// ---------------------------------------------------------------- edit commands

// Undo and redo change graphics behind the panel: it shows them again.
void QBXWindowController::Undo_Clicked(QObject*)
{
    if (QBXGraphicView* c = currentSideCanvas())
        c->undo();
    Reload_Shown_Graphic();
}

void QBXWindowController::Redo_Clicked(QObject*)
{
    if (QBXGraphicView* c = currentSideCanvas())
        c->redo();
    Reload_Shown_Graphic();
}

void QBXWindowController::Cut_Clicked(QObject*)
{
    if (QBXGraphicView* c = currentSideCanvas())
        c->cut();
}

void QBXWindowController::Copy_Clicked(QObject*)
{
    if (QBXGraphicView* c = currentSideCanvas())
        c->copy();
}

void QBXWindowController::Paste_Clicked(QObject*)
{
    if (QBXGraphicView* c = currentSideCanvas())
        c->paste();
}

void QBXWindowController::Delete_Clicked(QObject*)
{
    if (QBXGraphicView* c = currentSideCanvas())
        c->delete_();
}

void QBXWindowController::Begin_Front_Clicked(QObject*)
{
    if (QBXGraphicView* c = currentSideCanvas())
        c->bringToFront();
}

void QBXWindowController::Send_Back_Clicked(QObject*)
{
    if (QBXGraphicView* c = currentSideCanvas())
        c->sendToBack();
}

// ---------------------------------------------------------------- edit buttons

// The one place that sets the edit buttons, from the shown canvas's selection
// and its lock state, the clipboard, and the undo history, which only the
// front list keeps. Runs after every side switch, selection change, edit
// command, clipboard change and the wizard's placement.
void QBXWindowController::Undo_Redo_Button_state()
{
    QBXGraphicView* canvas = currentSideCanvas();
    const GraphicList selected = canvas ? canvas->selectedGraphics() : GraphicList();
    const bool any = !selected.empty();
    const bool locked =
        std::any_of(selected.begin(), selected.end(), [](const GraphicPtr& g) { return g->ctrl_is_locked; });
    platform::UndoManager* um = m_document ? m_document->undoManager() : nullptr;
    const bool history = um && canvas && canvas == _graphicView;
    const auto set = [](std::initializer_list<QPushButton*> buttons, bool on) {
        for (QPushButton* b : buttons) {
            if (b)
                b->setEnabled(on);
        }
    };
    set({Undo_btn}, history && um->canUndo());
    set({Redo_btn}, history && um->canRedo());
    // A locked graphic in the selection holds back every command that would
    // move, remove or replace it.
    set({Cut_btn, Copy_btn, Delete_btn, Begin_Front_btn, Send_Back_btn, Lock_btn}, any && !locked);
    set({Unlock_btn}, locked);
    set({Paste_btn}, m_pasteState == 1 && !locked);
    set({Make_same_width_btn, Make_same_height_btn}, selected.size() >= 2);
    set({Make_natural_size_btn}, canvas && canvas->validateMenuItem(QStringLiteral("makeNaturalSize:")));
    Menu_Item_State();
}

void QBXWindowController::Set_Paste_Button_Status()
{
    // A format query is a round trip to the display server, and the property
    // panel asks at every load: the answer is kept until the clipboard
    // changes or is written here (m_pasteState -1).
    namespace pb = platform::pasteboard;
    if (m_pasteState < 0) {
        m_pasteState =
            pb::availableTypeFromArray({QBXGraphicViewPasteboardType, QString::fromLatin1(pb::kFileNamesType)})
                    == QBXGraphicViewPasteboardType
                ? 1
                : 0;
    }
    Undo_Redo_Button_state();
}

// The panel's button sets all come down to the state of the shown canvas.
void QBXWindowController::Enable_Standard_Button_For_Control() { Undo_Redo_Button_state(); }
void QBXWindowController::Enable_Standard_Button_For_Unlock() { Undo_Redo_Button_state(); }
void QBXWindowController::Disable_Standard_Button_For_Card() { Undo_Redo_Button_state(); }
void QBXWindowController::Disable_Standard_Button_For_Lock() { Undo_Redo_Button_state(); }

// ---------------------------------------------------------------- lock

namespace {

void setLocked(QBXWindowController& c, bool lock)
{
    QBXGraphicView* canvas = c.currentSideCanvas();
    const GraphicList selected = canvas ? canvas->selectedGraphics() : GraphicList();
    if (selected.empty()) {
        Show_MessageBox(lock ? QStringLiteral("Please select a control to Lock.")
                             : QStringLiteral("Please select a control to Unlock."));
        return;
    }
    for (const GraphicPtr& g : selected) {
        g->ctrl_is_locked = lock;
        canvas->startEditingGraphic(g);
        canvas->setNeedsDisplayInRect(g->drawingBounds());
    }
    const platform::IndexSet keep = canvas->selectionIndexes();
    c.Show_RHS_Properties(nullptr);
    canvas->changeSelectionIndexes(keep);
    c.Refresh_Canvas();
    c.Show_RHS_Properties(selected.back());
    c.Undo_Redo_Button_state();
}

} // namespace

void QBXWindowController::Lock_Clicked(QObject*) { setLocked(*this, true); }
void QBXWindowController::Unlock_Clicked(QObject*) { setLocked(*this, false); }

// ---------------------------------------------------------------- card tasks

void QBXWindowController::Card_Prop_Clicked(QObject*)
{
    Show_RHS_Properties(nullptr);
}

void QBXWindowController::Card_Bckgrnd_Clicked(QObject*)
{
    Show_RHS_Properties(nullptr);
    // A library file that gives no picture leaves the background as it was.
    if (Open_Image_Library_Window(QStringLiteral("B")) != 1 || !Check_Picture_File(lib_window_sel_file))
        return;
    const QString file = lib_window_sel_file;
    card_prop_set(QStringLiteral("I"));
    if (Card_Front_Or_Back == 1)
        set_Back_BG_Image(file);
    else
        set_Front_BG_Image(file);
    Update_Card_Graphics();
    if (sett_tab && card_bkgd_tab && sett_tab->indexOf(card_bkgd_tab->view()) >= 0)
        sett_tab->setCurrentWidget(card_bkgd_tab->view());
}

void QBXWindowController::Export_As_Template_Clicked(QObject*)
{
    if (Run_Export_Template_Window() != 1)
        return;
    const QString name = export_template_name;
    // The name must stay inside the user template folder.
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
        || name.contains(QLatin1String("..")) || name.startsWith(QLatin1Char('.'))) {
        Show_MessageBox(QStringLiteral("Please enter template name."));
        return;
    }
    const QString folder = Resource_Path + QStringLiteral("/Templates/User");
    platform::makeFolder(folder);
    const QString base = folder + QLatin1Char('/') + name;
    const QString design = base + QLatin1Char('.') + design_file_EXT;
    const QString preview = base + QStringLiteral(".png");
    // Temporaries start with a dot and carry no template extension, so the
    // template browser never lists them; they replace the pair only when
    // both were written.
    const QString tmpDesign = folder + QStringLiteral("/.") + name + QStringLiteral(".design.tmp");
    const QString tmpPreview = folder + QStringLiteral("/.") + name + QStringLiteral(".preview.tmp");
    QFile::remove(tmpDesign);
    QFile::remove(tmpPreview);

    const QString keptName = Project_File_Name;
    Project_File_Name = tmpDesign;
    const bool saved = Save_project_file(false, false);
    Project_File_Name = keptName;
    Set_Log_Name_In_Title();

    bool exported = false;
    if (saved) {
        const QString keptSide = export_card_side;
        const bool keptCombined = export_combined_image;
        export_card_side = QStringLiteral("BOTH");
        export_combined_image = true;
        exported = Export_Single_File(tmpPreview, false);
        export_card_side = keptSide;
        export_combined_image = keptCombined;
    }
    // Templates live in the private resource folder: owner-only files.
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!saved || !exported || !QFileInfo(tmpDesign).isFile() || !QFileInfo(tmpPreview).isFile()
        || !QFile::setPermissions(tmpDesign, ownerOnly) || !QFile::setPermissions(tmpPreview, ownerOnly)) {
        QFile::remove(tmpDesign);
        QFile::remove(tmpPreview);
        return;
    }
    const auto replace = [](const QString& from, const QString& to) {
        // rename(2) replaces the old file in one step.
        return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
    };
    if (!replace(tmpDesign, design) || !replace(tmpPreview, preview)) {
        QFile::remove(tmpDesign);
        QFile::remove(tmpPreview);
        Show_MessageBox(QStringLiteral("Unable to save template."));
        return;
    }
    Show_MessageBox(QStringLiteral("Template exported successfully."));
}

void QBXWindowController::User_Profile_Button_Clicked(QObject*)
{
    const bool back = Card_Front_Or_Back == 1;
    if (Open_User_Profile_Window(1, back ? QStringLiteral("B") : QStringLiteral("F")) == 1) {
        if (back)
            Fill_User_profile_info_back_side();
        else
            Fill_User_profile_info_front_side();
    }
    Refresh_Canvas();
    // The placement rewrites texts and pictures the panel may be showing.
    Reload_Shown_Graphic();
}

void QBXWindowController::Share_It_Button_Clicked(QObject*)
{
    Open_Share_It_Dl();
}

// ---------------------------------------------------------------- grid

void QBXWindowController::toggleGridConstraining(QObject*)
{
    _grid->setConstraining(!_grid->isConstraining());
}

void QBXWindowController::toggleGridShowing(QObject*)
{
    {
        // Loading the controls must not run their handlers.
        const QSignalBlocker b1(Grid_clr), b2(Grid_Space_slidr), b3(Show_hide_grid_chk);
        Grid_clr->setColor(_grid->color());
        Grid_Space_slidr->setValue(int(_grid->spacing()));
        Show_hide_grid_chk->setChecked(_grid->isAlwaysShown());
    }
    SetObjEnabled(Grid_Opt_box, _grid->isAlwaysShown());
    Grid_Wizard::defaultInstance()->Open_Wnd();
}

void QBXWindowController::Grid_Clr_Changed(QObject*)
{
    _grid->_color = Grid_clr->color();
    _grid->setAlwaysShown(true);
}

void QBXWindowController::Grid_Slider_Changed(QObject*)
{
    _grid->setSpacing(Grid_Space_slidr->value());
    _grid->setAlwaysShown(true);
}

void QBXWindowController::Grid_Show_Hide_Changed(QObject*)
{
    const bool on = Show_hide_grid_chk->isChecked();
    _grid->setAlwaysShown(on);
    SetObjEnabled(Grid_Opt_box, on);
}
