#include "dsp/effect_distortion.h"

#include <cmath>

namespace quillmix {

void DistortionEffect::prepare(double sampleRate) {
    preLowpass_.setCoefficients(designLowpass(sampleRate, kPreLowpassHz, 0.7071));
    // Bandwidth given in Hz around the centre: edges at centre -+ half of it.
    const double octaves = std::log2((kPostPeakHz + 0.5 * kPostPeakBandwidthHz) /
                                     (kPostPeakHz - 0.5 * kPostPeakBandwidthHz));
    postPeak_.setCoefficients(designPeaking(sampleRate, kPostPeakHz, octaves, kPostPeakGainDb));
    reset();
}

void DistortionEffect::reset() noexcept {
    preLowpass_.reset();
    postPeak_.reset();
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
            const float shaped = std::tanh(drive * preLowpass_.processSample(ch, sample));
            sample = level * postPeak_.processSample(ch, shaped);
        }
    }
}

}  // namespace quillmix
