#pragma once
// The stand-in for every window the code under test sends or posts to: it records each
// message in the order handled (on the window thread, which is the test's) and lets a
// subclass answer as the real window would. Given a shared window slot (mixerWindow,
// mainDialogWindow), it occupies the slot for its lifetime.
//
// Header-only: its users reach the slots of app/, which the support library does not link.
#include <chrono>
#include <functional>
#include <vector>

#include "platform/messaging.h"

namespace quillmix::test {

struct RecordedMessage {
    unsigned message;
    WParam wParam;
    LParam lParam;
};

class MessageRecorder : public MessageWindow {
public:
    explicit MessageRecorder(WindowHandle* slot = nullptr) : slot_(slot) {
        if (slot_) *slot_ = handle();
    }
    ~MessageRecorder() override {
        if (slot_) *slot_ = WindowHandle{};
    }

    MessageResult handleMessage(unsigned message, WParam wParam, LParam lParam) override {
        log.push_back({message, wParam, lParam});
        answer(message, static_cast<int>(wParam), lParam);
        if (reply) reply(message, static_cast<int>(wParam), lParam);
        return 0;
    }

    // The `message`s recorded, only those with this wParam and lParam when they are given.
    int count(unsigned message, int wParam = -1, LParam lParam = -1) const {
        int n = 0;
        for (const RecordedMessage& m : log)
            n += m.message == message && (wParam < 0 || static_cast<int>(m.wParam) == wParam) &&
                 (lParam < 0 || m.lParam == lParam);
        return n;
    }

    std::vector<RecordedMessage> log;
    // When set, answers each message after it is recorded, as the window stood in for would.
    std::function<void(unsigned message, int wParam, LParam lParam)> reply;

protected:
    // Runs after the message is recorded; wParam is the deck for the engine's messages.
    virtual void answer(unsigned /*message*/, int /*wParam*/, LParam /*lParam*/) {}

private:
    WindowHandle* slot_;
};

// Dispatches window messages until `done` holds; false after `limit`.
inline bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        letWindowThreadRun(1);
    }
    return true;
}

// Dispatches window messages for `duration`.
inline void pumpFor(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) letWindowThreadRun(1);
}

}  // namespace quillmix::test
