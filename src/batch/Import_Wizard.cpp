#include "batch/Import_Wizard.h"

#include "app/AppHelpers.h"
#include "batch/BatchUi.h"
#include "batch/BatchWizard.h"
#include "batch/Import_Excel.h"
#include "batch/SeriesStore.h"
#include "batch/SeriesText.h"
#include "batch/SpreadsheetWriter.h"
#include "platform/modal.h"

#include <QDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

Import_Wizard* Import_Wizard_DefaultInstance = nullptr;

namespace {

const QString kCorrupt = QStringLiteral("Either file is corrupted or selected file contains invalid characters.");

void untitledWhenEmpty(QLineEdit* field)
{
    if (Trim_Str(field->text()).isEmpty())
        field->setText(QStringLiteral("Untitled"));
}

} // namespace

Import_Wizard* Import_Wizard::defaultInstance()
{
    static Import_Wizard* instance = new Import_Wizard;
    return instance;
}

Import_Wizard::Import_Wizard()
    : QObject(nullptr) // lives for the whole process
{
    Import_Wizard_DefaultInstance = this;
    window = batch::New_Window(QStringLiteral("Import_Wizard"), QStringLiteral("Import Batch Processing Series"));
    auto* grid = new QGridLayout;
    auto browse = [](const QString& title) {
        auto* b = new QPushButton(title);
        b->setAutoDefault(false);
        return b;
    };
    Excel_RD = new QRadioButton(QStringLiteral("Excel File"));
    Excel_path = new QLineEdit;
    Excel_btn = browse(QStringLiteral("Browse..."));
    Text_RD = new QRadioButton(QStringLiteral("Text / CSV / RTF File"));
    Text_path = new QLineEdit;
    Text_btn = browse(QStringLiteral("Browse..."));
    Text_file_name = new QLineEdit;
    Mnul_RD = new QRadioButton(QStringLiteral("Paste Text"));
    ManualEdit = new QPlainTextEdit;
    Manual_file_name = new QLineEdit;
    Image_RD = new QRadioButton(QStringLiteral("Picture Folder"));
    Image_path = new QLineEdit;
    Image_btn = browse(QStringLiteral("Browse..."));
    Image_file_name = new QLineEdit;
    for (QRadioButton* r : {Excel_RD, Text_RD, Mnul_RD, Image_RD})
        r->setAutoExclusive(false);
    int row = 0;
    grid->addWidget(Excel_RD, row, 0);
    grid->addWidget(Excel_path, row, 1);
    grid->addWidget(Excel_btn, row++, 2);
    grid->addWidget(Text_RD, row, 0);
    grid->addWidget(Text_path, row, 1);
    grid->addWidget(Text_btn, row++, 2);
    grid->addWidget(Text_file_name, row++, 1);
    grid->addWidget(Mnul_RD, row, 0);
    grid->addWidget(ManualEdit, row++, 1, 1, 2);
    grid->addWidget(Manual_file_name, row++, 1);
    grid->addWidget(Image_RD, row, 0);
    grid->addWidget(Image_path, row, 1);
    grid->addWidget(Image_btn, row++, 2);
    grid->addWidget(Image_file_name, row++, 1);
    for (QLineEdit* name : {Text_file_name, Manual_file_name, Image_file_name})
        name->setPlaceholderText(QStringLiteral("Series Name"));
    auto* layout = new QVBoxLayout(window);
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    auto* help = browse(QStringLiteral("Help"));
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("ok"));
    auto* cancel = browse(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("cancel"));
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(Excel_RD, &QRadioButton::clicked, this, [this] { Excel_RD_Pressed(); });
    connect(Text_RD, &QRadioButton::clicked, this, [this] { Text_RD_Pressed(); });
    connect(Mnul_RD, &QRadioButton::clicked, this, [this] { Manual_RD_Pressed(); });
    connect(Image_RD, &QRadioButton::clicked, this, [this] { Image_RD_Pressed(); });
    connect(Excel_btn, &QPushButton::clicked, this, [this] { Browse_Excel_Pressed(); });
    connect(Text_btn, &QPushButton::clicked, this, [this] { Browse_Text_Pressed(); });
    connect(Image_btn, &QPushButton::clicked, this, [this] { Browse_Image_Pressed(); });
    connect(ok, &QPushButton::clicked, this, [this] { OKPressed(); });
    connect(cancel, &QPushButton::clicked, this, [this] { CancelPressed(); });
    connect(help, &QPushButton::clicked, this, [this] { HelpPressed(); });
    window->resize(560, 480);
}

