// The series dialogs driven through the modal seam: the manager, the column
// pickers, the import wizard, the generator and the viewer, with a host that
// stands in for the main window.
#include "app/AppHelpers.h"
#include "app/Globals.h"
#include "batch/BatchHost.h"
#include "batch/BatchUi.h"
#include "batch/BatchWizard.h"
#include "batch/Binding_Table_Model.h"
#include "batch/Generate_List.h"
#include "batch/Import_Excel.h"
#include "batch/Import_Wizard.h"
#include "batch/SpreadsheetWriter.h"
#include "batch/View_Data_Series.h"
#include "platform/stepper.h"
#include "support/hostile_bytes.h"
#include "support/test_responder.h"
#include "support_batch.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

using namespace batchtest;
using platform::modal::AlertAnswer;

namespace {

class FakeHost : public BatchHost {
public:
    QStringList inUse;
    QStringList asked; // titles of long questions, with "+" when the apply box showed
    std::deque<Long_Answer> answers;
    QStringList notices;

    bool Check_Batch_File_In_Use_Validation(const QString& name) override { return inUse.contains(name); }
    void Open_Export_File_Box(const QString& path, const QString& message) override
    {
        notices.append(path + QLatin1Char('|') + message);
    }
    Long_Answer Open_Long_sms_Dialog(const QString& title, const QString&, bool apply) override
    {
        asked.append(title + (apply ? QStringLiteral("+") : QString()));
        if (answers.empty())
            return {};
        const Long_Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    void Set_Custom_Msg(const QString&, const QString&) override {}
};

TestResponder& tr()
{
    return testResponder();
}

void press(QDialog& dialog, const char* name)
{
    QPushButton* b = dialog.findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(b, nullptr) << name;
    b->click();
}

class SeriesDialogs : public ::testing::Test {
protected:
    QTemporaryDir dir;
    FakeHost host;
    QString savedData, savedResources;

