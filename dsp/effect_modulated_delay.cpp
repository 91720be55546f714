#include "dsp/effect_modulated_delay.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillmix {

namespace {
constexpr double kTwoPi = 2.0 * std::numbers::pi;
}

void ModulatedDelay::prepare(double sampleRate) {
    sampleRate_ = sampleRate;
    const double longestMs = kMinimumDelayMs + 2.0 * kMaxCentreDelayMs;
    const int longest = static_cast<int>(std::ceil(longestMs * 0.001 * sampleRate)) + 4;
    for (auto& line : lines_) line.allocate(longest);
    reset();
}

void ModulatedDelay::reset() noexcept {
    for (auto& line : lines_) line.clear();
    phase_ = 0.0;
}

void ModulatedDelay::setFeedbackPercent(float percent) noexcept {
    settings_.feedbackPercent = clampParameter(percent, -99.0f, 99.0f);
}

void ModulatedDelay::setFrequencyHz(float hz) noexcept { settings_.frequencyHz = clampParameter(hz, 0.0f, 10.0f); }

void ModulatedDelay::setDelayMs(float ms) noexcept { settings_.delayMs = clampParameter(ms, 0.0f, kMaxCentreDelayMs); }

float ModulatedDelay::sweptDelaySamples(double phase) const noexcept {
    const double ms = kMinimumDelayMs + settings_.delayMs * (1.0 + 0.01 * settings_.depthPercent * std::sin(phase));
    // The interpolated tap needs two samples of look-back on either side.
    return static_cast<float>(std::max(ms * 0.001 * sampleRate_, 2.0));
}

void ModulatedDelay::process(float* interleavedStereo, int frames) noexcept {
    const float mix = 0.01f * settings_.wetDryMixPercent;
    const float feedback = 0.01f * settings_.feedbackPercent;
    const double phaseStep = kTwoPi * settings_.frequencyHz / sampleRate_;
    const double rightOffset = settings_.phaseDegrees * std::numbers::pi / 180.0;
    for (int i = 0; i < frames; ++i) {
        const float delays[2] = {sweptDelaySamples(phase_), sweptDelaySamples(phase_ + rightOffset)};
        for (int ch = 0; ch < 2; ++ch) {
            float& sample = interleavedStereo[2 * i + ch];
            const float delayed = lines_[ch].tapInterpolated(delays[ch]);
            const float circulating = flushTiny(sample + feedback * softLimit(delayed));
            lines_[ch].push(circulating);
            sample = (1.0f - mix) * circulating + mix * delayed;
        }
        phase_ += phaseStep;
        if (phase_ >= kTwoPi) phase_ -= kTwoPi;
    }
}

void ChorusEffect::setParameter(int index, float value) noexcept {
    if (index == 0) setFeedbackPercent(value);
    if (index == 1) setFrequencyHz(value);
}

void FlangerEffect::setParameter(int index, float value) noexcept {
    if (index == 0) setFeedbackPercent(value);
    if (index == 1) setDelayMs(clampParameter(value, 0.0f, 4.0f));
}

}  // namespace quillmix
