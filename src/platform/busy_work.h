#pragma once
// Work too long to run between two paints of the windows (a large picture
// read): it runs on a thread of its own while this one, the main thread,
// keeps the windows painted under a busy cursor; the user's input waits
// until it ends. Work that ends within a moment shows no cursor. The work
// must not touch widgets: what it makes is used here once it has ended.
#include <functional>

namespace platform {

// Runs work and returns when it has ended (on this thread alone when the
// system refuses another).
void runWhileBusy(const std::function<void()>& work);

} // namespace platform
