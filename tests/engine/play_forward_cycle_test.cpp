// The play-forward cycle on hand-stepped devices: the notify threads are real, the window
// thread is this test, and the output is compared with the chunks that went into the ring.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "dsp/sample_layout.h"
#include "engine/play_forward_cycle.h"
#include "engine/zan_mix_state.h"
#include "sources/read_ahead_ring.h"
#include "support/message_recorder.h"
#include "support/sound_engine_fixture.h"
#include "support/sound_signals.h"

using namespace quillmix;

namespace {

constexpr int kPeriod = 256;

struct FakeDeck : DeckCycleClient {
    int SampleRate() const override { return 44100; }
    bool HasTrackLoaded() const override { return true; }
    std::string CurrentTrackPath() const override { return current; }
    std::string ReaderPath() const override { return current; }
    void OnReadyToPlay() override { deckReadyToPlayEvent[0].set(); }
    void OnTrackEnded() override {
        ended = true;
        postMessage(mixerWindow, UWM_STOP_FORWARD, 0);
    }
    void OnTrackChanged(const std::string& path) override { changes.push_back(path), current = path; }
    void OnChunkPlayed() override { ++chunksPlayed; }
    void UpdatePosition(std::int32_t) override {}
    void UpdatePositionFraction() override {}
    void RedrawChart() override {}
    std::string current = "track-1";
    std::vector<std::string> changes;
    bool ended = false;
    int chunksPlayed = 0;
};

// The mixer's part: answers the notify threads and the deck's stop on the window thread.
class CycleRig : public test::MessageRecorder {
public:
    explicit CycleRig(bool withMonitor = true) : MessageRecorder(&mixerWindow) {
        createSharedEvents();
        mix.OpenOutputDevices("stepped:stereo", "Stereo Card", withMonitor ? "stepped:quad" : "", "Quad Card");
        mix.levelDeck[0].Set(1.0);
        mix.SetCrossFadeCurve(1.0);
        mix.SetMainVolume(1.0);
        cycle.SetDeckClient(0, &deck);
    }
    ~CycleRig() override {
        cycle.StopForwardPlay(0);
        cycle.StopBackwardPlay(0);
    }

    void answer(unsigned message, int d, LParam) override {
        if (message == UWM_PLAY_FORWARD_NOTIFY) cycle.OnPlayForwardNotify(d);
        if (message == UWM_PLAY_BACKWARD_NOTIFY) cycle.OnPlayBackwardNotify(d);
        if (message == UWM_STOP_FORWARD) cycle.StopForwardPlay(d);
    }

    // Seeded random chunks of one track, published in ring order.
    std::vector<std::int16_t> fillRing(int chunks, unsigned seed, const std::string& path = "track-1") {
        const auto track = test::soundNoise(chunks * kChunkFrames, seed);
        ring.resetForProducer();
        for (int i = 0; i < chunks; ++i) {
            std::copy_n(track.data() + i * kChunkSamples, kChunkSamples, ring.chunk(ring.writeIndex()));
            ring.publish(ring.writeIndex(), path);
            ring.advanceWriteIndex();
        }
        return track;
    }
    // Fills the ring as above and starts deck 0's forward play on it.
    std::vector<std::int16_t> start(int chunks, unsigned seed) {
        auto track = fillRing(chunks, seed);
        cycle.PrepareDeckOutput(0);
        cycle.StartForwardPlay(0);
        return track;
    }

