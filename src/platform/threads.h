#pragma once
// Helper threads the system may refuse to start (at its limit of threads or
// memory): the work then goes on with the threads that did start, or on the
// calling thread alone, never ending the program.
#include <functional>
#include <thread>
#include <vector>

namespace platform {

// Starts a thread running work and adds it to pool; false, with nothing
// started, when the system refuses.
bool startThread(std::vector<std::thread>& pool, std::function<void()> work);

// Runs work on a new thread put into `thread`, or, when the system refuses
// one, on the calling thread before returning (`thread` then stays
// unjoinable).
void startThreadOrRun(std::thread& thread, std::function<void()> work);

// Test hook: after `allowed` more starts every start is refused, as by a
// system at its limit; a negative count turns the hook off.
void refuseThreadsAfter(int allowed);

} // namespace platform
