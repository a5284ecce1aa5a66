#include "platform/busy_work.h"

#include "platform/threads.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <atomic>
#include <thread>

namespace platform {

void runWhileBusy(const std::function<void()>& work)
{
    QEventLoop loop;
    std::atomic<bool> ended{false};
    std::thread worker;
    startThreadOrRun(worker, [&] {
        work();
        ended = true;
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    if (!worker.joinable())
        return; // it ran here
    // A moment first: short work shows no cursor and lets no paint in.
    for (int i = 0; i < 50 && !ended; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (!ended) {
        QApplication::setOverrideCursor(Qt::BusyCursor);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        QApplication::restoreOverrideCursor();
    }
    worker.join();
}

} // namespace platform
