#include "sound/sinc_resampler.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillmix {

namespace {

constexpr int kTableResolution = 1024;  // table entries per zero crossing
constexpr double kKaiserBeta = 10.0;    // side lobes near -100 dB

double besselI0(double x) {
    double sum = 1.0, term = 1.0;
    for (int k = 1; k < 50; ++k) {
        term *= (x / (2.0 * k)) * (x / (2.0 * k));
        sum += term;
        if (term < sum * 1e-17) break;
    }
    return sum;
}

// kernel[i] = sinc(x) * kaiser(x) at x = i / kTableResolution, for x from 0 to kZeroCrossings,
// with two guard entries so that interpolating at the last point reads zeros.
const std::vector<float>& kernelTable() {
    static const std::vector<float> table = [] {
        const int size = SincResampler::kZeroCrossings * kTableResolution + 2;
        std::vector<float> t(size, 0.0f);
        const double norm = besselI0(kKaiserBeta);
        for (int i = 0; i <= SincResampler::kZeroCrossings * kTableResolution; ++i) {
            if (i % kTableResolution == 0) {
                t[i] = i == 0 ? 1.0f : 0.0f;  // exact zeros where the sinc crosses
                continue;
            }
            const double x = static_cast<double>(i) / kTableResolution;
            const double r = x / SincResampler::kZeroCrossings;
            const double window = besselI0(kKaiserBeta * std::sqrt(std::max(0.0, 1.0 - r * r))) / norm;
            t[i] = static_cast<float>(std::sin(M_PI * x) / (M_PI * x) * window);
        }
        return t;
    }();
    return table;
}

// Kernel cutoff relative to the source's Nyquist frequency.
double cutoffFor(std::uint64_t step) {
    const double s = static_cast<double>(step) / SincResampler::kOne;
    return s > 1.0 ? 1.0 / s : 1.0;
}

}  // namespace

void SincResampler::warmUp() { (void)kernelTable(); }

std::uint64_t SincResampler::stepFor(double sourceRate, double deviceRate) {
    double s = sourceRate / deviceRate;
    s = std::clamp(s, 1.0 / 1024.0, kMaxStep);
    return static_cast<std::uint64_t>(std::llround(s * static_cast<double>(kOne)));
}

int SincResampler::reach(std::uint64_t step) {
    return static_cast<int>(std::ceil(kZeroCrossings / cutoffFor(step))) + 1;
}

int SincResampler::inputFramesFor(std::uint64_t fraction, std::uint64_t step, int frames) {
    const std::uint64_t lastWhole = (fraction + step * static_cast<std::uint64_t>(frames - 1)) >> 32;
    return static_cast<int>(lastWhole) + 2 * reach(step);
}

void SincResampler::process(const float* input, std::uint64_t fraction, std::uint64_t step, int frames,
                            float* out) noexcept {
    const float* table = kernelTable().data();
    const double cutoff = cutoffFor(step);
    const int r = reach(step);
    const float limit = static_cast<float>(kZeroCrossings * kTableResolution);
    const float tableStep = static_cast<float>(cutoff * kTableResolution);
    const float gain = static_cast<float>(cutoff);
    std::uint64_t position = fraction;
    for (int n = 0; n < frames; ++n, position += step) {
        const std::int64_t whole = static_cast<std::int64_t>(position >> 32);
        const double frac = static_cast<double>(position & (kOne - 1)) / static_cast<double>(kOne);
        // Tap j (from -r+1 to r) reads input frame whole + r - 1 + j at kernel distance
        // (j - frac); the first tap is input frame `whole`.
        const float* frame = input + 2 * whole;
        float t = static_cast<float>((-r + 1 - frac) * cutoff * kTableResolution);
        float left = 0.0f, right = 0.0f;
        for (int j = -r + 1; j <= r; ++j, frame += 2, t += tableStep) {
            const float a = std::fabs(t);
            if (a >= limit) continue;
            const int i = static_cast<int>(a);
            const float f = a - static_cast<float>(i);
            const float k = table[i] + f * (table[i + 1] - table[i]);
            left += frame[0] * k;
            right += frame[1] * k;
        }
        out[2 * n] = left * gain;
        out[2 * n + 1] = right * gain;
    }
}

}  // namespace quillmix
