// CZanSoundOutput on hand-stepped devices: its laws, status codes, write positions,
// notifications and the split routing, checked in the rendered output.
#include <gtest/gtest.h>

#include <cmath>

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
        device = system->open("stepped:quad");
        ASSERT_EQ(output.CreateDeckBuffers(0, 44100, true, true), kSoundOk);
    }
    std::vector<std::int16_t> chunk(unsigned seed) { return soundNoise(2940, seed); }

    std::unique_ptr<SoundSystem> system = soundSteppedSystem();
    CZanSoundOutput output{*system};
    std::shared_ptr<SoundDevice> device;
};

}  // namespace

TEST(SoundOutputLawTest, GainAndPanLawsGiveTheDeviceUnits) {
    EXPECT_EQ(CZanSoundOutput::GainToVolume(1.0), 0);
    EXPECT_EQ(CZanSoundOutput::GainToVolume(0.5), -2800);
    EXPECT_EQ(CZanSoundOutput::GainToVolume(0.0001), -10000);
    EXPECT_EQ(CZanSoundOutput::GainToVolume(0.0), -10000);
    EXPECT_EQ(CZanSoundOutput::GainToVolume(0.00011), -5600);
    EXPECT_EQ(CZanSoundOutput::GainToVolume(98.0 / 99.0), -57);
    EXPECT_EQ(CZanSoundOutput::PanToDeviceUnits(-1.0f), -10000);
    EXPECT_EQ(CZanSoundOutput::PanToDeviceUnits(1.0f), 10000);
    EXPECT_EQ(CZanSoundOutput::PanToDeviceUnits(0.25f), 2500);
    EXPECT_EQ(CZanSoundOutput::PanToDeviceUnits(-0.33339f), -3333);  // toward zero
}

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
    EXPECT_EQ(none.SetPrimaryFormat(44100, 16), kSoundNotInitialized);
    EXPECT_FALSE(none.IsForwardPlaying(0));
    EXPECT_EQ(none.GetForwardPlayPosition(0), 0);
    EXPECT_NE(none.CreateDevice("no-such-device", false, false), kSoundOk);
    EXPECT_FALSE(none.HasDevice());
}

TEST_F(SoundOutputTest, NewBuffersAreSilentStoppedAndAtZero) {
    EXPECT_FALSE(output.IsForwardPlaying(0));
    EXPECT_FALSE(output.IsBackwardPlaying(0));
    EXPECT_EQ(output.GetForwardWritePosition(0), 0);
    EXPECT_EQ(output.GetBackwardWritePosition(0), 0);
    EXPECT_EQ(output.GetForwardPlayPosition(0), 0);
    std::vector<std::int16_t> all(kSoundBufferBytes / 2, 1);
    output.ForwardBuffer(0)->read(0, all.data(), static_cast<int>(all.size()));
    EXPECT_TRUE(std::all_of(all.begin(), all.end(), [](std::int16_t s) { return s == 0; }));
}

TEST_F(SoundOutputTest, WritePositionsWrapForwardAndRunBackward) {
    const auto first = chunk(1), last = chunk(2);
    for (int i = 0; i < 120; ++i) output.WriteForwardChunk(0, first.data());
    EXPECT_EQ(output.GetForwardWritePosition(0), 0);
    output.WriteForwardChunk(0, last.data());  // the 121st lands at offset 0
    std::vector<std::int16_t> got(5880);
    output.ForwardBuffer(0)->read(0, got.data(), 5880);
    EXPECT_EQ(got, last);
    EXPECT_EQ(output.GetForwardWritePosition(0), 11760);

    output.WriteBackwardChunk(0, first.data());
    EXPECT_EQ(output.GetBackwardWritePosition(0), 1399440);
    output.WriteBackwardChunk(0, last.data());
    output.BackwardBuffer(0)->read(1399440, got.data(), 5880);
    EXPECT_EQ(got, last);
}

