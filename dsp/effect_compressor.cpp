#include "dsp/effect_compressor.h"

#include <algorithm>
#include <cmath>

namespace quillmix {

namespace {
// Per-sample pole of a one-pole smoother with time constant `ms`.
float poleFor(float ms, double sampleRate) { return static_cast<float>(std::exp(-1.0 / (0.001 * ms * sampleRate))); }
}  // namespace

void CompressorEffect::prepare(double sampleRate) {
    sampleRate_ = sampleRate;
    thresholdLinear_ = std::pow(10.0f, kThresholdDb / 20.0f);
    deriveCoefficients();
    reset();
}

void CompressorEffect::reset() noexcept {
    detectedPeak_ = 0.0f;
    reductionDb_ = 0.0f;
}

void CompressorEffect::setParameter(int index, float value) noexcept {
    if (index == 0) gainDb_ = clampParameter(value, -60.0f, 60.0f);
    if (index == 1) attackMs_ = clampParameter(value, 0.01f, 500.0f);
    deriveCoefficients();
}

void CompressorEffect::deriveCoefficients() noexcept {
    makeUpGain_ = std::pow(10.0f, gainDb_ / 20.0f);
    if (sampleRate_ <= 0.0) return;
    attackCoefficient_ = poleFor(attackMs_, sampleRate_);
    releaseCoefficient_ = poleFor(kReleaseMs, sampleRate_);
}

float CompressorEffect::targetReductionDb(float peak) const noexcept {
    if (peak <= thresholdLinear_) return 0.0f;
    const float overDb = 20.0f * std::log10(peak) - kThresholdDb;
    return overDb * (1.0f - 1.0f / kRatio);
}

void CompressorEffect::process(float* interleavedStereo, int frames) noexcept {
    float peak = detectedPeak_;
    float reduction = reductionDb_;
    for (int i = 0; i < frames; ++i) {
        float& left = interleavedStereo[2 * i];
        float& right = interleavedStereo[2 * i + 1];
        const float instant = std::max(std::fabs(left), std::fabs(right));
        peak = instant > peak ? instant : flushTiny(peak * releaseCoefficient_);
        const float target = targetReductionDb(peak);
        const float pole = target > reduction ? attackCoefficient_ : releaseCoefficient_;
        reduction = target + pole * (reduction - target);
        if (reduction < 1e-4f) reduction = 0.0f;
        const float gain = reduction == 0.0f ? makeUpGain_ : makeUpGain_ * std::pow(10.0f, -0.05f * reduction);
        left *= gain;
        right *= gain;
    }
    detectedPeak_ = peak;
    reductionDb_ = reduction;
}

}  // namespace quillmix
