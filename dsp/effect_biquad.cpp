#include "dsp/effect_biquad.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace quillmix {

namespace {
double safeFrequency(double sampleRate, double hz) { return std::clamp(hz, 1.0, 0.45 * sampleRate); }
}  // namespace

BiquadCoefficients designPeaking(double sampleRate, double centreHz, double bandwidthOctaves, double gainDb) {
    const double w0 = 2.0 * std::numbers::pi * safeFrequency(sampleRate, centreHz) / sampleRate;
    const double amplitude = std::pow(10.0, gainDb / 40.0);
    const double sinW0 = std::sin(w0);
    // Bandwidth pre-warped onto the digital frequency axis, so edges land where asked.
    const double alpha = sinW0 * std::sinh(std::numbers::ln2 / 2.0 * std::max(bandwidthOctaves, 1e-3) * w0 / sinW0);
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

void StereoBiquad::reset() noexcept { z1_[0] = z1_[1] = z2_[0] = z2_[1] = 0.0; }

void StereoBiquad::process(float* interleavedStereo, int frames) noexcept {
    for (int i = 0; i < frames; ++i) {
        interleavedStereo[2 * i] = processSample(0, interleavedStereo[2 * i]);
        interleavedStereo[2 * i + 1] = processSample(1, interleavedStereo[2 * i + 1]);
    }
}

bool StereoBiquad::stateWithin(double limit) const noexcept {
    for (int ch = 0; ch < 2; ++ch)
        if (!(std::fabs(z1_[ch]) <= limit && std::fabs(z2_[ch]) <= limit)) return false;
    return true;
}

void StereoBiquad::processCascade(StereoBiquad* const* filters, int count, float* interleavedStereo,
                                  int frames) noexcept {
    count = std::min(count, kMaxCascade);
    BiquadCoefficients c[kMaxCascade];
    double z1[kMaxCascade][2], z2[kMaxCascade][2];
    for (int b = 0; b < count; ++b) {
        c[b] = filters[b]->c_;
        for (int ch = 0; ch < 2; ++ch) {
            z1[b][ch] = filters[b]->z1_[ch];
            z2[b][ch] = filters[b]->z2_[ch];
        }
    }
    for (int i = 0; i < frames; ++i) {
        double x[2] = {interleavedStereo[2 * i], interleavedStereo[2 * i + 1]};
        for (int b = 0; b < count; ++b) {
            for (int ch = 0; ch < 2; ++ch) {
                const double y = c[b].b0 * x[ch] + z1[b][ch];
                z1[b][ch] = c[b].b1 * x[ch] - c[b].a1 * y + z2[b][ch];
                z2[b][ch] = c[b].b2 * x[ch] - c[b].a2 * y;
                // Each stage hands on a float, as a stage of its own would.
                x[ch] = static_cast<float>(y);
            }
        }
        interleavedStereo[2 * i] = static_cast<float>(x[0]);
        interleavedStereo[2 * i + 1] = static_cast<float>(x[1]);
    }
    for (int b = 0; b < count; ++b) {
        for (int ch = 0; ch < 2; ++ch) {
            filters[b]->z1_[ch] = z1[b][ch];
            filters[b]->z2_[ch] = z2[b][ch];
        }
    }
}

}  // namespace quillmix
