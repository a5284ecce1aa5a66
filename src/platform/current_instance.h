#pragma once
// The instance of a program-wide object that code without one at hand uses:
// the newest that lives. The program makes one at start and a test may make
// its own, which serves until it goes; then the one before it serves again.
// A program that makes none (a tool, a benchmark) shares one made at first
// use. Made and let go on one thread, in reverse order, while no other
// thread asks for the current one.
//
//   class Budget {
//       ...
//       platform::CurrentInstance<Budget> current_{this}; // last member
//   };
//   Budget::current()  ->  platform::CurrentInstance<Budget>::get()
#include <atomic>

namespace platform {

template <class T>
class CurrentInstance {
public:
    explicit CurrentInstance(T* self) : previous_(slot().exchange(self)) {}
    ~CurrentInstance() { slot().store(previous_); }
    CurrentInstance(const CurrentInstance&) = delete;
    CurrentInstance& operator=(const CurrentInstance&) = delete;

    static T& get()
    {
        if (T* now = slot().load())
            return *now;
        static T spare;
        return spare;
    }

private:
    static std::atomic<T*>& slot()
    {
        static std::atomic<T*> current{nullptr};
        return current;
    }

    T* previous_;
};

} // namespace platform
