#pragma once
// A real deck (deck B, so that a wrong wParam shows) on its real track reader, ring and
// read-forward thread, between the mixer and main window stand-ins, with WAV files written
// by the test.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "support/message_recorder.h"
#include "support/sources_fixtures.h"
#include "support/temp_dir.h"

namespace quillmix::test {

// Stands in for the mixer, for the deck tests: it plays the mixer's part of the protocol:
// it answers readiness by calling the deck's OnReadyToPlay, waits for the deck to be ready
// before a start of forward play (as the real mixer does), hands the next track over on the
// reader's end-of-track send, reports a set queued-audio figure, and records everything.
class DeckMixerStandIn : public MessageRecorder {
public:
    DeckMixerStandIn() : MessageRecorder(&mixerWindow) {}

    // The order in which the deck's transport requests arrived, without the readiness and
    // end-of-track sends of the read-forward thread.
    std::vector<unsigned> transportOrder() const {
        std::vector<unsigned> order;
        for (const RecordedMessage& m : log)
            if (m.message != UWM_PREPARE_DECK_OUTPUT && m.message != UWM_TRACK_READER_DONE) order.push_back(m.message);
        return order;
    }

    CZanDeck2* deck = nullptr;
    CZanReadAheadRing* ring = nullptr;
    std::int32_t queuedBytes = 0;
    std::deque<std::string> nextPaths;
    std::function<void(unsigned)> onMessage;
    bool forwardPlaying = false;
    bool backwardPlaying = false;
    bool startedWithoutReadiness = false;
    bool pausingAtStart = false;

protected:
    void answer(unsigned message, int d, LParam lParam) override {
        // As the real mixer does: the deck must not wait for a thread whose send this is.
        const bool workerSend = message == UWM_PREPARE_DECK_OUTPUT || message == UWM_TRACK_READER_DONE;
        if (workerSend) deck->WorkerSendBegins();
        answerAsMixer(message, d, lParam);
        if (onMessage) onMessage(message);
        if (workerSend) deck->WorkerSendEnds();
    }

private:
    void answerAsMixer(unsigned message, int d, LParam) {
        switch (message) {
            case UWM_PREPARE_DECK_OUTPUT:
                if (ring) ring->setReadIndex(0);
                deck->OnReadyToPlay();
                break;
            case UWM_PLAY_FORWARD:
            case UWM_RESUME_AFTER_BACKWARD:
                // The real mixer waits without limit; a stand-in that hung would hide the fault.
                startedWithoutReadiness |=
                    !pumpUntil([d] { return deckReadyToPlayEvent[d].isSet(); }, std::chrono::seconds(10));
                pausingAtStart |= deck->pausing();
                forwardPlaying = true;
                break;
            case UWM_STOP_FORWARD: forwardPlaying = false; break;
            case UWM_PLAY_BACKWARD: backwardPlaying = true; break;
            case UWM_STOP_BACKWARD: backwardPlaying = false; break;
            case UWM_REPORT_QUEUED_AUDIO: deck->UpdatePosition(queuedBytes); break;
            case UWM_TRACK_READER_DONE:
                if (!nextPaths.empty()) {
                    const std::string path = nextPaths.front();
                    nextPaths.pop_front();
                    deck->BeginNextTrack();
                    deck->QueueNextTrack(path);
                }
                break;
            default: break;
        }
    }
};

class DeckFixture : public ::testing::Test {
protected:
    static constexpr int kDeck = kDeckB;

    DeckFixture() {
        deck = std::make_unique<CZanDeck2>(kDeck, DeckSources{reader, ring});
        deckWindow[kDeck] = deck->handle();
        mixer.deck = deck.get();
        mixer.ring = &ring;
    }
    ~DeckFixture() override {
        deck.reset();
        deckWindow[kDeck] = WindowHandle{};
    }

    // A WAV of `seconds` of the test signal; mono when channels is 1.
    std::string wav(const std::string& name, double seconds, int channels = 2) {
        const int frames = static_cast<int>(seconds * kSampleRate);
        return sourcesWav(dir.file(name), sourcesSignal(frames, channels, 7), channels);
    }

    // The read-ahead has reported readiness; has read to the end of what it reads.
    static bool ready() {
        return pumpUntil([] { return deckReadyToPlayEvent[kDeck].isSet(); });
    }
    static bool readAheadEnded() {
        return pumpUntil([] { return threadFileReadForwardIsDoneEvent[kDeck].isSet(); });
    }
    bool loadAndWaitReady(const std::string& path) { return deck->LoadTrack(path) && ready(); }

    // Plays through timer 5 and the stand-in's readiness wait.
    bool play() {
        deck->PlayPause(false);
        return pumpUntil([&] { return deck->IsPlaying(); });
    }

    // The consumer's part: takes `count` chunks from the ring, as the mixer's writes would.
    void consume(int count) {
        std::vector<std::int16_t> chunk(kChunkFrames * 2);
        std::string path;
        for (int i = 0; i < count; ++i) ASSERT_TRUE(ring.take(chunk.data(), path));
    }

    struct EventsFirst {
        EventsFirst() { createSharedEvents(); }
    } events;
    TempDir dir;
    MessageRecorder mainWindow{&mainDialogWindow};  // the refresh requests
    DeckMixerStandIn mixer;
    CZanTrackReader reader;
    CZanReadAheadRing ring;
    std::unique_ptr<CZanDeck2> deck;
};

}  // namespace quillmix::test
