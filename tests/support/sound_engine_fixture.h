#pragma once
// Sound systems without sound cards for the tests: hand-stepped devices, or the recorder.
#include <memory>
#include <string>

#include "sound/sound_system.h"

namespace quillmix::test {

inline std::unique_ptr<SoundSystem> soundSteppedSystem() {
    SoundSystemOptions options;
    options.usePortAudio = false;
    auto system = std::make_unique<SoundSystem>(options);
    system->addSteppedDevice("stepped:quad", "Quad Card", 4);
    system->addSteppedDevice("stepped:stereo", "Stereo Card", 2);
    system->enumerate();
    return system;
}

// The recorder alone (a device on its own real-time clock), writing `wavPath` if given.
inline std::unique_ptr<SoundSystem> soundRecorderSystem(const std::string& wavPath = {}, int periodFrames = 256) {
    SoundSystemOptions options;
    options.usePortAudio = false;
    options.forceRecorder = true;
    options.recordWavPath = wavPath;
    options.periodFrames = periodFrames;
    auto system = std::make_unique<SoundSystem>(options);
    system->enumerate();
    return system;
}

}  // namespace quillmix::test
