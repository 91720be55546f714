#include "sound/sound_device.h"

#include "platform/realtime_guard.h"
#include "sound/sinc_resampler.h"

namespace quillmix {

SoundDevice::SoundDevice(Key, SoundDeviceInfo info) : info_(std::move(info)) {}

std::shared_ptr<SoundDevice> SoundDevice::open(const SoundDeviceInfo& info, int periodFrames,
                                               std::shared_ptr<DeviceVolumes> volumes, const std::string& recordWavPath,
                                               int sampleRate) {
    if (!info.ops) return nullptr;
    SincResampler::warmUp();  // builds the kernel table here, not on the audio thread
    auto device = std::make_shared<SoundDevice>(Key{}, info);
    device->self_ = device;
    SoundStreamConfig config;
    config.periodFrames = periodFrames > 0 ? periodFrames : 256;
    config.recordWavPath = recordWavPath;
    const int otherRate = sampleRate == 44100 ? 48000 : 44100;
    for (int rate : {sampleRate, otherRate}) {
        config.sampleRate = rate;
        for (int channels : {4, 2}) {
            config.channels = channels;
            if (device->tryOpen(config, volumes)) return device;
        }
    }
    return nullptr;
}

bool SoundDevice::tryOpen(const SoundStreamConfig& config, std::shared_ptr<DeviceVolumes> volumes) {
    config_ = config;
    // The mixer's blocks follow the period; a back-end may still ask for other counts.
    mixer_ = std::make_unique<SoundMixer>(config.sampleRate, config.channels, config.periodFrames, std::move(volumes));
    streamOpen_ = info_.ops->open(*this, config);
    if (!streamOpen_) mixer_.reset();
    return streamOpen_;
}

SoundDevice::~SoundDevice() {
    if (!streamOpen_) return;
    // The back-end promises no render runs any more; reading the mixer's epoch also orders
    // the last render before the mixer is freed for threads the library started itself.
    // A stream that could not be confirmed closed, or a render that never finished, keeps
    // the mixer (and any buffer parked with it) allocated for good: the audio thread may
    // still come back to it.
    if (!info_.ops->close(*this) || !mixer_->waitUntilQuiescent()) (void)mixer_.release();
}

void SoundDevice::markLost() {
    if (!mixer_) return;
    mixer_->markLost();
    if (lossReported_.exchange(true)) return;
    if (lossNotice_.window) postMessage(lossNotice_.window, lossNotice_.message);
}

std::unique_ptr<SoundBuffer> SoundDevice::createBuffer(const SoundBufferDesc& desc) {
    realtimeNotAllowed(__func__);  // allocates
    if (desc.frequency < kFrequencyMin || desc.frequency > kFrequencyMax) return nullptr;
    if (desc.channelMask != kFrontPair && desc.channelMask != kRearPair) return nullptr;
    auto self = self_.lock();
    if (!self) return nullptr;
    auto buffer = std::make_unique<SoundBuffer>(self, desc);
    if (!mixer_->attach(buffer.get())) return nullptr;
    return buffer;
}

}  // namespace quillmix
