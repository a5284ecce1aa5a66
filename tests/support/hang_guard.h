#pragma once
// A bounded wait around a call that blocks the main thread: when the call
// has not returned within the limit (a deadlock), a watcher thread names it
// and ends the test program with a failure, instead of leaving it to hang
// until ctest's timeout.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

class HangGuard
{
public:
    HangGuard(std::chrono::milliseconds limit, std::string what)
        : what_(std::move(what)), watcher_([this, limit] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (wake_.wait_for(lock, limit, [this] { return done_; }))
                  return;
              std::fprintf(stderr, "FAILED: %s did not return within %lld ms (a deadlock)\n", what_.c_str(),
                           static_cast<long long>(limit.count()));
              std::fflush(stderr);
              std::_Exit(EXIT_FAILURE);
          })
    {
    }
    ~HangGuard()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        watcher_.join();
    }
    HangGuard(const HangGuard&) = delete;
    HangGuard& operator=(const HangGuard&) = delete;

private:
    std::string what_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread watcher_;
};
