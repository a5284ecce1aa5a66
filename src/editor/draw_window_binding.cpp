// The main window controller's data binding: thin members over the headless
// binding (DataBinding.h), the series store and the binding table. Main
// thread only; output runs take a Binding_Run_Snapshot and fill that.
#include "editor/QBXWindowController.h"

#include "editor/Long_SMS_Dlg.h"

#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "batch/Binding_Table_Model.h"
#include "batch/Data_From_Excel.h"
#include "batch/SeriesStore.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXImage.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

Binding_Design Design_Of(const QBXWindowController& c)
{
    return Binding_Design{c.Get_Front_Controls_Array(), c.Get_Back_Controls_Array(), CARD_SIDE_STR};
}

const Binding_Rows& Table_Rows()
{
    return Binding_Table_Model::defaultInstance()->ListData();
}

// The globals mirror the state of the last check; a run may have cleared a
// flag since, which Take_Flags carries into the counts.
void Publish(const Binding_Counts& c)
{
    Use_Data_Sheet_Values = c.Use_Data_Sheet_Values;
    Use_Excel_Binding_Values = c.Use_Excel_Binding_Values;
    Data_table_rows = c.Data_table_rows;
    Excel_table_rows = c.Excel_table_rows;
    Total_Batch_Excel_Card = c.Total_Batch_Excel_Card;
}

void Take_Flags(Binding_Counts& c)
{
    c.Use_Data_Sheet_Values = c.Use_Data_Sheet_Values && Use_Data_Sheet_Values;
    c.Use_Excel_Binding_Values = c.Use_Excel_Binding_Values && Use_Excel_Binding_Values;
}

} // namespace

void QBXWindowController::Check_Series_Or_Excel_Use_or_not()
{
    Binding_State.Check_Series_Or_Excel_Use_or_not(Design_Of(*this), Get_datasheet_File_Name_Array(), Table_Rows());
    Publish(Binding_State.counts);
}

void QBXWindowController::Check_Data_Sheet_Value_Use_or_Not()
{
    Binding_State.Check_Data_Sheet_Value_Use_or_Not(Design_Of(*this), Get_datasheet_File_Name_Array());
    Publish(Binding_State.counts);
}

void QBXWindowController::Check_Excel_Binding_Value_Use_or_Not()
{
    Binding_State.Check_Excel_Binding_Value_Use_or_Not(Design_Of(*this), Table_Rows());
    Publish(Binding_State.counts);
}

bool QBXWindowController::Check_Front_Side_Dataset_Is_Used()
{
    return Side_Uses_Source(Get_Front_Controls_Array(), 1);
}

bool QBXWindowController::Check_Back_Side_Dataset_Is_Used()
{
    return Side_Uses_Source(Get_Back_Controls_Array(), 1);
}

bool QBXWindowController::Check_Front_Side_Excel_Binding_Is_Used()
{
    return Side_Uses_Source(Get_Front_Controls_Array(), 2);
}

bool QBXWindowController::Check_Back_Side_Excel_Binding_Is_Used()
{
    return Side_Uses_Source(Get_Back_Controls_Array(), 2);
}

void QBXWindowController::Create_Dataset_binding_table()
{
    Binding_State.data_table_content = ::Create_Dataset_binding_table(
        Design_Of(*this), Get_datasheet_File_Name_Array(), QString(), Binding_State.problems.get());
}

void QBXWindowController::Add_dataset_col_in_binding_table(const QString& name, int dataset_index)
{
    Series_Table& table = Binding_State.data_table_content;
    const int slot = table.Slot_Of(name, dataset_index);
    if (slot < 0) {
        Show_NSLog_Message(QStringLiteral("Series \"%1\" is no longer in the series list.").arg(Trim_Str(name)));
        return;
    }
    Series_Slot& target = table.entries[size_t(slot)];
    if (auto rows = series::Read_Series_Rows(target.name)) {
        target.values = std::move(*rows);
        target.loaded = true;
    }
}

void QBXWindowController::Calculate_data_table_rows()
{
    Binding_State.counts.Data_table_rows = ::Calculate_data_table_rows(Binding_State.data_table_content);
    Data_table_rows = Binding_State.counts.Data_table_rows;
}

void QBXWindowController::Calculate_Excel_table_rows()
{
    Binding_State.counts.Excel_table_rows = int(Table_Rows().size());
    Excel_table_rows = Binding_State.counts.Excel_table_rows;
}

void QBXWindowController::Get_total_Card_count()
{
    Take_Flags(Binding_State.counts);
    Binding_State.Get_total_Card_count(Table_Rows());
    Publish(Binding_State.counts);
}

