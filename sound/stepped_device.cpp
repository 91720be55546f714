// The hand-stepped sound device: a test asks for N frames and gets them back. No clock and
// no thread of its own, so everything it plays is deterministic. Never offered to users.
#include "sound/sound_device.h"

namespace quillmix {

namespace {

bool steppedSupports(const SoundDeviceInfo& info, const SoundStreamConfig& config) {
    return config.channels <= info.maxOutputChannels && config.sampleRate > 0;
}

bool steppedOpen(SoundDevice& device, const SoundStreamConfig& config) {
    return steppedSupports(device.info(), config);
}

bool steppedClose(SoundDevice&) { return true; }

}  // namespace

const SoundDeviceOps kSteppedDeviceOps = {"stepped", false, steppedSupports, steppedOpen, steppedClose};

SoundDeviceInfo steppedDeviceInfo(const std::string& id, const std::string& description, int maxChannels) {
    return SoundDeviceInfo{id, description, maxChannels, &kSteppedDeviceOps};
}

std::vector<std::int16_t> stepSoundDevice(SoundDevice& device, int frames) {
    std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * device.channels());
    device.mixer().render(out.data(), frames);
    return out;
}

}  // namespace quillmix
