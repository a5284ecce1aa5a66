#include "batch/BatchWizard.h"

#include "app/AppHelpers.h"
#include "batch/BatchHost.h"
#include "batch/Generate_List.h"
#include "batch/Import_Wizard.h"
#include "batch/SeriesStore.h"
#include "batch/SpreadsheetWriter.h"
#include "platform/files.h"
#include "platform/modal.h"

#include <QDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

BatchWizard* BatchWizard_Window = nullptr;

namespace {

const QString kFileError = QStringLiteral("Error in file accessing.");
const QString kListEmpty = QStringLiteral("List is empty.");
const QString kReplace = QStringLiteral("Batch Processing Series already exists. Do you want to replace it?");
const QString kCantDelete = QStringLiteral("Batch Processing Series can't be delete because it is currently in use.");

QTableView* makeTable(QAbstractItemModel* model)
{
    auto* table = new QTableView;
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setStretchLastSection(true);
    table->verticalHeader()->hide();
    return table;
}

bool inUse(const QString& name)
{
    BatchHost* host = batch::batchHost();
    return host && host->Check_Batch_File_In_Use_Validation(name);
}

// Selects the row before the last one selected, when there is one.
void selectBefore(QTableView* table, const QList<int>& removed)
{
    table->clearSelection();
    if (removed.isEmpty())
        return;
    const int row = removed.last() - 1;
    if (row >= 0 && row < table->model()->rowCount())
        table->selectRow(row);
}

} // namespace

// ---------------------------------------------------------------- Load_Num_Info

Load_Num_Info::Load_Num_Info(QObject* parent)
    : QObject(parent)
{
    window = batch::New_Window(QStringLiteral("Load_Number_Window"), QStringLiteral("Series values"));
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(new QLabel(QStringLiteral("The list already holds values. Clear them before adding new values?")));
    auto* row = new QHBoxLayout;
    batch::Add_Button(row, QStringLiteral("Yes"), this, [this] { YESPressed(); }, QStringLiteral("yes"));
    batch::Add_Button(row, QStringLiteral("No"), this, [this] { NOPressed(); }, QStringLiteral("no"));
    batch::Add_Button(row, QStringLiteral("Cancel"), this, [this] { CancelPressed(); }, QStringLiteral("cancel"));
    layout->addLayout(row);
}

Load_Num_Info::~Load_Num_Info() = default;

void Load_Num_Info::YESPressed()
{
    window->done(1);
}

void Load_Num_Info::NOPressed()
{
    window->done(0);
}

void Load_Num_Info::CancelPressed()
{
    window->done(2);
}

// ---------------------------------------------------------------- Update_Ex_Num

Update_Ex_Num::Update_Ex_Num(BatchWizard* manager)
    : QObject(manager)
    , manager_(manager)
{
    window = batch::New_Window(QStringLiteral("Update_Value_Wnd"), QStringLiteral("Edit value"));
    auto* layout = new QVBoxLayout(window);
    m_ex_num_str = new QLineEdit;
    layout->addWidget(new QLabel(QStringLiteral("Value :")));
    layout->addWidget(m_ex_num_str);
    auto* row = new QHBoxLayout;
    batch::Add_Button(row, QStringLiteral("OK"), this, [this] { OKPressed(); }, QStringLiteral("ok"));
    batch::Add_Button(row, QStringLiteral("Cancel"), this, [this] { CancelPressed(); }, QStringLiteral("cancel"));
    layout->addLayout(row);
}

Update_Ex_Num::~Update_Ex_Num() = default;

void Update_Ex_Num::clearFields()
{
    m_s_number.clear();
    m_ex_num_str->clear();
    m_ex_num_index = -1;
}

void Update_Ex_Num::OKPressed()
{
    if (m_ex_num_str->text() == m_s_number) {
        window->done(1);
        return;
    }
    const QString value = Trim_Str(m_ex_num_str->text());
    if (value.isEmpty()) {
        Show_MessageBox(QStringLiteral("Please enter a valid value."));
        m_ex_num_str->setFocus();
        return;
    }
    manager_->ListData_value->replace(m_ex_num_index, value);
    clearFields();
    window->done(1);
}

