#include "platform/threads.h"

#include <atomic>
#include <memory>
#include <system_error>

namespace platform {
namespace {
std::atomic<int> g_allowed {-1}; // starts left before refusals; negative: no limit

bool tryStart(std::thread& thread, std::function<void()> work)
{
    for (int left = g_allowed.load(); left >= 0;) {
        if (left == 0)
            return false;
        if (g_allowed.compare_exchange_weak(left, left - 1))
            break;
    }
    try {
        thread = std::thread(std::move(work));
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

} // namespace

bool startThread(std::vector<std::thread>& pool, std::function<void()> work)
{
    std::thread thread;
    if (!tryStart(thread, std::move(work)))
        return false;
    pool.push_back(std::move(thread));
    return true;
}

void startThreadOrRun(std::thread& thread, std::function<void()> work)
{
    // Held apart from the thread's copy, which a refused start destroys.
    const auto shared = std::make_shared<std::function<void()>>(std::move(work));
    if (!tryStart(thread, [shared] { (*shared)(); }))
        (*shared)();
}

void refuseThreadsAfter(int allowed)
{
    g_allowed.store(allowed < 0 ? -1 : allowed);
}

} // namespace platform
