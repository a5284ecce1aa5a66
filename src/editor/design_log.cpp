// Design-log files: opening through the open panel and the reader, saving
// through the save panel and the writer, and the window title.
//
// The reader checks the whole file into a stage before anything changes;
// only a complete stage is applied. The writer commits atomically, so a
// failed save keeps the old file. Tests may install their own reader or
// writer; an empty hook means the real one.
#include "editor/QBXWindowController.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "batch/Binding_Table_Model.h"
#include "drawing/QBXGraphicView.h"
#include "editor/design_log_file.h"
#include "platform/modal.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QFileInfo>
#include <QMainWindow>
#include <QSignalBlocker>
#include <cmath>
#include <exception>

namespace {

const QString CorruptMessage = QStringLiteral("File is corrupt and cannot be opened.");

// Whatever happens while a stage is applied, undo registration and the
// panel-loading flag end as they were before the load.
class LoadGuard {
public:
    explicit LoadGuard(QBXDocument* document)
        : document_(document)
        , flag_(Not_Draw_Only_Prop_Change.load())
    {
    }
    ~LoadGuard()
    {
        if (undoOff_ && document_)
            document_->Enable_Disable_Undo_Registraion(true);
        Not_Draw_Only_Prop_Change = flag_;
    }
    void undoOff()
    {
        if (document_ && !undoOff_) {
            document_->Enable_Disable_Undo_Registraion(false);
            undoOff_ = true;
        }
    }
    LoadGuard(const LoadGuard&) = delete;
    LoadGuard& operator=(const LoadGuard&) = delete;

private:
    QBXDocument* document_;
    bool flag_;
    bool undoOff_ = false;
};

void insertAll(QBXGraphicView* canvas, const GraphicList& graphics)
{
    if (!canvas || graphics.empty())
        return;
    std::vector<int> indexes(graphics.size());
    for (size_t i = 0; i < graphics.size(); ++i)
        indexes[i] = int(i);
    canvas->insertGraphics(graphics, indexes);
}

} // namespace

design_log::Stage QBXWindowController::Design_Log_Stage() const
{
    design_log::Stage stage;
    stage.front = Front_card_Prop;
    stage.back = Back_card_Prop;
    stage.excelUse = Excel_Binding_Use;
    stage.excelSourcePath = Excel_Source_Path;
    if (const Binding_Table_Model* table = Binding_Table_Model::defaultInstance()) {
        stage.titles = table->Header_Titles();
        stage.rows = table->Rows_For_Log();
    }
    stage.frontGraphics = Get_Front_Controls_Array();
    stage.backGraphics = Get_Back_Controls_Array();
    return stage;
}

QBXWindowController::Design_Log_Reader& QBXWindowController::designLogReader()
{
    static Design_Log_Reader reader;
    return reader;
}

QBXWindowController::Design_Log_Writer& QBXWindowController::designLogWriter()
{
    static Design_Log_Writer writer;
    return writer;
}

int QBXWindowController::Read_and_load_design_Log(const QString& path, const QString& log_or_template)
{
    if (const Design_Log_Reader& reader = designLogReader())
        return reader(path, log_or_template);

    QString reason;
    bool damaged = true;
    std::optional<design_log::Stage> staged = design_log::readFile(path, &reason, &damaged);
    if (!staged) {
        Show_NSLog_Message(QStringLiteral("Design log %1 refused: %2").arg(path, reason));
        // What is wrong is said on screen too; a file that is not damaged
        // (in another encoding, too large, unreadable) is not called corrupt.
        const QString name = QFileInfo(path).fileName();
        Show_MessageBox(damaged ? QStringLiteral("%1\n\n%2: %3.").arg(CorruptMessage, name, reason)
                                : QStringLiteral("\"%1\" cannot be opened: %2.").arg(name, reason));
        return 0;
    }
    design_log::Stage& stage = *staged;

    LoadGuard guard(m_document.data());
    New_Project_Setting_Reset();
    for (QBXGraphicView* canvas : {_graphicView, _graphicView_BACK}) {
        if (canvas)
            canvas->delete_all_control();
    }
    Project_File_Name = log_or_template == QLatin1String("L") ? path : QStringLiteral("");
    Not_Draw_Only_Prop_Change = true;

    // The side records; the document takes the front size.
    Front_card_Prop = stage.front;
    QSizeF size = stage.front.Card_Size;
    if (!(std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0 && size.height() > 0))
        size = QSizeF(design_log::kFallbackWidth, design_log::kFallbackHeight);
    Set_Document_Size(size);
    SetDocumentCanvasSize(size);
    Set_Card_Size_In_Control(QSizeF(Points_to_MM_Convert(float(size.width())), Points_to_MM_Convert(float(size.height()))));
    Back_card_Prop = stage.back;

    // The card's shape and number of sides come from the front record.
    Card_Shape = Card_Property::Card_Shape_Index(Front_card_Prop.Card_Shape);
    CARD_SIDE_STR = Card_Property::Card_Sides_Str(Front_card_Prop.Card_Side);
    if (matrix_card_shape) {
        const QSignalBlocker block(matrix_card_shape);
        if (QAbstractButton* row = matrix_card_shape->button(Card_Shape.load()))
            row->setChecked(true);
    }
    if (Sides_ComboBox) {
        const QSignalBlocker block(Sides_ComboBox);
        Sides_ComboBox->setCurrentIndex(Card_Property::Card_Sides_Index(Front_card_Prop.Card_Side));
    }
    // The sides case of the combo handler sets the back side's button.
    if (Sides_ComboBox && Sides_ComboBox->currentIndex() >= 0)
        comboBoxSelectionDidChange(Sides_ComboBox);

    // The spreadsheet binding.
    Excel_Binding_Use = stage.excelUse;
    if (Data_source_type) {
        const QSignalBlocker block(Data_source_type);
        if (Excel_Binding_Use)
            Add_Excel_Col_Name_In_Combo(Data_source_type);
        else
            Remove_Excel_Col_Name_In_Combo(Data_source_type);
    }
    Excel_Source_Path = stage.excelSourcePath;
    if (Binding_Table_Model* table = Binding_Table_Model::defaultInstance())
        table->Restore_From_Log(stage.titles, stage.rows);

    // The graphics, not undoable.
    guard.undoOff();
    insertAll(_graphicView, stage.frontGraphics);
    insertAll(_graphicView_BACK, stage.backGraphics);

    if (log_or_template == QLatin1String("L"))
        Set_Log_Name_In_Title();
    Not_Draw_Only_Prop_Change = false;
    Show_RHS_Properties(nullptr);

    if (Back_card_Prop.Card_fill_chk && Back_card_Prop.Card_fill_style == QLatin1String("I"))
        set_Back_BG_Image(Back_card_Prop.Card_BG_Image_Path);
    if (Front_card_Prop.Card_fill_chk && Front_card_Prop.Card_fill_style == QLatin1String("I"))
        set_Front_BG_Image(Front_card_Prop.Card_BG_Image_Path);

    selectArrowTool();
    Refresh_Canvas();
    return 1;
}

