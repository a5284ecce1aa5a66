// The card, picture, signature and barcode tabs, the background browser and
// the small dialogs drawn on a real X server: each shows a real picture
// (at least ten colours), not an empty or black window.
#include "support_editor.h"

#include "app/Globals.h"
#include "support/bounded_wait.h"
#include "drawing/QBXGraphicView.h"
#include "editor/Help_Support.h"
#include "editor/Long_SMS_Dlg.h"
#include "editor/Promotion_Form.h"
#include "editor/Review_Form.h"
#include "platform/image_browser.h"
#include "platform/tab_item.h"

#include <QLabel>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <set>

namespace {

int coloursOf(QWidget* w)
{
    w->repaint();
    QApplication::processEvents();
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            colours.insert(row[x]);
    }
    return int(colours.size());
}

} // namespace

TEST(PanelScreensChild, Capture)
{
    const QString out = qEnvironmentVariable("CW_PANEL_SCREENS");
    if (out.isEmpty())
        GTEST_SKIP() << "run by PanelScreens.UnderXvfb";
    StartedEditor e;
    ASSERT_TRUE(e.started);
    const QString folder = Resource_Path + QStringLiteral("/Background");
    QDir().mkpath(folder);
    for (int i = 0; i < 4; ++i) {
        QImage p(64, 48, QImage::Format_RGB32);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                p.setPixel(x, y, qRgb(x * 4, y * 5, 40 * i));
        p.save(folder + QStringLiteral("/bg%1.png").arg(i));
    }
    e->Load_and_fill_backgrounds();
    EXPECT_TRUE(waitUntil([&] { return e->imageBrowser->browserModel()->readyCount() >= 4; }));

    QStringList lines;
    auto note = [&](const QString& name, QWidget* w) { lines << QStringLiteral("%1 %2").arg(name).arg(coloursOf(w)); };
    e->Show_RHS_Properties(nullptr);
    for (int i = 0; i < e->sett_tab->count(); ++i) {
        e->sett_tab->setCurrentIndex(i);
        note(QStringLiteral("card_tab_%1").arg(i), e->sett_tab);
    }
    for (const QString& cls : {QStringLiteral("QBXImage"), QStringLiteral("QBXSignature"), QStringLiteral("QBXBarcode")}) {
        GraphicPtr g = QBXGraphic::graphicOfClass(cls);
        g->setBounds(QRectF(10, 10, 60, 40));
        e->_graphicView->insertGraphics({g}, {0});
        e->_graphicView->Set_Selected_Graphic(g);
        e->Show_RHS_Properties(g);
        for (int i = 0; i < e->sett_tab->count(); ++i) {
            e->sett_tab->setCurrentIndex(i);
            note(cls + QStringLiteral("_tab_%1").arg(i), e->sett_tab);
        }
    }
    note(QStringLiteral("browser"), e->imageBrowser);
    Long_SMS_Dlg::defaultInstance()->_Msg_Title->setText(QStringLiteral("Question"));
    Long_SMS_Dlg::defaultInstance()->_Msg_Val->setText(QStringLiteral("A longer message for the dialog."));
    const std::pair<QString, QDialog*> dialogs[] = {
        {QStringLiteral("help"), e->HelpWindow},
        {QStringLiteral("review"), Review_Form::defaultInstance()},
        {QStringLiteral("promotion"), Promotion_Form::defaultInstance()},
        {QStringLiteral("long_sms"), Long_SMS_Dlg::defaultInstance()->window},
        {QStringLiteral("share"), new Share_It_Dlg}};
    Promotion_Form::defaultInstance()->software_type = QStringLiteral("B");
    for (const auto& [name, dialog] : dialogs) {
        dialog->show();
        QApplication::processEvents();
        note(name, dialog);
        dialog->hide();
    }
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(lines.join(QLatin1Char('\n')).toUtf8());
}

TEST(PanelScreens, UnderXvfb)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "xvfb-run is needed";
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("colours"));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("CW_PANEL_SCREENS"), out);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QCoreApplication::applicationFilePath(),
                                             QStringLiteral("--gtest_filter=PanelScreensChild.Capture")});
    ASSERT_TRUE(child.waitForFinished(120000));
    const std::string log = child.readAll().toStdString();
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << log;
    const QList<QByteArray> lines = f.readAll().split('\n');
    EXPECT_GE(lines.size(), 12) << log;
    for (const QByteArray& line : lines) {
        const QList<QByteArray> parts = line.split(' ');
        ASSERT_EQ(parts.size(), 2) << line.toStdString();
        EXPECT_GE(parts[1].toInt(), 10) << line.toStdString();
    }
}
