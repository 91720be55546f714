// CZanSoundOutput on hand-stepped devices: device units, status codes and the split routing.
// Playback, positions and notifications are checked on the sound buffers, by the play cycle
// (forward, reversed and resumed) and end to end (over many wraps of the buffers).
#include <gtest/gtest.h>

#include "app/shared_state.h"
#include "engine/zan_sound_output.h"
#include "support/sound_engine_fixture.h"
#include "support/sound_signals.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {

class SoundOutputTest : public ::testing::Test {
protected:
    void SetUp() override {
        createSharedEvents();
        ASSERT_EQ(output.CreateDevice("stepped:quad", false, false), kSoundOk);
        ASSERT_EQ(output.CreateDeckBuffers(0, 44100, true, true), kSoundOk);
    }

    std::unique_ptr<SoundSystem> system = soundSteppedSystem();
    CZanSoundOutput output{*system};
};

}  // namespace

TEST(SoundOutputLawTest, EveryOperationWithoutDeviceOrBufferIsNotInitialized) {
    auto system = soundSteppedSystem();
    CZanSoundOutput none(*system);
    const std::vector<std::int16_t> silence(5880);
    EXPECT_FALSE(none.HasDevice());
    EXPECT_EQ(none.CreateDeckBuffers(0, 44100, true, true), kSoundNotInitialized);
    EXPECT_EQ(none.WriteForwardChunk(0, silence.data()), kSoundNotInitialized);
    EXPECT_EQ(none.WriteBackwardChunk(1, silence.data()), kSoundNotInitialized);
    EXPECT_EQ(none.SetDeckGain(0, 1.0), kSoundNotInitialized);
    EXPECT_EQ(none.SetDeckPan(0, 0.5f), kSoundNotInitialized);
    EXPECT_EQ(none.SetForwardFrequency(0, 44100), kSoundNotInitialized);
    EXPECT_EQ(none.SetForwardPlayPosition(0, 0), kSoundNotInitialized);
    EXPECT_EQ(none.StopDeck(0), kSoundNotInitialized);
    EXPECT_EQ(none.PlayForward(0), kSoundNotInitialized);
    EXPECT_EQ(none.StartBackwardFromForward(0), kSoundNotInitialized);
    EXPECT_FALSE(none.IsForwardPlaying(0));
    EXPECT_EQ(none.GetForwardPlayPosition(0), 0);
    EXPECT_NE(none.CreateDevice("no-such-device", false, false), kSoundOk);
    EXPECT_FALSE(none.HasDevice());
}

// The decibel laws of volume and pan are measured on the sound buffers; here, the
// output's conversion into device units and that both buffers take the values.
TEST_F(SoundOutputTest, GainAndPanReachBothBuffersInDeviceUnits) {
    EXPECT_EQ(output.SetDeckGain(0, 0.5), kSoundOk);
    EXPECT_EQ(output.SetDeckPan(0, -0.33339f), kSoundOk);
    EXPECT_EQ(output.BackwardBuffer(0)->volume(), -2800);
    EXPECT_EQ(output.BackwardBuffer(0)->pan(), -3333);          // toward zero
    EXPECT_EQ(output.SetDeckGain(0, 1.5), kSoundInvalidParam);  // positive volume refused
    EXPECT_EQ(output.ForwardBuffer(0)->volume(), -2800);
    EXPECT_EQ(CZanSoundOutput::GainToVolume(0.0), -10000);
    EXPECT_EQ(CZanSoundOutput::GainToVolume(0.00011), -5600);
}

TEST(SoundOutputSplitTest, HalvesOfOneDeviceShareItsStreamOnTheirOwnPairs) {
    createSharedEvents();
    auto system = soundSteppedSystem();
    CZanSoundOutput main(*system), monitor(*system);
    ASSERT_EQ(main.CreateDevice("stepped:quad", true, false), kSoundOk);
    ASSERT_EQ(monitor.CreateDevice("stepped:quad", true, true), kSoundOk);
    EXPECT_EQ(main.Device(), monitor.Device());
    main.CreateDeckBuffers(0, 44100, true, true);
    monitor.CreateDeckBuffers(0, 44100, false, true);
    const auto a = soundNoise(2940, 5), b = soundNoise(2940, 6);
    main.WriteForwardChunk(0, a.data());
    monitor.WriteForwardChunk(0, b.data());
    main.ForwardBuffer(0)->play();
    monitor.ForwardBuffer(0)->play();
    const auto out = stepSoundDevice(*main.Device(), 2940);
    for (int n = 0; n < 2940; n += 7) {
        ASSERT_EQ(out[4 * n], a[2 * n]);
        ASSERT_EQ(out[4 * n + 1], a[2 * n + 1]);
        ASSERT_EQ(out[4 * n + 2], b[2 * n]);
        ASSERT_EQ(out[4 * n + 3], b[2 * n + 1]);
    }

    CZanSoundOutput stereo(*system);  // refuses four channels: opens with two
    EXPECT_EQ(stereo.CreateDevice("stepped:stereo", false, false), kSoundOk);
    EXPECT_EQ(stereo.Device()->channels(), 2);
}
