#include "dsp/effect_distortion.h"

#include <cmath>
#include <numbers>

namespace quillmix {

namespace {
// log(cosh(x)), the antiderivative of tanh, without overflow for large |x|.
double logCosh(double x) {
    const double magnitude = std::fabs(x);
    return magnitude + std::log1p(std::exp(-2.0 * magnitude)) - std::numbers::ln2;
}
}  // namespace

void DistortionEffect::prepare(double sampleRate) {
    preLowpass_.setCoefficients(designLowpass(sampleRate, kPreLowpassHz, 0.7071));
    // Bandwidth given in Hz around the centre: edges at centre -+ half of it.
    const double octaves =
        std::log2((kPostPeakHz + 0.5 * kPostPeakBandwidthHz) / (kPostPeakHz - 0.5 * kPostPeakBandwidthHz));
    postPeak_.setCoefficients(designPeaking(sampleRate, kPostPeakHz, octaves, kPostPeakGainDb));
    reset();
}

void DistortionEffect::reset() noexcept {
    preLowpass_.reset();
    postPeak_.reset();
    for (int ch = 0; ch < 2; ++ch) {
        previousDriven_[ch] = 0.0;
        previousAntiderivative_[ch] = logCosh(0.0);
    }
}

float DistortionEffect::shape(int channel, float driven) noexcept {
    const double x = driven;
    const double antiderivative = logCosh(x);
    const double step = x - previousDriven_[channel];
    // Nearly equal neighbours: the difference quotient would lose its digits, and the
    // curve at the midpoint is the same value to within rounding.
    const double shaped = std::fabs(step) < 1e-6 ? std::tanh(0.5 * (x + previousDriven_[channel]))
                                                 : (antiderivative - previousAntiderivative_[channel]) / step;
    previousDriven_[channel] = x;
    previousAntiderivative_[channel] = antiderivative;
    return static_cast<float>(shaped);
}

void DistortionEffect::setParameter(int index, float value) noexcept {
    if (index == 0) gainDb_ = clampParameter(value, -60.0f, 0.0f);
    if (index == 1) edgePercent_ = clampParameter(value, 0.0f, 100.0f);
}

void DistortionEffect::process(float* interleavedStereo, int frames) noexcept {
    const float drive = std::pow(10.0f, kDriveDbPerEdgePercent * edgePercent_ / 20.0f);
    const float level = std::pow(10.0f, gainDb_ / 20.0f);
    for (int i = 0; i < frames; ++i) {
        for (int ch = 0; ch < 2; ++ch) {
            float& sample = interleavedStereo[2 * i + ch];
            const float shaped = shape(ch, drive * preLowpass_.processSample(ch, sample));
            sample = level * postPeak_.processSample(ch, shaped);
        }
    }
}

}  // namespace quillmix
