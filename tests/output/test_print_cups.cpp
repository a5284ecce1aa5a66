// The print window printing through a real CUPS queue (cups-pdf), run by
// cups_queue.sh, which starts a private server; on its own it skips.
#include "output/Print_Wnd.h"
#include "platform/printers.h"
#include "support/process_runner.h"
#include "support_print_host.h"
#include "support/qt_print.h"
#include "support/test_responder.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTransform>
#include <gtest/gtest.h>

namespace {


QString Wait_For_Pdf(const QString& folder)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kHangMilliseconds) {
        const QStringList pdfs = QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files);
        if (!pdfs.isEmpty()) {
            // cups-pdf writes the file, then hands it over: let it finish.
            QThread::msleep(500);
            return QDir(folder).filePath(pdfs.first());
        }
        QThread::msleep(200);
    }
    return {};
}

} // namespace

TEST(PrintCups, SheetsAndCopiesReachTheQueue)
{
    const QString out = qEnvironmentVariable("CW_CUPS_OUT");
    if (out.isEmpty())
        GTEST_SKIP() << "run by cups_queue.sh with a private CUPS server";
    ASSERT_TRUE(platform::printerNames().contains(QStringLiteral("CardwrightPDF")));

    Print_Wnd& w = *Print_Wnd::defaultInstance();
    Plain_Print_Host host;
    QString pdf;
    QString paper;
    testResponder().onDialog([&](QDialog& dialog) {
        const int index = w.Printer_ComboBox->findText(QStringLiteral("CardwrightPDF"));
        ASSERT_GE(index, 0);
        w.Printer_ComboBox->setCurrentIndex(index);
        w.Printer_Selection_Changed(index);
        paper = w.Size_id->text();
        EXPECT_EQ(w.l_mar_id->text(), QStringLiteral("0.00")); // cups-pdf prints to the edge
        for (auto [text, handler, value] :
             {std::tuple{w.Row_Text, &Print_Wnd::Row_Changed, QStringLiteral("2")},
              std::tuple{w.Col_Text, &Print_Wnd::Col_Changed, QStringLiteral("2")},
              std::tuple{w.Total_Text, &Print_Wnd::Total_Val_Changed, QStringLiteral("7")},
              std::tuple{w.Copies_Text, &Print_Wnd::Copies_Val_Changed, QStringLiteral("2")}}) {
            text->setText(value);
            (w.*handler)(false);
        }
        w.Execute_Printing(false);
        pdf = Wait_For_Pdf(out);
        dialog.done(0);
    });
    EXPECT_TRUE(w.Open_Print_Wnd(host));
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF from the queue in 60 s";
    EXPECT_TRUE(testResponder().texts(QStringLiteral("alert")).isEmpty());

    // Two sheets, two copies each.
    const QString info = QString::fromUtf8(testsupport::run(QStringLiteral("pdfinfo"), {pdf}).out);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+4\\n")))) << info.toStdString();
    const QStringList mm = paper.split(QStringLiteral(" x "));
    ASSERT_EQ(mm.size(), 2);
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts")).match(info);
    ASSERT_TRUE(size.hasMatch()) << info.toStdString();
    EXPECT_NEAR(size.captured(1).toDouble(), mm[0].toDouble() * 72 / 25.4, 1.5);
    EXPECT_NEAR(size.captured(2).toDouble(), mm[1].toDouble() * 72 / 25.4, 1.5);

    // The first cell holds the card at the sheet's top left; the second
    // sheet's last cell is empty (7 cards on 2 x 2).
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("p"));
    testsupport::run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-f"),
                                                  QStringLiteral("2"), QStringLiteral("-l"), QStringLiteral("2"),
                                                  QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem});
    const QImage page(stem + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    const QColor first = page.pixelColor(20, 20), empty = page.pixelColor(252 + 20, 144 + 20);
    EXPECT_GT(first.blue(), 150);
    EXPECT_LT(first.red(), 100);
    EXPECT_GT(empty.red(), 200);
}

