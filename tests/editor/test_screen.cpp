// The started main window on a real X server (xvfb, xcb platform), captured
// after its first expose by ImageMagick from outside Qt.
#include "support/bounded_wait.h"
#include "support_editor.h"

#include "drawing/QBXGraphicView.h"
#include "drawing/QBXZoomingScrollView.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QComboBox>
#include <QGuiApplication>
#include <QMainWindow>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <set>

namespace {

// Runs the work once, after the watched widget's first paint.
class FirstPaint : public QObject {
public:
    std::function<void()> work;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && work) {
            auto w = std::move(work);
            work = nullptr;
            QTimer::singleShot(300, w);
        }
        return false;
    }
};

} // namespace

// The part that runs inside xvfb: start up, capture, report the card's place.
TEST(ScreenChild, CaptureAfterFirstExpose)
{
    const QString out = qEnvironmentVariable("CW_SCREEN_OUT");
    if (out.isEmpty())
        GTEST_SKIP() << "run by Screen.StartedWindowUnderXvfb";
    StartedEditor e;
    ASSERT_TRUE(e.started);
    FirstPaint watch;
    bool captured = false;
    watch.work = [&] {
        const QRect card(e->_graphicView->mapToGlobal(QPoint(0, 0)), e->_graphicView->size());
        QFile rect(out + QStringLiteral(".rect"));
        if (rect.open(QIODevice::WriteOnly))
            rect.write(QStringLiteral("%1 %2 %3 %4")
                           .arg(card.x())
                           .arg(card.y())
                           .arg(card.width())
                           .arg(card.height())
                           .toLatin1());
        rect.close();
        captured = QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), out}) == 0;
        QCoreApplication::exit(0);
    };
    e->_graphicView->installEventFilter(&watch);
    e->_graphicView->update();
    QTimer::singleShot(20000, [] { QCoreApplication::exit(1); });
    QCoreApplication::exec();
    EXPECT_TRUE(captured);
}

TEST(Screen, StartedWindowUnderXvfb)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("import")).isEmpty())
        GTEST_SKIP() << "xvfb-run and ImageMagick's import are needed";
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("screen.png"));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("CW_SCREEN_OUT"), out);
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("xvfb-run"),
                {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x1024x24"),
                 QCoreApplication::applicationFilePath(), QStringLiteral("--gtest_filter=ScreenChild.*")});
    ASSERT_TRUE(child.waitForFinished(kHangMilliseconds));
    const QByteArray log = child.readAll();
    ASSERT_EQ(child.exitCode(), 0) << log.toStdString();

    const QImage shot(out);
    ASSERT_FALSE(shot.isNull()) << log.toStdString();
    QFile rectFile(out + QStringLiteral(".rect"));
    ASSERT_TRUE(rectFile.open(QIODevice::ReadOnly));
    const QList<QByteArray> parts = rectFile.readAll().split(' ');
    ASSERT_EQ(parts.size(), 4);
    const QRect card(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
    EXPECT_EQ(card.size(), QSize(243, 154));

    std::set<QRgb> colours;
    int windowColour = 0;
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            const QRgb p = shot.pixel(x, y) & 0xffffff;
            colours.insert(p);
            if (p == (qRgb(241, 244, 250) & 0xffffff))
                ++windowColour;
        }
    }
    EXPECT_GT(colours.size(), 50u);
    EXPECT_GT(windowColour, 1000);
    // The card is white; the gradient beside and above it is grey.
    const QColor inside = shot.pixelColor(card.center());
    const QColor above = shot.pixelColor(card.center().x(), card.top() - 40);
    EXPECT_EQ(inside, QColor(Qt::white));
    EXPECT_NE(inside, above);
    EXPECT_LT(above.red(), 235);
    EXPECT_GT(above.red(), 190);
}

// The part that runs on the small screen: the window, the canvas's zoom menu
// and its horizontal scroll bar all lie within the screen's available area.
TEST(ScreenChild, FitsTheAvailableArea)
{
    if (qEnvironmentVariable("CW_SMALL_SCREEN").isEmpty())
        GTEST_SKIP() << "run by Screen.WindowFitsALaptopScreen";
    StartedEditor e;
    ASSERT_TRUE(e.started);
    QTimer::singleShot(500, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(area.size(), QSize(1366, 768));
    const auto global = [](QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); };
    EXPECT_TRUE(area.contains(e->window->frameGeometry()));
    // Small enough to fit with a window manager's title bar too.
    EXPECT_LE(e->window->minimumSizeHint().height(), area.height() - 48);
    QBXZoomingScrollView* scroll = e->_zoomingScrollView;
    ASSERT_TRUE(scroll->factorPopUpButton() && scroll->factorPopUpButton()->isVisible());
    EXPECT_TRUE(area.contains(global(scroll->factorPopUpButton())));
    EXPECT_TRUE(area.contains(global(scroll->horizontalScrollBar())));
}

TEST(Screen, WindowFitsALaptopScreen)
{
    if (QStandardPaths::findExecutable(QStringLiteral("xvfb-run")).isEmpty())
        GTEST_SKIP() << "xvfb-run is needed";
    const XvfbRun run = runUnderXvfb(QStringLiteral("ScreenChild.FitsTheAvailableArea"), QStringLiteral("CW_SMALL_SCREEN"),
                                     QStringLiteral("1366x768x24"), 90000);
    EXPECT_EQ(run.exitCode, 0) << run.log.toStdString();
}
