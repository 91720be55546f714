// A sound device that dies under the engine: the outputs on it close, the other output
// stays, and the user is told once, by the device's name.
#include <gtest/gtest.h>

#include "app/message_catalogue.h"
#include "engine/mixer_engine.h"
#include "support/sound_engine_fixture.h"

using namespace quillmix;
using namespace quillmix::test;

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
