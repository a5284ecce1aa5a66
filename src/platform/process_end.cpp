#include "platform/process_end.h"

#include "platform/threads.h"

#include <QCoreApplication>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace platform {
namespace {
ProcessEndHandler& handler()
{
    static ProcessEndHandler h;
    return h;
}
std::atomic<bool> loopRunning{false};
std::mutex hookMutex;
std::vector<std::function<void()>>& hooks()
{
    static std::vector<std::function<void()>> h;
    return h;
}

void runShutdownHooks()
{
    std::vector<std::function<void()>> taken;
    {
        std::lock_guard<std::mutex> lock(hookMutex);
        taken.swap(hooks());
    }
    for (auto it = taken.rbegin(); it != taken.rend(); ++it) {
        try {
            (*it)();
        } catch (...) {
            // A failing hook must not keep the others from running.
        }
    }
}
} // namespace

void setProcessEndHandler(ProcessEndHandler h)
{
    handler() = std::move(h);
}

void addShutdownHook(std::function<void()> hook)
{
    if (!hook)
        return;
    std::lock_guard<std::mutex> lock(hookMutex);
    hooks().push_back(std::move(hook));
}

void endProcess(int status)
{
    runShutdownHooks();
    if (handler()) {
        handler()(status);
        return;
    }
    // quit() before exec() is ignored, so outside the loop exit at once.
    if (loopRunning.load()) {
        QCoreApplication::exit(status);
        return;
    }
    endIfPoolLostThread(status);
    std::exit(status);
}

int runEventLoop()
{
    loopRunning.store(true);
    const int status = QCoreApplication::exec();
    loopRunning.store(false);
    return status;
}

} // namespace platform
