#pragma once
// Helper threads the system may refuse to start (at its limit of threads or
// memory): the work then goes on with the threads that did start, or on the
// calling thread alone, never ending the program.
#include <QString>
#include <functional>
#include <thread>
#include <vector>

class QThreadPool;

namespace platform {

// Starts a thread running work and adds it to pool; false, with nothing
// started, when the system refuses.
bool startThread(std::vector<std::thread>& pool, std::function<void()> work);

// Starts a thread running work into `thread`; false, with `thread` left
// unjoinable, when the system refuses.
bool startThread(std::thread& thread, std::function<void()> work);

// Runs work on a new thread put into `thread`, or, when the system refuses
// one, on the calling thread before returning (`thread` then stays
// unjoinable).
void startThreadOrRun(std::thread& thread, std::function<void()> work);

// Keeps Qt's shared thread pool holding threads that never expire, started
// now while the system allows them. Qt's image scaling, conversion and
// drawing hand parts of large pictures to that pool and wait for them: a
// pool that had to start a thread the system refuses would leave them
// waiting for ever, one that holds its threads never starts another. Filled
// at the first call; an empty pool is tried again at the next. False
// when the pool holds none (the system refused every one), with the message
// a run that then ends says in *why: pictures must not be drawn off the pool.
bool keepImagePoolReady(QString* why = nullptr);

// Fills `pool` as keepImagePoolReady fills Qt's shared one, with up to
// `wanted` threads; returns how many it holds (none: it must be given no
// task, which would wait for good).
int keepPoolReady(QThreadPool& pool, int wanted);

// Waits until `pool`, filled by keepPoolReady, runs no task and holds none
// queued. QThreadPool::waitForDone would end the threads it keeps (and
// never return for a pool the system refused a thread).
void waitForPoolIdle(QThreadPool& pool);

// Ends the process with the status at once, without waiting for Qt's pool,
// when the system refused one of its threads: Qt counts that thread as
// running for good, and waiting for the pool would never end. Otherwise
// returns. Called where the program ends.
void endIfPoolLostThread(int status);

// Test hook: after `allowed` more starts every start is refused, as by a
// system at its limit; a negative count turns the hook off.
void refuseThreadsAfter(int allowed);

} // namespace platform
