// The sound system's device offer: identifiers, the recorder as the fallback, sharing, and
// quiet probing of the ALSA and JACK libraries.
#include <gtest/gtest.h>

#include <set>

#include "sound/sound_system.h"

using namespace quillmix;

TEST(SoundSystemTest, ProbingEveryDeviceSaysNothingOnStderrAndIdsAreUnique) {
    testing::internal::CaptureStderr();
    std::vector<SoundDeviceInfo> devices;
    {
        SoundSystem system;
        devices = system.enumerate();
        for (const auto& d : devices) {
            system.canCreate(d.id);
            system.canOpenFourChannels(d.id);
        }
    }
    const std::string chatter = testing::internal::GetCapturedStderr();
    EXPECT_EQ(chatter, "");
    ASSERT_FALSE(devices.empty());  // with no card at all, the recorder
    std::set<std::string> ids;
    for (const auto& d : devices) {
        EXPECT_FALSE(d.description.empty());
        EXPECT_TRUE(ids.insert(d.id).second) << d.id;
    }
}

TEST(SoundSystemTest, RecorderStandsInWhenNothingElseExistsAndDevicesAreShared) {
    SoundSystemOptions options;
    options.usePortAudio = false;
    SoundSystem system(options);
    auto devices = system.enumerate();
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].id, "recorder");

    system.addSteppedDevice("stepped:x", "X", 2);
    devices = system.enumerate();
    ASSERT_EQ(devices.size(), 1u);  // another device exists: no recorder offered
    EXPECT_EQ(devices[0].id, "stepped:x");
    EXPECT_TRUE(system.canCreate("stepped:x"));
    EXPECT_FALSE(system.canOpenFourChannels("stepped:x"));
    EXPECT_FALSE(system.canCreate("nothing"));
    EXPECT_EQ(system.open("nothing"), nullptr);
    auto a = system.open("stepped:x");
    EXPECT_EQ(system.open("stepped:x"), a);
    std::weak_ptr<SoundDevice> gone = a;
    a.reset();
    EXPECT_TRUE(gone.expired());  // closed with its last holder
    EXPECT_NE(system.findVolumeControls("X"), nullptr);
    EXPECT_EQ(system.findVolumeControls("Y"), nullptr);
}
