// CZanMixOutput, CZanLineVolume and the mix state: curve tables, fader, balance, device
// names and the volume lines, checked on hand-stepped devices; and the engine's answer to a
// device that dies under it.
#include <gtest/gtest.h>

#include <cmath>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "engine/mixer_engine.h"
#include "engine/zan_mix_state.h"
#include "support/sound_engine_fixture.h"

using namespace quillmix;
using namespace quillmix::test;

TEST(MixOutputTest, CurveTablesFollowTheShape) {
    auto system = soundSteppedSystem();
    CZanMixOutput out(*system);
    out.SetCurve(1.0);  // sharp: full level from the middle on, silent only at the far end
    EXPECT_EQ(out.GetCurveValue(1, 0), 0.0);
    EXPECT_EQ(out.GetCurveValue(1, 49), 1.0);
    EXPECT_EQ(out.GetCurveValue(0, 98), 0.0);
    EXPECT_EQ(out.GetCurveValue(0, 99), 0.0);  // outside the table
    out.SetCurve(-1.0);                        // the other end: above the straight line everywhere between the ends
    for (int i = 1; i < 98; ++i) EXPECT_GT(out.GetCurveValue(1, i), i / 99.0) << i;
    const double before = out.GetCurveValue(0, 30);
    out.SetCurve(std::nan(""));  // leaves the tables as they were
    EXPECT_EQ(out.GetCurveValue(0, 30), before);
}

TEST(MixOutputTest, CrossFaderIndexesTheCurveAndSetsDeckVolumes) {
    EXPECT_EQ(CZanMixOutput::FaderIndex(-1.0), 0);
    EXPECT_EQ(CZanMixOutput::FaderIndex(0.0), 49);
    EXPECT_EQ(CZanMixOutput::FaderIndex(1.0), 98);
    createSharedEvents();
    auto system = soundSteppedSystem();
    CZanMixOutput out(*system);
    out.OpenDevice("stepped:stereo", "Stereo Card (Can't Split)");
    for (int deck = 0; deck < 2; ++deck) out.CreateDeckBuffers(deck, 44100, true, true);
    out.SetCurve(0.0);
    out.ApplyCrossFader(1.0, {1.0, 1.0});
    EXPECT_EQ(out.output->ForwardBuffer(1)->volume(), -57);  // trunc(5600 x 98/99) - 5600
    EXPECT_EQ(out.output->BackwardBuffer(1)->volume(), -57);
    EXPECT_EQ(out.output->ForwardBuffer(0)->volume(), -10000);
    EXPECT_DOUBLE_EQ(out.appliedCurveGain[1], 98 / 99.0);
    out.SetCurve(1.0);
    out.ApplyCrossFader(0.0, {0.0, 0.5});
    EXPECT_EQ(out.output->ForwardBuffer(0)->volume(), -10000);  // level 0: silent whatever the curve
    EXPECT_EQ(out.output->ForwardBuffer(1)->volume(), -2800);
}

TEST(MixOutputTest, OpenDeviceChoosesThePairFromTheNameAndStripsTheSuffix) {
    EXPECT_EQ(CZanMixOutput::StripDeviceSuffix("Quad Card (Can't Split)"), "Quad Card");
    EXPECT_EQ(CZanMixOutput::StripDeviceSuffix("Quad Card (Front) (Rear)"), "Quad Card (Front)");
    EXPECT_EQ(CZanMixOutput::StripDeviceSuffix("Quad Card"), "Quad Card");
    auto system = soundSteppedSystem();
    system->addSteppedDevice("stepped:word", "Word", 4);
    system->enumerate();
    CZanMixOutput out(*system);
    out.OpenDevice("stepped:word", "Word (Rear)");
    ASSERT_TRUE(out.IsOpen());
    EXPECT_TRUE(out.output->split);
    EXPECT_TRUE(out.output->rear);
    EXPECT_EQ(out.deviceName, "Word");
    EXPECT_TRUE(out.waveLine.IsOpen());
    out.OpenDevice("stepped:word", "Word (Front)");
    EXPECT_TRUE(out.output->split);
    EXPECT_FALSE(out.output->rear);
    out.OpenDevice("", "Word");  // no identifier: nothing happens
    EXPECT_TRUE(out.IsOpen());
    out.Close();
    EXPECT_FALSE(out.IsOpen());
    EXPECT_EQ(out.GetWaveVolume(), 0.0);
    EXPECT_FALSE(out.IsForwardPlaying(0));
    out.OpenDevice("stepped:missing", "Missing");  // open, but without a device
    EXPECT_TRUE(out.IsOpen());
    EXPECT_FALSE(out.output->HasDevice());
    EXPECT_FALSE(out.waveLine.IsOpen());
}

TEST(LineVolumeTest, PercentagesMapOntoTheLineBounds) {
    auto system = soundSteppedSystem();
    CZanLineVolume unopened(*system);
    EXPECT_EQ(unopened.GetVolume(), 100);
    unopened.SetVolume(10);  // quietly nothing
    EXPECT_FALSE(unopened.Open(CZanLineVolume::kWaveOutComponent, "Nobody's Card"));

    CZanLineVolume wave(*system), speakers(*system);
    ASSERT_TRUE(wave.Open(CZanLineVolume::kWaveOutComponent, "Quad Card"));
    ASSERT_TRUE(speakers.Open(CZanLineVolume::kSpeakersComponent, "Quad Card"));
    auto volumes = system->findVolumeControls("Quad Card");
    wave.SetVolume(50);
    EXPECT_EQ(volumes->get(VolumeLine::wave).first, 32767u);
    EXPECT_EQ(wave.GetVolume(), 50);
    wave.SetVolume(100);
    EXPECT_EQ(volumes->get(VolumeLine::wave).second, 65535u);
    speakers.SetVolume(80, 40);
    EXPECT_EQ(volumes->get(VolumeLine::speakers), std::make_pair(52428u, 26214u));
    speakers.SetVolume(-5);  // clamped, not wrapped round to full
    EXPECT_EQ(volumes->get(VolumeLine::speakers).first, 0u);
}

