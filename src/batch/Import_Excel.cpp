#include "batch/Import_Excel.h"

#include "app/AppHelpers.h"
#include "batch/BatchHost.h"
#include "batch/BatchUi.h"
#include "batch/BatchWizard.h"
#include "batch/Binding_Table_Model.h"
#include "batch/SeriesStore.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kCorrupt = QStringLiteral("Either file is corrupted or selected file contains invalid characters.");
enum Column { StateColumn, ExtensionColumn, HeaderColumn };

} // namespace

// ---------------------------------------------------------------- column list

void Column_List_Model::setEntries(const QList<Entry>& entries)
{
    beginResetModel();
    entries_ = entries;
    endResetModel();
}

void Column_List_Model::append(const Entry& entry)
{
    beginInsertRows(QModelIndex(), int(entries_.size()), int(entries_.size()));
    entries_.append(entry);
    endInsertRows();
}

void Column_List_Model::setAllStates(bool state)
{
    for (Entry& e : entries_)
        e.State = state;
    if (!entries_.isEmpty())
        emit dataChanged(index(0, StateColumn), index(int(entries_.size()) - 1, StateColumn));
}

int Column_List_Model::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(entries_.size());
}

int Column_List_Model::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant Column_List_Model::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= entries_.size())
        return {};
    const Entry& e = entries_.at(index.row());
    if (index.column() == StateColumn)
        return role == Qt::CheckStateRole ? QVariant(e.State ? Qt::Checked : Qt::Unchecked) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    return index.column() == ExtensionColumn ? e.Extension : e.Header;
}

QVariant Column_List_Model::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case StateColumn: return QStringLiteral("Select");
    case ExtensionColumn: return QStringLiteral("Column");
    default: return QStringLiteral("Series Name");
    }
}

Qt::ItemFlags Column_List_Model::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == StateColumn)
        f |= Qt::ItemIsUserCheckable;
    if (index.column() == HeaderColumn)
        f |= Qt::ItemIsEditable;
    return f;
}

bool Column_List_Model::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() < 0 || index.row() >= entries_.size()) {
        Show_NSLog_Message(QStringLiteral("column list: row out of range"));
        return false;
    }
    Entry& e = entries_[index.row()];
    if (index.column() == StateColumn && role == Qt::CheckStateRole)
        e.State = value.toInt() == Qt::Checked;
    else if (index.column() == HeaderColumn && role == Qt::EditRole)
        e.Header = value.toString();
    else
        return false;
    emit dataChanged(index, index);
    return true;
}

// ---------------------------------------------------------------- shared dialog

Excel_Column_Dialog::Excel_Column_Dialog(const QString& objectName, const QString& title)
    : QObject(nullptr) // lives for the whole process
{
    window = batch::New_Window(objectName, title);
    auto* layout = new QVBoxLayout(window);
    file_path = new QLineEdit;
    file_path->setReadOnly(true);
    contains_header = new QCheckBox(QStringLiteral("First row contains column headers"));
    Sheet_ComboBox = new QComboBox;
    ListData_xl = new Column_List_Model(this);
    ColList = new QTableView;
    ColList->setModel(ListData_xl);
    ColList->verticalHeader()->hide();
    ColList->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(file_path);
    auto* sheetRow = new QHBoxLayout;
    sheetRow->addWidget(new QLabel(QStringLiteral("Sheet :")));
    sheetRow->addWidget(Sheet_ComboBox, 1);
    layout->addLayout(sheetRow);
    layout->addWidget(contains_header);
    layout->addWidget(ColList);
    auto* selectRow = new QHBoxLayout;
    batch::Add_Button(selectRow, QStringLiteral("Select All"), this, [this] { Select_ALL_Pressed(); });
    batch::Add_Button(selectRow, QStringLiteral("Clear All"), this, [this] { Clear_All_Pressed(); });
    selectRow->addStretch();
    layout->addLayout(selectRow);
    extraArea = new QWidget;
    layout->addWidget(extraArea);
    auto* row = new QHBoxLayout;
    row->addStretch();
    batch::Add_Button(row, QStringLiteral("OK"), this, [this] { OKPressed(); }, QStringLiteral("ok"));
    batch::Add_Button(row, QStringLiteral("Cancel"), this, [this] { CancelPressed(); }, QStringLiteral("cancel"));
    layout->addLayout(row);
    connect(Sheet_ComboBox, &QComboBox::currentIndexChanged, this, &Excel_Column_Dialog::Sheet_Changed);
    window->resize(520, 460);
}

