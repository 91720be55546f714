#pragma once
// Stand-ins for the two windows a deck talks to, for the deck transport tests:
//   - DeckMixerStandIn plays the mixer's part of the protocol: it answers readiness by
//     calling the deck's OnReadyToPlay, waits for the deck to be ready before a start of
//     forward play (as the real mixer does), hands the next track over on the reader's
//     end-of-track send, reports a set queued-audio figure, and records everything.
//   - DeckMainWindowStandIn records the refresh requests.
// Header-only: it uses the shared state of app/, which the support library does not link.
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "platform/messaging.h"

namespace quillmix::test {

struct DeckMessage {
    unsigned message;
    WParam wParam;
    LParam lParam;
};

// Dispatches window messages until `done` holds; false after `limit`.
inline bool deckPumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        letWindowThreadRun(1);
    }
    return true;
}

// Dispatches window messages for `duration`.
inline void deckPumpFor(std::chrono::milliseconds duration) {
    const auto end = std::chrono::steady_clock::now() + duration;
    while (std::chrono::steady_clock::now() < end) letWindowThreadRun(1);
}

inline int deckCount(const std::vector<DeckMessage>& log, unsigned message, LParam lParam = -1) {
    int n = 0;
    for (const DeckMessage& m : log)
        if (m.message == message && (lParam < 0 || m.lParam == lParam)) ++n;
    return n;
}

class DeckMixerStandIn : public MessageWindow {
public:
    DeckMixerStandIn() { mixerWindow = handle(); }
    ~DeckMixerStandIn() override { mixerWindow = WindowHandle{}; }

    MessageResult handleMessage(unsigned message, WParam wParam, LParam lParam) override {
        log.push_back({message, wParam, lParam});
        const int d = static_cast<int>(wParam);
        switch (message) {
            case UWM_PREPARE_DECK_OUTPUT:
                if (ring) ring->setReadIndex(0);
                deck->OnReadyToPlay();
                break;
            case UWM_PLAY_FORWARD:
            case UWM_RESUME_AFTER_BACKWARD:
                // The real mixer waits without limit; a stand-in that hung would hide the fault.
                startedWithoutReadiness |= !deckPumpUntil([d] { return deckReadyToPlayEvent[d].isSet(); },
                                                          std::chrono::seconds(10));
                pausingAtStart |= deck->pausing();
                forwardPlaying = true;
                break;
            case UWM_STOP_FORWARD:
                forwardPlaying = false;
                break;
            case UWM_PLAY_BACKWARD:
                backwardPlaying = true;
                break;
            case UWM_STOP_BACKWARD:
                backwardPlaying = false;
                break;
            case UWM_REPORT_QUEUED_AUDIO:
                deck->UpdatePosition(queuedBytes);
                break;
            case UWM_TRACK_READER_DONE:
                if (!nextPaths.empty()) {
                    const std::string path = nextPaths.front();
                    nextPaths.pop_front();
                    deck->BeginNextTrack();
                    deck->QueueNextTrack(path);
                }
                break;
            default:
                break;
        }
        if (onMessage) onMessage(message);
        return 0;
    }

    // The order in which the deck's transport requests arrived, without the readiness and
    // end-of-track sends of the read-forward thread.
    std::vector<unsigned> transportOrder() const {
        std::vector<unsigned> order;
        for (const DeckMessage& m : log)
            if (m.message != UWM_PREPARE_DECK_OUTPUT && m.message != UWM_TRACK_READER_DONE) order.push_back(m.message);
        return order;
    }

    CZanDeck2* deck = nullptr;
    CZanReadAheadRing* ring = nullptr;
    std::int32_t queuedBytes = 0;
    std::deque<std::string> nextPaths;
    std::function<void(unsigned)> onMessage;
    std::vector<DeckMessage> log;
    bool forwardPlaying = false;
    bool backwardPlaying = false;
    bool startedWithoutReadiness = false;
    bool pausingAtStart = false;
};

class DeckMainWindowStandIn : public MessageWindow {
public:
    DeckMainWindowStandIn() { mainDialogWindow = handle(); }
    ~DeckMainWindowStandIn() override { mainDialogWindow = WindowHandle{}; }

    MessageResult handleMessage(unsigned message, WParam wParam, LParam lParam) override {
        log.push_back({message, wParam, lParam});
        if (onMessage) onMessage(message, lParam);
        return 0;
    }

    bool allForDeck(WParam deck) const {
        for (const DeckMessage& m : log)
            if (m.wParam != deck) return false;
        return true;
    }

    std::function<void(unsigned, LParam)> onMessage;
    std::vector<DeckMessage> log;
};

}  // namespace quillmix::test
