#pragma once
// Fails a test that hangs: unless disarmed (destroyed) within `limit`, it names the hang on
// stderr and ends the test program, so a deadlock shows as a failure, not a stalled run.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace quillmix::test {

class Watchdog {
public:
    Watchdog(std::string what, std::chrono::seconds limit)
        : thread_([this, what = std::move(what), limit] {
              std::unique_lock lock(mutex_);
              if (cv_.wait_for(lock, limit, [this] { return disarmed_; })) return;
              std::fprintf(stderr, "watchdog: %s hung for %lld s\n", what.c_str(),
                           static_cast<long long>(limit.count()));
              std::fflush(stderr);
              std::_Exit(3);
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            disarmed_ = true;
        }
        cv_.notify_one();
        thread_.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool disarmed_ = false;
    std::thread thread_;  // last: starts once the rest exists
};

}  // namespace quillmix::test
