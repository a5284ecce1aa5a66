// The file, output and exit commands: what each asks, in which order, and
// that a design is never lost to a save that did not write.
#include "support_editor.h"

#include "app/Globals.h"
#include "support/bounded_wait.h"
#include "batch/Binding_Table_Model.h"
#include "batch/Generate_List.h"
#include "batch/Import_Wizard.h"
#include "drawing/QBXGraphicView.h"
#include "drawing/QBXText.h"
#include "output/export_window.h"
#include "platform/printers.h"
#include "platform/process_end.h"
#include "support/test_responder.h"
#include "wizards/Invitation_Wizard.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using Answer = platform::modal::AlertAnswer;
using Request = TestResponder::Request;

// Also keeps the extensions each file panel was limited to.
class PanelRecorder : public TestResponder {
public:
    QList<QStringList> extensions;
    QStringList filePanel(const platform::modal::FilePanelRequest& request) override
    {
        extensions << request.extensions;
        return testResponder().filePanel(request);
    }
    platform::modal::AlertAnswer alert(platform::modal::AlertKind kind, const QString& text) override
    {
        return testResponder().alert(kind, text);
    }
    int run(QDialog& dialog) override { return testResponder().run(dialog); }
};

class FileCommands : public ::testing::Test {
protected:
    StartedEditor e;
    QTemporaryDir dir;
    std::vector<int> ended;
    PanelRecorder panels;

    void SetUp() override
    {
        platform::setProcessEndHandler([this](int status) { ended.push_back(status); });
        platform::modal::setResponder(&panels);
        testResponder().reset(); // forget the start wizard's run
    }
    void TearDown() override
    {
        platform::modal::setResponder(&testResponder());
        platform::setProcessEndHandler({});
        platform::setPrinterSource({});
        QBXWindowController::designLogWriter() = nullptr;
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void addText()
    {
        auto g = std::make_shared<QBXText>();
        g->setBounds(QRectF(5, 5, 30, 10));
        e->_graphicView->insertGraphics({g}, {0});
    }
    QString savedLog()
    {
        addText();
        Project_File_Name = path(QStringLiteral("design.dcard"));
        EXPECT_TRUE(e->Save_project_file(false, false));
        return Project_File_Name;
    }
    // Every request so far as "kind: text".
    QStringList asked() const
    {
        QStringList out;
        for (const Request& r : testResponder().requests())
            out << r.kind + QStringLiteral(": ") + r.text;
        return out;
    }
};

const QString SaveBeforeOpen = QStringLiteral("yesno: Do you want to save changes before opening document?");
const QString SaveBeforeClose = QStringLiteral("yesno: Do you want to save changes before closing?");
const QString Saved = QStringLiteral("alert: \nGreeting Card Design Log has been saved successfully.");

TEST_F(FileCommands, OpenKeepsTheDesignUntilAFileHasLoaded)
{
    const QString log = savedLog();

    // Yes: saved in place, then the open panel loads the log.
    testResponder().answerAlert(Answer::Yes);
    testResponder().answerAlert(Answer::Ok);
    testResponder().answerFilePanel({log});
    e->Open_Btn_Clicked();
    EXPECT_EQ(asked(), (QStringList{SaveBeforeOpen, Saved, "file: Open Design"}));
    EXPECT_EQ(e->Get_Front_Controls_Array().size(), 1u);
    EXPECT_EQ(Project_File_Name, log);
    EXPECT_FALSE(Not_Draw_Only_Prop_Change.load());
    testResponder().reset();

    // Yes on a design without a file, then a cancelled save panel: the
    // design stays and nothing is opened.
    Project_File_Name.clear();
    addText();
    testResponder().answerAlert(Answer::Yes);
    testResponder().answerFilePanel({});
    e->Open_Btn_Clicked();
    EXPECT_EQ(asked(), (QStringList{SaveBeforeOpen, "file: Save Design"}));
    EXPECT_EQ(e->Get_Front_Controls_Array().size(), 2u);
    testResponder().reset();

    // No, then a cancelled panel or a damaged file: the design, its undo
    // history, the side shown and the title stay; no start wizard.
    const QString bad = path(QStringLiteral("bad.dcard"));
    {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("not a log") > 0);
    }
    Project_File_Name = log;
    e->Set_Log_Name_In_Title();
    e->Select_back_side();
    const int undo = e.document->undoManager()->undoCount();
    const QString title = e->window->windowTitle();
    for (const QStringList& chosen : {QStringList(), QStringList{bad}}) {
        testResponder().answerAlert(Answer::No);
        testResponder().answerFilePanel(chosen);
        if (!chosen.isEmpty())
            testResponder().answerAlert(Answer::Ok);
        e->Open_Btn_Clicked();
        EXPECT_EQ(asked().size(), chosen.isEmpty() ? 2 : 3);
        if (!chosen.isEmpty())
            EXPECT_TRUE(asked().last().startsWith(QStringLiteral("alert: \nFile is corrupt and cannot be opened.\n\n")));
        EXPECT_EQ(e->Get_Front_Controls_Array().size(), 2u);
        EXPECT_EQ(e.document->undoManager()->undoCount(), undo);
        EXPECT_EQ(Card_Front_Or_Back, 1);
        EXPECT_EQ(e->window->windowTitle(), title);
        EXPECT_EQ(Project_File_Name, log);
        EXPECT_TRUE(testResponder().reset());
    }
    EXPECT_TRUE(ended.empty());

