#pragma once
// A sound system with hand-stepped devices only, for the engine tests.
#include <memory>

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

}  // namespace quillmix::test
