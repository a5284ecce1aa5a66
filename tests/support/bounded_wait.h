#pragma once
// Waits and joins in tests end on their condition, not after a time the
// work should take: the one limit is a deadline that only a hang reaches (a
// lost wake-up, a lock-order fault), which then fails with a message well
// before ctest's own limit, however busy the machine is.
#include "support/hang_guard.h"

#include <QTest>

#include <chrono>
#include <thread>
#include <utility>

inline constexpr std::chrono::seconds kHangDeadline{120};
inline constexpr int kHangMilliseconds = int(std::chrono::milliseconds(kHangDeadline).count()); // for Qt's waits

// Runs the event loop until `done` holds; false when the deadline passed
// first.
template <class Done>
[[nodiscard]] bool waitUntil(Done&& done)
{
    return QTest::qWaitFor(std::forward<Done>(done), kHangMilliseconds);
}

// Runs a call that blocks (a join, a pool's wait); one that has not
// returned by the deadline is named and ends the program with a failure.
template <class Call>
void withinDeadline(const char* what, Call&& call)
{
    const HangGuard guard(kHangDeadline, what);
    std::forward<Call>(call)();
}

inline void joinWithinDeadline(std::thread& thread, const char* what)
{
    withinDeadline(what, [&thread] { thread.join(); });
}
