// Measuring probe linked into a second build of the program (the same
// sources with CARDWRIGHT_START_PROBE defined): it answers the program's
// modal runs itself, and for the start wizard prints when the window is on
// the screen, when the first screenful of thumbnails (12) is ready and when
// all are, then ends the process. Times are milliseconds since the epoch.
#ifdef CARDWRIGHT_START_PROBE

#include "platform/image_browser.h"
#include "platform/modal.h"
#include "wizards/Invitation_Wizard.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDialog>
#include <QThread>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

void mark(const char* what)
{
    std::printf("%s %lld\n", what, static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
    std::fflush(stdout);
}

class ProbeResponder : public platform::modal::Responder {
public:
    platform::modal::AlertAnswer alert(platform::modal::AlertKind, const QString& text) override
    {
        std::fprintf(stderr, "alert: %s\n", qPrintable(text));
        return platform::modal::AlertAnswer::No;
    }
    int run(QDialog& dialog) override
    {
        dialog.show();
        while (!(dialog.windowHandle() && dialog.windowHandle()->isExposed()))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        mark("window");
        Invitation_Wizard* wizard = Invitation_Wizard::defaultInstance();
        platform::ImageBrowserModel* model = wizard->imageBrowser->browserModel();
        const int total = model->rowCount();
        const int first = qMin(12, total);
        bool firstDone = false;
        const qint64 giveUp = QDateTime::currentMSecsSinceEpoch() + 120000;
        while (QDateTime::currentMSecsSinceEpoch() < giveUp) {
            const int ready = model->readyCount();
            if (!firstDone && ready >= first) {
                mark("first12");
                firstDone = true;
                // The rest are read as they would be when scrolled to.
                wizard->imageBrowser->prefetch(total);
            }
            if (firstDone && ready >= total) {
                mark("all");
                std::printf("count %d\n", total);
                std::fflush(stdout);
                platform::ThumbnailLoader::shutdown();
                _exit(0);
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
            QThread::usleep(500);
        }
        std::fprintf(stderr, "thumbnails not ready\n");
        _exit(3);
    }
    QStringList filePanel(const platform::modal::FilePanelRequest&) override { return {}; }
    std::optional<QColor> colorPanel(const QColor&, const QString&) override { return std::nullopt; }
    std::optional<QFont> fontPanel(const QFont&, const QString&) override { return std::nullopt; }
};

ProbeResponder probe;
const bool installed = [] {
    mark("start");
    platform::modal::setResponder(&probe);
    return true;
}();

} // namespace

#endif