TEST_F(SoundOutputTest, ChunksPlayUnchangedAtFullGainAndNotifyAtBoundaries) {
    std::vector<std::vector<std::int16_t>> chunks;
    for (unsigned i = 0; i < 3; ++i) chunks.push_back(chunk(10 + i));
    for (const auto& c : chunks) output.WriteForwardChunk(0, c.data());
    output.SetDeckGain(0, 1.0);
    playForwardNotifyEvent[0].reset();
    ASSERT_EQ(output.PlayForward(0), kSoundOk);  // the fade covers most of chunk 0
    EXPECT_EQ(output.PlayForward(0), kSoundWrongState);
    stepSoundDevice(*device, 2939);
    EXPECT_FALSE(playForwardNotifyEvent[0].isSet());
    stepSoundDevice(*device, 1);
    EXPECT_TRUE(playForwardNotifyEvent[0].isSet());
    const auto out = stepSoundDevice(*device, 2940);
    for (int n = 0; n < 2940; ++n) {
        ASSERT_EQ(out[4 * n], chunks[1][2 * n]) << n;
        ASSERT_EQ(out[4 * n + 1], chunks[1][2 * n + 1]) << n;
        ASSERT_EQ(out[4 * n + 2], 0);  // not split: nothing on the rear pair
    }
    EXPECT_EQ(output.GetForwardPlayPosition(0), 2 * 11760);
}

TEST_F(SoundOutputTest, GainAndPanSetBothBuffersAndShapeTheOutput) {
    std::vector<std::int16_t> loud(5880, 20000);
    output.WriteForwardChunk(0, loud.data());
    output.SetForwardPlayPosition(0, 0);
    EXPECT_EQ(output.SetDeckGain(0, 0.5), kSoundOk);
    EXPECT_EQ(output.SetDeckPan(0, 0.25f), kSoundOk);
    EXPECT_EQ(output.BackwardBuffer(0)->volume(), -2800);
    EXPECT_EQ(output.BackwardBuffer(0)->pan(), 2500);
    EXPECT_EQ(output.SetDeckGain(0, 1.5), kSoundInvalidParam);  // positive volume refused
    EXPECT_EQ(output.ForwardBuffer(0)->volume(), -2800);
    output.ForwardBuffer(0)->play();
    const auto out = stepSoundDevice(*device, 100);
    EXPECT_NEAR(out[4 * 50], 20000 * std::pow(10, -1.4) * std::pow(10, -1.25), 1);  // left, pan right
    EXPECT_NEAR(out[4 * 50 + 1], 20000 * std::pow(10, -1.4), 1);
    output.SetDeckPan(0, -1.0f);
    EXPECT_EQ(output.ForwardBuffer(0)->pan(), -10000);
    stepSoundDevice(*device, 256);
    EXPECT_EQ(stepSoundDevice(*device, 1)[1], 0);
}

TEST_F(SoundOutputTest, BackwardStartMirrorsTheForwardChunkAndStopRespectsState) {
    output.SetForwardPlayPosition(0, 35000);  // inside chunk 2, which starts at 23520
    ASSERT_EQ(output.StartBackwardFromForward(0), kSoundOk);
    EXPECT_EQ(output.GetBackwardPlayPosition(0), 1375920);
    EXPECT_TRUE(output.IsBackwardPlaying(0));
    output.BackwardBuffer(0)->stop();
    output.BackwardBuffer(0)->setPlayCursor(11760 * 5 + 100);
    ASSERT_EQ(output.ResumeForwardFromBackward(0), kSoundOk);
    EXPECT_EQ(output.GetForwardPlayPosition(0), 1399440 - 11760 * 5);

    EXPECT_EQ(output.StopDeck(0), kSoundOk);
    EXPECT_FALSE(output.IsForwardPlaying(0));
    EXPECT_EQ(output.StopDeck(0), kSoundWrongState);  // a fade out of a stopped buffer
    EXPECT_EQ(output.ResetDeckBuffers(0), kSoundOk);
    EXPECT_EQ(output.GetForwardPlayPosition(0), 0);
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