int Excel_Column_Dialog::Open_excel_Wnd(const QString& path)
{
    return batch::Guarded_Open([&] {
        Reset();
        Excel_Sheet_Number = 1;
        file_path->setText(path);
        contains_header->setChecked(true);
        ListData_xl->setEntries({});
        {
            const QSignalBlocker block(Sheet_ComboBox);
            Sheet_ComboBox->clear();
        }
        excel_content.clear();
        unreadable_reason.clear();
        Load_file_Func(path);
        // A file that is no workbook, or whose only sheet cannot be read,
        // is refused before the dialog shows.
        if (Sheet_ComboBox->count() <= 1 && ListData_xl->entries().isEmpty() && Show_Unreadable())
            return 0;
        batch::Open_Wait();
        return batch::Run_Window(*window);
    });
}

void Excel_Column_Dialog::Load_file_Func(const QString& path)
{
    batch::Wait_Sheet wait(window);
    try {
        SpreadsheetWriter::ReadWorkbook(QUrl::fromLocalFile(path), true);
        unreadable_reason = SpreadsheetWriter::Open_Error();
        // Adding the first sheet selects it, which fills the column list.
        Sheet_ComboBox->addItems(SpreadsheetWriter::Read_Sheet_Name());
        Loaded();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void Excel_Column_Dialog::Sheet_Changed(int index)
{
    if (index < 0)
        return;
    Excel_Sheet_Number = index + 1;
    const SpreadsheetWriter::Rows header = SpreadsheetWriter::ReadData_only_column();
    // A sheet whose part is refused lists no column and says why at OK.
    unreadable_reason = SpreadsheetWriter::Open_Error();
    ListData_xl->setEntries({});
    if (header.isEmpty())
        return;
    for (const QString& cell : header.first())
        Create_List(cell, false);
}

void Excel_Column_Dialog::Create_List(const QString& header, bool state)
{
    const QString trimmed = Trim_Str(header);
    if (trimmed.isEmpty())
        return;
    ListData_xl->append({state, trimmed, header});
}

void Excel_Column_Dialog::Select_ALL_Pressed()
{
    ListData_xl->setAllStates(true);
}

void Excel_Column_Dialog::Clear_All_Pressed()
{
    ListData_xl->setAllStates(false);
}

bool Excel_Column_Dialog::Check_For_One_Extension_Selection() const
{
    for (const auto& e : ListData_xl->entries())
        if (e.State)
            return true;
    return false;
}

bool Excel_Column_Dialog::Get_Selection_State(int column) const
{
    if (column < 0 || column >= ListData_xl->entries().size()) {
        Show_NSLog_Message(QStringLiteral("no column list entry %1").arg(column));
        return false;
    }
    return ListData_xl->entries().at(column).State;
}

void Excel_Column_Dialog::OKPressed()
{
    if (ListData_xl->entries().isEmpty()) {
        // A file that is no workbook says so; an empty workbook has no column.
        if (!Show_Unreadable())
            Show_MessageBox(QStringLiteral("There is no column."));
        return;
    }
    if (!Check_For_One_Extension_Selection()) {
        Show_MessageBox(QStringLiteral("No column is selected."));
        return;
    }
    try {
        Run_OK(file_path->text());
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        window->done(1);
    }
    excel_content.clear();
}

bool Excel_Column_Dialog::Show_Unreadable()
{
    if (unreadable_reason.isEmpty())
        return false;
    Show_MessageBox(QStringLiteral("The file cannot be read as a workbook: %1").arg(unreadable_reason));
    return true;
}

// The rows of the chosen sheet into excel_content; a sheet refused when its
// rows are read leaves them empty and keeps the reason.
void Excel_Column_Dialog::Read_Rows()
{
    excel_content = SpreadsheetWriter::ReadWorkbook(QUrl(), false);
    unreadable_reason = SpreadsheetWriter::Open_Error();
}

void Excel_Column_Dialog::CancelPressed()
{
    window->done(0);
}

SpreadsheetWriter::SheetRows Excel_Column_Dialog::Data_Rows() const
{
    return contains_header->isChecked() ? excel_content.mid(1) : excel_content;
}

// ---------------------------------------------------------------- Import_Excel

Import_Excel* Import_Excel::defaultInstance()
{
    static Import_Excel* instance = new Import_Excel;
    return instance;
}

Import_Excel::Import_Excel()
    : Excel_Column_Dialog(QStringLiteral("Import_Excel"), QStringLiteral("Select Columns"))
{
    ColList->setColumnHidden(HeaderColumn, true);
}

void Import_Excel::Run_OK(const QString& path)
{
    if (open_mode == QLatin1String("E"))
        Create_Excel_List_Func(path);
    else
        Insert_file_Func(path);
}

void Import_Excel::Insert_file_Func(const QString&)
{
    {
        batch::Wait_Sheet wait(window);
        Read_Rows();
        if (BatchWizard_Window) {
            QStringList values;
            for (const auto row : Data_Rows())
                for (int c = 0; c < row.size(); ++c)
                    if (Get_Selection_State(c))
                        values.append(row.at(c));
            BatchWizard_Window->Create_Value_List(values);
        }
    }
    if (excel_content.isEmpty() && !Show_Unreadable())
        Show_MessageBox(kCorrupt);
    window->done(1);
}

void Import_Excel::Create_Excel_List_Func(const QString&)
{
    {
        batch::Wait_Sheet wait(window);
        Read_Rows();
        if (!excel_content.isEmpty()) {
            Binding_Table_Model* table = Binding_Table_Model::defaultInstance();
            const auto header = excel_content.first();
            int k = table->columnCount() - 1;
            if (!header.isEmpty()) {
                QStringList titles;
                for (int c = 0; c < header.size(); ++c)
                    if (Get_Selection_State(c))
                        titles.append(Trim_Str(header.at(c)));
                table->Set_Sheet_Columns(titles);
                k = int(titles.size());
            }
            table->Clear_Rows();
            for (const auto row : Data_Rows()) {
                if (row.isEmpty())
                    continue;
                QStringList cells;
                for (int c = 0; c < row.size(); ++c)
                    if (Get_Selection_State(c))
                        cells.append(Trim_Str(row.at(c)));
                table->Create_List_By_Array(cells, k);
            }
        }
    }
    if (excel_content.isEmpty() && !Show_Unreadable())
        Show_MessageBox(kCorrupt);
    window->done(1);
}

// ---------------------------------------------------------------- Import_Excel_DataSheet

Import_Excel_DataSheet* Import_Excel_DataSheet::defaultInstance()
{
    static Import_Excel_DataSheet* instance = new Import_Excel_DataSheet;
    return instance;
}

Import_Excel_DataSheet::Import_Excel_DataSheet()
    : Excel_Column_Dialog(QStringLiteral("Import_Excel_DataSheet"), QStringLiteral("Create Series from Columns"))
{
    auto* layout = new QVBoxLayout(extraArea);
    layout->setContentsMargins(0, 0, 0, 0);
    Each_col_RD = new QRadioButton(QStringLiteral("One series per selected column"));
    Fill_col_RD = new QRadioButton(QStringLiteral("All selected columns into one series"));
    fill_box = new QGroupBox;
    auto* box = new QVBoxLayout(fill_box);
    auto* types = new QHBoxLayout;
    matrix_fill_type = new QButtonGroup(this);
    const QStringList titles{QStringLiteral("New"), QStringLiteral("Replace"), QStringLiteral("Append")};
    for (int i = 0; i < titles.size(); ++i) {
        auto* radio = new QRadioButton(titles.at(i));
        matrix_fill_type->addButton(radio, i);
        types->addWidget(radio);
    }
    box->addLayout(types);
    list_name = new QLineEdit;
    List_ComboBox = new QComboBox;
    box->addWidget(list_name);
    box->addWidget(List_ComboBox);
    layout->addWidget(Each_col_RD);
    layout->addWidget(Fill_col_RD);
    layout->addWidget(fill_box);
    connect(Each_col_RD, &QRadioButton::clicked, this, [this] { Each_Col_RD_Click(); });
    connect(Fill_col_RD, &QRadioButton::clicked, this, [this] { Fill_Col_RD_Click(); });
    connect(matrix_fill_type, &QButtonGroup::idClicked, this, [this](int id) { Fill_Type_CellClick(id); });
}

void Import_Excel_DataSheet::Reset()
{
    matrix_fill_type->button(0)->setChecked(true);
    Fill_Type_CellClick(0);
    Each_Col_RD_Click();
    List_ComboBox->clear();
    list_name->clear();
}

void Import_Excel_DataSheet::Loaded()
{
    List_ComboBox->addItems(series::Get_datasheet_File_Name_Array());
    if (List_ComboBox->count() > 0)
        List_ComboBox->setCurrentIndex(0);
}

void Import_Excel_DataSheet::Fill_Type_CellClick(int type)
{
    fill_col_option = type;
    list_name->setVisible(type == 0);
    List_ComboBox->setVisible(type != 0);
    ColList->setColumnHidden(HeaderColumn, type != 0);
}

void Import_Excel_DataSheet::Each_Col_RD_Click()
{
    Each_col_RD->setChecked(true);
    Fill_col_RD->setChecked(false);
    SetObjEnabled(fill_box, false);
}

void Import_Excel_DataSheet::Fill_Col_RD_Click()
{
    Each_col_RD->setChecked(false);
    Fill_col_RD->setChecked(true);
    SetObjEnabled(fill_box, true);
}

void Import_Excel_DataSheet::Run_OK(const QString& path)
{
    if (Fill_col_RD->isChecked())
        Insert_file_Func(path);
    else
        Create_file_For_Col_Func(path);
}

void Import_Excel_DataSheet::Create_file_For_Col_Func(const QString&)
{
    BatchHost* host = batch::batchHost();
    QStringList failed;
    {
        batch::Wait_Sheet wait(window);
        Read_Rows();
        if (!excel_content.isEmpty()) {
            const int n = int(excel_content.first().size());
            const bool showApply = n != 1;
            series::Replace_Walk walk; // an apply-to-all answer holds for this walk only
            const SpreadsheetWriter::SheetRows rows = Data_Rows();
            for (int c = 0; c < n; ++c) {
                if (!Get_Selection_State(c))
                    continue;
                const QString header = ListData_xl->entries().at(c).Header;
                const QString name = Remove_Reserve_Char_In_File_Name(Trim_Str(header));
                if (series::Series_Exists(name)) {
                    if (host && host->Check_Batch_File_In_Use_Validation(name)) {
                        if (!walk.Msg_Apply_All_Chk) {
                            const auto answer = host->Open_Long_sms_Dialog(
                                QStringLiteral("Message :"),
                                name + QStringLiteral("\nBatch processing Series name is already in use with another "
                                                      "sequence. Please change Batch Processing Series Name."),
                                showApply);
                            if (answer.code == 1)
                                walk.Remember(true, answer.apply_all);
                        }
                        continue;
                    }
                    if (!walk.Remembered().value_or(false)) {
                        const auto answer = host ? host->Open_Long_sms_Dialog(
                                                       QStringLiteral("Batch Processing Series already exists :"),
                                                       name + QStringLiteral("\nBatch Processing Series already "
                                                                             "exists. Do you want to replace it?"),
                                                       showApply)
                                                 : BatchHost::Long_Answer{};
                        if (answer.code != 1)
                            continue;
                        walk.Remember(true, answer.apply_all);
                    }
                }
                QStringList values;
                values.reserve(rows.size());
                for (const auto row : rows)
                    values.append(row.value(c));
                if (!series::Save_Series(name, values, series::Values::Trimmed_Keep_Empty, series::Write::Replace,
                                         false))
                    failed.append(Trim_Str(header));
            }
        }
        if (file_name_Insert == 1 && BatchWizard_Window)
            BatchWizard_Window->Fill_List();
    }
    if (!failed.isEmpty())
        Show_MessageBox(QStringLiteral("Error in file accessing.\n") + failed.join(QLatin1Char('\n')));
    if (excel_content.isEmpty() && !Show_Unreadable())
        Show_MessageBox(QStringLiteral("There is no data in selected sheet.\nPlease select another Sheet/Excel "
                                       "File.\nEither file is corrupted or selected file contains invalid "
                                       "characters."));
    window->done(1);
}

void Import_Excel_DataSheet::Insert_file_Func(const QString&)
{
    const bool isNew = fill_col_option == 0;
    const QString typed = Trim_Str(isNew ? list_name->text() : List_ComboBox->currentText());
    const QString name = Remove_Reserve_Char_In_File_Name(typed);
    if (name.isEmpty()) {
        Show_MessageBox(isNew ? QStringLiteral("Please enter list name.") : QStringLiteral("Please select list name."));
        if (isNew)
            list_name->setFocus();
        else
            List_ComboBox->setFocus();
        return;
    }
    if (isNew && series::Series_Exists(name)
        && !Show_YES_NO_MessageBox(QStringLiteral("Batch Processing Series already exists. Do you want to replace it?")))
        return;
    bool saved = true;
    {
        batch::Wait_Sheet wait(window);
        // The rows are read first: a sheet without rows leaves the series as it was.
        Read_Rows();
        if (!excel_content.isEmpty()) {
            QStringList values;
            for (const auto row : Data_Rows())
                for (int c = 0; c < row.size(); ++c)
                    if (Get_Selection_State(c))
                        values.append(row.at(c));
            saved = series::Save_Series(name, values, series::Values::Trimmed_Keep_Empty,
                                        fill_col_option == 2 ? series::Write::Append : series::Write::Replace);
        }
    }
    if (!saved)
        return; // "Error in file accessing." was shown; the dialog stays open
    if (file_name_Insert == 1 && BatchWizard_Window)
        BatchWizard_Window->Fill_List();
    if (excel_content.isEmpty() && !Show_Unreadable())
        Show_MessageBox(kCorrupt);
    window->done(1);
}
