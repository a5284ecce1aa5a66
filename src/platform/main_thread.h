#pragma once
// Running work on the main thread from any thread: waiting for it, or
// queued. On the main thread itself the waiting form runs at once. Without an
// application object (or while it shuts down) nothing runs and false is
// returned.
#include <functional>

namespace platform {

bool isMainThread();
// Runs the work on the main thread and waits for it to finish.
bool runOnMainWaiting(const std::function<void()>& work);
// Queues the work to run later on the main thread; returns at once.
bool runOnMainQueued(std::function<void()> work);

} // namespace platform
