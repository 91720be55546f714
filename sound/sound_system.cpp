#include "sound/sound_system.h"

#include <cstdlib>

namespace quillmix {

SoundSystemOptions SoundSystemOptions::fromEnvironment() {
    SoundSystemOptions o;
    if (const char* device = std::getenv("QUILLMIX_AUDIO_DEVICE")) o.forceRecorder = std::string(device) == "recorder";
    if (const char* path = std::getenv("QUILLMIX_RECORD_WAV")) o.recordWavPath = path;
    if (const char* period = std::getenv("QUILLMIX_AUDIO_PERIOD")) {
        const int frames = std::atoi(period);
        if (frames >= 16 && frames <= 8192) o.periodFrames = frames;
    }
    return o;
}

SoundSystem::SoundSystem(SoundSystemOptions options) : options_(std::move(options)) {
    if (options_.usePortAudio && !options_.forceRecorder) portAudioReady_ = portAudioAcquire();
}

SoundSystem::~SoundSystem() {
    // Devices still held elsewhere keep their streams; PortAudio goes with the last user.
    if (portAudioReady_) portAudioRelease();
}

std::vector<SoundDeviceInfo> SoundSystem::enumerate() {
    listed_.clear();
    if (!options_.forceRecorder) {
        if (portAudioReady_) {
            portAudioRefresh();  // after a lost stream: a server that came back is seen
            portAudioEnumerate(listed_);
        }
        listed_.insert(listed_.end(), stepped_.begin(), stepped_.end());
    }
    if (listed_.empty()) listed_.push_back(recorderDeviceInfo());
    return listed_;
}

const SoundDeviceInfo* SoundSystem::find(const std::string& id) {
    for (const auto& info : listed_)
        if (info.id == id) return &info;
    for (const auto& info : stepped_)
        if (info.id == id) return &info;
    if (id == recorderDeviceInfo().id) {
        static const SoundDeviceInfo recorder = recorderDeviceInfo();
        return &recorder;
    }
    return nullptr;
}

std::shared_ptr<DeviceVolumes> SoundSystem::volumesFor(const std::string& id) {
    auto& volumes = volumes_[id];
    if (!volumes) volumes = std::make_shared<DeviceVolumes>();
    return volumes;
}

std::shared_ptr<SoundDevice> SoundSystem::open(const std::string& id) {
    if (auto it = openDevices_.find(id); it != openDevices_.end())
        if (auto device = it->second.lock(); device && !device->lost()) return device;
    const SoundDeviceInfo* info = find(id);
    if (!info && portAudioReady_) {  // not listed yet: look again
        enumerate();
        info = find(id);
    }
    if (!info) return nullptr;
    const std::string record = info->ops == &kRecorderDeviceOps ? options_.recordWavPath : std::string();
    auto device = SoundDevice::open(*info, options_.periodFrames, volumesFor(id), record, options_.sampleRate);
    if (!device) return nullptr;
    device->setLossNotice(lossNotice_);
    openDevices_[id] = device;
    return device;
}

bool SoundSystem::supports(const std::string& id, int channels) {
    if (auto it = openDevices_.find(id); it != openDevices_.end())
        if (auto device = it->second.lock()) return device->channels() >= channels;
    const SoundDeviceInfo* info = find(id);
    if (!info) return false;
    SoundStreamConfig config;
    config.channels = channels;
    return info->ops->supports(*info, config);
}

bool SoundSystem::canCreate(const std::string& id) { return supports(id, 2); }

bool SoundSystem::canOpenFourChannels(const std::string& id) { return supports(id, 4); }

std::shared_ptr<DeviceVolumes> SoundSystem::findVolumeControls(const std::string& description) {
    const SoundDeviceInfo* match = nullptr;
    for (const auto& info : listed_)
        if (info.description == description) match = &info;
    if (!match)
        for (const auto& info : stepped_)
            if (info.description == description) match = &info;
    return match ? volumesFor(match->id) : nullptr;
}

void SoundSystem::addSteppedDevice(const std::string& id, const std::string& description, int maxChannels) {
    stepped_.push_back(steppedDeviceInfo(id, description, maxChannels));
}

}  // namespace quillmix
