// The series dialogs inside the started editor: the view button opens the
// viewer, and one import runs its questions through nested modal runs
// (manager, wizard, column dialog, long-message dialog). On a real X server
// each series dialog is captured once.
#include "support/bounded_wait.h"
#include "support_editor.h"

#include "app/Globals.h"
#include "batch/BatchUi.h"
#include "batch/BatchWizard.h"
#include "batch/Generate_List.h"
#include "batch/Import_Excel.h"
#include "batch/Import_Wizard.h"
#include "batch/View_Data_Series.h"
#include "output/Open_Export_Log.h"
#include "platform/workspace.h"
#include "support/test_responder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <set>

namespace {

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void press(QDialog& d, const char* name)
{
    QPushButton* b = d.findChild<QPushButton*>(QString::fromLatin1(name));
    ASSERT_NE(b, nullptr) << name;
    b->click();
}

} // namespace

TEST(SeriesWindows, ViewButtonAndNestedQuestions)
{
    StartedEditor e;
    ASSERT_TRUE(e.started);
    batch::Open_Wait_Milliseconds = 0;
    writeBytes(Data_Folder_Path + QStringLiteral("/Names.txt"), "a\n\nb\n");

    // The viewer hook is set at start-up; the property panel's view button,
    // where the panel exists, goes through it.
    ASSERT_TRUE(bool(e->Open_Series_Viewer));
    int shown = -1;
    testResponder().onDialog([&](QDialog& d) {
        shown = View_Data_Series::defaultInstance()->ListData->count();
        d.accept();
    });
    if (e->Data_source_type && e->Batch_Series) {
        const QSignalBlocker b1(e->Data_source_type);
        const QSignalBlocker b2(e->Batch_Series);
        e->Data_source_type->setCurrentIndex(e->Data_source_type->findText(QStringLiteral("Series")));
        e->Batch_Series->addItem(QStringLiteral("Names"));
        e->Batch_Series->setCurrentText(QStringLiteral("Names"));
        e->View_batch_Series_Button(nullptr);
    } else {
        e->Open_Series_Viewer(QStringLiteral("Names"));
    }
    EXPECT_EQ(shown, 2);

    // Manager -> import wizard -> column dialog -> long-message question.
    QTemporaryDir dir;
    const QString book = dir.filePath(QStringLiteral("one.xlsx"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("/usr/bin/python3"),
                                {QStringLiteral("-c"),
                                 QStringLiteral("import openpyxl,sys; wb=openpyxl.Workbook(); ws=wb.active; "
                                                "ws.append(['Names']); ws.append(['new']); wb.save(sys.argv[1])"),
                                 book}),
              0);
    BatchWizard* manager = BatchWizard::defaultInstance();
    testResponder().onDialog([&](QDialog& d) {
        manager->Import_Btn_Clicked();
        EXPECT_TRUE(manager->ListData->values().contains(QStringLiteral("Names")));
        d.reject();
    });
    testResponder().onDialog([&](QDialog& d) {
        Import_Wizard::defaultInstance()->Excel_path->setText(book);
        press(d, "ok");
    });
    testResponder().onDialog([&](QDialog& d) {
        Import_Excel_DataSheet* picker = Import_Excel_DataSheet::defaultInstance();
        picker->ListData_xl->setData(picker->ListData_xl->index(0, 0), Qt::Checked, Qt::CheckStateRole);
        press(d, "ok");
    });
    QString question;
    testResponder().onDialog([&](QDialog& d) {
        const auto labels = d.findChildren<QLabel*>();
        for (QLabel* l : labels)
            question += l->text() + QLatin1Char('|');
        EXPECT_FALSE(d.findChild<QCheckBox*>()->isVisible()); // one column: no apply-to-all
        press(d, "yes");
    });
    manager->Open_Wnd();
    EXPECT_EQ(question, QStringLiteral("Batch Processing Series already exists :|Names\nBatch Processing Series "
                                       "already exists. Do you want to replace it?|"));
    EXPECT_EQ(readBytes(Data_Folder_Path + QStringLiteral("/Names.txt")), QByteArray("new\n"));
}