void Update_Ex_Num::CancelPressed()
{
    clearFields();
    window->done(0);
}

// ---------------------------------------------------------------- BatchWizard

BatchWizard* BatchWizard::defaultInstance()
{
    static BatchWizard* instance = new BatchWizard;
    return instance;
}

BatchWizard::BatchWizard()
    : QObject(nullptr) // lives for the whole process
{
    BatchWizard_Window = this;
    window = batch::New_Window(QStringLiteral("BatchWizard"), QStringLiteral("Batch Processing Series"));
    ListData = new batch::Value_List_Model(QStringLiteral("Extension"), this);
    ListData_value = new batch::Value_List_Model(QStringLiteral("Header"), this);

    screens = new QStackedWidget;
    // series screen
    avl_list_box = new QWidget;
    {
        auto* layout = new QVBoxLayout(avl_list_box);
        List = makeTable(ListData);
        List->setObjectName(QStringLiteral("List"));
        batch_list_count = new QLabel;
        layout->addWidget(List);
        layout->addWidget(batch_list_count);
        auto* row = new QHBoxLayout;
        batch::Add_Button(row, QStringLiteral("New"), this, [this] { AddNew_Btn_Clicked(); });
        batch::Add_Button(row, QStringLiteral("Edit"), this, [this] { Update_Btn_Clicked(); });
        batch::Add_Button(row, QStringLiteral("Delete"), this, [this] { Delete_List_Btn_Clicked(); });
        batch::Add_Button(row, QStringLiteral("Import"), this, [this] { Import_Btn_Clicked(); });
        batch::Add_Button(row, QStringLiteral("Create Series"), this, [this] { CreateSeries_Btn_Clicked(); });
        batch::Add_Button(row, QStringLiteral("Help"), this, [this] { Help_Btn_Clicked(); });
        batch::Add_Button(row, QStringLiteral("Close"), this, [this] { Close_Btn_Clicked(); });
        layout->addLayout(row);
    }
    // value screen
    list_value_box = new QWidget;
    {
        auto* layout = new QVBoxLayout(list_value_box);
        auto* nameRow = new QHBoxLayout;
        batch_list_name = new QLineEdit;
        nameRow->addWidget(new QLabel(QStringLiteral("Series Name :")));
        nameRow->addWidget(batch_list_name);
        layout->addLayout(nameRow);
        List_value = makeTable(ListData_value);
        List_value->setObjectName(QStringLiteral("List_value"));
        batch_value_count = new QLabel;
        layout->addWidget(List_value);
        layout->addWidget(batch_value_count);
        auto* row = new QHBoxLayout;
        batch::Add_Button(row, QStringLiteral("Save"), this, [this] { Save_Btn_Clicked(); });
        batch::Add_Button(row, QStringLiteral("Back"), this, [this] { Back_Btn_Clicked(); });
        batch::Add_Button(row, QStringLiteral("Import"), this, [this] { Import_Value_Btn_Clicked(); });
        batch::Add_Button(row, QStringLiteral("Create Series"), this, [this] { Series_Value_Btn_Clicked(); });
        batch::Add_Button(row, QStringLiteral("Delete"), this, [this] { Delete_Rows_Btn_Clicked(); });
        batch::Add_Button(row, QStringLiteral("Export"), this, [this] { Export_Value_Btn_Clicked(); });
        batch::Add_Button(row, QStringLiteral("Help"), this, [this] { Help_2_Btn_Clicked(); });
        batch::Add_Button(row, QStringLiteral("Close"), this, [this] { Close_2_Btn_Clicked(); });
        layout->addLayout(row);
    }
    screens->addWidget(avl_list_box);
    screens->addWidget(list_value_box);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(screens);
    connect(List, &QTableView::doubleClicked, this, [this] { doubleClickInTable(List); });
    connect(List_value, &QTableView::doubleClicked, this, [this] { doubleClickInTable(List_value); });
    connect(ListData_value, &QAbstractItemModel::rowsInserted, this, [this] {
        if (countPending_)
            return;
        countPending_ = true;
        QTimer::singleShot(0, this, [this] { Update_Value_Count(); });
    });
    Load_Number_Window = new Load_Num_Info(this);
    Update_Value_Wnd = new Update_Ex_Num(this);
    window->resize(640, 460);
    Show_Series_Screen();
    Update_List_Count();
    Update_Value_Count();
}