int Import_Wizard::Open_Wnd()
{
    return batch::Guarded_Open([&] {
        Check_Path_And_Create_Files();
        import_option = 0;
        for (QLineEdit* f : {Excel_path, Text_path, Image_path, Text_file_name, Manual_file_name, Image_file_name})
            f->clear();
        ManualEdit->clear();
        Choose(0);
        for (QLineEdit* name : {Text_file_name, Manual_file_name, Image_file_name})
            name->setVisible(file_name_required == 1);
        return batch::Run_Window(*window);
    });
}

void Import_Wizard::Choose(int option)
{
    import_option = option;
    Excel_RD->setChecked(option == 0);
    Text_RD->setChecked(option == 1);
    Mnul_RD->setChecked(option == 2);
    Image_RD->setChecked(option == 3);
    Enable_Disable_Excel_Option(option == 0);
    Enable_Disable_Text_Option(option == 1);
    Enable_Disable_Manual_Option(option == 2);
    Enable_Disable_Image_Option(option == 3);
}

void Import_Wizard::Excel_RD_Pressed() { Choose(0); }
void Import_Wizard::Text_RD_Pressed() { Choose(1); }
void Import_Wizard::Manual_RD_Pressed() { Choose(2); }
void Import_Wizard::Image_RD_Pressed() { Choose(3); }

void Import_Wizard::Enable_Disable_Excel_Option(bool on)
{
    SetObjEnabled(Excel_btn, on);
    SetObjEnabled(Excel_path, on);
}

void Import_Wizard::Enable_Disable_Text_Option(bool on)
{
    SetObjEnabled(Text_btn, on);
    SetObjEnabled(Text_path, on);
    SetObjEnabled(Text_file_name, on);
    if (on)
        untitledWhenEmpty(Text_file_name);
}

void Import_Wizard::Enable_Disable_Manual_Option(bool on)
{
    ManualEdit->setReadOnly(!on);
    SetObjEnabled(Manual_file_name, on);
    if (on)
        untitledWhenEmpty(Manual_file_name);
}

void Import_Wizard::Enable_Disable_Image_Option(bool on)
{
    SetObjEnabled(Image_btn, on);
    SetObjEnabled(Image_path, on);
    SetObjEnabled(Image_file_name, on);
    if (on)
        untitledWhenEmpty(Image_file_name);
}

void Import_Wizard::Browse_Excel_Pressed()
{
    Delete_Excel_File_Temp_Folder();
    const auto path = platform::modal::openFile(QStringLiteral("Select Excel File"), QString(),
                                                {QStringLiteral("xlsx"), QStringLiteral("XLSX")});
    if (!path)
        return;
    Excel_path->setText(*path);
    OKPressed();
}

void Import_Wizard::Browse_Text_Pressed()
{
    const auto path = platform::modal::openFile(
        QStringLiteral("Select Text File"), QString(),
        {QStringLiteral("txt"), QStringLiteral("TXT"), QStringLiteral("rtf"), QStringLiteral("RTF"),
         QStringLiteral("csv"), QStringLiteral("CSV")});
    if (!path)
        return;
    Text_path->setText(*path);
    OKPressed();
}

void Import_Wizard::Browse_Image_Pressed()
{
    const auto path = platform::modal::chooseFolder(QStringLiteral("Select Picture Folder"), QString());
    if (!path)
        return;
    Image_path->setText(*path);
    OKPressed();
}

void Import_Wizard::OKPressed()
{
    switch (import_option) {
    case 0: {
        const QString path = Excel_path->text();
        if (Check_And_Validate_File_Path(path))
            return;
        if (file_name_required == 1) {
            Import_Excel_DataSheet* picker = Import_Excel_DataSheet::defaultInstance();
            picker->file_name_Insert = file_name_Insert;
            picker->Open_excel_Wnd(path);
        } else {
            Import_Excel* picker = Import_Excel::defaultInstance();
            picker->open_mode = QStringLiteral("D");
            picker->Open_excel_Wnd(path);
        }
        window->done(1);
        return;
    }
    case 1: {
        const QString path = Text_path->text();
        if (Check_And_Validate_File_Path(path))
            return;
        if (Create_And_Save_Text_Data_Sheet(path))
            window->done(1);
        return;
    }
    case 2:
        if (Create_And_Save_Manual_Paste_data_Sheet())
            window->done(1);
        return;
    case 3: {
        const QString path = Image_path->text();
        if (Check_And_Validate_File_Path(path))
            return;
        if (Create_And_Save_Image_data_Sheet(Trim_Str(path)))
            window->done(1);
        return;
    }
    default:
        return;
    }
}

