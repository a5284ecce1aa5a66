// The print window driven through its controls on stand-in printers that
// write PDF: opening values, refused field text, the card count, the
// preview's sheet limit, and printing read back with pdfinfo.
#include "app/AppHelpers.h"
#include "batch/DataBinding.h"
#include "batch/SeriesStore.h"
#include "output/Print_Wnd.h"
#include "output/Send_Modeless.h"
#include "platform/threads.h"
#include "platform/print_preview.h"
#include "platform/printers.h"
#include "platform/stepper.h"
#include "support/bounded_wait.h"
#include "support/process_runner.h"
#include "support_print_host.h"
#include "support/qt_print.h"
#include "support/test_responder.h"

#include <QApplication>
#include <QPrinter>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <thread>

using Answer = platform::modal::AlertAnswer;

namespace {


class PrintWindow : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Plain_Print_Host host;
    Print_Wnd& w = *Print_Wnd::defaultInstance();

    void SetUp() override
    {
        testResponder().reset();
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        const QString folder = dir.path();
        platform::setPrinterSource([pdf, folder] {
            // 5 mm all round on the office printer; the other has none and
            // its "queue" is a folder, which cannot be opened for printing.
            const double m = 5 * 72 / 25.4;
            return QList<platform::Printer_Desc>{
                {QStringLiteral("Office"), QPageSize(QPageSize::A4), QMarginsF(m, m, m, m), pdf},
                {QStringLiteral("Gone"), QPageSize(QPageSize::Letter), QMarginsF(), folder}};
        });
    }
    void TearDown() override { platform::setPrinterSource({}); }

    // Opens the window and runs `inside` while it is up.
    void Open(const std::function<void()>& inside)
    {
        testResponder().onDialog([&](QDialog& dialog) {
            inside();
            dialog.done(0);
        });
        EXPECT_TRUE(w.Open_Print_Wnd(host));
    }
    static void Type(QLineEdit* text, const QString& value, void (Print_Wnd::*handler)(bool))
    {
        text->setText(value);
        (Print_Wnd::defaultInstance()->*handler)(false);
    }
    QString Info(const QString& pdf) const
    {
        return QString::fromUtf8(testsupport::run(QStringLiteral("pdfinfo"), {pdf}).out);
    }
};

} // namespace

