#pragma once
// The equaliser panel's arithmetic: band slider position -> gain factor -> decibels, and
// the band centre captions. Pure functions; any thread.
//
// A band slider runs from 850 (top) to 1150 (bottom), 1000 in the middle. Its factor is
// (2000 - position) / 1000, 1.15 at the top and 0.85 at the bottom; the equaliser band
// receives (factor - 1) x 100 dB, so one slider step is 0.1 dB and the travel is -15..+15.

#include <array>
#include <string>

namespace quillmix {

inline constexpr int kBandSliderTop = 850;
inline constexpr int kBandSliderMiddle = 1000;
inline constexpr int kBandSliderBottom = 1150;
inline constexpr int kEqualizerPanelBands = 5;

// Gain factor of a slider at `position` (clamped to the slider's travel).
float bandGainFactorFromSlider(int position) noexcept;

// Decibels the band receives for that slider position: -15..15.
float bandGainDbFromSlider(int position) noexcept;

// Caption of a band centre: the centre rounded to whole hertz, then " Hz" ("750 Hz").
std::string bandCentreText(double centreHz);

// The five captions of the panel: bands below `bandCount` show their centre, the rest
// are empty.
std::array<std::string, kEqualizerPanelBands> bandCentreTexts(
    int bandCount, const std::array<double, kEqualizerPanelBands>& centresHz);

}  // namespace quillmix