CardRenderContext QBXWindowController::Card_Render_Context(int side) const
{
    CardRenderContext context;
    context.front = Front_card_Prop;
    context.back = Back_card_Prop;
    context.cardShape = Card_Shape.load();
    context.side = side;
    context.resourcePath = Resource_Path;
    context.frame = _graphicView ? _graphicView->bounds() : QRectF(QPointF(0, 0), Front_card_Prop.Card_Size);
    return context;
}

CardPicture QBXWindowController::Set_data_table_value_to_card(int row, const QString& card_side, bool print_box)
{
    const bool front = card_side == QLatin1String("F");
    Card_Front_Or_Back = front ? 0 : 1;
    Graphics_array_Batch = front ? Get_Front_Controls_Array() : Get_Back_Controls_Array();
    Assign_Batch_Values_To_Control(row);
    CardPicture picture = QBXRenderingView::image_From_Card_Graphics(Graphics_array_Batch, print_box,
                                                                     Card_Render_Context(Card_Front_Or_Back));
    if (picture.isNull())
        Show_NSLog_Message(QStringLiteral("No card picture was made for row %1.").arg(row + 1));
    return picture;
}

void QBXWindowController::Assign_Batch_Values_To_Control(int row)
{
    Fill_Sources sources;
    sources.series = &Binding_State.data_table_content;
    sources.rows = &Table_Rows();
    sources.use_series = Use_Data_Sheet_Values;
    sources.use_excel = Use_Excel_Binding_Values;
    ::Assign_Batch_Values_To_Control(Graphics_array_Batch, row, sources);
    Refresh_Canvas();
}

QString QBXWindowController::Get_sel_row_col_value_of_dataset(int row, int col) const
{
    return ::Get_sel_row_col_value_of_dataset(Binding_State.data_table_content, row, col);
}

QString QBXWindowController::Get_sel_row_col_value_of_Excel(int row, int col) const
{
    return ::Get_sel_row_col_value_of_Excel(Table_Rows(), row, col);
}

QString QBXWindowController::Get_First_Value_Of_Dataset(const QString& name) const
{
    return series::Get_First_Value_Of_Dataset(name);
}

QString QBXWindowController::Get_First_Value_Of_Excel_Binding(int col) const
{
    return ::Get_First_Value_Of_Excel_Binding(Table_Rows(), col);
}

void QBXWindowController::Fill_Excel_Col_Name_In_Combo(QComboBox* combo)
{
    if (!combo)
        return;
    combo->setCurrentIndex(-1);
    combo->clear();
    combo->addItems(Binding_Table_Model::defaultInstance()->Header_Titles());
}

void QBXWindowController::Fill_Data_Set_File_Name_In_Combo(QComboBox* combo)
{
    if (!combo)
        return;
    combo->setCurrentIndex(-1);
    combo->clear();
    combo->addItems(Get_datasheet_File_Name_Array());
}

void QBXWindowController::Add_Excel_Col_Name_In_Combo(QComboBox* combo)
{
    if (combo && combo->count() == 2)
        combo->addItem(QStringLiteral("Excel"));
}

void QBXWindowController::Remove_Excel_Col_Name_In_Combo(QComboBox* combo)
{
    if (!combo || combo->count() != 3)
        return;
    const int at = combo->findText(QStringLiteral("Excel"));
    if (at >= 0)
        combo->removeItem(at);
}

namespace {

// The enabling of the data-source controls for a source: manual content is
// typed or browsed; a series or a column is chosen in the list.
void Enable_Source_Controls(QBXWindowController& c, bool manual)
{
    SetObjEnabled(c.view_series_btn, !manual);
    SetObjEnabled(c.Batch_Series, !manual);
    if (c.Text_value_Edit)
        c.Text_value_Edit->setReadOnly(!manual);
    SetObjEnabled(c.insert_template_btn, manual);
    SetObjEnabled(c.manual_brws_box, manual);
}

void Select_Quietly(QComboBox* combo, int index)
{
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index);
}

} // namespace