    // The start wizard's close box over a design with graphics asks the
    // save question: Yes and a cancelled panel keep the program and design.
    testResponder().onDialog([](QDialog& dialog) { dialog.close(); });
    testResponder().answerAlert(Answer::Yes);
    testResponder().answerFilePanel({});
    Project_File_Name.clear();
    e->Open_Start_Window();
    EXPECT_EQ(asked().mid(1), (QStringList{SaveBeforeClose, "file: Save Design"}));
    EXPECT_TRUE(ended.empty());
    EXPECT_EQ(e->Get_Front_Controls_Array().size(), 2u);
    testResponder().reset();
    // Over an empty design it ends the program at once.
    e->New_Project_Setting_Reset();
    testResponder().onDialog([](QDialog& dialog) { dialog.close(); });
    e->Open_Start_Window();
    EXPECT_EQ(asked().size(), 1);
    EXPECT_EQ(ended, std::vector<int>{0});
}

TEST_F(FileCommands, ExportPresetsTheDialogAndFollowsItsChoices)
{
    ExportWindow& d = *e->exportWindow;
    d.fileFormatPopup->setCurrentIndex(3);
    d.saveDPIText->setEnabled(false);
    d.matrix_export_card_side->button(0)->setChecked(true);
    d.export_combined_image_chk->setChecked(true);
    export_card_side = QStringLiteral("BOTH");

    // Cancel: nothing more is asked.
    testResponder().onDialog([](QDialog& dialog) {
        auto& w = static_cast<ExportWindow&>(dialog);
        EXPECT_EQ(w.fileFormatPopup->currentIndex(), 0);
        EXPECT_TRUE(w.saveDPIText->isEnabled());
        EXPECT_EQ(w.saveDPIText->currentIndex(), 0);
        EXPECT_EQ(w.matrix_file_type->checkedId(), 0);
        EXPECT_EQ(w.matrix_export_card_side->checkedId(), 1);
        EXPECT_FALSE(w.export_combined_image_chk->isChecked());
        EXPECT_FALSE(w.Export_with_batch_chk->isEnabled());
        EXPECT_FALSE(w.Export_with_excel_chk->isChecked());
        // The side rows enable the combined box for both sides only; the
        // resolution follows the format rows and the TIFF title.
        w.matrix_export_card_side->button(0)->click();
        EXPECT_TRUE(w.export_combined_image_chk->isEnabled());
        EXPECT_EQ(export_card_side, QStringLiteral("BOTH"));
        w.matrix_export_card_side->button(2)->click();
        EXPECT_FALSE(w.export_combined_image_chk->isEnabled());
        EXPECT_EQ(export_card_side, QStringLiteral("B"));
        w.matrix_file_type->button(1)->click();
        EXPECT_FALSE(w.saveDPIText->isEnabled());
        EXPECT_EQ(w.fileFormatPopup->currentText(), QStringLiteral("TIFF"));
        w.fileFormatPopup->setCurrentIndex(1);
        emit w.fileFormatPopup->activated(1);
        EXPECT_TRUE(w.saveDPIText->isEnabled());
        w.matrix_export_card_side->button(1)->click();
        w.done(0);
    });
    e->Export_Button();
    EXPECT_EQ(export_card_side, QStringLiteral("F"));
    EXPECT_EQ(asked().size(), 1u);
    testResponder().reset();

    // A text bound to a spreadsheet column with rows: the spreadsheet box is
    // ticked; clearing it exports one file with the chosen extension.
    auto bound = std::make_shared<QBXText>();
    bound->setBounds(QRectF(5, 5, 30, 10));
    bound->data_source_type = 2;
    bound->excel_binding = true;
    e->_graphicView->insertGraphics({bound}, {0});
    Binding_Table_Model::defaultInstance()->Set_Sheet_Columns({QStringLiteral("Name")});
    Binding_Table_Model::defaultInstance()->Create_List_By_Array({QStringLiteral("Ann")}, 1);
    Binding_Table_Model::defaultInstance()->Create_List_By_Array({QStringLiteral("Bob")}, 1);
    testResponder().onDialog([](QDialog& dialog) {
        auto& w = static_cast<ExportWindow&>(dialog);
        EXPECT_TRUE(w.Export_with_excel_chk->isEnabled());
        EXPECT_TRUE(w.Export_with_excel_chk->isChecked());
        w.Export_with_excel_chk->setChecked(false);
        w.fileFormatPopup->setCurrentIndex(1);
        w.done(1);
    });
    const QString single = path(QStringLiteral("card.TIFF"));
    testResponder().answerFilePanel({single});
    testResponder().onDialog([](QDialog& box) { box.reject(); }); // the export-done box
    e->Export_Button();
    EXPECT_FALSE(Use_Excel_Binding_Values.load());
    EXPECT_EQ(Total_Batch_Excel_Card.load(), 0);
    EXPECT_EQ(panels.extensions.last(), QStringList{QStringLiteral("TIFF")});
    EXPECT_TRUE(QFile::exists(single));
    testResponder().reset();

    // Kept ticked: a folder panel, and the batch export writes into a new
    // folder inside it.
    testResponder().onDialog([](QDialog& dialog) { static_cast<ExportWindow&>(dialog).done(1); });
    testResponder().answerFilePanel({dir.path()});
    testResponder().onDialog([](QDialog& box) { box.reject(); }); // the export-done box
    e->Export_Button();
    EXPECT_EQ(Total_Batch_Excel_Card.load(), 2);
    EXPECT_TRUE(waitUntil([&] { return !e->Export_Run_Active(); }));
    EXPECT_TRUE(QFile::exists(dir.path() + QStringLiteral("/VELT Festrune/Card_2.PNG")));
}

