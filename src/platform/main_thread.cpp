#include "platform/main_thread.h"
#include "platform/thread_handoff.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace platform {

bool isMainThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

bool runOnMainWaiting(const std::function<void()>& work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QCoreApplication::closingDown())
        return false;
    if (isMainThread()) {
        work();
        return true;
    }
    const bool ran = QMetaObject::invokeMethod(app, handedOff([&work] { work(); }), Qt::BlockingQueuedConnection);
    tookOver();
    return ran;
}

bool runOnMainQueued(std::function<void()> work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QCoreApplication::closingDown())
        return false;
    return QMetaObject::invokeMethod(app, handedOff(std::move(work)), Qt::QueuedConnection);
}

} // namespace platform
