// The sound system's device offer: identifiers, the recorder as the fallback, sharing, and
// quiet probing of the ALSA and JACK libraries.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <set>

#include "sound/sound_system.h"
#include "support/temp_dir.h"

using namespace quillmix;

TEST(SoundSystemTest, ProbingEveryDeviceSaysNothingOnStderrAndIdsAreUnique) {
    test::TempDir dir;
    const std::string captured = dir.file("stderr.txt").string();
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int file = ::open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(file, 0);
    dup2(file, STDERR_FILENO);
    ::close(file);
    std::vector<SoundDeviceInfo> devices;
    {
        SoundSystem system;
        devices = system.enumerate();
        for (const auto& d : devices) {
            system.canCreate(d.id);
            system.canOpenFourChannels(d.id);
        }
    }
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::ifstream in(captured);
    const std::string chatter((std::istreambuf_iterator<char>(in)), {});
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
