// The print window, its preview and the progress sheet shown on a real X
// server (xvfb) and grabbed: each must show its controls, not a blank
// window. Also the alignment pictures the resource generator draws.
#include "output/Print_Wnd.h"
#include "output/Send_Modeless.h"
#include "platform/printers.h"
#include "support/process_runner.h"
#include "support/test_responder.h"
#include "support_print_host.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <set>

namespace {


void Shoot(QWidget& widget, const QString& path)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 400)
        QCoreApplication::processEvents();
    EXPECT_TRUE(widget.grab().save(path)) << path.toStdString();
}

} // namespace

TEST(OutputPictures, AlignmentPicturesAreDrawnPlainAndSelected)
{
    const QDir share(QStringLiteral(CARDWRIGHT_BINARY_DIR "/share/cardwright"));
    for (int i = 0; i < 9; ++i) {
        const QString plainName = Print_Wnd::Alignment_Picture_Names(false)[i];
        const QImage plain(share.filePath(plainName + QStringLiteral(".png")));
        const QImage selected(share.filePath(Print_Wnd::Alignment_Picture_Names(true)[i] + QStringLiteral(".png")));
        ASSERT_FALSE(plain.isNull()) << plainName.toStdString();
        ASSERT_FALSE(selected.isNull()) << plainName.toStdString();
        EXPECT_NE(plain, selected) << plainName.toStdString();
    }
}

TEST(OutputScreenChild, CaptureEachDialog)
{
    const QString out = qEnvironmentVariable("CW_OUTPUT_SCREEN_OUT");
    if (out.isEmpty())
        GTEST_SKIP() << "run by OutputScreens.EachDialogUnderXvfb";
    platform::setPrinterSource([] {
        return QList<platform::Printer_Desc>{{QStringLiteral("Office"), QPageSize(QPageSize::A4),
                                               QMarginsF(12, 12, 12, 12), QStringLiteral("/dev/null")}};
    });
    Plain_Print_Host host;
    host.colour = Qt::darkGreen;
    Print_Wnd& w = *Print_Wnd::defaultInstance();
    testResponder().onDialog([&](QDialog& dialog) {
        w.resize(900, 650);
        Shoot(dialog, out + QStringLiteral("/print.png"));
        testResponder().onDialog([&](QDialog& preview) {
            Shoot(preview, out + QStringLiteral("/preview.png"));
            preview.done(0);
        });
        w.Execute_Printing(true);
        dialog.done(0);
    });
    EXPECT_TRUE(w.Open_Print_Wnd(host));

    Send_Modeless& sheet = *Send_Modeless::defaultInstance();
    sheet.Prepare(12, QStringLiteral("0 / 12 Card"));
    sheet.Update_Progress(5, 12);
    sheet.show();
    Shoot(sheet, out + QStringLiteral("/progress.png"));
    sheet.hide();
    platform::setPrinterSource({});
}

TEST(OutputScreens, EachDialogUnderXvfb)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "xvfb-run is needed";
    QTemporaryDir dir;
    const testsupport::ProcessResult child = testsupport::run(
        QStringLiteral("xvfb-run"),
        {QStringLiteral("-a"), QStringLiteral("env"), QStringLiteral("QT_QPA_PLATFORM=xcb"),
         QStringLiteral("CW_OUTPUT_SCREEN_OUT=") + dir.path(), QCoreApplication::applicationFilePath(),
         QStringLiteral("--gtest_filter=OutputScreenChild.*")});
    ASSERT_EQ(child.exitCode, 0) << child.out.toStdString() << child.err.toStdString();
    for (const char* name : {"print", "preview", "progress"}) {
        const QImage shot(dir.filePath(QString::fromLatin1(name) + QStringLiteral(".png")));
        ASSERT_FALSE(shot.isNull()) << name;
        std::set<QRgb> colours;
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width(); x += 2)
                colours.insert(shot.pixel(x, y) & 0xffffff);
        EXPECT_GT(colours.size(), 10u) << name;
    }
    // The print window draws the sheet preview: white paper with the card's
    // cell, beside its controls.
    const QImage print(dir.filePath(QStringLiteral("print.png")));
    int white = 0;
    for (int y = 0; y < print.height(); y += 2)
        for (int x = print.width() / 2; x < print.width(); x += 2)
            white += (print.pixel(x, y) & 0xffffff) == 0xffffff;
    EXPECT_GT(white, 1000);
}
