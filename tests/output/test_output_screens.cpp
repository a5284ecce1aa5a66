// The print window, its preview and the progress sheet shown on a real X
// server (xvfb) and grabbed: each must show its controls, not a blank
// window. Also the alignment pictures the resource generator draws.
#include "drawing/QBXImage.h"
#include "output/Print_Wnd.h"
#include "output/Send_Modeless.h"
#include "platform/printers.h"
#include "support/test_responder.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <set>

namespace {

struct Card_Host : PrintHost {
    Print_Data Check_Series_Or_Excel_Use_or_not() override { return {}; }
    Print_Data Verify_Card_Count(bool, bool) override { return {}; }
    CardPicture Render_Design_Side(int) override
    {
        auto g = std::make_shared<QBXImage>();
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        g->_contents = image;
        g->setBounds(QRectF(0, 0, 252, 144));
        CardRenderContext context;
        context.frame = QRectF(0, 0, 252, 144);
        context.side = 0;
        return QBXRenderingView::image_From_Card_Graphics({g}, false, context);
    }
    std::shared_ptr<Binding_Run_Snapshot> Take_Binding_Run_Snapshot() override { return {}; }
    void Select_first_row_value_for_design(bool) override {}
};

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
    Card_Host host;
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
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("CW_OUTPUT_SCREEN_OUT"), dir.path());
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QCoreApplication::applicationFilePath(),
                                             QStringLiteral("--gtest_filter=OutputScreenChild.*")});
    ASSERT_TRUE(child.waitForFinished(90000));
    const QByteArray log = child.readAll();
    ASSERT_EQ(child.exitCode(), 0) << log.toStdString();
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
