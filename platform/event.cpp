#include "platform/event.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <ctime>

namespace quillmix {

namespace {

// The futex word is the event's own state, so a set is one store and one wake system call:
// no lock that a waiter could hold, which keeps set() safe on the real-time thread.
static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));

long futexWait(std::atomic<std::uint32_t>* word, std::uint32_t expected, const timespec* relative) {
    return syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(word), FUTEX_WAIT_PRIVATE, expected, relative, nullptr,
                   0);
}

void futexWakeAll(std::atomic<std::uint32_t>* word) {
    syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

}  // namespace

Event Event::create(Reset reset, bool initiallySet) {
    Event event;
    event.state_ = std::make_shared<State>();
    event.state_->autoReset = reset == Reset::automatic;
    event.state_->signaled.store(initiallySet ? 1u : 0u, std::memory_order_relaxed);
    return event;
}

bool Event::set() const {
    if (!state_) return false;
    // Release: whatever the setter wrote before setting is visible to the waiter it wakes.
    state_->signaled.store(1, std::memory_order_release);
    futexWakeAll(&state_->signaled);
    return true;
}

bool Event::reset() const {
    if (!state_) return false;
    state_->signaled.store(0, std::memory_order_relaxed);
    return true;
}

bool Event::isSet() const { return state_ && state_->signaled.load(std::memory_order_acquire) != 0; }

bool Event::tryConsume() const {
    if (!state_->autoReset) return state_->signaled.load(std::memory_order_acquire) != 0;
    std::uint32_t expected = 1;
    // Acquire pairs with the release in set(); only one waiter wins the exchange.
    return state_->signaled.compare_exchange_strong(expected, 0, std::memory_order_acquire, std::memory_order_relaxed);
}

WaitResult Event::waitUntil(std::chrono::steady_clock::time_point deadline, bool noDeadline) const {
    if (!state_) return WaitResult::failed;
    for (;;) {
        if (tryConsume()) return WaitResult::signaled;
        timespec relative{};
        const timespec* timeout = nullptr;
        if (!noDeadline) {
            auto left = deadline - std::chrono::steady_clock::now();
            if (left <= std::chrono::steady_clock::duration::zero()) return WaitResult::timeout;
            auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            relative.tv_sec = static_cast<time_t>(ns / 1000000000);
            relative.tv_nsec = static_cast<long>(ns % 1000000000);
            timeout = &relative;
        }
        futexWait(&state_->signaled, 0, timeout);  // returns at once if no longer 0
    }
}

WaitResult Event::wait(std::chrono::milliseconds timeout) const {
    return waitUntil(std::chrono::steady_clock::now() + timeout, false);
}

WaitResult Event::waitForever() const { return waitUntil({}, true); }

}  // namespace quillmix
