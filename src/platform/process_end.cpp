#include "platform/process_end.h"

#include <QCoreApplication>
#include <atomic>
#include <cstdlib>

namespace platform {
namespace {
ProcessEndHandler& handler()
{
    static ProcessEndHandler h;
    return h;
}
std::atomic<bool> loopRunning{false};
} // namespace

void setProcessEndHandler(ProcessEndHandler h)
{
    handler() = std::move(h);
}

void endProcess(int status)
{
    if (handler()) {
        handler()(status);
        return;
    }
    // quit() before exec() is ignored, so outside the loop exit at once.
    if (loopRunning.load()) {
        QCoreApplication::exit(status);
        return;
    }
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