int BatchWizard::Open_Wnd()
{
    return batch::Guarded_Open([&] {
        Check_Path_And_Create_Files();
        Show_Series_Screen();
        Fill_List();
        batch::Open_Wait();
        return batch::Run_Window(*window);
    });
}

void BatchWizard::Show_Series_Screen()
{
    update_list_name.clear();
    screens->setCurrentWidget(avl_list_box);
}

void BatchWizard::Show_Value_Screen()
{
    screens->setCurrentWidget(list_value_box);
}

void BatchWizard::Fill_List()
{
    ListData->clear();
    Update_List_Count();
    for (const QString& name : series::Get_datasheet_File_Name_Array())
        Create_Avail_List(name);
}

void BatchWizard::Create_Avail_List(const QString& name)
{
    const QString trimmed = Trim_Str(name);
    if (trimmed.isEmpty())
        return;
    ListData->append(trimmed);
    Update_List_Count();
}

void BatchWizard::Create_Value_List(const QString& value)
{
    const QString trimmed = Trim_Str(value);
    if (!trimmed.isEmpty())
        ListData_value->append(trimmed);
}

void BatchWizard::Create_Value_List(const QStringList& values)
{
    QStringList kept;
    kept.reserve(values.size());
    for (const QString& value : values) {
        const QString trimmed = series::Trimmed(value);
        if (!trimmed.isEmpty())
            kept.append(trimmed);
    }
    ListData_value->appendMany(kept);
}

void BatchWizard::Update_List_Count()
{
    batch_list_count->setText(QStringLiteral("Total List : %1").arg(ListData->count()));
}

void BatchWizard::Update_Value_Count()
{
    countPending_ = false;
    batch_value_count->setText(QStringLiteral("Total Rows : %1").arg(ListData_value->count()));
}

