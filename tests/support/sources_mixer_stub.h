#pragma once
// Stands in for the mixer panel in the track-source tests: records what the workers send
// and answers UWM_TRACK_READER_DONE the way a deck with a play list does, by opening the
// next queued path in the deck's reader on a file-open thread.
#include <deque>
#include <string>
#include <vector>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "sources/file_open_thread.h"
#include "sources/read_ahead_ring.h"
#include "sources/track_reader.h"
#include "support/message_recorder.h"

namespace quillmix::test {

class SourcesMixerStub : public MessageRecorder {
public:
    SourcesMixerStub() : MessageRecorder(&mixerWindow) { createSharedEvents(); }

    void attach(int deck, CZanTrackReader* reader, CZanReadAheadRing* ring) {
        readers[deck] = reader;
        rings[deck] = ring;
    }

    std::vector<std::int64_t> filledAtReady;  // the ring's bytes at each readiness (-1: no ring)
    std::deque<std::string> nextPaths[kDeckCount];
    CZanTrackReader* readers[kDeckCount] = {nullptr, nullptr};
    CZanReadAheadRing* rings[kDeckCount] = {nullptr, nullptr};

protected:
    void answer(unsigned message, int d, LParam) override {
        if (message == UWM_TRACK_READER_DONE && readers[d] && !nextPaths[d].empty()) {
            const std::string path = nextPaths[d].front();
            nextPaths[d].pop_front();
            const bool opened = openTrackOnFileOpenThread(d, *readers[d], path);
            readers[d]->setTrackLoaded(opened);
        }
        if (message == UWM_PREPARE_DECK_OUTPUT) {
            filledAtReady.push_back(rings[d] ? rings[d]->filledByteCount() : -1);
            deckReadyToPlayEvent[d].set();
        }
    }
};

}  // namespace quillmix::test
