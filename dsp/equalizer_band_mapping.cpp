#include "dsp/equalizer_band_mapping.h"

#include <algorithm>

namespace quillmix {

float bandGainFactorFromSlider(int position) noexcept {
    const int clamped = std::clamp(position, kBandSliderTop, kBandSliderBottom);
    return static_cast<float>(2000 - clamped) / 1000.0f;
}

float bandGainDbFromSlider(int position) noexcept {
    // Straight from the integer position, so each step is exactly 0.1 dB with no float
    // residue from the factor (1.15f - 1 is not exactly 0.15).
    const int clamped = std::clamp(position, kBandSliderTop, kBandSliderBottom);
    return static_cast<float>(kBandSliderMiddle - clamped) / 10.0f;
}

std::string bandCentreText(double centreHz) { return std::to_string(static_cast<int>(centreHz + 0.5)) + " Hz"; }

std::array<std::string, kEqualizerPanelBands> bandCentreTexts(
    int bandCount, const std::array<double, kEqualizerPanelBands>& centresHz) {
    std::array<std::string, kEqualizerPanelBands> texts;
    for (int b = 0; b < std::min(bandCount, kEqualizerPanelBands); ++b) texts[b] = bandCentreText(centresHz[b]);
    return texts;
}

}  // namespace quillmix
