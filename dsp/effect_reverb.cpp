#include "dsp/effect_reverb.h"

#include <algorithm>
#include <cmath>

namespace quillmix {

namespace {
// Lengths at 44.1 kHz, mutually prime so that the echoes do not pile up on a pattern.
constexpr int kLineLengths[ReverbEffect::kLineCount] = {1447, 1553, 1693, 1811, 1949, 2083, 2221, 2357};
constexpr int kDiffuserLengths[2][ReverbEffect::kDiffuserCount] = {{142, 107, 379, 277},
                                                                   {149, 113, 373, 283}};
constexpr float kDiffusion = 0.6f;
// Sets the tail's level against the dry signal: a bright one-second tail on steady noise
// comes out about as loud as the noise itself (-1 dB); shorter or darker tails are quieter
// (the default dark tail sits some 14 dB below white noise, less below bass-heavy music).
constexpr float kWetLevel = 0.35f;
// A one-pole low-pass above this pole would swallow the whole tail at the dark end.
constexpr float kMaxPole = 0.85f;

int scaledLength(int length44k, double sampleRate) {
    return std::max(1, static_cast<int>(std::lround(length44k * sampleRate / 44100.0)));
}
}  // namespace

void ReverbEffect::prepare(double sampleRate) {
    sampleRate_ = sampleRate;
    for (int ch = 0; ch < 2; ++ch) {
        for (int i = 0; i < kDiffuserCount; ++i) {
            Diffuser& d = diffusers_[ch][i];
            d.length = scaledLength(kDiffuserLengths[ch][i], sampleRate);
            d.line.allocate(d.length);
        }
    }
    for (int i = 0; i < kLineCount; ++i) {
        lines_[i].length = scaledLength(kLineLengths[i], sampleRate);
        lines_[i].line.allocate(lines_[i].length);
    }
    deriveLoopFilters();
    reset();
}

void ReverbEffect::reset() noexcept {
    for (auto& side : diffusers_)
        for (auto& d : side) d.line.clear();
    for (auto& l : lines_) {
        l.line.clear();
        l.state = 0.0f;
    }
}

void ReverbEffect::setParameter(int index, float value) noexcept {
    if (index == 0) reverbTimeMs_ = clampParameter(value, 0.001f, 3000.0f);
    if (index == 1) highFrequencyRatio_ = clampParameter(value, 0.001f, 0.999f);
    deriveLoopFilters();
}

void ReverbEffect::deriveLoopFilters() noexcept {
    if (sampleRate_ <= 0.0) return;
    const double timeSamples = 0.001 * reverbTimeMs_ * sampleRate_;
    for (auto& l : lines_) {
        // -60 dB after `timeSamples`: each pass through `length` samples loses its share.
        const double lowGain = std::pow(10.0, -3.0 * l.length / timeSamples);
        const double highGain = std::pow(lowGain, 1.0 / highFrequencyRatio_);
        const double sum = lowGain + highGain;
        const double pole = sum > 0.0 ? std::min((lowGain - highGain) / sum, double{kMaxPole}) : 0.0;
        l.pole = static_cast<float>(pole);
        l.inputGain = static_cast<float>(lowGain * (1.0 - pole));
    }
}

float ReverbEffect::diffuse(int channel, float input) noexcept {
    float signal = input;
    for (auto& d : diffusers_[channel]) {
        const float delayed = d.line.tap(d.length);
        const float written = flushTiny(signal + kDiffusion * delayed);
        d.line.push(written);
        signal = delayed - kDiffusion * written;
    }
    return signal;
}

void ReverbEffect::mixAndFeedBack(const std::array<float, kLineCount>& damped, float left,
                                  float right) noexcept {
    // In-place fast Walsh-Hadamard transform, scaled by 1/sqrt(8) to stay orthonormal.
    std::array<float, kLineCount> v = damped;
    for (int span = 1; span < kLineCount; span *= 2) {
        for (int i = 0; i < kLineCount; i += 2 * span) {
            for (int j = i; j < i + span; ++j) {
                const float a = v[j], b = v[j + span];
                v[j] = a + b;
                v[j + span] = a - b;
            }
        }
    }
    constexpr float kNorm = 0.35355339f;
    for (int i = 0; i < kLineCount; ++i) {
        const float feed = (i % 2 == 0) ? left : right;
        lines_[i].line.push(flushTiny(kNorm * v[i] + feed));
    }
}

void ReverbEffect::process(float* interleavedStereo, int frames) noexcept {
    for (int f = 0; f < frames; ++f) {
        float& left = interleavedStereo[2 * f];
        float& right = interleavedStereo[2 * f + 1];
        std::array<float, kLineCount> damped;
        float wetLeft = 0.0f, wetRight = 0.0f;
        for (int i = 0; i < kLineCount; ++i) {
            DampedLine& l = lines_[i];
            l.state = flushTiny(l.inputGain * l.line.tap(l.length) + l.pole * l.state);
            damped[i] = l.state;
            (i % 2 == 0 ? wetLeft : wetRight) += l.state;
        }
        mixAndFeedBack(damped, diffuse(0, left), diffuse(1, right));
        left += kWetLevel * wetLeft;
        right += kWetLevel * wetRight;
    }
}

}  // namespace quillmix