void QBXWindowController::Data_Source_Selection_Changed(int index)
{
    if (index < 0 || !Data_source_type || !Batch_Series)
        return;
    const GraphicPtr graphic = panelCurrentGraphic();
    const QString source = Data_source_type->itemText(index);
    if (source == QLatin1String("Manual")) {
        Enable_Source_Controls(*this, true);
        if (graphic)
            graphic->Set_Data_source_type(0);
        return;
    }
    Enable_Source_Controls(*this, false);
    if (source == QLatin1String("Series")) {
        Fill_Data_Set_File_Name_In_Combo(Batch_Series);
        if (Batch_Series->count() == 0) {
            Show_MessageBox(QStringLiteral("Please create batch processing series first."));
            // Nothing was bound: the combo and the controls go back to what
            // the graphic stores.
            if (graphic) {
                const int stored = graphic->data_source_type;
                if (stored >= 0 && stored < Data_source_type->count() && stored != index) {
                    Select_Quietly(Data_source_type, stored);
                    Enable_Source_Controls(*this, stored == 0);
                }
            }
            return;
        }
        if (graphic && !graphic->batch_list_name.isEmpty()) {
            Select_Quietly(Batch_Series, -1);
            const int at = Batch_Series->findText(graphic->batch_list_name);
            if (at >= 0) {
                Select_Quietly(Batch_Series, at);
                comboBoxSelectionDidChange(Batch_Series);
            }
        }
        if (graphic)
            graphic->Set_Data_source_type(1);
        return;
    }
    Fill_Excel_Col_Name_In_Combo(Batch_Series);
    if (!graphic)
        return;
    const int column = graphic->excel_col_indx;
    if (column >= 0 && column < Batch_Series->count()) {
        Select_Quietly(Batch_Series, column);
        comboBoxSelectionDidChange(Batch_Series);
    } else {
        Show_NSLog_Message(QStringLiteral("Column %1 is not in the spreadsheet binding.").arg(column));
    }
    graphic->Set_Data_source_type(2);
}

void QBXWindowController::Batch_Series_Selection_Changed(int index)
{
    if (index < 0 || !Batch_Series || !Data_source_type)
        return;
    const QString item = Trim_Str(Batch_Series->itemText(index));
    if (item.isEmpty())
        return;
    const GraphicPtr graphic = panelCurrentGraphic();
    if (!graphic)
        return;
    QString value;
    const QString source = Data_source_type->currentText();
    if (source == QLatin1String("Series")) {
        graphic->Set_Data_source_type(1);
        graphic->Set_Batch_List_Name(item);
        graphic->Set_Batch_List_Index(index);
        value = Get_First_Value_Of_Dataset(item);
    } else if (source == QLatin1String("Excel")) {
        graphic->Set_Data_source_type(2);
        graphic->Set_Excel_binding_Index(index);
        if (index >= Binding_Table_Model::defaultInstance()->Header_Titles().size()) {
            Show_NSLog_Message(QStringLiteral("Column %1 is not in the spreadsheet binding.").arg(index));
            Refresh_Panel_Canvas();
            return;
        }
        value = Trim_Str(Get_First_Value_Of_Excel_Binding(index));
    } else {
        // A name shown while the source is manual binds nothing.
        return;
    }
    if (graphic->className() == QLatin1String("QBXText")) {
        graphic->Text_contents().text = value;
        if (Text_value_Edit) {
            const QSignalBlocker quiet(Text_value_Edit);
            Text_value_Edit->setPlainText(value);
        }
    } else if (graphic->className() == QLatin1String("QBXImage")) {
        static_cast<QBXImage&>(*graphic).setFilePath(value);
        if (Manual_image_path)
            Manual_image_path->setText(value);
        Update_Image_Graphics();
    }
    Refresh_Panel_Canvas();
    if (QBXGraphicView* canvas = currentSideCanvas())
        canvas->startEditingGraphic(graphic);
    Refresh_Panel_Canvas();
}

void QBXWindowController::View_batch_Series_Button(QObject*)
{
    const QString source = Data_source_type ? Data_source_type->currentText() : QString();
    if (source == QLatin1String("Manual"))
        return;
    if (source == QLatin1String("Series")) {
        const QString name = Batch_Series ? Trim_Str(Batch_Series->currentText()) : QString();
        if (name.isEmpty()) {
            Show_MessageBox(QStringLiteral("Please select the series."));
            return;
        }
        if (Open_Series_Viewer)
            Open_Series_Viewer(name);
        return;
    }
    Data_From_Excel::defaultInstance()->Open_Wnd();
}

void QBXWindowController::Data_Source_Help_Button(QObject*)
{
    Cutom_Msg_Title = QStringLiteral("Batch Processing Settings Help :");
    Cutom_Msg_Val = QStringLiteral(
        "Select Data Source as 'Manual' to enter value manually, Select 'Batch Processing Series' to fetch the value "
        "from the list of existing Batch Processing Series.");
    // No question title: the dialog shows the help texts with OK alone.
    Long_SMS_Dlg* dialog = Long_SMS_Dlg::defaultInstance();
    dialog->title_val.reset();
    dialog->apply_chk_show = false;
    dialog->Open_Long_sms_Dialog();
}

std::shared_ptr<Binding_Run_Snapshot> QBXWindowController::Take_Binding_Run_Snapshot()
{
    Take_Flags(Binding_State.counts);
    auto run = std::make_shared<Binding_Run_Snapshot>(Binding_State, Design_Of(*this), Table_Rows(), Front_card_Prop,
                                                      Back_card_Prop);
    run->render_context = Card_Render_Context(0);
    return run;
}