int QBXWindowController::Open_Log_File()
{
    try {
        const std::optional<QString> path =
            platform::modal::openFile(QStringLiteral("Open Design"), QString(), {design_file_EXT});
        if (!path || path->isEmpty())
            return 0;
        return Read_and_load_design_Log(*path, QStringLiteral("L")) == 1 ? 1 : 0;
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        return 0;
    }
}

bool QBXWindowController::Save_project_file(bool save_as, bool show_msg, QString* failure)
{
    if (failure)
        failure->clear();
    const QString remembered = Project_File_Name;
    int gathered = 0; // log items written when an exception leaves
    try {
        if (save_as)
            Project_File_Name = QStringLiteral("");
        Project_File_Name = Trim_Str(Project_File_Name);
        QString path = Project_File_Name;
        if (path.isEmpty()) {
            const std::optional<QString> chosen = platform::modal::saveFile(
                QStringLiteral("Save Design"), QString(), QStringLiteral("Untitled"), design_file_EXT);
            if (!chosen || chosen->isEmpty()) {
                Project_File_Name = remembered;
                return false;
            }
            if (window) {
                window->raise();
                window->activateWindow();
            }
            path = *chosen;
        }

        bool written = false;
        QString reason;
        if (const Design_Log_Writer& writer = designLogWriter()) {
            written = writer(path);
        } else {
            // A side without a picture fill stores no picture path, and its
            // record forgets the path as well.
            for (Card_Property* side : {&Front_card_Prop, &Back_card_Prop}) {
                if (side->Card_fill_style != QLatin1String("I"))
                    side->Card_BG_Image_Path = QStringLiteral("");
            }
            written = design_log::writeFile(path, Design_Log_Stage(), &reason, &gathered);
        }
        // "fail" comes first, the system's reason (a full disk, a folder in
        // the way) after it.
        const QString failed = reason.isEmpty() ? QStringLiteral("fail") : QStringLiteral("fail: ") + reason;
        if (written) {
            Project_File_Name = path;
        } else {
            Project_File_Name = remembered;
            if (failure)
                *failure = failed;
            Show_NSLog_Message(QStringLiteral("Design log not written to %1: %2").arg(path, reason));
        }
        if (show_msg) {
            Show_MessageBox(written ? QStringLiteral("Greeting Card Design Log has been saved successfully.") : failed);
            Set_Log_Name_In_Title();
        }
        return written;
    } catch (const std::exception& e) {
        Project_File_Name = remembered;
        const QString why = QString::fromUtf8(e.what());
        if (failure)
            *failure = QStringLiteral("fail: ") + why;
        Show_NSLog_Message(why);
        Show_MessageBox(QStringLiteral("%1 -- %2").arg(gathered).arg(why));
        return false;
    }
}

void QBXWindowController::Set_Log_Name_In_Title()
{
    if (!window)
        return;
    const QFileInfo file(Project_File_Name);
    QString title = App_Name;
    if (!Project_File_Name.isEmpty() && file.exists())
        title = QStringLiteral("%1 ( %2 )").arg(App_Name, file.fileName());
    // "[*]" would be read as the modified marker; doubled it shows as typed.
    window->setWindowTitle(title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
}
