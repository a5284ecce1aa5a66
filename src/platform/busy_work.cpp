#include "platform/busy_work.h"

#include "platform/threads.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <future>
#include <thread>

namespace platform {

void runWhileBusy(const std::function<void()>& work)
{
    QEventLoop loop;
    std::promise<void> done;
    const std::future<void> ended = done.get_future();
    std::thread worker;
    startThreadOrRun(worker, [&] {
        work();
        done.set_value();
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    if (!worker.joinable())
        return; // it ran here
    // A moment first: short work shows no cursor and lets no paint in.
    if (ended.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        QApplication::restoreOverrideCursor();
    }
    worker.join();
}

} // namespace platform
