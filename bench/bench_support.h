#pragma once
// Shared by the editor benchmarks: a modal responder that answers every run
// and alert positively, so start-up never waits on a user, and statistics.
#include "drawing/QBXDocument.h"
#include "drawing/QBXGraphicView.h"
#include "editor/QBXWindowController.h"
#include "platform/modal.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

class BenchResponder : public platform::modal::Responder {
public:
    platform::modal::AlertAnswer alert(platform::modal::AlertKind kind, const QString&) override
    {
        return kind == platform::modal::AlertKind::YesNo ? platform::modal::AlertAnswer::Yes
                                                         : platform::modal::AlertAnswer::Ok;
    }
    int run(QDialog& dialog) override
    {
        dialog.accept();
        return 1;
    }
    QStringList filePanel(const platform::modal::FilePanelRequest&) override { return {}; }
    std::optional<QColor> colorPanel(const QColor&, const QString&) override { return std::nullopt; }
    std::optional<QFont> fontPanel(const QFont&, const QString&) override { return std::nullopt; }
};

struct Stats {
    double median = 0;
    double p95 = 0;
    double min = 0;
    double max = 0;
};

inline Stats statsOf(std::vector<double> v)
{
    Stats s;
    if (v.empty())
        return s;
    std::sort(v.begin(), v.end());
    s.median = v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    s.p95 = v[std::min(v.size() - 1, size_t(double(v.size()) * 0.95))];
    s.min = v.front();
    s.max = v.back();
    return s;
}

// A memory figure of this process from /proc/self/status in KiB ("VmRSS:"
// resident now, "VmHWM:" its peak).
inline long residentKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

// Wall time of a full repaint of the canvas's visible part, in milliseconds.
inline double repaintMs(QBXGraphicView* canvas)
{
    const QRect visible = canvas->visibleRegion().boundingRect();
    QElapsedTimer clock;
    clock.start();
    canvas->repaint(visible);
    return double(clock.nsecsElapsed()) / 1e6;
}

// Offscreen (unless a platform is named) with a private resource folder;
// call before the QApplication exists.
inline void prepareBenchEnvironment(const QTemporaryDir& resources)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("CARDWRIGHT_RESOURCE_DIR", resources.filePath(QStringLiteral("r")).toUtf8());
}

// The real editor as start-up makes it, sized to a card; answers every modal
// run through a BenchResponder. `started` is false when start-up failed.
struct BenchEditor {
    BenchResponder responder;
    QBXDocument document;
    QBXWindowController controller;
    bool started = false;

    explicit BenchEditor(const QSizeF& card)
    {
        platform::modal::setResponder(&responder);
        controller.setDocument(&document);
        started = controller.awakeFromNib();
        if (started)
            controller.SetDocumentCanvasSize(card);
    }
};
