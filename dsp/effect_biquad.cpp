#include "dsp/effect_biquad.h"

#include <algorithm>
#include <cmath>
#include <numbers>


namespace quillmix {

namespace {
double safeFrequency(double sampleRate, double hz) {
    return std::clamp(hz, 1.0, 0.45 * sampleRate);
}
}  // namespace

BiquadCoefficients designPeaking(double sampleRate, double centreHz, double bandwidthOctaves,
                                 double gainDb) {
    const double w0 = 2.0 * std::numbers::pi * safeFrequency(sampleRate, centreHz) / sampleRate;
    const double amplitude = std::pow(10.0, gainDb / 40.0);
    const double sinW0 = std::sin(w0);
    // Bandwidth pre-warped onto the digital frequency axis, so edges land where asked.
    const double alpha =
        sinW0 * std::sinh(std::numbers::ln2 / 2.0 * std::max(bandwidthOctaves, 1e-3) * w0 / sinW0);
    const double a0 = 1.0 + alpha / amplitude;
    BiquadCoefficients c;
    c.b0 = (1.0 + alpha * amplitude) / a0;
    c.b1 = -2.0 * std::cos(w0) / a0;
    c.b2 = (1.0 - alpha * amplitude) / a0;
    c.a1 = c.b1;
    c.a2 = (1.0 - alpha / amplitude) / a0;
    return c;
}

BiquadCoefficients designLowpass(double sampleRate, double cutoffHz, double q) {
    const double w0 = 2.0 * std::numbers::pi * safeFrequency(sampleRate, cutoffHz) / sampleRate;
    const double alpha = std::sin(w0) / (2.0 * q);
    const double cosW0 = std::cos(w0);
    const double a0 = 1.0 + alpha;
    BiquadCoefficients c;
    c.b0 = (1.0 - cosW0) / 2.0 / a0;
    c.b1 = (1.0 - cosW0) / a0;
    c.b2 = c.b0;
    c.a1 = -2.0 * cosW0 / a0;
    c.a2 = (1.0 - alpha) / a0;
    return c;
}

void StereoBiquad::reset() noexcept {
    z1_[0] = z1_[1] = z2_[0] = z2_[1] = 0.0;
}

void StereoBiquad::process(float* interleavedStereo, int frames) noexcept {
    for (int i = 0; i < frames; ++i) {
        interleavedStereo[2 * i] = processSample(0, interleavedStereo[2 * i]);
        interleavedStereo[2 * i + 1] = processSample(1, interleavedStereo[2 * i + 1]);
    }
}

}  // namespace quillmix