    // Renders in periods, keeping the main output (the monitor's when there is no main
    // device); after each, lets the window thread answer every notification before
    // rendering on (unless stalled).
    void render(double seconds, bool stalled = false) {
        const int periods = static_cast<int>(seconds * 44100 / kPeriod);
        SoundDevice* mainDevice = mix.mainOutput.IsOpen() ? mix.mainOutput.output->Device() : nullptr;
        SoundDevice* monitor = mix.monitorOutput.IsOpen() ? mix.monitorOutput.output->Device() : nullptr;
        for (int p = 0; p < periods; ++p) {
            auto m = stepSoundDevice(mainDevice ? *mainDevice : *monitor, kPeriod);
            main.insert(main.end(), m.begin(), m.end());
            if (mainDevice && monitor) stepSoundDevice(*monitor, kPeriod);
            if (!stalled) settle();
        }
    }
    void settle() {
        for (int i = 0; i < 2000; ++i) {
            dispatchPendingMessages();
            const bool pending = (playForwardNotifyEvent[0].isSet() && cycle.ClockOutput().IsForwardPlaying(0)) ||
                                 (playBackwardNotifyEvent[0].isSet() && cycle.ClockOutput().IsBackwardPlaying(0));
            if (!pending) return;
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
    }

    std::unique_ptr<SoundSystem> system = test::soundSteppedSystem();
    CZanMixState mix{*system};
    CZanReadAheadRing ring, ringB;
    PlayForwardCycle cycle{mix, {&ring, &ringB}, nullptr};
    FakeDeck deck;
    std::vector<std::int16_t> main;  // interleaved stereo of the main output
};

// `frames` stereo frames from `from`, in reverse order.
std::vector<std::int16_t> reversedFrames(const std::int16_t* from, int frames) {
    std::vector<std::int16_t> out(2 * static_cast<size_t>(frames));
    ReverseChunk(from, out.data(), frames);
    return out;
}

// Where `piece` stands in `track`, in samples; -1 when nowhere.
long find(const std::vector<std::int16_t>& track, const std::int16_t* piece, size_t n) {
    auto it = std::search(track.begin(), track.end(), piece, piece + n);
    return it == track.end() ? -1 : static_cast<long>(it - track.begin());
}

}  // namespace

TEST(PlayForwardCycleThreadTest, PlaysTheRingSampleExactAfterTheFadeInAndTopsUpByTheRule) {
    CycleRig rig;
    const auto track = rig.start(150, 1);
    EXPECT_EQ(rig.cycle.QueuedChunks(0), 26);
    EXPECT_TRUE(deckReadyToPlayEvent[0].isSet());
    rig.render(0.1);
    // The first notification entered slot 1 with 26 queued: one chunk written, slots 0 and
    // 1 cleared.
    EXPECT_EQ(rig.cycle.LastChunk(0), 1);
    EXPECT_EQ(rig.cycle.QueuedChunks(0), 25);
    rig.render(3.0);
    EXPECT_EQ(rig.cycle.UnderrunCount(), 0);
    EXPECT_GE(rig.cycle.QueuedChunks(0), 25);
    EXPECT_LE(rig.cycle.QueuedChunks(0), 27);
    const size_t from = 2 * 4410;  // past the fade-in
    ASSERT_GT(rig.main.size(), from + 44100);
    EXPECT_TRUE(std::equal(rig.main.begin() + from, rig.main.end(), track.begin() + from));
    EXPECT_GE(rig.deck.chunksPlayed, 45);
}

TEST(PlayForwardCycleThreadTest, TrackEndsExactlyWhenTheFirstSilenceSlotIsHeard) {
    CycleRig rig;
    const int chunks = 40;
    const auto track = rig.start(chunks, 2);
    size_t endedAt = 0;
    while (rig.main.size() < 2u * 44100 * 5 && !endedAt) {
        rig.render(kPeriod / 44100.0 + 1e-9);
        if (rig.deck.ended) endedAt = rig.main.size() / 2;
    }
    ASSERT_GT(endedAt, 0u);
    // Noticed in the period in which the cursor entered the first slot of silence.
    EXPECT_GE(endedAt, static_cast<size_t>(chunks * kChunkFrames));
    EXPECT_LT(endedAt, static_cast<size_t>(chunks * kChunkFrames + kPeriod));
    EXPECT_TRUE(std::equal(rig.main.begin() + 8820, rig.main.begin() + chunks * kChunkSamples, track.begin() + 8820));
    rig.render(0.2);  // the deck's stop request is handled and the forward play ends
    EXPECT_EQ(flagSet(playForwardThreadRunning[0]), false);
    EXPECT_FALSE(rig.cycle.ClockOutput().IsForwardPlaying(0));
}

TEST(PlayForwardCycleThreadTest, LongPlayAheadWritesTwoChunksPerNotification) {
    CycleRig rig;
    rig.cycle.SetPlayAheadTarget(PlayForwardCycle::kPlayAheadLong);
    rig.start(150, 3);
    rig.render(1.0);
    // 26 pre-rolled, about 15 chunks heard, two written per chunk heard.
    EXPECT_GT(rig.cycle.QueuedChunks(0), 35);
    EXPECT_LE(rig.cycle.QueuedChunks(0), 60);
}

TEST(PlayForwardCycleThreadTest, StalledWindowThreadUnderrunsAndRecovers) {
    CycleRig rig;
    const auto track = rig.start(165, 4);
    rig.render(0.5);
    rig.render(2.5, /*stalled=*/true);  // longer than the 26 queued chunks last
    rig.render(1.5);
    EXPECT_EQ(rig.cycle.UnderrunCount(), 1);
    EXPECT_TRUE(flagSet(playForwardThreadRunning[0]));
    EXPECT_FALSE(threadPlayForwardIsDoneEvent[0].isSet());
    // Playing again: the last half second is track audio, in order.
    const size_t tail = 2 * 22050;
    EXPECT_GE(find(track, rig.main.data() + rig.main.size() - tail, tail), 0);
    // One notify thread: stopping it ends it, and nothing answers afterwards.
    rig.cycle.StopForwardPlay(0);
    EXPECT_TRUE(threadPlayForwardIsDoneEvent[0].isSet());
}

TEST(PlayForwardCycleThreadTest, BackwardPlaysTheRecentPastReversedStopsByItselfAndResumes) {
    CycleRig rig;
    const auto track = rig.start(150, 5);
    rig.render(3.0);
    rig.cycle.StopForwardPlay(0);
    rig.cycle.StepLastChunkForward(0);
    rig.cycle.StartBackwardPlay(0);
    const size_t backwardStart = rig.main.size();
    rig.render(1.0);
    // A quarter second after the fade, reversed, is a piece of the track just heard.
    const auto reversed = reversedFrames(rig.main.data() + backwardStart + 2 * 4410, 11025);
    const long at = find(track, reversed.data(), reversed.size());
    ASSERT_GE(at, 0);
    EXPECT_LT(at, 3 * 2 * 44100);  // from what was heard, not from ahead

    // Where backward play got to: the last tenth of a second heard, reversed.
    const auto lastReversed = reversedFrames(rig.main.data() + rig.main.size() - 2 * 4410, 4410);
    const long reached = find(track, lastReversed.data(), lastReversed.size());
    ASSERT_GE(reached, 0);

    // Resume forward: the cycle continues from the slot before the one played backward.
    rig.cycle.StopBackwardPlay(0);
    rig.cycle.StepLastChunkBack(0);
    rig.cycle.PlayResumeAfterBackward(0);
    const size_t resumeStart = rig.main.size();
    rig.render(1.0);
    const long resumedAt = find(track, rig.main.data() + resumeStart + 2 * 4410, 2 * 4410);
    ASSERT_GE(resumedAt, 0);
    const long resumedFrom = resumedAt - 2 * 4410;
    EXPECT_EQ(resumedFrom % kChunkSamples, 0);  // at a chunk start
    EXPECT_GE(resumedFrom, reached - 2 * kChunkSamples);
    EXPECT_LE(resumedFrom, reached);
    rig.cycle.StopForwardPlay(0);

    // Held long enough, backward play stops on its own once 108 slots are queued.
    rig.cycle.StepLastChunkForward(0);
    rig.cycle.StartBackwardPlay(0);
    rig.render(8.0);
    EXPECT_FALSE(flagSet(playBackwardThreadRunning[0]));
    EXPECT_GE(rig.cycle.QueuedChunks(0), PlayForwardCycle::kBackwardSlotLimit);
}

// Without a main device (none chosen, or one that failed to open) the monitor is the clock.
TEST(PlayForwardCycleThreadTest, MonitorAloneDrivesTheCycle) {
    for (const char* mainId : {"", "stepped:unplugged"}) {
        CycleRig rig(/*withMonitor=*/true);
        rig.mix.OpenOutputDevices(mainId, "Unplugged Card", "stepped:stereo", "Stereo Card");
        rig.mix.monitorCrossFader.Set(-1.0);
        rig.mix.levelDeck[0].Set(1.0);
        const auto track = rig.start(100, 6);
        rig.render(3.0);
        EXPECT_GT(rig.deck.chunksPlayed, 40) << mainId;  // the monitor's notifications drive it
        EXPECT_GE(find(track, rig.main.data() + rig.main.size() - 2 * 4410, 2 * 4410), 2L * 44100) << mainId;
    }
}
