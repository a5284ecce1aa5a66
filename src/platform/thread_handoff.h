#pragma once
// Work handed to another thread through Qt (a thread pool, a queued call) is
// ordered by Qt's own locks. A thread checker built into our code cannot see
// those when Qt itself is not built with it, and would take the hand-over
// for a race. HandedOff wraps the work and tells the checker of the ordering
// Qt provides: every copy or move of the wrapper announces the hand-over
// once its data is written, the call and the wrapper's end take it over
// before touching anything, and the end of the call hands the results back
// to whoever ends the wrapper or waits for the call (tookOver() after the
// wait). Without the checker all of it is empty.
#include <utility>

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#endif

namespace platform {

#if defined(__SANITIZE_THREAD__)
inline char threadHandOffToken;
inline void handOff() { __tsan_release(&threadHandOffToken); }
inline void tookOver() { __tsan_acquire(&threadHandOffToken); }
#else
inline void handOff() {}
inline void tookOver() {}
#endif

template <typename F>
class HandedOff {
public:
    explicit HandedOff(F work)
        : m_work(std::move(work))
    {
        handOff();
    }
    HandedOff(const HandedOff& other)
        : m_work(other.m_work)
    {
        handOff();
    }
    HandedOff(HandedOff&& other) noexcept
        : m_work(std::move(other.m_work))
    {
        handOff();
    }
    // The wrapper may end on the thread that handed it over, after the call.
    ~HandedOff() { tookOver(); }
    HandedOff& operator=(const HandedOff&) = delete;
    HandedOff& operator=(HandedOff&&) = delete;

    template <typename... A>
    auto operator()(A&&... args)
    {
        tookOver();
        struct Back {
            ~Back() { handOff(); }
        } back;
        return m_work(std::forward<A>(args)...);
    }

private:
    F m_work;
};

template <typename F>
HandedOff<F> handedOff(F work)
{
    return HandedOff<F>(std::move(work));
}

} // namespace platform
