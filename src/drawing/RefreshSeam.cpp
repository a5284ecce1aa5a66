#include "drawing/RefreshSeam.h"
#include "platform/thread_handoff.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QMutex>
#include <QThread>
#include <atomic>

namespace drawing {
namespace {

QMutex gMutex;
std::function<void()> gHandler;
std::atomic<int> gPaintDepth{0};
std::atomic<bool> gPending{false};
std::atomic<int> gRuns{0};

void runPending()
{
    gPending.store(false);
    std::function<void()> handler;
    {
        QMutexLocker lock(&gMutex);
        handler = gHandler;
    }
    gRuns.fetch_add(1);
    if (handler)
        handler();
}

} // namespace

void setRefreshHandler(std::function<void()> handler)
{
    QMutexLocker lock(&gMutex);
    gHandler = std::move(handler);
}

void requestRefresh()
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    // The canvas paints on the main thread: a request from its own drawing is
    // dropped. Worker threads never touch the canvas; their requests queue.
    if (gPaintDepth.load() > 0 && QThread::currentThread() == app->thread())
        return;
    if (gPending.exchange(true))
        return; // one already queued
    QMetaObject::invokeMethod(app, platform::handedOff(&runPending), Qt::QueuedConnection);
}

int refreshRunCount()
{
    return gRuns.load();
}

CanvasPaintScope::CanvasPaintScope() { gPaintDepth.fetch_add(1); }
CanvasPaintScope::~CanvasPaintScope() { gPaintDepth.fetch_sub(1); }

} // namespace drawing