TEST_F(PrintWindow, OpensFromTheCardAndRefusesFieldsThatWouldBreakTheLayout)
{
    Open([&] {
        EXPECT_EQ(w.Paper_id->text(), QStringLiteral("A4"));
        EXPECT_EQ(w.Size_id->text(), QStringLiteral("210.00 x 297.00"));
        EXPECT_EQ(w.l_mar_id->text(), QStringLiteral("5.00"));
        EXPECT_EQ(w.width_Text->text(), QStringLiteral("88.90"));
        EXPECT_EQ(w.height_Text->text(), QStringLiteral("50.80"));
        EXPECT_EQ(w.matrix_card_side->checkedId(), 1);
        EXPECT_FALSE(w.print_alignment->isEnabled());
        EXPECT_EQ(w.Total_Text->text(), QStringLiteral("1"));
        EXPECT_FALSE(w.test_image_view->pixmap().isNull());

        // Text that would divide by zero or overflow keeps the last value.
        for (const QString& bad : {QString(), QStringLiteral("abc"), QStringLiteral("-3"), QStringLiteral("nan"),
                                   QStringLiteral("1e40"), QStringLiteral("0")}) {
            if (bad == QStringLiteral("0"))
                testResponder().answerAlert(Answer::Ok); // smaller than the card
            Type(w.width_Text, bad, &Print_Wnd::Width_Changed);
            Type(w.Row_Text, bad, &Print_Wnd::Row_Changed);
            Type(w.horz_mar_Text, bad == QStringLiteral("0") ? QStringLiteral("-88.9") : bad,
                 &Print_Wnd::Horz_Margin_Changed);
            EXPECT_EQ(w.width_Text->text(), QStringLiteral("88.90")) << bad.toStdString();
            EXPECT_EQ(w.Row_Text->text(), QStringLiteral("1")) << bad.toStdString();
            EXPECT_EQ(w.horz_mar_Text->text(), QStringLiteral("0.00")) << bad.toStdString();
            EXPECT_GE(w.layout.Print_Row, 1);
            EXPECT_GT(w.layout.label_width + w.layout.horz_mar, 0);
        }
        Type(w.width_Text, QStringLiteral("90,5"), &Print_Wnd::Width_Changed);
        EXPECT_EQ(w.width_Text->text(), QStringLiteral("90.50"));

        // Three columns of 90.5 mm do not fit on 200 mm: said, and cut back
        // to two; without data the total is one sheet.
        Type(w.Row_Text, QStringLiteral("3"), &Print_Wnd::Row_Changed);
        testResponder().answerAlert(Answer::Ok);
        Type(w.Col_Text, QStringLiteral("3"), &Print_Wnd::Col_Changed);
        EXPECT_EQ(testResponder().texts(QStringLiteral("alert")).last(),
                  QStringLiteral("\n3 \u00d7 3 does not fit: 3 \u00d7 2 fits"));
        EXPECT_EQ(w.Col_Text->text(), QStringLiteral("2"));
        EXPECT_EQ(w.Total_Text->text(), QStringLiteral("6"));
        testResponder().reset();

        // A total below 1 prints nothing.
        for (const QString& total : {QStringLiteral("0"), QStringLiteral("-4"), QStringLiteral("-1e30")}) {
            Type(w.Total_Text, total, &Print_Wnd::Total_Val_Changed);
            testResponder().answerAlert(Answer::Ok);
            w.Execute_Printing(false);
        }
        EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
                  QStringList(3, QStringLiteral("\nThere is no barcode to print.")));
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("out.pdf"))));

        // A total far above the stepper is bounded; its preview shows 50
        // sheets after one message.
        testResponder().reset();
        Type(w.Total_Text, QStringLiteral("1e40"), &Print_Wnd::Total_Val_Changed);
        testResponder().answerAlert(Answer::Ok);
        int pages = -1;
        testResponder().onDialog([&](QDialog& preview) {
            pages = preview.findChild<platform::Pages_Preview*>()->pageCount();
            preview.done(0);
        });
        w.Execute_Printing(true);
        EXPECT_EQ(pages, 50);
        EXPECT_EQ(testResponder().texts(QStringLiteral("alert")).size(), 1);

        // Fifty sheets exactly: no message.
        testResponder().reset();
        Type(w.Total_Text, QStringLiteral("300"), &Print_Wnd::Total_Val_Changed);
        testResponder().onDialog([&](QDialog& preview) {
            pages = preview.findChild<platform::Pages_Preview*>()->pageCount();
            preview.done(0);
        });
        w.Execute_Printing(true);
        EXPECT_EQ(pages, 50);
        EXPECT_TRUE(testResponder().texts(QStringLiteral("alert")).isEmpty());
    });

    // The next opening starts over whatever the last one left.
    Open([&] {
        EXPECT_EQ(w.width_Text->text(), QStringLiteral("88.90"));
        EXPECT_EQ(w.Col_Text->text(), QStringLiteral("1"));
        EXPECT_EQ(w.Total_Text->text(), QStringLiteral("1"));
    });
}

