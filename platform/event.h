#pragma once
// A kernel-style event: manual- or auto-reset, set and reset from any thread, waited on
// with a timeout. Setting never blocks and never allocates, so the audio callback may set
// one. A null event (default-constructed, or one whose creation failed) makes every
// operation fail without effect, as a failed creation is never reported to its owner.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

namespace quillmix {

enum class WaitResult { signaled, timeout, failed };

class Event {
public:
    enum class Reset { manual, automatic };

    Event() = default;  // the null event
    static Event create(Reset reset, bool initiallySet);

    bool isNull() const { return !state_; }
    bool set() const;    // false on a null event
    bool reset() const;  // false on a null event
    bool isSet() const;  // a peek, without consuming an auto-reset event

    // Waits until set or the timeout passes. An auto-reset event is consumed by the one
    // waiter that wins it. A null event fails at once.
    WaitResult wait(std::chrono::milliseconds timeout) const;
    WaitResult waitForever() const;

    // Copies share one event object, like duplicated handles.
    friend bool operator==(const Event& a, const Event& b) { return a.state_ == b.state_; }

private:
    struct State {
        std::atomic<std::uint32_t> signaled{0};
        bool autoReset = false;
    };
    bool tryConsume() const;
    WaitResult waitUntil(std::chrono::steady_clock::time_point deadline, bool noDeadline) const;

    std::shared_ptr<State> state_;
};

}  // namespace quillmix
