#include "dsp/effect_echo.h"

#include <algorithm>
#include <cmath>

namespace quillmix {

void EchoEffect::prepare(double sampleRate) {
    sampleRate_ = sampleRate;
    const int longest = static_cast<int>(std::ceil(kMaxDelayMs * 0.001 * sampleRate)) + 4;
    for (auto& line : lines_) line.allocate(longest);
    glideCoefficient_ = 1.0 - std::exp(-1.0 / (0.05 * sampleRate));
    reset();
}

void EchoEffect::reset() noexcept {
    for (auto& line : lines_) line.clear();
    for (int ch = 0; ch < 2; ++ch) currentDelaySamples_[ch] = targetDelaySamples(ch);
}

void EchoEffect::setParameter(int index, float value) noexcept {
    if (index == 0) feedbackPercent_ = clampParameter(value, 0.0f, 100.0f);
    if (index == 1) delayMs_[0] = delayMs_[1] = clampParameter(value, 1.0f, kMaxDelayMs);
}

double EchoEffect::targetDelaySamples(int channel) const noexcept {
    // Whole samples, so that a settled echo is an exact copy of the input.
    return std::max(2.0, std::round(delayMs_[channel] * 0.001 * sampleRate_));
}

void EchoEffect::process(float* interleavedStereo, int frames) noexcept {
    const float feedback = 0.01f * feedbackPercent_;
    for (int ch = 0; ch < 2; ++ch) {
        const double target = targetDelaySamples(ch);
        double delay = currentDelaySamples_[ch];
        DelayLine& line = lines_[ch];
        for (int i = 0; i < frames; ++i) {
            if (delay != target) {
                delay += glideCoefficient_ * (target - delay);
                if (std::fabs(target - delay) < 1e-3) delay = target;
            }
            float& sample = interleavedStereo[2 * i + ch];
            // Settled on a whole delay, the plain tap gives the same sample for less work.
            const float delayed =
                delay == target ? line.tap(static_cast<int>(target)) : line.tapInterpolated(static_cast<float>(delay));
            line.push(flushTiny(sample + feedback * softLimit(delayed)));
            sample += wetLevel_ * delayed;
        }
        currentDelaySamples_[ch] = delay;
    }
}

}  // namespace quillmix
