#pragma once
// The sound devices of this machine: enumeration with stable identifiers, the capability
// tests, and opening, with one shared stream per device however many outputs use it.
//
// Which devices are offered:
//   - every PortAudio output device, unless the recorder is chosen;
//   - the built-in recorder when chosen (option, or QUILLMIX_AUDIO_DEVICE=recorder) or when
//     no other device exists; it writes to QUILLMIX_RECORD_WAV when that is set;
//   - hand-stepped devices that a test registered.
// Every function runs on the window thread.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sound/sound_device.h"

namespace quillmix {

struct SoundSystemOptions {
    int periodFrames = 256;  // frames per audio wake-up; 128 works as well
    bool usePortAudio = true;
    bool forceRecorder = false;  // offer only the recorder
    std::string recordWavPath;   // the recorder's file; empty: record nothing
    int sampleRate = 44100;      // the rate devices are opened at first

    // QUILLMIX_AUDIO_DEVICE=recorder, QUILLMIX_RECORD_WAV=<path>, QUILLMIX_AUDIO_PERIOD=<frames>.
    static SoundSystemOptions fromEnvironment();
};

class SoundSystem {
public:
    explicit SoundSystem(SoundSystemOptions options = {});
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    const SoundSystemOptions& options() const { return options_; }

    // A fresh list each call, in a stable order.
    std::vector<SoundDeviceInfo> enumerate();

    // The open device with this identifier, shared with every other holder, or a newly
    // opened one; null when it cannot be created.
    std::shared_ptr<SoundDevice> open(const std::string& id);

    // Whether a 16-bit, 44100 Hz stream of two (canCreate) or four channels could be opened.
    bool canCreate(const std::string& id);
    bool canOpenFourChannels(const std::string& id);

    // The software volume lines of the last listed device with this description; null when
    // no device has it. They outlive the device's streams.
    std::shared_ptr<DeviceVolumes> findVolumeControls(const std::string& description);

    // Where every device opened from now on reports its loss (see SoundDevice::markLost):
    // a message posted to a window, at most once per device. Lost devices are opened
    // afresh by open(), and after a loss enumerate() looks for devices that came back.
    void setLossNotice(const SoundDeviceLossNotice& notice) { lossNotice_ = notice; }

    // Tests: offers a hand-stepped device in every later enumeration.
    void addSteppedDevice(const std::string& id, const std::string& description, int maxChannels);

private:
    const SoundDeviceInfo* find(const std::string& id);
    bool supports(const std::string& id, int channels);
    std::shared_ptr<DeviceVolumes> volumesFor(const std::string& id);

    SoundSystemOptions options_;
    bool portAudioReady_ = false;
    std::vector<SoundDeviceInfo> stepped_;
    std::vector<SoundDeviceInfo> listed_;  // the last enumeration
    std::map<std::string, std::weak_ptr<SoundDevice>> openDevices_;
    std::map<std::string, std::shared_ptr<DeviceVolumes>> volumes_;
    SoundDeviceLossNotice lossNotice_;
};

}  // namespace quillmix