TEST_F(PrintWindow, PrintsSheetsOnThePrinterAndKeepsTheWindowWhenItCannot)
{
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    Open([&] {
        Type(w.Row_Text, QStringLiteral("2"), &Print_Wnd::Row_Changed);
        Type(w.Col_Text, QStringLiteral("2"), &Print_Wnd::Col_Changed);
        Type(w.Total_Text, QStringLiteral("7"), &Print_Wnd::Total_Val_Changed);
        w.Execute_Printing(false);
        const QString info = Info(pdf);
        EXPECT_TRUE(info.contains(QStringLiteral("Pages:           2"))) << info.toStdString();
        EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();
        // A system that refuses the printing thread gets the print all the same.
        QFile::remove(pdf);
        platform::refuseThreadsAfter(0);
        w.Execute_Printing(false);
        platform::refuseThreadsAfter(-1);
        EXPECT_TRUE(Info(pdf).contains(QStringLiteral("Pages:           2")));

        // Landscape refits; a card wider than the paper asks first.
        w.Orient_ComboBox->setCurrentIndex(1);
        w.Orientation_Selection_Changed(1);
        EXPECT_EQ(w.Size_id->text(), QStringLiteral("297.00 x 210.00"));
        testResponder().answerAlert(Answer::Ok); // 2 x 2 does not fit
        Type(w.width_Text, QStringLiteral("400"), &Print_Wnd::Width_Changed);
        QFile::remove(pdf);
        testResponder().answerAlert(Answer::No);
        w.Execute_Printing(false);
        EXPECT_FALSE(QFile::exists(pdf));
        testResponder().answerAlert(Answer::Yes);
        w.Execute_Printing(false);
        EXPECT_TRUE(Info(pdf).contains(QStringLiteral("842 x 595 pts"))) << Info(pdf).toStdString();

        // A printer that cannot be opened: its name in the message.
        testResponder().reset();
        w.Printer_ComboBox->setCurrentIndex(1);
        w.Printer_Selection_Changed(1);
        EXPECT_TRUE(w.Paper_id->text().startsWith(QStringLiteral("Letter")));
        testResponder().answerAlert(Answer::Yes);
        testResponder().answerAlert(Answer::Ok);
        w.Execute_Printing(false);
        const QStringList said = testResponder().texts(QStringLiteral("alert"));
        ASSERT_EQ(said.size(), 1);
        EXPECT_TRUE(said[0].contains(QStringLiteral("\"Gone\""))) << said[0].toStdString();
        EXPECT_TRUE(w.isVisible());
    });
}

TEST_F(PrintWindow, SaysWhatFitsAndRefusesCellsSmallerThanTheCard)
{
    host.card = QSizeF(150 * 72 / 25.4, 100 * 72 / 25.4);
    Open([&] {
        // 4 x 2 cards of 150 x 100 mm on A4 inside 5 mm margins: 2 x 1 fit.
        w.Row_Stepper->setValue(4);
        w.Col_Stepper->setValue(2);
        for (int i = 0; i < 3; ++i)
            testResponder().answerAlert(Answer::Ok);
        w.Check_Max_Cell_Value();
        EXPECT_EQ(w.Row_Text->text() + w.Col_Text->text(), QStringLiteral("21"));
        // A 100 x 66 mm cell is refused, typed or stepped: the card's own
        // size stays, so cards cannot overlap.
        Type(w.width_Text, QStringLiteral("100"), &Print_Wnd::Width_Changed);
        Type(w.height_Text, QStringLiteral("66"), &Print_Wnd::Height_Changed);
        w.width_Stepper->setValue(100);
        w.Width_Changed(true);
        EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
                  (QStringList{QStringLiteral("\n4 \u00d7 2 does not fit: 2 \u00d7 1 fits"),
                               QStringLiteral("\nA card width of 100.00 mm is smaller than the card (150.00 mm): "
                                              "cards would overlap."),
                               QStringLiteral("\nA card height of 66.00 mm is smaller than the card (100.00 mm): "
                                              "cards would overlap.")}));
        EXPECT_EQ(w.width_Text->text() + w.height_Text->text(), QStringLiteral("150.00100.00"));
        EXPECT_GE(w.layout.label_width, host.card.width() - 0.01);
        // The card's own size typed back is taken without a word.
        Type(w.width_Text, QStringLiteral("150"), &Print_Wnd::Width_Changed);
        EXPECT_TRUE(testResponder().reset());
    });
}