// The balance works from the device's speaker volume (its louder side) until the volume is
// changed: the near side takes the volume, the far side its share.
TEST(MixOutputTest, BalanceScalesTheFarSideOfTheSpeakersLine) {
    auto system = soundSteppedSystem();
    auto volumes = system->findVolumeControls("Quad Card");
    volumes->set(VolumeLine::speakers, 32767, 52428);  // 50 / 80 before the program starts
    CZanMixOutput out(*system);
    out.SetBalance(-0.5);  // closed: nothing
    EXPECT_EQ(out.balance, 0.0);
    out.OpenDevice("stepped:quad", "Quad Card (Can Split)");
    out.SetBalance(0.0);
    EXPECT_EQ(volumes->get(VolumeLine::speakers), std::make_pair(52428u, 52428u));
    out.SetBalance(-0.5);
    EXPECT_EQ(volumes->get(VolumeLine::speakers), std::make_pair(52428u, 26214u));  // 80 / 40
    out.SetBalance(1.0);
    EXPECT_EQ(volumes->get(VolumeLine::speakers), std::make_pair(0u, 52428u));  // 0 / 80
    out.SetBalance(-0.5);
    out.SetSpeakerVolume(0.6);
    EXPECT_EQ(volumes->get(VolumeLine::speakers), std::make_pair(39321u, 19660u));  // 60 / 30
}

TEST(MixStateTest, OpensOutputsTakesVolumesAndMonitorVolumeReachesItsDevice) {
    createSharedEvents();
    auto system = soundSteppedSystem();
    system->findVolumeControls("Stereo Card")->set(VolumeLine::wave, 45874, 45874);  // 70 %
    CZanMixState mix(*system);
    EXPECT_TRUE(
        mix.OpenOutputDevices("stepped:quad", "Quad Card (Can Split)", "stepped:stereo", "Stereo Card (Can't Split)"));
    EXPECT_DOUBLE_EQ(mix.monitorVolume.value, 0.7);
    EXPECT_DOUBLE_EQ(mix.mainVolume.value, 1.0);
    EXPECT_TRUE(mix.monitorVolume.enabled);
    mix.SetMonitorVolume(0.3);  // reaches the monitor device's wave line, not the main one
    EXPECT_DOUBLE_EQ(mix.monitorOutput.GetWaveVolume(), 0.3);
    EXPECT_DOUBLE_EQ(mix.mainOutput.GetWaveVolume(), 1.0);
    mix.SetMainVolume(1.7);  // clamped to 1
    EXPECT_DOUBLE_EQ(mix.mainVolume.value, 1.0);

    // One device split in halves: the monitor volume is disabled and stays off the device.
    mix.OpenOutputDevices("stepped:quad", "Quad Card (Front)", "stepped:quad", "Quad Card (Rear)");
    EXPECT_FALSE(mix.monitorVolume.enabled);
    mix.SetMonitorVolume(0.2);
    EXPECT_DOUBLE_EQ(mix.mainOutput.GetWaveVolume(), 1.0);
    EXPECT_EQ(mix.mainOutput.output->Device(), mix.monitorOutput.output->Device());

    EXPECT_FALSE(mix.OpenOutputDevices("", "", "", ""));
    EXPECT_FALSE(mix.mainOutput.IsOpen());
}

// The outputs on a lost device close, the other output stays, and the user is told once,
// by the device's name.
TEST(DeviceLossTest, OutputsOnALostDeviceCloseAndOneNoticeNamesIt) {
    auto system = soundSteppedSystem();
    MixerEngine engine(MixerServices{*system});
    std::vector<std::string> notices;
    engine.deviceLostNotice = [&](const std::string& text) { notices.push_back(text); };
    engine.OpenOutputs("stepped:stereo", "Stereo Card", "stepped:quad", "Quad Card");
    ASSERT_TRUE(engine.mix().mainOutput.IsOpen() && engine.mix().monitorOutput.IsOpen());

    MessageResult result = 0;
    engine.handleMessage(UWM_SOUND_DEVICE_LOST, 0, 0, result);  // nothing lost: nothing happens
    EXPECT_TRUE(engine.mix().mainOutput.IsOpen());
    EXPECT_TRUE(notices.empty());

    engine.mix().mainOutput.output->Device()->markLost();
    engine.handleMessage(UWM_SOUND_DEVICE_LOST, 0, 0, result);
    engine.handleMessage(UWM_SOUND_DEVICE_LOST, 0, 0, result);  // a second notice of the same loss
    EXPECT_FALSE(engine.mix().mainOutput.IsOpen());
    EXPECT_TRUE(engine.mix().monitorOutput.IsOpen());
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], "The sound device \"Stereo Card\" is no longer available.");

    // Chosen again, the device opens afresh.
    engine.OpenOutputs("stepped:stereo", "Stereo Card", "stepped:quad", "Quad Card");
    ASSERT_TRUE(engine.mix().mainOutput.IsOpen());
    EXPECT_FALSE(engine.mix().mainOutput.output->Device()->lost());
}
