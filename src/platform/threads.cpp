#include "platform/threads.h"

#include <QThread>
#include <QThreadPool>
#include <QtGlobal>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
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

// The tasks that take drawing's pool threads for good: each says it began
// and waits until it may end. They carry no data of their own and meet
// through standard primitives, which the race check follows (it cannot see
// how Qt's pool hands a task to its thread).
std::mutex g_holdMutex;
std::condition_variable g_holdChanged;
int g_holdBegun = 0; // tasks that began, ever
int g_holdGo = 0;    // tasks that may end now

void holdPoolThread()
{
    std::unique_lock lock(g_holdMutex);
    ++g_holdBegun;
    g_holdChanged.notify_all();
    g_holdChanged.wait(lock, [] { return g_holdGo > 0; });
    --g_holdGo;
}

// Qt says a refused start of one of its threads only in its log (as a
// critical message), from the call that asked for the thread: caught here
// while the pool starts one.
std::atomic<bool> g_poolStartRefused{false};
std::atomic<bool> g_poolLostThread{false}; // a refused start the pool counts for good
QtMessageHandler g_previousHandler = nullptr;

void noteRefusedStart(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtCriticalMsg && text.startsWith(QLatin1String("QThread::start: Thread creation error")))
        g_poolStartRefused = true;
    else if (g_previousHandler)
        g_previousHandler(type, context, text);
}

// Hands the pool a task that holds its thread; false when the system
// refused that thread.
bool startPoolThread(QThreadPool& pool)
{
    g_poolStartRefused = false;
    g_previousHandler = qInstallMessageHandler(noteRefusedStart);
    pool.start(holdPoolThread);
    qInstallMessageHandler(g_previousHandler);
    return !g_poolStartRefused.load();
}

} // namespace

// The pool's threads never expire, and it is capped at those that started:
// a task past them waits in the queue for one of them rather than for a
// thread the system may refuse. Each task holds its thread until all are
// started, so each takes a thread of its own.
int keepPoolReady(QThreadPool& pool, int wanted)
{
    static std::mutex filling; // one fill at a time: the message catch is the process's
    std::lock_guard lock(filling);
    pool.setExpiryTimeout(-1);
    if (pool.maxThreadCount() < wanted)
        pool.setMaxThreadCount(wanted);
    int added = 0;
    int begun = 0;
    {
        std::lock_guard hold(g_holdMutex);
        begun = g_holdBegun;
    }
    while (added < wanted) {
        if (g_allowed.load() == 0)
            break; // the test hook refuses every start from here
        if (!startPoolThread(pool)) {
            // The pool counts the refused thread as running for good, with
            // the task it was given. Released, the pool hands its tasks out
            // by its true count; it would still wait for that thread when
            // the program ends, which endIfPoolLostThread spares.
            pool.releaseThread();
            g_poolLostThread = true;
            break;
        }
        std::unique_lock hold(g_holdMutex);
        if (!g_holdChanged.wait_for(hold, std::chrono::seconds(10), [&] { return g_holdBegun > begun + added; })) {
            ++g_holdGo; // the late task goes straight through
            break;
        }
        ++added;
    }
    {
        std::lock_guard hold(g_holdMutex);
        g_holdGo += added;
    }
    g_holdChanged.notify_all();
    if (added < wanted && added > 0)
        pool.setMaxThreadCount(added);
    return added;
}

bool startThread(std::thread& thread, std::function<void()> work)
{
    return tryStart(thread, std::move(work));
}

bool startThread(std::vector<std::thread>& pool, std::function<void()> work)
{
    std::thread thread;
    if (!startThread(thread, std::move(work)))
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

bool keepImagePoolReady(QString* why)
{
    static std::mutex mutex;
    static int held = 0; // threads the pool holds for good
    std::lock_guard lock(mutex);
    // Filled once: a pool that holds threads never starts another, and
    // asking it for more could hand a drawer's task to a refused thread.
    // Only an empty pool, which cannot draw at all, is filled again.
    if (held == 0)
        held = keepPoolReady(*QThreadPool::globalInstance(), std::max(2, QThread::idealThreadCount()));
    if (held == 0 && why)
        *why = QStringLiteral("The cards cannot be drawn: the system refuses to start the threads picture drawing "
                              "needs. Close other programs and try again.");
    return held > 0;
}

void waitForPoolIdle(QThreadPool& pool)
{
    // Its threads take every queued task: none runs once none is active.
    while (pool.activeThreadCount() > 0)
        QThread::msleep(1);
}

void endIfPoolLostThread(int status)
{
    if (!g_poolLostThread.load())
        return;
    std::fflush(nullptr);
    std::_Exit(status);
}

void refuseThreadsAfter(int allowed)
{
    g_allowed.store(allowed < 0 ? -1 : allowed);
}

} // namespace platform
