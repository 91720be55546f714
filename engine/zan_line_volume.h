#pragma once
// One volume control of one line of an output device: the speakers line (master, with a
// left/right form for the balance) or the wave line. The controls are the device's own
// software volume, kept by the sound system per device, from 0 to 65535.
//
// Threads: window thread only.

#include <cstdint>
#include <memory>
#include <string>

#include "sound/sound_system.h"

namespace quillmix {

class CZanLineVolume {
public:
    static constexpr std::uint32_t kSpeakersComponent = 4;
    static constexpr std::uint32_t kWaveOutComponent = 0x1008;

    explicit CZanLineVolume(SoundSystem& system) : system_(system) {}

    // Finds the device whose description is `deviceName` (the last one listed, when several
    // are), and its line of that component type. False leaves the object unopened.
    bool Open(std::uint32_t componentType, const std::string& deviceName);
    bool IsOpen() const { return controlId != -1; }

    // Percentages 0 .. 100 (clamped); unopened, they do nothing.
    void SetVolume(int percent);
    void SetVolume(int leftPercent, int rightPercent);
    // Percent of the left (or only) channel, rounded; 100 while unopened.
    int GetVolume() const;
    // Percent of the louder channel, rounded; 100 while unopened. A balance set earlier
    // lowers one channel only, so this is the line's volume before the balance.
    int GetLouderVolume() const;

    std::uint32_t minimum = 0;
    std::uint32_t maximum = kLineLevelMax;
    std::int32_t controlId = -1;

private:
    std::uint32_t levelOf(int percent) const;

    SoundSystem& system_;
    std::shared_ptr<DeviceVolumes> volumes_;
    VolumeLine line_ = VolumeLine::wave;
};

}  // namespace quillmix