TEST_F(FileCommands, SingleExportAsksBeforeReplacingAFile)
{
    addText();
    const QString front = path(QStringLiteral("card.PNG")), back = path(QStringLiteral("card_Back.PNG"));
    for (const QString& file : {front, back}) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("old") == 3);
    }
    // side: 0 both sides, 1 front; the questions asked come back.
    auto exportTo = [&](int side, const std::vector<Answer>& answers, bool written) {
        testResponder().onDialog([side](QDialog& d) {
            static_cast<ExportWindow&>(d).matrix_export_card_side->button(side)->click();
            d.done(1);
        });
        testResponder().answerFilePanel({front});
        for (Answer a : answers)
            testResponder().answerAlert(a);
        if (written)
            testResponder().onDialog([](QDialog& box) { box.reject(); }); // the export-done box
        e->Export_Button();
        const QStringList questions = testResponder().texts(QStringLiteral("yesno"));
        EXPECT_TRUE(testResponder().reset());
        return questions;
    };
    // Kept: nothing written, even the back file both sides asked about first.
    const QString replace = QStringLiteral("%1 already exists. Do you want to replace it?");
    EXPECT_EQ(exportTo(1, {Answer::No}, false), QStringList{replace.arg("card.PNG")});
    EXPECT_EQ(exportTo(0, {Answer::Yes, Answer::No}, false),
              (QStringList{replace.arg("card_Back.PNG"), replace.arg("card.PNG")}));
    EXPECT_EQ(QFileInfo(back).size(), 3);
    EXPECT_EQ(QFileInfo(front).size(), 3);
    exportTo(1, {Answer::Yes}, true);
    EXPECT_GT(QFileInfo(front).size(), 3);
}

