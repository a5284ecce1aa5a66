// The main window's file, output and exit commands: the File menu with its
// shortcuts and buttons, each command's questions and order of calls, and
// the close request, which runs the exit command.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "batch/BatchWizard.h"
#include "batch/Generate_List.h"
#include "batch/Import_Wizard.h"
#include "editor/Help_Support.h"
#include "editor/Review_Form.h"
#include "output/Send_Mail.h"
#include "output/export_window.h"
#include "platform/modal.h"
#include "platform/printers.h"
#include "platform/process_end.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QToolBar>
#include <exception>
#include <functional>

namespace {

// Routes a close request of the main window to the controller: the window
// closes only once the program is ending.
class CloseWatcher : public QObject {
public:
    explicit CloseWatcher(QBXWindowController* owner)
        : QObject(owner)
        , m_owner(owner)
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Close || watched != m_owner->window)
            return false;
        if (m_owner->windowShouldClose())
            return false;
        event->ignore();
        return true;
    }

private:
    QBXWindowController* m_owner;
};

// Runs a command from a Qt handler: nothing thrown may leave it.
void guarded(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    } catch (...) {
        Show_NSLog_Message(QStringLiteral("Unknown failure in a file command."));
    }
}

void check(QButtonGroup* group, int row)
{
    if (QAbstractButton* b = group->button(row))
        b->setChecked(true);
}

} // namespace

void QBXWindowController::buildFileCommands()
{
    exportWindow = new ExportWindow(window);
    Connect_Export_Dialog();
    HelpWindow = new Help_Support(window);

    fileMenu = window->menuBar()->addMenu(QStringLiteral("&File"));
    QToolBar* bar = window->addToolBar(QStringLiteral("File"));
    bar->setObjectName(QStringLiteral("file_buttons"));
    bar->setMovable(false);
    auto add = [&](const QString& name, const QString& title, const QKeySequence& keys, bool button,
                   std::function<void()> command) {
        auto* action = new QAction(title, window);
        action->setObjectName(name);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, [command] { guarded(command); });
        fileMenu->addAction(action);
        if (button)
            bar->addAction(action);
        return action;
    };
    add(QStringLiteral("New_Btn"), QStringLiteral("New"), QKeySequence::New, true, [this] { New_Btn_Clicked(); });
    add(QStringLiteral("Templates_Btn"), QStringLiteral("Templates…"), QKeySequence(), true,
        [this] { Templates_Btn_Clicked(nullptr); });
    add(QStringLiteral("Open_Btn"), QStringLiteral("Open..."), QKeySequence::Open, true, [this] { Open_Btn_Clicked(); });
    add(QStringLiteral("Save_Btn"), QStringLiteral("Save"), QKeySequence::Save, true, [this] { Save_Btn_Clicked(); });
    add(QStringLiteral("SaveAs_Btn"), QStringLiteral("Save As..."), QKeySequence::SaveAs, false,
        [this] { SaveAs_Btn_Clicked(); });
    fileMenu->addSeparator();
    add(QStringLiteral("Export_Btn"), QStringLiteral("Export..."), QKeySequence(Qt::CTRL | Qt::Key_E), true,
        [this] { Export_Button(); });
    add(QStringLiteral("Mail_Btn"), QStringLiteral("Mail..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M), true,
        [this] { Mail_Button(); });
    add(QStringLiteral("Print_Btn"), QStringLiteral("Print..."), QKeySequence::Print, true, [this] { Print_Button(); });
    fileMenu->addSeparator();
    add(QStringLiteral("Batch_Series_Btn"), QStringLiteral("Batch Series..."), QKeySequence(), false,
        [this] { Batch_Series_Button(); });
    add(QStringLiteral("Import_Wizard_Btn"), QStringLiteral("Import Wizard..."), QKeySequence(), false,
        [this] { Import_Wizard_Button(); });
    add(QStringLiteral("Create_Series_Btn"), QStringLiteral("Create Series..."), QKeySequence(), false,
        [this] { Create_Series_Button(); });
    fileMenu->addSeparator();
    add(QStringLiteral("Help_Btn"), QStringLiteral("Help"), QKeySequence::HelpContents, true, [this] { Help_Button(); });
    add(QStringLiteral("Exit_Btn"), QStringLiteral("Exit"), QKeySequence::Quit, true, [this] { Exit_Btn_Clicked(); });

    m_closeFilter = new CloseWatcher(this);
    window->installEventFilter(m_closeFilter);
}