TEST(SeriesWindows, ExportNoticeCancelOpensNothingAndTicksTheBoxAgain)
{
    QDialog box;
    QCheckBox check;
    Open_Export_Log log(&box, &check);
    int opened = 0;
    platform::workspace::setOpener([&](const QUrl&) { return ++opened, true; });
    check.setChecked(false);
    log.CancelPressed();
    EXPECT_TRUE(check.isChecked());
    log.CancelPressed();
    EXPECT_EQ(opened, 0);
    platform::workspace::setOpener({});
}

// OK opens the file or folder written; when it is gone, or the desktop
// has nothing that opens it, the reason is said on screen.
TEST(SeriesWindows, ExportNoticeSaysWhyItCannotOpenWhatWasWritten)
{
    QTemporaryDir dir;
    QDialog box;
    QCheckBox check;
    Open_Export_Log log(&box, &check);
    check.setChecked(true);
    bool opens = true;
    QStringList opened;
    platform::workspace::setOpener([&](const QUrl& url) { return opened << url.toLocalFile(), opens; });
    Export_File_Path.set(dir.path());
    log.OKPressed();
    opens = false;
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    log.OKPressed();
    Export_File_Path.set(dir.filePath(QStringLiteral("gone")));
    testResponder().answerAlert(platform::modal::AlertAnswer::Ok);
    log.OKPressed();
    platform::workspace::setOpener({});
    EXPECT_EQ(opened, QStringList(2, dir.path()));
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
              (QStringList{QStringLiteral("\n\"%1\" cannot be opened: the desktop has no application that opens it.").arg(dir.path()),
                           QStringLiteral("\n\"%1/gone\" cannot be opened: it no longer exists.").arg(dir.path())}));
    EXPECT_TRUE(testResponder().reset());
}

// Inside xvfb: each series dialog shown and grabbed once.
TEST(SeriesScreenChild, CaptureEachDialog)
{
    const QString out = qEnvironmentVariable("CW_SERIES_SCREEN_OUT");
    if (out.isEmpty())
        GTEST_SKIP() << "run by SeriesScreens.EachDialogUnderXvfb";
    batch::Open_Wait_Milliseconds = 0;
    const std::vector<std::pair<QString, QDialog*>> dialogs{
        {QStringLiteral("manager"), BatchWizard::defaultInstance()->window},
        {QStringLiteral("wizard"), Import_Wizard::defaultInstance()->window},
        {QStringLiteral("generator"), Generate_List::defaultInstance()->window},
        {QStringLiteral("picker"), Import_Excel_DataSheet::defaultInstance()->window},
        {QStringLiteral("viewer"), View_Data_Series::defaultInstance()->window}};
    for (const auto& [name, dialog] : dialogs) {
        dialog->show();
        QTimer::singleShot(300, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        EXPECT_TRUE(dialog->grab().save(out + QLatin1Char('/') + name + QStringLiteral(".png")));
        dialog->hide();
    }
}

TEST(SeriesScreens, EachDialogUnderXvfb)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "xvfb-run is needed";
    QTemporaryDir dir;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("CW_SERIES_SCREEN_OUT"), dir.path());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QCoreApplication::applicationFilePath(),
                                             QStringLiteral("--gtest_filter=SeriesScreenChild.*")});
    ASSERT_TRUE(child.waitForFinished(kHangMilliseconds));
    const QByteArray log = child.readAll();
    ASSERT_EQ(child.exitCode(), 0) << log.toStdString();
    for (const char* name : {"manager", "wizard", "generator", "picker", "viewer"}) {
        const QImage shot(dir.filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
        ASSERT_FALSE(shot.isNull()) << name;
        std::set<QRgb> colours;
        int background = 0;
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2) {
                const QRgb p = shot.pixel(x, y) & 0xffffff;
                colours.insert(p);
                background += p == (qRgb(241, 244, 250) & 0xffffff);
            }
        EXPECT_GT(colours.size(), 10u) << name;
        EXPECT_GT(background, 100) << name;
    }
}