TEST_F(FileCommands, OutputHelpAndWizardCommands)
{
    platform::setPrinterSource([] { return QList<platform::Printer_Desc>(); });
    testResponder().answerAlert(Answer::Ok);
    e->Print_Button();
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")), QStringList{QStringLiteral("\nNo printer found.")});
    testResponder().reset();
    platform::setPrinterSource([] { return QList<platform::Printer_Desc>{{QStringLiteral("Office")}}; });
    testResponder().onDialog([](QDialog& dialog) { dialog.done(0); });
    e->Print_Button(); // the print window opens
    EXPECT_EQ(testResponder().texts(QStringLiteral("dialog")), QStringList{QStringLiteral("Print")});
    testResponder().reset();
    EXPECT_TRUE(asked().isEmpty());
    testResponder().onDialog([](QDialog& dialog) { dialog.done(0); });
    e->Mail_Button();
    EXPECT_EQ(testResponder().texts(QStringLiteral("dialog")), QStringList{QStringLiteral("Send E-mail")});
    testResponder().reset();

    testResponder().onDialog([](QDialog& dialog) { dialog.done(1); });
    e->Help_Button();
    EXPECT_EQ(testResponder().texts(QStringLiteral("dialog")), QStringList{QStringLiteral("Help")});

    Import_Wizard::defaultInstance()->file_name_Insert = 1;
    Generate_List::defaultInstance()->file_name_Insert = 1;
    for (int window = 0; window < 3; ++window) // the import wizard, the generator, the series manager
        testResponder().onDialog([](QDialog& dialog) { dialog.done(0); });
    e->Import_Wizard_Button();
    e->Create_Series_Button();
    e->Batch_Series_Button();
    EXPECT_EQ(Import_Wizard::defaultInstance()->file_name_required, 1);
    EXPECT_EQ(Import_Wizard::defaultInstance()->file_name_Insert, 0);
    EXPECT_EQ(Generate_List::defaultInstance()->file_name_required, 1);
    EXPECT_EQ(Generate_List::defaultInstance()->file_name_Insert, 0);

    // Every command is in the File menu.
    QStringList titles;
    for (QAction* a : e->fileMenu->actions())
        titles << a->text();
    for (const char* t : {"New", "Open...", "Save", "Save As...", "Export...", "Mail...", "Print...", "Help", "Exit",
                          "Batch Series...", "Import Wizard...", "Create Series..."})
        EXPECT_TRUE(titles.contains(QString::fromLatin1(t))) << t;
}

TEST_F(FileCommands, ExitKeepsTheDesignUnlessItIsSavedOrDeclined)
{
    addText();
    Project_File_Name.clear();
    QFile plain(path(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    // Yes and a cancelled panel: the editor stays.
    testResponder().answerAlert(Answer::Yes);
    testResponder().answerFilePanel({});
    e->Exit_App();
    // Yes and a failed write: "fail" and why, the editor stays.
    testResponder().answerAlert(Answer::Yes);
    testResponder().answerFilePanel({path(QStringLiteral("plain/under.dcard"))});
    testResponder().answerAlert(Answer::Ok);
    e->Exit_App();
    EXPECT_TRUE(ended.empty());
    const QStringList alerts = testResponder().texts(QStringLiteral("alert"));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts.first().startsWith(QStringLiteral("\nfail: "))) << alerts.first().toStdString();
    testResponder().reset();

    // A close request asks the same question; Yes saves silently, then the
    // review window, then the end with 0.
    const QString log = path(QStringLiteral("exit.dcard"));
    testResponder().answerAlert(Answer::Yes);
    testResponder().answerFilePanel({log});
    testResponder().onDialog([](QDialog& dialog) { dialog.done(1); });
    e->window->show();
    EXPECT_FALSE(e->window->close());
    EXPECT_EQ(asked(), (QStringList{SaveBeforeClose, "file: Save Design", "dialog: Review"}));
    EXPECT_TRUE(QFile::exists(log));
    EXPECT_EQ(ended, std::vector<int>{0});
    // Once ending, closes pass without asking.
    EXPECT_TRUE(e->window->close());
}

// The export dialog on a real X server draws something.
TEST_F(FileCommands, ExportWindowScreenshot)
{
    if (qEnvironmentVariable("CW_EXPORT_SHOT") == QLatin1String("inner")) {
        ExportWindow w;
        w.show();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 500)
            QCoreApplication::processEvents();
        const QImage shot = w.grab().toImage();
        ASSERT_FALSE(shot.isNull());
        QSet<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 3)
            for (int x = 0; x < shot.width(); x += 3)
                colours.insert(shot.pixel(x, y));
        EXPECT_GT(colours.size(), 2);
        return;
    }
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "xvfb-run missing";
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CW_EXPORT_SHOT"), QStringLiteral("inner"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    child.setProcessEnvironment(env);
    child.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QCoreApplication::applicationFilePath(),
                                             QStringLiteral("--gtest_filter=FileCommands.ExportWindowScreenshot")});
    ASSERT_TRUE(child.waitForFinished(kHangMilliseconds));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
}

} // namespace