void QBXWindowController::Open_Btn_Clicked(QObject*)
{
    try {
        if (Show_YES_NO_MessageBox(QStringLiteral("Do you want to save changes before opening document?"))) {
            // A cancelled panel or a failed write keeps the design.
            if (!Save_project_file(false, true)) {
                Not_Draw_Only_Prop_Change = false;
                return;
            }
        }
        // The design stays until a file has been read whole: the reader
        // resets and loads only a complete design, so a cancelled panel or
        // a refused file leaves the design, its undo history, its side and
        // the title as they were.
        if (Open_Log_File() == 1)
            Read_Shown_Pictures(true);
        Undo_Redo_Button_state();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
    Not_Draw_Only_Prop_Change = false;
}

void QBXWindowController::Save_Btn_Clicked(QObject*)
{
    Save_project_file(false, true);
}

void QBXWindowController::SaveAs_Btn_Clicked(QObject*)
{
    Save_project_file(true, true);
}

void QBXWindowController::Export_Button(QObject*)
{
    ExportWindow& dialog = *exportWindow;
    {
        const QSignalBlocker b1(dialog.saveDPIText), b2(dialog.matrix_file_type), b3(dialog.fileFormatPopup),
            b4(dialog.export_combined_image_chk), b5(dialog.matrix_export_card_side);
        dialog.saveDPIText->setCurrentIndex(0);
        dialog.saveDPIText->setEnabled(true);
        check(dialog.matrix_file_type, 0);
        dialog.fileFormatPopup->setCurrentIndex(0);
        dialog.export_combined_image_chk->setChecked(false);
        check(dialog.matrix_export_card_side, 1);
    }
    export_card_side = QStringLiteral("F");

    Check_Series_Or_Excel_Use_or_not();
    {
        const QSignalBlocker b1(dialog.Export_with_batch_chk), b2(dialog.Export_with_excel_chk);
        dialog.Export_with_batch_chk->setEnabled(Use_Data_Sheet_Values.load());
        dialog.Export_with_batch_chk->setChecked(Use_Data_Sheet_Values.load());
        dialog.Export_with_excel_chk->setEnabled(Use_Excel_Binding_Values.load());
        dialog.Export_with_excel_chk->setChecked(Use_Excel_Binding_Values.load());
    }

    const int result = platform::modal::run(dialog);
    dialog.hide();
    if (result == 0)
        return;

    // The dialog is read once: the run works on these values only.
    const int side_row = dialog.matrix_export_card_side->checkedId();
    export_card_side = side_row == 0 ? QStringLiteral("BOTH") : side_row == 1 ? QStringLiteral("F") : QStringLiteral("B");
    export_combined_image = side_row == 0 && dialog.export_combined_image_chk->isChecked();
    export_file_format = dialog.fileFormatPopup->currentText();
    bool dpi_ok = false;
    const double dpi = dialog.saveDPIText->currentText().toDouble(&dpi_ok);
    export_dpi = dpi_ok && dpi > 0 ? dpi : 72.0;

    if (Use_Data_Sheet_Values.load() && !dialog.Export_with_batch_chk->isChecked())
        Use_Data_Sheet_Values = false;
    if (Use_Excel_Binding_Values.load() && !dialog.Export_with_excel_chk->isChecked())
        Use_Excel_Binding_Values = false;
    Get_total_Card_count();

    if (!Use_Data_Sheet_Values.load() && !Use_Excel_Binding_Values.load()) {
        // Confirm_Single_Export_Replace asks about every file the export writes.
        const std::optional<QString> path =
            platform::modal::saveFile(QStringLiteral("Export"), QString(), QStringLiteral("Untitled"),
                                      dialog.fileFormatPopup->currentText(), false);
        if (!path || path->isEmpty())
            return;
        if (!Confirm_Single_Export_Replace(*path))
            return;
        if (window)
            window->raise();
        Export_Single_File(*path, true);
        return;
    }
    const std::optional<QString> folder = platform::modal::chooseFolder(QStringLiteral("Export Folder"), QString());
    if (!folder || folder->isEmpty())
        return;
    // The batch starts its workers and returns; it reports its own progress
    // and end on the main thread.
    guarded([&] { Export_Batch_File(*folder); });
}

void QBXWindowController::Mail_Button(QObject*)
{
    try {
        Check_Series_Or_Excel_Use_or_not();
        Send_Mail::defaultInstance()->Open_Wnd();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void QBXWindowController::Print_Button(QObject*)
{
    Check_Series_Or_Excel_Use_or_not();
    if (!Use_Data_Sheet_Values.load() && !Use_Excel_Binding_Values.load()) {
        Print_method();
        return;
    }
    if (Total_Batch_Excel_Card.load() == 0) {
        Show_MessageBox(QStringLiteral("List is empty."));
        return;
    }
    Print_method();
}

void QBXWindowController::Print_method()
{
    try {
        if (platform::printerNames().isEmpty()) {
            Show_MessageBox(QStringLiteral("No printer found."));
            return;
        }
        Open_Print_Window();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void QBXWindowController::Help_Button(QObject*)
{
    try {
        platform::modal::run(*HelpWindow);
        HelpWindow->hide();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void QBXWindowController::Exit_Btn_Clicked(QObject*)
{
    Exit_App();
}

void QBXWindowController::Exit_App()
{
    if (m_exitAsking || m_exiting)
        return;
    m_exitAsking = true;
    struct Asked {
        bool& flag;
        ~Asked() { flag = false; }
    } asked{m_exitAsking};

    if (Show_YES_NO_MessageBox(QStringLiteral("Do you want to save changes before closing?"))) {
        // Silent save; the design is never lost to an unwritten save.
        QString failure;
        if (!Save_project_file(false, false, &failure)) {
            if (!failure.isEmpty())
                Show_MessageBox(failure);
            return;
        }
    }
    Review_Form::defaultInstance()->Open_Review_Form_Window();
    // Closes sent while the application quits must pass without asking.
    m_exiting = true;
    platform::endProcess(0);
}

bool QBXWindowController::windowShouldClose()
{
    if (m_exiting)
        return true;
    if (!m_exitAsking)
        guarded([this] { Exit_App(); });
    return false;
}

void QBXWindowController::Batch_Series_Button(QObject*)
{
    BatchWizard::defaultInstance()->Open_Wnd();
}

void QBXWindowController::Import_Wizard_Button(QObject*)
{
    Import_Wizard* wizard = Import_Wizard::defaultInstance();
    wizard->file_name_required = 1;
    wizard->file_name_Insert = 0;
    wizard->Open_Wnd();
}

void QBXWindowController::Create_Series_Button(QObject*)
{
    Generate_List* generator = Generate_List::defaultInstance();
    generator->file_name_required = 1;
    generator->file_name_Insert = 0;
    generator->Open_Wnd();
}
