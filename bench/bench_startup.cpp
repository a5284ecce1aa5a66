// Start-up time: a child process runs the real start-up (modal runs answered
// by the seam) ten times; the time from spawning it to the main window's
// first painted frame is measured by the parent.
//
//   bench_startup              offscreen platform
//   bench_startup --xvfb       the same under xvfb-run (xcb platform)
#include "bench_support.h"

#include "drawing/QBXDocument.h"
#include "drawing/QBXGraphicView.h"
#include "editor/QBXWindowController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <vector>

namespace {

class FirstPaint : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !done) {
            done = true;
            // After this paint returns the frame is on its way to the screen.
            QTimer::singleShot(0, [] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return false;
    }
    bool done = false;
};

int child(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cardwright"));
    BenchResponder responder;
    platform::modal::setResponder(&responder);
    QBXDocument document;
    QBXWindowController controller;
    controller.setDocument(&document);
    FirstPaint watch;
    if (!controller.awakeFromNib())
        return 1;
    controller._graphicView->installEventFilter(&watch);
    const int status = QApplication::exec();
    controller.setDocument(nullptr);
    platform::modal::setResponder(nullptr);
    return status;
}

int parent(const QString& self, const QString& platformName)
{
    QTemporaryDir resources;
    std::vector<double> times;
    for (int run = 0; run < 10; ++run) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platformName);
        env.insert(QStringLiteral("CARDWRIGHT_RESOURCE_DIR"), resources.filePath(QStringLiteral("r")));
        p.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        p.start(self, {QStringLiteral("--child")});
        bool painted = false;
        while (!painted && p.waitForReadyRead(30000)) {
            while (p.canReadLine()) {
                if (p.readLine().startsWith("painted")) {
                    painted = true;
                    break;
                }
            }
        }
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        p.waitForFinished(10000);
        if (!painted) {
            std::fprintf(stderr, "run %d: no painted frame (%s)\n", run, p.readAllStandardError().constData());
            return 1;
        }
        times.push_back(ms);
    }
    const Stats s = statsOf(times);
    std::printf("startup (%s): median %.1f ms, p95 %.1f ms, min %.1f ms, max %.1f ms over %zu runs; budget: median "
                "< 500 ms\n",
                platformName.toUtf8().constData(), s.median, s.p95, s.min, s.max, times.size());
    return s.median < 500.0 ? 0 : 2;
}

} // namespace

int main(int argc, char** argv)
{
    const QStringList args = [&] {
        QStringList a;
        for (int i = 1; i < argc; ++i)
            a << QString::fromLocal8Bit(argv[i]);
        return a;
    }();
    if (args.contains(QStringLiteral("--child")))
        return child(argc, argv);
    QCoreApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    if (args.contains(QStringLiteral("--xvfb")))
        return QProcess::execute(QStringLiteral("xvfb-run"),
                                 {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x1024x24"),
                                  self, QStringLiteral("--xcb")});
    return parent(self, args.contains(QStringLiteral("--xcb")) ? QStringLiteral("xcb") : QStringLiteral("offscreen"));
}
