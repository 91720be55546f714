#include "dsp/effect_reverb.h"

#include <algorithm>
#include <cmath>

#include "dsp/flush_denormals.h"

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
    longestSpan_ = kMaxSpan;
    for (const auto& side : diffusers_)
        for (const Diffuser& d : side) longestSpan_ = std::min(longestSpan_, d.length);
    for (const DampedLine& l : lines_) longestSpan_ = std::min(longestSpan_, l.length);
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

// Four all-pass diffusers in series over one span of one channel, in place.
void ReverbEffect::diffuseSpan(int channel, float* signal, int frames) noexcept {
    float delayed[kMaxSpan], written[kMaxSpan];
    for (Diffuser& d : diffusers_[channel]) {
        d.line.readBlock(d.length, delayed, frames);
        for (int f = 0; f < frames; ++f) {
            written[f] = signal[f] + kDiffusion * delayed[f];
            signal[f] = delayed[f] - kDiffusion * written[f];
        }
        d.line.pushBlock(written, frames);
    }
}

namespace {
// In-place fast Walsh-Hadamard transform of eight values (unscaled).
inline void hadamard8(float* v) noexcept {
    for (int span = 1; span < ReverbEffect::kLineCount; span *= 2) {
        for (int i = 0; i < ReverbEffect::kLineCount; i += 2 * span) {
            for (int j = i; j < i + span; ++j) {
                const float a = v[j], b = v[j + span];
                v[j] = a + b;
                v[j + span] = a - b;
            }
        }
    }
}
}  // namespace

// One span of at most longestSpan_ frames: the line taps of the span were all written
// before it, so they are read up front and the feedback is written back at the end.
void ReverbEffect::processSpan(float* interleavedStereo, int frames) noexcept {
    float feed[2][kMaxSpan];
    for (int f = 0; f < frames; ++f) {
        feed[0][f] = interleavedStereo[2 * f];
        feed[1][f] = interleavedStereo[2 * f + 1];
    }
    diffuseSpan(0, feed[0], frames);
    diffuseSpan(1, feed[1], frames);

    float taps[kLineCount][kMaxSpan];
    float gain[kLineCount], pole[kLineCount], state[kLineCount];
    for (int i = 0; i < kLineCount; ++i) {
        lines_[i].line.readBlock(lines_[i].length, taps[i], frames);
        gain[i] = lines_[i].inputGain;
        pole[i] = lines_[i].pole;
        state[i] = lines_[i].state;
    }
    constexpr float kNorm = 0.35355339f;  // 1/sqrt(8): keeps the transform orthonormal
    for (int f = 0; f < frames; ++f) {
        float v[kLineCount];
        for (int i = 0; i < kLineCount; ++i) {
            state[i] = gain[i] * taps[i][f] + pole[i] * state[i];
            v[i] = state[i];
        }
        float wetLeft = 0.0f, wetRight = 0.0f;
        for (int i = 0; i < kLineCount; i += 2) {
            wetLeft += state[i];
            wetRight += state[i + 1];
        }
        hadamard8(v);
        // The taps of frame f are used up: the slot takes the line's new input.
        for (int i = 0; i < kLineCount; ++i) taps[i][f] = kNorm * v[i] + feed[i % 2][f];
        interleavedStereo[2 * f] += kWetLevel * wetLeft;
        interleavedStereo[2 * f + 1] += kWetLevel * wetRight;
    }
    for (int i = 0; i < kLineCount; ++i) {
        lines_[i].line.pushBlock(taps[i], frames);
        lines_[i].state = state[i];
    }
}

void ReverbEffect::process(float* interleavedStereo, int frames) noexcept {
    ScopedFlushDenormals flushDenormals;
    while (frames > 0) {
        const int span = std::min(frames, longestSpan_);
        processSpan(interleavedStereo, span);
        interleavedStereo += 2 * span;
        frames -= span;
    }
}

}  // namespace quillmix
