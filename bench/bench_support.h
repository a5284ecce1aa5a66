#pragma once
// Shared by the editor benchmarks: a modal responder that answers every run
// and alert positively, so start-up never waits on a user, and statistics.
#include "drawing/QBXDocument.h"
#include "editor/QBXWindowController.h"
#include "platform/modal.h"

#include <QDialog>
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