namespace {

// Answers as the shared responder does, but an alert first takes the focus
// away from the field being edited, as a real message box does.
struct Focus_Taking_Responder : platform::modal::Responder {
    Answer alert(platform::modal::AlertKind kind, const QString& text) override
    {
        if (QWidget* focus = QApplication::focusWidget())
            focus->clearFocus();
        return testResponder().alert(kind, text);
    }
    int run(QDialog& dialog) override { return testResponder().run(dialog); }
    QStringList filePanel(const platform::modal::FilePanelRequest& r) override { return testResponder().filePanel(r); }
    std::optional<QColor> colorPanel(const QColor& c, const QString& t) override { return testResponder().colorPanel(c, t); }
    std::optional<QFont> fontPanel(const QFont& f, const QString& t) override { return testResponder().fontPanel(f, t); }
};

} // namespace

// Typing a layout the sheet cannot hold, then Return: one message per
// change, although the box takes the focus and the field reports the end of
// its editing once more.
TEST_F(PrintWindow, EachLayoutMessageIsShownOnce)
{
    host.card = QSizeF(150 * 72 / 25.4, 100 * 72 / 25.4);
    Focus_Taking_Responder responder;
    platform::modal::setResponder(&responder);
    Open([&] {
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&w, kHangMilliseconds));
        for (auto [field, value] : {std::pair{w.Row_Text, "4"}, std::pair{w.width_Text, "100"}}) {
            field->setFocus();
            ASSERT_EQ(QApplication::focusWidget(), field);
            field->selectAll();
            testResponder().answerAlert(Answer::Ok);
            QTest::keyClicks(field, QString::fromLatin1(value));
            QTest::keyClick(field, Qt::Key_Return);
        }
        EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
                  (QStringList{QStringLiteral("\n4 \u00d7 1 does not fit: 2 \u00d7 1 fits"),
                               QStringLiteral("\nA card width of 100.00 mm is smaller than the card (150.00 mm): "
                                              "cards would overlap.")}));
        EXPECT_EQ(w.Row_Text->text() + w.width_Text->text(), QStringLiteral("2150.00"));
    });
    platform::modal::setResponder(&testResponder());
    EXPECT_TRUE(testResponder().reset());
}

// However slow each sheet is, the preview opens at once, draws the sheets in
// view (not all fifty), reaches the last when scrolled to it, and closes
// without drawing the rest.
TEST(PrintPreview, OpensAtOnceAndDrawsTheSheetsInView)
{
    std::mutex mutex;
    std::vector<int> drawn;
    const platform::Draw_Sheet draw = [&](QPainter& painter, int sheet, const std::atomic<bool>&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        painter.fillRect(QRectF(0, 0, 100, 100), Qt::black);
        const std::lock_guard<std::mutex> lock(mutex);
        drawn.push_back(sheet);
    };
    auto shown = [&](int sheet) {
        const std::lock_guard<std::mutex> lock(mutex);
        return std::find(drawn.begin(), drawn.end(), sheet) != drawn.end();
    };
    size_t drawnAtOpen = 0;
    testResponder().onDialog([&](QDialog& dialog) {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            drawnAtOpen = drawn.size();
        }
        auto* preview = dialog.findChild<platform::Pages_Preview*>();
        dialog.show();
        EXPECT_TRUE(waitUntil([&] { return preview->shownPages() > 0; }));
        preview->verticalScrollBar()->setValue(preview->verticalScrollBar()->maximum());
        EXPECT_TRUE(waitUntil([&] { return shown(49); }));
        dialog.done(0);
    });
    platform::runPrintPreview(50, QSizeF(595, 842), 72, draw, nullptr);
    EXPECT_LT(drawnAtOpen, 50u); // not every sheet drawn before it opened
    EXPECT_TRUE(shown(0));
    EXPECT_TRUE(shown(49));
    EXPECT_LT(std::set<int>(drawn.begin(), drawn.end()).size(), 10u);
    // Each sheet shown is drawn once: the scale did not change.
    EXPECT_EQ(std::set<int>(drawn.begin(), drawn.end()).size(), drawn.size()) << ::testing::PrintToString(drawn);
    testResponder().reset();
}

