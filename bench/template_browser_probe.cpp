// Measuring probe of the template browser: opens it over the resource folder
// named by CARDWRIGHT_RESOURCE_DIR, answers its modal run itself and prints,
// in seconds from the call of Open_Template_Window, when the window is on
// the screen, when the first screenful of previews (12) is ready, when all
// are, and, after switching to the user list, when its first 12 are.
#include "app/Globals.h"
#include "platform/image_browser.h"
#include "platform/modal.h"
#include "wizards/Template_Wizard.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QThread>
#include <QWindow>
#include <cstdio>
#include <unistd.h>

namespace {

QElapsedTimer g_clock;

void mark(const char* what)
{
    std::printf("%s %.4f\n", what, g_clock.nsecsElapsed() / 1e9);
    std::fflush(stdout);
}

// Runs events until `ready` holds; false after two minutes.
template <typename F>
bool until(F ready)
{
    QElapsedTimer limit;
    limit.start();
    while (!ready()) {
        if (limit.elapsed() > 120000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        QThread::usleep(300);
    }
    return true;
}

class Probe : public platform::modal::Responder {
public:
    platform::modal::AlertAnswer alert(platform::modal::AlertKind, const QString&) override
    {
        return platform::modal::AlertAnswer::No;
    }
    int run(QDialog& dialog) override
    {
        dialog.show();
        until([&] { return dialog.windowHandle() && dialog.windowHandle()->isExposed(); });
        mark("window");
        Template_Wizard* browser = Template_Wizard::defaultInstance();
        platform::ImageBrowserModel* model = browser->imageBrowser->browserModel();
        const auto ready = [&](int n) { return [model, n] { return model->readyCount() >= qMin(n, model->rowCount()); }; };
        if (!until(ready(12)))
            _exit(3);
        mark("first12");
        browser->imageBrowser->prefetch(model->rowCount());
        if (!until(ready(model->rowCount())))
            _exit(3);
        mark("all");
        const qint64 switched = g_clock.nsecsElapsed();
        browser->cat_cmbo_bx->setCurrentIndex(1);
        if (!until(ready(12)))
            _exit(3);
        std::printf("user12 %.4f\ncount %d\n", (g_clock.nsecsElapsed() - switched) / 1e9, model->rowCount());
        std::fflush(stdout);
        platform::ThumbnailLoader::shutdown();
        _exit(0);
    }
    QStringList filePanel(const platform::modal::FilePanelRequest&) override { return {}; }
    std::optional<QColor> colorPanel(const QColor&, const QString&) override { return std::nullopt; }
    std::optional<QFont> fontPanel(const QFont&, const QString&) override { return std::nullopt; }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Resource_Path = qEnvironmentVariable("CARDWRIGHT_RESOURCE_DIR");
    Probe probe;
    platform::modal::setResponder(&probe);
    g_clock.start();
    Template_Wizard::defaultInstance()->Open_Template_Window();
    return 4; // the probe ends the process from inside the run
}