    void SetUp() override
    {
        savedData = Data_Folder_Path;
        savedResources = Resource_Path;
        Resource_Path = dir.path();
        Data_Folder_Path = dir.filePath(QStringLiteral("DataSet"));
        QDir().mkpath(Data_Folder_Path);
        batch::Open_Wait_Milliseconds = 0;
        batch::setBatchHost(&host);
        BatchWizard::defaultInstance(); // the value list every dialog may feed
    }
    void TearDown() override
    {
        batch::setBatchHost(nullptr);
        Data_Folder_Path = savedData;
        Resource_Path = savedResources;
    }
    // Opens a dialog, fills it and presses OK; one that should stay open is
    // checked and cancelled. The alerts answer the questions on the way.
    int openAndOk(const std::function<int()>& open, const std::function<void()>& fill,
                  const std::vector<AlertAnswer>& alerts, bool closes)
    {
        for (AlertAnswer a : alerts)
            tr().answerAlert(a);
        tr().onDialog([&, closes](QDialog& d) {
            fill();
            press(d, "ok");
            if (!closes) {
                EXPECT_TRUE(d.isVisible());
                press(d, "cancel");
            }
        });
        return open();
    }
    QString seriesFile(const QString& name) const { return Data_Folder_Path + QLatin1Char('/') + name + ".txt"; }
    void putSeries(const QString& name, const QByteArray& bytes) const { writeFile(seriesFile(name), bytes); }
    QByteArray series(const QString& name) const
    {
        QFile f(seriesFile(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList managerValues() const { return BatchWizard_Window->ListData_value->values(); }
    QString workbook()
    {
        const QString path = dir.filePath(QStringLiteral("pick.xlsx"));
        const ProcessResult r = python(QStringLiteral(R"(
import openpyxl, sys
wb = openpyxl.Workbook(); ws = wb.active; ws.title = 'Nums'
ws.append(['A', 'B']); ws.append([1, 2]); ws.append([3, 4])
m = wb.create_sheet('Mixed')
m.append(['Name', 'Code', None, 'Price/Unit', 'Name'])
m.append(['x', '007', None, '9', 'dup1'])
m.append(['y', '008', None, None, 'dup2'])
o = wb.create_sheet('One'); o.append(['Solo']); o.append(['s1'])
wb.save(sys.argv[1])
)"),
                                     {path});
        EXPECT_EQ(r.exitCode, 0) << r.err.constData();
        return path;
    }
};

// Ticks the given sheet columns of a picker.
void tick(Excel_Column_Dialog* picker, std::initializer_list<int> columns)
{
    for (int c : columns)
        picker->ListData_xl->setData(picker->ListData_xl->index(c, 0), Qt::Checked, Qt::CheckStateRole);
}

} // namespace

TEST_F(SeriesDialogs, ViewerCountsValuesWithoutEmptyLines)
{
    putSeries(QStringLiteral("Gaps"), "a\n\n  b \n\n");
    View_Data_Series* viewer = View_Data_Series::defaultInstance();
    for (const auto& [name, count] : {std::pair{"Gaps", 2}, std::pair{"Missing", 0}}) {
        viewer->file_name = QString::fromLatin1(name);
        int shown = -1;
        tr().onDialog([&](QDialog& d) {
            shown = viewer->ListData->count();
            EXPECT_EQ(viewer->list_count->text(), QStringLiteral("Total Rows : %1").arg(count));
            d.findChild<QPushButton*>()->click();
        });
        EXPECT_EQ(viewer->Open_Wnd(), 1);
        EXPECT_EQ(shown, count);
    }
    EXPECT_EQ(series(QStringLiteral("Gaps")), QByteArray("a\n\n  b \n\n"));
}

TEST_F(SeriesDialogs, GeneratorWritesChecksAndFeedsTheList)
{
    Generate_List* g = Generate_List::defaultInstance();
    auto run = [&](int required, std::function<void()> fill, std::vector<AlertAnswer> alerts = {},
                   bool closes = true) {
        g->file_name_required = required;
        g->file_name_Insert = 0;
        return openAndOk([&] { return g->Open_Wnd(); }, fill, alerts, closes);
    };
    EXPECT_EQ(run(1, [&] {
                  g->seq_file_name->setText(QStringLiteral("Padded"));
                  g->from_txt->setText(QStringLiteral("1"));
                  g->to_txt->setText(QStringLiteral("10"));
                  g->manage_digit_chk->setChecked(true);
              }),
              1);
    EXPECT_EQ(series(QStringLiteral("Padded")), QByteArray("01\n02\n03\n04\n05\n06\n07\n08\n09\n10\n"));

    // No to the replace question keeps the file; refusals keep the dialog open.
    run(1, [&] {
        g->seq_file_name->setText(QStringLiteral("Padded"));
        g->from_txt->setText(QStringLiteral("1"));
        g->to_txt->setText(QStringLiteral("3"));
        g->prefix_txt->setText(QStringLiteral("A-"));
    }, {AlertAnswer::No}, false);
    EXPECT_EQ(series(QStringLiteral("Padded")).left(3), QByteArray("01\n"));
    run(1, [&] { g->from_txt->setText(QStringLiteral("5")); g->to_txt->setText(QStringLiteral("5")); },
        {AlertAnswer::Ok}, false);
    run(1, [&] { g->from_txt->setText(QStringLiteral("1")); g->to_txt->setText(QStringLiteral("2147483647")); },
        {AlertAnswer::Ok}, false);
    run(1, [&] { g->from_txt->setText(QStringLiteral("1")); g->to_txt->setText(QStringLiteral("2"));
                 g->seq_file_name->setText(QStringLiteral("//")); },
        {AlertAnswer::Ok}, false);
    run(1, [&] { g->Random_Radio_Pressed(); g->rand_length_txt->setText(QStringLiteral(" 0")); },
        {AlertAnswer::Ok}, false);
    EXPECT_EQ(tr().texts(QStringLiteral("alert")),
              (QStringList{QStringLiteral("\n'From' value must be smaller than 'To' value."),
                           QStringLiteral("\nPlease enter a range of at most 1000000 values."),
                           QStringLiteral("\nPlease enter list name."),
                           QStringLiteral("\nPlease enter valid 'Length' value.")}));
    EXPECT_FALSE(QFile::exists(seriesFile(QStringLiteral("Untitled"))));

    // Into the manager's list: random 3 x 5, then the typing filter.
    BatchWizard_Window->ListData_value->clear();
    run(0, [&] {
        g->Random_Radio_Pressed();
        g->rand_length_txt->setText(QStringLiteral("3"));
        g->rand_count_txt->setText(QStringLiteral("5"));
        g->rand_prefix_txt->setText(QStringLiteral("R"));
    });
    ASSERT_EQ(managerValues().size(), 5);
    for (const QString& v : managerValues())
        EXPECT_TRUE(v.size() == 4 && v.startsWith('R') && v.mid(1).toInt() >= 100) << v.toStdString();
    g->count_txt->setText(QStringLiteral("12000"));
    g->controlTextDidChange(g->count_txt);
    EXPECT_EQ(g->count_txt->text(), QStringLiteral("10000"));
    EXPECT_EQ(g->count_stepper->intValue(), 10000);
}

TEST_F(SeriesDialogs, WizardImportsTextPastedAndPictures)
{
    Import_Wizard* w = Import_Wizard::defaultInstance();
    auto run = [&](int required, std::function<void()> fill, std::vector<AlertAnswer> alerts = {},
                   bool closes = true) {
        w->file_name_required = required;
        w->file_name_Insert = 0;
        return openAndOk([&] { return w->Open_Wnd(); }, fill, alerts, closes);
    };
    // Pasted text into a series file: lines as given, empty ones dropped.
    run(1, [&] {
        w->Manual_RD_Pressed();
        w->Manual_file_name->setText(QStringLiteral("Pasted"));
        w->ManualEdit->setPlainText(QStringLiteral("\nfirst\n\n  indented"));
    });
    EXPECT_EQ(series(QStringLiteral("Pasted")), QByteArray("first\n  indented\n"));

    // A CSV with LF records and quoted commas, into the manager's list.
    const QString csv = dir.filePath(QStringLiteral("in.csv"));
    writeFile(csv, "a,\"b,c\"\nd,e\n");
    BatchWizard_Window->ListData_value->clear();
    run(0, [&] { w->Text_RD_Pressed(); w->Text_path->setText(csv); });
    EXPECT_EQ(managerValues(), (QStringList{"a", "b,c", "d", "e"}));

    // An RTF keeps every run; No to the replace question keeps the old file.
    const QString rtf = dir.filePath(QStringLiteral("in.rtf"));
    writeFile(rtf, "{\\rtf1\\ansi 12{\\b 34}\\par 56\\par}");
    run(1, [&] { w->Text_RD_Pressed(); w->Text_file_name->setText(QStringLiteral("Pasted")); w->Text_path->setText(rtf); },
        {AlertAnswer::No}, false);
    EXPECT_EQ(series(QStringLiteral("Pasted")), QByteArray("first\n  indented\n"));
    run(1, [&] { w->Text_RD_Pressed(); w->Text_file_name->setText(QStringLiteral("Pasted")); w->Text_path->setText(rtf); },
        {AlertAnswer::Yes});
    EXPECT_EQ(series(QStringLiteral("Pasted")), QByteArray("1234\n56\n"));

    // Picture folder: only regular picture files; a file is no folder.
    const QString pics = dir.filePath(QStringLiteral("pics"));
    QDir().mkpath(pics + QStringLiteral("/z.png"));
    writeFile(pics + QStringLiteral("/x.JPG"), "j");
    writeFile(pics + QStringLiteral("/y.txt"), "t");
    run(1, [&] { w->Image_RD_Pressed(); w->Image_file_name->setText(QStringLiteral("Pics")); w->Image_path->setText(pics); });
    EXPECT_EQ(series(QStringLiteral("Pics")), (pics + QStringLiteral("/x.JPG\n")).toUtf8());
    run(1, [&] { w->Image_RD_Pressed(); w->Image_file_name->setText(QStringLiteral("Pics"));
                 w->Image_path->setText(pics + QStringLiteral("/y.txt")); },
        {AlertAnswer::Ok}, false);
    EXPECT_EQ(series(QStringLiteral("Pics")), (pics + QStringLiteral("/x.JPG\n")).toUtf8());
    // A bad text file, and a name that cleans to nothing.
    writeFile(dir.filePath(QStringLiteral("bad.txt")), "ok\xc3\x28");
    run(1, [&] { w->Text_RD_Pressed(); w->Text_file_name->setText(QStringLiteral("B"));
                 w->Text_path->setText(dir.filePath(QStringLiteral("bad.txt"))); },
        {AlertAnswer::Ok}, false);
    run(1, [&] { w->Manual_RD_Pressed(); w->Manual_file_name->setText(QStringLiteral("**")); w->ManualEdit->setPlainText("v"); },
        {AlertAnswer::Ok}, false);
    EXPECT_EQ(tr().texts(QStringLiteral("alert")),
              (QStringList{QStringLiteral("\nPlease select valid file path."),
                           QStringLiteral("\nEither file is corrupted or selected file contains invalid characters."),
                           QStringLiteral("\nPlease enter list name.")}));
}

TEST_F(SeriesDialogs, ManagerEditsSavesRenamesAndNeverLosesASeries)
{
    BatchWizard* m = BatchWizard::defaultInstance();
    putSeries(QStringLiteral("Old"), "one\n two\n");
    putSeries(QStringLiteral("Other"), "o\n");
    putSeries(QStringLiteral("Bad"), "ok\n\xC3\x28\n");
    auto select = [&](const QString& name) {
        m->List->clearSelection();
        m->List->selectRow(int(m->ListData->values().indexOf(name)));
    };
    tr().answerAlert(AlertAnswer::Ok);   // Bad cannot be opened
    tr().answerAlert(AlertAnswer::Ok);   // the rename target cannot be written
    tr().answerAlert(AlertAnswer::Yes);  // " Old" asks about its own file
    tr().onDialog([&](QDialog&) {
        select(QStringLiteral("Bad"));
        m->Update_Btn_Clicked();
        EXPECT_EQ(m->screens->currentWidget(), m->avl_list_box);

        select(QStringLiteral("Old"));
        m->Update_Btn_Clicked();
        EXPECT_EQ(managerValues(), (QStringList{"one", "two"}));
        m->Create_Value_List(QStringLiteral("  three "));
        // A target that cannot be written: the old series stays, values kept.
        QDir().mkpath(seriesFile(QStringLiteral("Blocked")));
        m->batch_list_name->setText(QStringLiteral("Blocked"));
        m->Save_Btn_Clicked();
        EXPECT_EQ(series(QStringLiteral("Old")), QByteArray("one\n two\n"));
        EXPECT_EQ(managerValues().size(), 3);

        m->batch_list_name->setText(QStringLiteral(" Old"));
        m->Save_Btn_Clicked();
        EXPECT_EQ(series(QStringLiteral("Old")), QByteArray("one\ntwo\nthree\n"));

        // A rename removes the old file once the new one is written.
        select(QStringLiteral("Old"));
        m->Update_Btn_Clicked();
        m->batch_list_name->setText(QStringLiteral("Renamed"));
        m->Save_Btn_Clicked();
        m->Close_Btn_Clicked();
    });
    EXPECT_EQ(m->Open_Wnd(), 0);
    EXPECT_EQ(series(QStringLiteral("Renamed")), QByteArray("one\ntwo\nthree\n"));
    EXPECT_FALSE(QFile::exists(seriesFile(QStringLiteral("Old"))));
    const QStringList alerts = tr().texts(QStringLiteral("alert"));
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts.at(0), QStringLiteral("\nError in file accessing."));
    EXPECT_TRUE(alerts.at(1).startsWith(
        QStringLiteral("\nError in file accessing.\nThe series \"Blocked\" could not be written: ")));

    // In use: save refused; a delete walk stopped by it shows what is left.
    host.inUse = QStringList{QStringLiteral("Other")};
    putSeries(QStringLiteral("Aaa"), "a\n");
    tr().answerAlert(AlertAnswer::Ok);
    tr().answerAlert(AlertAnswer::Yes);
    tr().answerAlert(AlertAnswer::Ok);
    tr().onDialog([&](QDialog&) {
        select(QStringLiteral("Other"));
        m->Update_Btn_Clicked();
        m->Save_Btn_Clicked();
        m->Back_Btn_Clicked();
        m->List->clearSelection();
        m->List->selectionModel()->select(m->ListData->index(int(m->ListData->values().indexOf("Aaa")), 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        m->List->selectionModel()->select(m->ListData->index(int(m->ListData->values().indexOf("Other")), 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
        m->List->selectionModel()->setCurrentIndex(m->ListData->index(0, 0), QItemSelectionModel::NoUpdate);
        m->Delete_List_Btn_Clicked();
        m->Close_Btn_Clicked();
    });
    m->Open_Wnd();
    EXPECT_FALSE(QFile::exists(seriesFile(QStringLiteral("Aaa"))));
    EXPECT_FALSE(m->ListData->values().contains(QStringLiteral("Aaa")));
    EXPECT_TRUE(m->ListData->values().contains(QStringLiteral("Other")));
    EXPECT_TRUE(tr().texts(QStringLiteral("alert")).contains(
        QStringLiteral("\nBatch Processing Series can't be update because it is currently in use.")));
}

TEST_F(SeriesDialogs, ManagerExportsOnlyWhatWasWritten)
{
    BatchWizard* m = BatchWizard::defaultInstance();
    const QString blocker = dir.filePath(QStringLiteral("afile"));
    writeFile(blocker, "x");
    writeFile(dir.filePath(QStringLiteral("list.txt")), "keep");
    tr().answerFilePanel({dir.filePath(QStringLiteral("out.txt")), QStringLiteral("xlsx")});
    tr().answerFilePanel({blocker + QStringLiteral("/sub.txt"), QStringLiteral("txt")});
    tr().answerAlert(AlertAnswer::Ok);
    tr().answerFilePanel({blocker + QStringLiteral("/sub.xlsx"), QStringLiteral("xlsx")});
    tr().answerAlert(AlertAnswer::Ok);
    tr().answerFilePanel({dir.filePath(QStringLiteral("list.xlsx")), QStringLiteral("txt")});
    tr().answerAlert(AlertAnswer::No);
    tr().onDialog([&](QDialog&) {
        m->AddNew_Btn_Clicked();
        m->Create_Value_List(QStringList{QStringLiteral("007"), QStringLiteral("é/ü")});
        const QString resources = Resource_Path;
        Resource_Path = builtResourceFolder(); // the workbook template
        for (int i = 0; i < 4; ++i)
            m->Export_Value_Btn_Clicked();
        Resource_Path = resources;
        m->Close_2_Btn_Clicked();
    });
    m->Open_Wnd();
    const QString xlsx = dir.filePath(QStringLiteral("out.xlsx"));
    EXPECT_EQ(host.notices, QStringList{xlsx + QStringLiteral("|Record has been exported successfully.")});
    const QJsonArray rows = openpyxlValues(xlsx).array();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows.at(1).toArray().at(0).toArray().at(1).toString(), QStringLiteral("007"));
    EXPECT_EQ(rows.at(2).toArray().at(0).toArray().at(1).toString(), QStringLiteral("é/ü"));
    EXPECT_EQ(readFile(dir.filePath(QStringLiteral("list.txt"))), QByteArray("keep"));
    EXPECT_EQ(tr().texts(QStringLiteral("yesno")), QStringList{QStringLiteral("list.txt already exists. Do you want to replace it?")});
    // The text file's box gives the system's reason as well.
    const QStringList alerts = tr().texts(QStringLiteral("alert"));
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_TRUE(alerts.at(0).startsWith(QStringLiteral("\nError in file accessing.\n"))) << alerts.at(0).toStdString();
    EXPECT_GT(alerts.at(0).size(), QStringLiteral("\nError in file accessing.\n").size());
    EXPECT_EQ(alerts.at(1), QStringLiteral("\nError in file accessing."));
}

TEST_F(SeriesDialogs, PickersFillTheListTheTableAndSeries)
{
    const QString book = workbook();
    Import_Excel* picker = Import_Excel::defaultInstance();
    // Mode "D": columns A and B of Nums give 1, 2, 3, 4.
    BatchWizard_Window->ListData_value->clear();
    picker->open_mode = QStringLiteral("D");
    tr().onDialog([&](QDialog& d) { tick(picker, {0, 1}); press(d, "ok"); });
    EXPECT_EQ(picker->Open_excel_Wnd(book), 1);
    EXPECT_EQ(managerValues(), (QStringList{"1", "2", "3", "4"}));
    // Mode "E": columns B and D of Mixed become binding columns 1 and 2.
    picker->open_mode = QStringLiteral("E");
    tr().onDialog([&](QDialog& d) {
        picker->Sheet_ComboBox->setCurrentIndex(1);
        tick(picker, {1, 3});
        press(d, "ok");
    });
    picker->Open_excel_Wnd(book);
    Binding_Table_Model* table = Binding_Table_Model::defaultInstance();
    EXPECT_EQ(table->Header_Titles().mid(1), (QStringList{"Code", "Price/Unit"}));
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->ListData().at(0).value(QStringLiteral("Column1")), QStringLiteral("007"));
    EXPECT_EQ(table->ListData().at(0).value(QStringLiteral("Column2")), QStringLiteral("9"));

    // One series per column: in-use notice, replace question, apply-to-all
    // for the rest of this walk only, failed names reported together.
    Import_Excel_DataSheet* sheet = Import_Excel_DataSheet::defaultInstance();
    sheet->file_name_Insert = 0;
    putSeries(QStringLiteral("Code"), "bound\n");
    host.inUse = QStringList{QStringLiteral("Code")};
    host.answers = {{0, false}, {1, false}};
    tr().answerAlert(AlertAnswer::Ok);
    tr().onDialog([&](QDialog& d) {
        sheet->Sheet_ComboBox->setCurrentIndex(1);
        tick(sheet, {0, 1, 3, 4});
        press(d, "ok");
    });
    sheet->Open_excel_Wnd(book);
    EXPECT_EQ(host.asked, (QStringList{"Message :+", "Batch Processing Series already exists :+"}));
    EXPECT_EQ(series(QStringLiteral("Code")), QByteArray("bound\n"));
    EXPECT_EQ(series(QStringLiteral("Name")), QByteArray("dup1\ndup2\n"));
    EXPECT_EQ(tr().texts(QStringLiteral("alert")), QStringList{QStringLiteral("\nError in file accessing.\nPrice/Unit")});

    host.asked.clear();
    host.answers = {{1, true}};
    tr().onDialog([&](QDialog& d) { sheet->Sheet_ComboBox->setCurrentIndex(1); tick(sheet, {0, 4}); press(d, "ok"); });
    sheet->Open_excel_Wnd(book);
    host.answers = {{1, false}};
    putSeries(QStringLiteral("Solo"), "old\n");
    tr().onDialog([&](QDialog& d) { sheet->Sheet_ComboBox->setCurrentIndex(2); tick(sheet, {0}); press(d, "ok"); });
    sheet->Open_excel_Wnd(book);
    EXPECT_EQ(host.asked, (QStringList{"Batch Processing Series already exists :+", "Batch Processing Series already exists :"}));
    EXPECT_EQ(series(QStringLiteral("Solo")), QByteArray("s1\n"));

    // One series: append 3 + 2 = 5; rows gone before OK leave the series as it was.
    putSeries(QStringLiteral("Three"), "a\nb\nc\n");
    tr().onDialog([&](QDialog& d) {
        sheet->Fill_Col_RD_Click();
        sheet->matrix_fill_type->button(2)->click();
        sheet->List_ComboBox->setCurrentText(QStringLiteral("Three"));
        tick(sheet, {0});
        press(d, "ok");
    });
    sheet->Open_excel_Wnd(book);
    EXPECT_EQ(series(QStringLiteral("Three")), QByteArray("a\nb\nc\n1\n3\n"));
    tr().answerAlert(AlertAnswer::Ok);
    tr().onDialog([&](QDialog& d) {
        sheet->Fill_Col_RD_Click();
        sheet->matrix_fill_type->button(1)->click();
        sheet->List_ComboBox->setCurrentText(QStringLiteral("Three"));
        tick(sheet, {0});
        Delete_Excel_File_Temp_Folder();
        press(d, "ok");
    });
    sheet->Open_excel_Wnd(book);
    EXPECT_EQ(series(QStringLiteral("Three")), QByteArray("a\nb\nc\n1\n3\n"));
}

TEST_F(SeriesDialogs, PickerTellsAFileThatIsNoWorkbookFromAnEmptyOne)
{
    const QString text = dir.filePath(QStringLiteral("text.xlsx"));
    writeFile(text, "Name;Code\nx;1\n");
    const QString damaged = dir.filePath(QStringLiteral("damaged.xlsx"));
    const QByteArray whole = readFile(workbook());
    writeFile(damaged, whole.left(whole.size() / 2));
    const QString empty = dir.filePath(QStringLiteral("empty.xlsx"));
    ASSERT_EQ(python(QStringLiteral("import openpyxl, sys\nopenpyxl.Workbook().save(sys.argv[1])"), {empty}).exitCode, 0);

    // A part refused for what it holds: the reason names the part.
    const QByteArray sheet = sheetXml("<row><c t=\"s\"><v>0</v></c></row>");
    const QString declared = dir.filePath(QStringLiteral("declared.xlsx"));
    pythonZip(declared, workbookParts({{"S", sheet}}, "<?xml version=\"1.0\"?><!DOCTYPE sst [<!ATTLIST sst a CDATA \"v\">]><sst/>"));
    const QString ebcdic = dir.filePath(QStringLiteral("ebcdic.xlsx"));
    pythonZip(ebcdic, workbookParts({{"S", hostile::ebcdicXml(sheet)}}, sharedStringsXml("<si><t>x</t></si>")));

    const QString unreadable = QStringLiteral("\nThe file cannot be read as a workbook: ");
    Import_Excel* picker = Import_Excel::defaultInstance();
    for (const auto& [path, said] :
         {std::pair{text, unreadable + QStringLiteral("it is not a zip archive")},
          std::pair{damaged, unreadable + QStringLiteral("its zip archive is damaged")},
          std::pair{empty, QStringLiteral("\nThere is no column.")},
          std::pair{declared, unreadable + QStringLiteral("a document type that declares entities or other markup in "
                                                          "xl/sharedStrings.xml")},
          std::pair{ebcdic, unreadable + QStringLiteral("text written in EBCDIC (\"IBM037\"), not in UTF-8, UTF-16 or Latin-1 in "
                                                        "xl/worksheets/sheet1.xml")}}) {
        // A file that is no workbook is refused before the picker shows.
        const bool refused = said.startsWith(unreadable);
        tr().answerAlert(AlertAnswer::Ok);
        if (!refused) {
            tr().onDialog([&](QDialog& d) {
                press(d, "ok");
                press(d, "cancel");
            });
        }
        EXPECT_EQ(picker->Open_excel_Wnd(path), 0);
        const QStringList alerts = tr().texts(QStringLiteral("alert"));
        ASSERT_EQ(alerts.size(), 1) << path.toStdString();
        EXPECT_TRUE(alerts[0].startsWith(said)) << alerts[0].toStdString();
        if (said.startsWith(unreadable)) {
            EXPECT_GT(alerts[0].size(), unreadable.size()) << "no reason given";
        }
        EXPECT_TRUE(tr().reset());
    }
}