// Closing while a sheet is drawn stops that sheet instead of waiting for it,
// and what the drawing said, also while the preview closed, is shown after.
TEST(PrintPreview, ClosingStopsTheSheetInHandAndShowsItsAlertsAfter)
{
    std::atomic<bool> drawing{false}, stopped{false};
    const platform::Draw_Sheet draw = [&](QPainter&, int, const std::atomic<bool>& stop) {
        Show_MessageBox(QStringLiteral("A picture could not be read."));
        drawing = true;
        while (!stop) // the hang guard below bounds it
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        stopped = bool(stop);
        Show_MessageBox(QStringLiteral("A barcode could not be drawn."));
    };
    QStringList during;
    testResponder().onDialog([&](QDialog& dialog) {
        EXPECT_TRUE(waitUntil([&] { return bool(drawing); }));
        during = testResponder().texts(QStringLiteral("alert"));
        dialog.done(0);
    });
    testResponder().answerAlert(Answer::Ok);
    testResponder().answerAlert(Answer::Ok);
    {
        // Closing waits for the drawing thread, which waits for alerts: a
        // deadlock there fails here.
        withinDeadline("the preview closed during drawing",
                       [&] { platform::runPrintPreview(3, QSizeF(595, 842), 72, draw, nullptr); });
    }
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(during.isEmpty());
    EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
              (QStringList{QStringLiteral("\nA picture could not be read."),
                           QStringLiteral("\nA barcode could not be drawn.")}));
    EXPECT_TRUE(testResponder().reset());
}

// A long print shows its progress and takes nothing but Stop: Print,
// Preview, Cancel and closing, clicked or called, neither start a second
// run nor take the sheet or the window away. Stop ends the run, the
// document closed whole after the sheets drawn; the window stays.
TEST_F(PrintWindow, ALongPrintTakesOnlyStopAndStopEndsItPromptly)
{
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    Open([&] {
        Type(w.Total_Text, QStringLiteral("20000"), &Print_Wnd::Total_Val_Changed);
        Send_Modeless& sheet = *Send_Modeless::defaultInstance();
        bool stopped = false;
        QString progress;
        bool reachable = false;
        testResponder().answerAlert(Answer::Yes);
        std::function<void()> stop_when_going = [&] {
            if (!sheet._curr_msg_cnt->text().startsWith(QStringLiteral("0 /"))) {
                for (const char* name : {"Print", "Preview", "Cancel"}) {
                    auto* button = w.findChild<QPushButton*>(QString::fromLatin1(name));
                    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {},
                                      button->mapTo(&w, button->rect().center()));
                    button->click();
                }
                w.close();
                w.Execute_Printing(false);
                reachable = w.isVisible() && sheet.isVisible() && sheet._stop_btn->isEnabled() &&
                            QApplication::activeModalWidget() == &sheet;
                progress = sheet._curr_msg_cnt->text();
                sheet.Stop_Sending_Pressed();
                stopped = true;
                return;
            }
            QTimer::singleShot(5, stop_when_going);
        };
        QTimer::singleShot(5, stop_when_going);
        w.Execute_Printing(false);
        EXPECT_TRUE(stopped);
        EXPECT_TRUE(reachable);
        EXPECT_TRUE(progress.endsWith(QStringLiteral(" / 20000 "))) << progress.toStdString();
        EXPECT_FALSE(sheet.isVisible());
        const QString info = Info(pdf);
        const int pages = info.section(QStringLiteral("Pages:"), 1).trimmed().section(QLatin1Char('\n'), 0, 0).toInt();
        EXPECT_GE(pages, 1) << info.toStdString();
        EXPECT_LT(pages, 20000);
        EXPECT_TRUE(w.isVisible());
    });
}

