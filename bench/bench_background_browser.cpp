// One fresh run of the background browser in the started main window
// (1000 x 800, browser zoom 0.4, offscreen) over the resource folder given
// as argument, whose Background folder the run script fills. Prints, in
// milliseconds: the listing (Load_and_fill_backgrounds), the first screen
// (until every visible cell shows its thumbnail) and all items (every
// thumbnail read), then the peak resident size in MiB.
//
//   bench_background_browser <resource folder>
#include "bench_support.h"

#include "platform/image_browser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

int visibleRows(platform::ImageBrowserView& view)
{
    int rows = 0;
    const int count = view.model() ? view.model()->rowCount() : 0;
    for (int r = 0; r < count; ++r) {
        if (view.visualRect(view.model()->index(r, 0)).intersects(view.viewport()->rect()))
            ++rows;
    }
    return rows;
}

// Runs the event loop until the condition holds or 120 s pass.
template <typename F>
bool waitFor(F done)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > 120000)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_background_browser <resource folder>\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("CARDWRIGHT_RESOURCE_DIR", QByteArray(argv[1]));
    QApplication app(argc, argv);
    BenchEditor editor(QSizeF(242.65, 153.07));
    if (!editor.started)
        return 1;
    QBXWindowController& c = editor.controller;
    platform::ImageBrowserView& view = *c.imageBrowser;
    platform::ThumbnailLoader::instance().clear();
    c.images.clear();
    view.reloadData();
    QApplication::processEvents();

    QElapsedTimer t;
    t.start();
    c.Load_and_fill_backgrounds();
    const double listing = double(t.nsecsElapsed()) / 1e6;
    const bool first = waitFor([&] {
        const int visible = visibleRows(view);
        return visible > 0 && view.browserModel()->readyCount() >= visible;
    });
    const double firstScreen = double(t.nsecsElapsed()) / 1e6;
    const int total = int(c.images.size());
    view.prefetch(total);
    const bool all = waitFor([&] {
        view.prefetch(total);
        return view.browserModel()->readyCount() >= total;
    });
    const double everything = double(t.nsecsElapsed()) / 1e6;
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("items %d visible %d listing_ms %.1f first_screen_ms %.1f all_ms %.1f peak_rss_mib %.1f%s\n", total,
                visibleRows(view), listing, firstScreen, everything, double(usage.ru_maxrss) / 1024.0,
                first && all ? "" : " (timed out)");
    platform::ThumbnailLoader::shutdown();
    return first && all ? 0 : 1;
}
