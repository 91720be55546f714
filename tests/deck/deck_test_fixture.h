#pragma once
// A real deck (deck B, so that a wrong wParam shows) on its real track reader, ring and
// read-forward thread, between the mixer and main window stand-ins, with WAV files written
// by the test.
#include <gtest/gtest.h>

#include <memory>

#include "deck/deck.h"
#include "support/deck_stand_ins.h"
#include "support/sources_fixtures.h"
#include "support/temp_dir.h"

namespace quillmix::test {

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
        sourcesWriteWav16(dir.file(name), sourcesSignal(frames, channels, 7), channels, kSampleRate);
        return dir.file(name).string();
    }

    bool loadAndWaitReady(const std::string& path) {
        if (!deck->LoadTrack(path)) return false;
        return pumpUntil([] { return deckReadyToPlayEvent[kDeck].isSet(); });
    }

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
    DeckMainWindowStandIn mainWindow;
    DeckMixerStandIn mixer;
    CZanTrackReader reader;
    CZanReadAheadRing ring;
    std::unique_ptr<CZanDeck2> deck;
};

}  // namespace quillmix::test