void Import_Wizard::CancelPressed()
{
    window->done(0);
}

void Import_Wizard::HelpPressed()
{
    Open_Help_File();
}

QString Import_Wizard::chk_and_insert_validation(const QString& value)
{
    return series_text::chk_and_insert_validation(value);
}

std::optional<QString> Import_Wizard::Series_Name(QLineEdit* field)
{
    const QString name = Remove_Reserve_Char_In_File_Name(field->text());
    if (name.isEmpty()) {
        Show_MessageBox(QStringLiteral("Please enter list name."));
        field->setFocus();
        return std::nullopt;
    }
    return name;
}

bool Import_Wizard::Prepare_Destination(const QString& name)
{
    return !series::Series_Exists(name)
        || Show_YES_NO_MessageBox(QStringLiteral("Batch Processing Series already exists. Do you want to replace it?"));
}

bool Import_Wizard::Deliver(const std::optional<QString>& name, const QStringList& values, int how)
{
    if (file_name_required == 1)
        return Deliver_Series_Bytes(*name, series::Series_Bytes(values, series::Values(how)));
    if (BatchWizard_Window)
        BatchWizard_Window->Create_Value_List(values);
    if (file_name_Insert == 1 && BatchWizard_Window)
        BatchWizard_Window->Fill_List();
    return true;
}

bool Import_Wizard::Deliver_Series_Bytes(const QString& name, const QByteArray& bytes)
{
    // The old series is replaced only by a complete new one.
    if (!series::Save_Series_Bytes(name, bytes))
        return false;
    if (file_name_Insert == 1 && BatchWizard_Window)
        BatchWizard_Window->Fill_List();
    return true;
}

bool Import_Wizard::Create_And_Save_Text_Data_Sheet(const QString& path)
{
    std::optional<QString> name;
    if (file_name_required == 1 && !(name = Series_Name(Text_file_name)))
        return false;
    // A series file is made straight from the file's bytes, the manager's
    // list from its values.
    QStringList values;
    QByteArray bytes;
    series_text::Read_Status status;
    {
        batch::Wait_Sheet wait(window);
        const QString file = Trim_Str(path);
        status = name ? series_text::Text_File_Series_Bytes(file, &bytes) : series_text::Text_File_Values(file, &values);
    }
    if (status == series_text::Read_Status::Unreadable) {
        Show_MessageBox(QStringLiteral("Please select a valid file."));
        return false;
    }
    if (status == series_text::Read_Status::Corrupt) {
        Show_MessageBox(kCorrupt);
        return false;
    }
    if (name && !Prepare_Destination(*name))
        return false;
    batch::Wait_Sheet wait(window);
    return name ? Deliver_Series_Bytes(*name, bytes) : Deliver(name, values, int(series::Values::Trimmed_Drop_Empty));
}

bool Import_Wizard::Create_And_Save_Manual_Paste_data_Sheet()
{
    std::optional<QString> name;
    if (file_name_required == 1 && !(name = Series_Name(Manual_file_name)))
        return false;
    const QString text = ManualEdit->toPlainText();
    if (Trim_Str(text).isEmpty()) {
        Show_MessageBox(QStringLiteral("Please enter some data."));
        return false;
    }
    if (series_text::Has_Lone_Surrogate(text)) {
        Show_MessageBox(QStringLiteral("Either file is corrupted or selected file contains invalid characters.\n\nOR\n\n"
                                       "Recipient number is skipped because of using 'Skip Duplicate Numbers' or "
                                       "'Exclusion List' option."));
        return false;
    }
    if (name && !Prepare_Destination(*name))
        return false;
    batch::Wait_Sheet wait(window);
    return Deliver(name, series_text::Pasted_Lines(text), int(series::Values::As_Given_Drop_Empty));
}

bool Import_Wizard::Create_And_Save_Image_data_Sheet(const QString& path)
{
    std::optional<QString> name;
    if (file_name_required == 1 && !(name = Series_Name(Image_file_name)))
        return false;
    const std::optional<QStringList> pictures = series_text::Picture_Folder_Values(path);
    if (!pictures) {
        Show_MessageBox(QStringLiteral("Please select valid file path."));
        return false;
    }
    if (name && !Prepare_Destination(*name))
        return false;
    batch::Wait_Sheet wait(window);
    return Deliver(name, *pictures, int(series::Values::As_Given));
}
