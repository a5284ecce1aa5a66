#pragma once
// Ending the process on purpose (the start wizard cancelled, the exit
// command). Tests replace the handler to record the request instead.
#include <functional>

namespace platform {

using ProcessEndHandler = std::function<void(int status)>;

// Replaces the handler; an empty one restores the default, which leaves the
// event loop when runEventLoop runs it and else exits the process.
void setProcessEndHandler(ProcessEndHandler handler);
// Runs the shutdown hooks (once, newest first), then the handler.
void endProcess(int status);

// Work that must finish before the process ends (workers join here). Hooks
// run on the thread that ends the process; each runs at most once.
void addShutdownHook(std::function<void()> hook);

// Runs the application's event loop and returns its exit status.
int runEventLoop();

} // namespace platform