// Looked at on its first sheet only, the preview's box still counts every
// card of the run, as Print's does: the cards of the sheets not drawn are
// filled when it closes.
TEST_F(PrintWindow, APreviewsBoxCountsEveryCardOfTheRun)
{
    // Twenty rows of a bound picture; from the sixth on the files are missing.
    QImage tiny(8, 8, QImage::Format_RGB32);
    tiny.fill(Qt::red);
    const QString good = dir.filePath(QStringLiteral("good.png"));
    ASSERT_TRUE(tiny.save(good));
    QFile series(dir.filePath(QStringLiteral("P.txt")));
    ASSERT_TRUE(series.open(QIODevice::WriteOnly));
    for (int row = 0; row < 20; ++row)
        series.write((row < 5 ? good : dir.filePath(QStringLiteral("missing%1.png").arg(row))).toUtf8() + '\n');
    series.close();
    auto picture = std::make_shared<QBXImage>();
    picture->setBounds(QRectF(0, 0, 252, 144));
    picture->Set_Data_source_type(1);
    picture->Set_Batch_List_Name(QStringLiteral("P"));
    Binding_Design design;
    design.front = {picture};
    Data_Binding binding;
    binding.Check_Series_Or_Excel_Use_or_not(design, series::Get_datasheet_File_Name_Array(dir.path()), {}, dir.path());
    ASSERT_EQ(binding.counts.Total_Batch_Excel_Card, 20);
    struct Data_Host : Plain_Print_Host {
        std::function<std::shared_ptr<Binding_Run_Snapshot>()> take;
        Print_Data Check_Series_Or_Excel_Use_or_not() override { return {true, false, 20}; }
        Print_Data Verify_Card_Count(bool, bool) override { return {true, false, 20}; }
        std::shared_ptr<Binding_Run_Snapshot> Take_Binding_Run_Snapshot() override { return take(); }
    } data_host;
    data_host.take = [&] {
        auto run = std::make_shared<Binding_Run_Snapshot>(binding, design, Binding_Rows{});
        run->render_context.frame = QRectF(0, 0, 252, 144);
        run->render_context.side = 0;
        return run;
    };
    testResponder().onDialog([&](QDialog& window) {
        Type(w.Total_Text, QStringLiteral("20"), &Print_Wnd::Total_Val_Changed);
        testResponder().onDialog([](QDialog& preview) { preview.done(0); });
        testResponder().answerAlert(Answer::Ok);
        w.Execute_Printing(true);
        window.done(0);
    });
    EXPECT_TRUE(w.Open_Print_Wnd(data_host));
    const QStringList alerts = testResponder().texts(QStringLiteral("alert"));
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_TRUE(alerts[0].startsWith(QStringLiteral("\n15 of 20 cards carry a problem.\n"))) << alerts[0].toStdString();
}

// A design without data has its barcodes checked at the printer's
// resolution, in print and preview alike, and what is wrong with them is
// said when the run ends.
TEST_F(PrintWindow, ADesignWithoutDataHasItsBarcodesChecked)
{
    host.barcode_problems = {Card_Problem{Problem_Kind::Barcode_Too_Fine, 0, {},
                                          QStringLiteral("The Code 128 barcode has bars of 0.5 px.")}};
    Open([&] {
        testResponder().answerAlert(Answer::Ok);
        w.Execute_Printing(false);
        testResponder().onDialog([](QDialog& preview) { preview.done(0); });
        testResponder().answerAlert(Answer::Ok);
        w.Execute_Printing(true);
        EXPECT_EQ(testResponder().texts(QStringLiteral("alert")),
                  QStringList(2, QStringLiteral("\nBarcodes too fine to read:\nThe Code 128 barcode has bars of 0.5 px.")));
    });
    const QString asked = QStringLiteral("F %1").arg(QPrinter(QPrinter::HighResolution).logicalDpiX());
    EXPECT_EQ(host.barcodes_asked, QStringList(2, asked));
}
