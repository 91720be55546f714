#pragma once
// Stands in for the mixer panel in the track-source tests: records what the workers send
// and answers UWM_TRACK_READER_DONE the way a deck with a play list does, by opening the
// next queued path in the deck's reader on a file-open thread.
//
// Header-only: it uses the shared state of app/, which the support library does not link.
#include <deque>
#include <string>
#include <vector>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "platform/messaging.h"
#include "sources/file_open_thread.h"
#include "sources/read_ahead_ring.h"
#include "sources/track_reader.h"

namespace quillmix::test {

class SourcesMixerStub : public MessageWindow {
public:
    struct Received {
        unsigned message;
        WParam deck;
        std::int64_t ringFilledBytes;  // of that deck's ring, when a ring was attached
    };

    SourcesMixerStub() {
        createSharedEvents();
        mixerWindow = handle();
    }
    ~SourcesMixerStub() override { mixerWindow = WindowHandle{}; }

    void attach(int deck, CZanTrackReader* reader, CZanReadAheadRing* ring) {
        readers[deck] = reader;
        rings[deck] = ring;
    }

    MessageResult handleMessage(unsigned message, WParam deck, LParam) override {
        const int d = static_cast<int>(deck);
        received.push_back({message, deck, rings[d] ? rings[d]->filledByteCount() : -1});
        if (message == UWM_TRACK_READER_DONE && readers[d] && !nextPaths[d].empty()) {
            const std::string path = nextPaths[d].front();
            nextPaths[d].pop_front();
            const bool opened = openTrackOnFileOpenThread(d, *readers[d], path);
            readers[d]->setTrackLoaded(opened);
        }
        if (message == UWM_PREPARE_DECK_OUTPUT) deckReadyToPlayEvent[d].set();
        return 0;
    }

    int count(unsigned message, int deck = -1) const {
        int n = 0;
        for (const Received& r : received) {
            if (r.message == message && (deck < 0 || static_cast<int>(r.deck) == deck)) ++n;
        }
        return n;
    }

    std::vector<Received> received;
    std::deque<std::string> nextPaths[kDeckCount];
    CZanTrackReader* readers[kDeckCount] = {nullptr, nullptr};
    CZanReadAheadRing* rings[kDeckCount] = {nullptr, nullptr};
};

}  // namespace quillmix::test