QList<int> BatchWizard::selectedRows(QTableView* table) const
{
    QList<int> rows;
    for (const QModelIndex& index : table->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int BatchWizard::Selected_Series_Row()
{
    if (ListData->count() == 0) {
        Show_MessageBox(QStringLiteral("Available list is empty."));
        return -1;
    }
    const QModelIndex current = List->selectionModel()->currentIndex();
    int row = current.isValid() && List->selectionModel()->isRowSelected(current.row(), QModelIndex())
        ? current.row()
        : (selectedRows(List).isEmpty() ? -1 : selectedRows(List).last());
    if (row < 0 || Trim_Str(ListData->value(row)).isEmpty()) {
        Show_MessageBox(QStringLiteral("Please select a record from the available list to continue."));
        List->setFocus();
        return -1;
    }
    return row;
}

void BatchWizard::AddNew_Btn_Clicked()
{
    Show_Value_Screen();
    batch_list_name->setText(QStringLiteral("Untitled"));
    ListData_value->clear();
    Update_Value_Count();
}

void BatchWizard::Update_Btn_Clicked()
{
    On_Update();
}

void BatchWizard::On_Update()
{
    const int row = Selected_Series_Row();
    if (row < 0)
        return;
    const QString name = ListData->value(row);
    // A series that cannot be read whole is never opened: saving it would
    // overwrite content the user never saw.
    const std::optional<QString> text = series::Read_Series_Text(name);
    if (!text) {
        Show_MessageBox(kFileError);
        return;
    }
    Show_Value_Screen();
    batch_list_name->setText(name);
    update_list_name = name;
    ListData_value->clear();
    batch::Wait_Sheet wait(window);
    QStringList values;
    for (const QString& piece : text->split(QLatin1Char('\n'))) {
        const QString value = Trim_Str(piece);
        if (!value.isEmpty())
            values.append(value);
    }
    ListData_value->appendMany(values);
    Update_Value_Count();
}

void BatchWizard::Back_Btn_Clicked()
{
    Show_Series_Screen();
}

void BatchWizard::Delete_Rows_Btn_Clicked()
{
    try {
        if (ListData_value->count() == 0) {
            Show_MessageBox(kListEmpty);
            List_value->setFocus();
            return;
        }
        const QList<int> rows = selectedRows(List_value);
        if (rows.isEmpty()) {
            Show_MessageBox(QStringLiteral("Please select at least one record from the list to continue."));
            List_value->setFocus();
            return;
        }
        ListData_value->removeRowsAt(rows);
        selectBefore(List_value, rows);
        Update_Value_Count();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
    }
}

void BatchWizard::Save_Btn_Clicked()
{
    try {
        if (ListData_value->count() == 0) {
            Show_MessageBox(kListEmpty);
            List_value->setFocus();
            return;
        }
        const QString newName = batch_list_name->text();
        const QString oldName = update_list_name;
        if (!oldName.isEmpty() && inUse(oldName)) {
            Show_MessageBox(QStringLiteral("Batch Processing Series can't be update because it is currently in use."));
            return;
        }
        const bool targetExists = series::Series_Exists(newName);
        if (targetExists && newName != oldName && !Show_YES_NO_MessageBox(kReplace))
            return;
        // A rename removes the old file, but only once the new one is written.
        const bool rename = !targetExists && !oldName.isEmpty() && newName != oldName && series::Series_Exists(oldName);
        {
            batch::Wait_Sheet wait(window);
            if (!series::Save_Series(newName, ListData_value->values(), series::Values::Trimmed_Drop_Empty))
                return;
            if (rename)
                if (const auto oldPath = series::Series_Path(oldName))
                    Delete_File(*oldPath);
        }
        window->raise();
        Show_Series_Screen();
        Fill_List();
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        Show_MessageBox(kFileError);
    }
}

void BatchWizard::Delete_List_Btn_Clicked()
{
    const int row = Selected_Series_Row();
    if (row < 0)
        return;
    if (inUse(ListData->value(row))) {
        Show_MessageBox(kCantDelete);
        return;
    }
    if (!Show_YES_NO_MessageBox(QStringLiteral("Are you sure want to delete selected Batch Processing Series?")))
        return;
    const QList<int> rows = selectedRows(List);
    series::Replace_Walk walk; // the apply-to-all answer lasts this walk
    bool anyInUse = false;
    for (int r : rows) {
        const QString name = ListData->value(r);
        if (inUse(name)) {
            anyInUse = true;
            if (walk.Msg_Apply_All_Chk)
                continue;
            Show_MessageBox(kCantDelete);
            break;
        }
        if (const auto path = series::Series_Path(name))
            Delete_File(*path);
    }
    if (anyInUse) {
        // Those walked before the series in use are gone: show what is left.
        Fill_List();
        return;
    }
    ListData->removeRowsAt(rows);
    selectBefore(List, rows);
    Update_List_Count();
}

bool BatchWizard::Prepare_Value_Import()
{
    if (ListData_value->count() == 0)
        return true;
    const int code = batch::Run_Window(*Load_Number_Window->window);
    if (code == 1) {
        ListData_value->clear();
        Update_Value_Count();
        return true;
    }
    return code == 0;
}

void BatchWizard::Import_Value_Btn_Clicked()
{
    if (!Prepare_Value_Import())
        return;
    Import_Wizard* wizard = Import_Wizard::defaultInstance();
    wizard->file_name_required = 0;
    wizard->file_name_Insert = 1;
    wizard->Open_Wnd();
}

void BatchWizard::Series_Value_Btn_Clicked()
{
    if (!Prepare_Value_Import())
        return;
    Generate_List* generator = Generate_List::defaultInstance();
    generator->file_name_required = 0;
    generator->file_name_Insert = 1;
    generator->Open_Wnd();
}

void BatchWizard::Import_Btn_Clicked()
{
    Import_Wizard* wizard = Import_Wizard::defaultInstance();
    wizard->file_name_required = 1;
    wizard->file_name_Insert = 1;
    wizard->Open_Wnd();
}

void BatchWizard::CreateSeries_Btn_Clicked()
{
    Generate_List* generator = Generate_List::defaultInstance();
    generator->file_name_required = 1;
    generator->file_name_Insert = 1;
    generator->Open_Wnd();
}

void BatchWizard::Export_Value_Btn_Clicked()
{
    try {
        if (ListData_value->count() == 0) {
            Show_MessageBox(kListEmpty);
            List_value->setFocus();
            return;
        }
        const QStringList types{QStringLiteral("xlsx"), QStringLiteral("txt")};
        const auto choice = platform::modal::saveFileOfType(QStringLiteral("Export"), QString(),
                                                            batch_list_name->text(), types);
        if (!choice)
            return;
        window->raise();
        const QString type = types.value(choice->type);
        // The chosen type decides the extension, whatever was typed.
        const QFileInfo typed(choice->path);
        const QString base = typed.suffix().isEmpty()
            ? choice->path
            : typed.path() + QLatin1Char('/') + typed.completeBaseName();
        const QString path = base + QLatin1Char('.') + type;
        if (QFileInfo::exists(path)
            && !Show_YES_NO_MessageBox(QStringLiteral("%1 already exists. Do you want to replace it?")
                                           .arg(QFileInfo(path).fileName())))
            return;
        bool written = false;
        QString error; // the system's reason of a failed text file
        {
            batch::Wait_Sheet wait(window);
            if (type == QLatin1String("xlsx")) {
                SpreadsheetWriter::Rows rows{QStringList{QStringLiteral("Batch Value")}};
                for (const QString& value : ListData_value->values())
                    rows.append(QStringList{value});
                written = SpreadsheetWriter::WriteWorkbook(QUrl::fromLocalFile(path), rows, false);
            } else {
                QByteArray bytes;
                for (const QString& value : ListData_value->values())
                    bytes += value.toUtf8() + '\n';
                written = platform::writeFileAtomically(path, bytes, platform::WriteMode::Default, &error);
                if (!written)
                    Show_NSLog_Message(error);
            }
        }
        if (!written) {
            Show_MessageBox(error.isEmpty() ? kFileError : kFileError + QLatin1Char('\n') + error);
            return;
        }
        window->raise();
        Open_Export_File_Box(path, QStringLiteral("Record has been exported successfully."));
    } catch (const std::exception& e) {
        Show_NSLog_Message(QString::fromUtf8(e.what()));
        Show_MessageBox(kFileError);
    }
}

void BatchWizard::Open_Export_File_Box(const QString& path, const QString& message)
{
    if (BatchHost* host = batch::batchHost())
        host->Open_Export_File_Box(path, message);
}

void BatchWizard::Help_Btn_Clicked()
{
    Open_Help_File();
}

void BatchWizard::Help_2_Btn_Clicked()
{
    Open_Help_File();
}

void BatchWizard::Close_Btn_Clicked()
{
    window->done(0);
}

void BatchWizard::Close_2_Btn_Clicked()
{
    window->done(0);
}

void BatchWizard::doubleClickInTable(QTableView* table)
{
    const QList<int> rows = selectedRows(table);
    if (rows.isEmpty())
        return;
    if (rows.size() > 1) {
        Show_MessageBox(QStringLiteral("Please select only one record to update."));
        return;
    }
    if (table == List)
        On_Update();
    else if (table == List_value)
        Edit_Value();
}

void BatchWizard::Edit_Value()
{
    const QList<int> rows = selectedRows(List_value);
    if (ListData_value->count() == 0 || rows.isEmpty())
        return;
    const int row = rows.last();
    const QString value = Trim_Str(ListData_value->value(row));
    Update_Value_Wnd->m_ex_num_str->setText(value);
    Update_Value_Wnd->m_s_number = value;
    Update_Value_Wnd->m_ex_num_index = row;
    batch::Run_Window(*Update_Value_Wnd->window);
}
