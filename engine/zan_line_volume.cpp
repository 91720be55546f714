#include "engine/zan_line_volume.h"

#include <algorithm>

namespace quillmix {

bool CZanLineVolume::Open(std::uint32_t componentType, const std::string& deviceName) {
    // A failed open must not leave the previous device's line in place: later volume
    // changes would reach the wrong device.
    volumes_.reset();
    controlId = -1;
    if (componentType != kSpeakersComponent && componentType != kWaveOutComponent) return false;
    auto volumes = system_.findVolumeControls(deviceName);
    if (!volumes) return false;
    volumes_ = std::move(volumes);
    line_ = componentType == kSpeakersComponent ? VolumeLine::speakers : VolumeLine::wave;
    minimum = 0;
    maximum = kLineLevelMax;
    controlId = static_cast<std::int32_t>(componentType);
    return true;
}

std::uint32_t CZanLineVolume::levelOf(int percent) const {
    // Clamped first: a negative percentage would wrap round to full volume in unsigned terms.
    const auto p = static_cast<std::uint32_t>(std::clamp(percent, 0, 100));
    return minimum + (maximum - minimum) * p / 100;
}

void CZanLineVolume::SetVolume(int percent) {
    if (!volumes_) return;
    const std::uint32_t level = levelOf(percent);
    volumes_->set(line_, level, level);
}

void CZanLineVolume::SetVolume(int leftPercent, int rightPercent) {
    if (!volumes_) return;
    volumes_->set(line_, levelOf(leftPercent), levelOf(rightPercent));
}

int CZanLineVolume::GetVolume() const {
    if (!volumes_ || maximum == minimum) return 100;
    const double value = volumes_->get(line_).first;
    return static_cast<int>((value - minimum) * 100.0 / (maximum - minimum) + 0.5);
}

int CZanLineVolume::GetLouderVolume() const {
    if (!volumes_ || maximum == minimum) return 100;
    const auto [left, right] = volumes_->get(line_);
    const double value = std::max<double>(left, right);
    return static_cast<int>((value - minimum) * 100.0 / (maximum - minimum) + 0.5);
}

}  // namespace quillmix