// A printer that cannot print the paper's edges: the job keeps the window's
// paper and orientation, and the cards sit where the window placed them,
// inside the margins it showed.
TEST(PrintCups, PrinterMarginsKeepThePaperAndThePlaces)
{
    const QString out = qEnvironmentVariable("CW_CUPS_MARGINS_OUT");
    if (out.isEmpty())
        GTEST_SKIP() << "run by cups_queue.sh with a private CUPS server";

    Print_Wnd& w = *Print_Wnd::defaultInstance();
    Plain_Print_Host host;
    host.card = QSizeF(120 * 72 / 25.4, 100 * 72 / 25.4);
    QString pdf;
    testResponder().onDialog([&](QDialog& dialog) {
        const int index = w.Printer_ComboBox->findText(QStringLiteral("CardwrightMargins"));
        ASSERT_GE(index, 0);
        w.Printer_ComboBox->setCurrentIndex(index);
        w.Printer_Selection_Changed(index);
        EXPECT_EQ(w.Size_id->text(), QStringLiteral("215.90 x 279.40"));
        EXPECT_EQ(w.l_mar_id->text() + w.t_mar_id->text(), QStringLiteral("6.3512.70"));
        // A4 chosen, as the page layout panel would, against the queue's Letter.
        platform::Printer_Desc a4 = w.printInfo.printer();
        a4.paper = QPageSize(QPageSize::A4);
        w.printInfo.setPrinter(a4);
        w.Set_values_From_Printer();
        w.Orient_ComboBox->setCurrentIndex(1);
        w.Orientation_Selection_Changed(1);
        w.Col_Text->setText(QStringLiteral("2"));
        w.Col_Changed(false);
        w.Total_Text->setText(QStringLiteral("2"));
        w.Total_Val_Changed(false);
        w.Execute_Printing(false);
        pdf = Wait_For_Pdf(out);
        dialog.done(0);
    });
    EXPECT_TRUE(w.Open_Print_Wnd(host));
    ASSERT_FALSE(pdf.isEmpty()) << "no PDF from the queue in 60 s";
    EXPECT_TRUE(testResponder().texts(QStringLiteral("alert")).isEmpty());

    // A4, turned by the queue: the landscape sheet lies on the portrait
    // paper, its top along the paper's left edge.
    const QString info = QString::fromUtf8(testsupport::run(QStringLiteral("pdfinfo"), {pdf}).out);
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595 x 842 pts")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page rot:\\s+0\\n")))) << info.toStdString();
    QTemporaryDir dir;
    const QString stem = dir.filePath(QStringLiteral("p"));
    testsupport::run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-singlefile"),
                                                  QStringLiteral("-png"), pdf, stem});
    const QImage page = QImage(stem + QStringLiteral(".png")).transformed(QTransform().rotate(90));
    ASSERT_EQ(page.size(), QSize(842, 595));

    // Inside 12.7 mm left and right, 6.35 mm top: the cards fill 36..376 and
    // 376..716 pt across, 18..301 pt down.
    auto blue = [&](int x, int y) {
        const QColor c = page.pixelColor(x, y);
        return c.blue() > 150 && c.red() < 100;
    };
    for (const QPoint& card : {QPoint(40, 22), QPoint(370, 295), QPoint(382, 22), QPoint(710, 295)})
        EXPECT_TRUE(blue(card.x(), card.y())) << card.x() << "," << card.y();
    for (const QPoint& blank : {QPoint(30, 100), QPoint(200, 12), QPoint(722, 100), QPoint(200, 308)})
        EXPECT_FALSE(blue(blank.x(), blank.y())) << blank.x() << "," << blank.y();
    testResponder().reset();
}

TEST(PrintCups, NoServerMeansNoPrinter)
{
    if (qEnvironmentVariable("CW_CUPS_MISSING").isEmpty())
        GTEST_SKIP() << "run by cups_queue.sh with CUPS_SERVER at a missing socket";
    EXPECT_TRUE(platform::printerNames().isEmpty());
}
