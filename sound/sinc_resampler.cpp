#include "sound/sinc_resampler.h"

#include <algorithm>
#include <cmath>
#include <vector>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

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

// The kernel for one step, tabulated by phase: row p holds the 2r tap weights for a
// position p / kPhases of a frame past a whole frame, each taken from the kernel table
// exactly as the direct loop takes it, so a row needs no table arithmetic per output.
// Rows p and p + 1 are adjacent, and a position between them interpolates the two rows,
// which at a cutoff of 1 is the very interpolation the direct loop does in the table.
struct PolyphaseKernel {
    static constexpr int kPhases = kTableResolution;
    int taps = 0;             // 2 x reach
    float gain = 0.0f;        // the cutoff
    std::vector<float> rows;  // (kPhases + 1) x taps
};

PolyphaseKernel makePolyphase(std::uint64_t step) {
    const std::vector<float>& table = kernelTable();
    const double cutoff = cutoffFor(step);
    const int r = SincResampler::reach(step);
    const double limit = SincResampler::kZeroCrossings * kTableResolution;
    PolyphaseKernel kernel;
    kernel.taps = 2 * r;
    kernel.gain = static_cast<float>(cutoff);
    kernel.rows.assign(static_cast<std::size_t>(PolyphaseKernel::kPhases + 1) * kernel.taps, 0.0f);
    for (int p = 0; p <= PolyphaseKernel::kPhases; ++p) {
        for (int tap = 0; tap < kernel.taps; ++tap) {
            const double distance = tap - r + 1 - static_cast<double>(p) / PolyphaseKernel::kPhases;
            const double a = std::fabs(distance * cutoff * kTableResolution);
            if (a >= limit) continue;
            const int i = static_cast<int>(a);
            const double f = a - i;
            kernel.rows[static_cast<std::size_t>(p) * kernel.taps + tap] =
                static_cast<float>(table[i] + f * (table[i + 1] - table[i]));
        }
    }
    return kernel;
}

// The fixed ratios a 44100 Hz source meets on a 48000 Hz device and back: every step up to
// 1 shares one kernel (the cutoff stays at the source's Nyquist frequency); the step from
// 48000 to 44100 has its own.
struct PolyphaseKernels {
    PolyphaseKernel upTo1 = makePolyphase(SincResampler::kOne);
    std::uint64_t downStep = SincResampler::stepFor(48000.0, 44100.0);
    PolyphaseKernel down = makePolyphase(downStep);
};

const PolyphaseKernels& polyphaseKernels() {
    static const PolyphaseKernels kernels;
    return kernels;
}

const PolyphaseKernel* polyphaseFor(std::uint64_t step) {
    const PolyphaseKernels& k = polyphaseKernels();
    if (step <= SincResampler::kOne) return &k.upTo1;
    return step == k.downStep ? &k.down : nullptr;
}

#if defined(__SSE__)
// One stereo output from `taps` input frames and two adjacent rows mixed by `f`: four taps
// (eight samples) per step, the weights paired up to meet left and right alike.
inline void polyphaseFrame(const float* frame, const float* row, int taps, float f, float gain, float* out) noexcept {
    const __m128 fv = _mm_set1_ps(f);
    __m128 sum = _mm_setzero_ps();
    int t = 0;
    for (; t + 4 <= taps; t += 4, frame += 8) {
        const __m128 a = _mm_loadu_ps(row + t), b = _mm_loadu_ps(row + taps + t);
        const __m128 k = _mm_add_ps(a, _mm_mul_ps(fv, _mm_sub_ps(b, a)));
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_loadu_ps(frame), _mm_unpacklo_ps(k, k)));
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_loadu_ps(frame + 4), _mm_unpackhi_ps(k, k)));
    }
    for (; t < taps; ++t, frame += 2) {  // taps is even: at most two left
        const float k = row[t] + f * (row[taps + t] - row[t]);
        sum = _mm_add_ps(sum, _mm_mul_ps(_mm_setr_ps(frame[0], frame[1], 0.0f, 0.0f), _mm_set1_ps(k)));
    }
    // Lanes hold left, right, left, right.
    const __m128 pair = _mm_add_ps(sum, _mm_movehl_ps(sum, sum));
    _mm_storel_pi(reinterpret_cast<__m64*>(out), _mm_mul_ps(pair, _mm_set1_ps(gain)));
}
#else
inline void polyphaseFrame(const float* frame, const float* row, int taps, float f, float gain, float* out) noexcept {
    float left = 0.0f, right = 0.0f;
    for (int t = 0; t < taps; ++t, frame += 2) {
        const float k = row[t] + f * (row[taps + t] - row[t]);
        left += frame[0] * k;
        right += frame[1] * k;
    }
    out[0] = left * gain;
    out[1] = right * gain;
}
#endif

void processPolyphase(const PolyphaseKernel& kernel, const float* input, std::uint64_t fraction, std::uint64_t step,
                      int frames, float* out) noexcept {
    constexpr int kFractionBits = 32 - 10;  // below the phase's 10 bits
    static_assert(PolyphaseKernel::kPhases == 1 << 10);
    constexpr float kFractionScale = 1.0f / (1 << kFractionBits);
    std::uint64_t position = fraction;
    for (int n = 0; n < frames; ++n, position += step) {
        const auto inFrame = static_cast<std::uint32_t>(position);
        const float* row = kernel.rows.data() + static_cast<std::size_t>(inFrame >> kFractionBits) * kernel.taps;
        const float f = static_cast<float>(inFrame & ((1u << kFractionBits) - 1)) * kFractionScale;
        polyphaseFrame(input + 2 * static_cast<std::int64_t>(position >> 32), row, kernel.taps, f, kernel.gain,
                       out + 2 * n);
    }
}

}  // namespace

void SincResampler::warmUp() {
    (void)kernelTable();
    (void)polyphaseKernels();
}

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
    if (const PolyphaseKernel* kernel = polyphaseFor(step)) {
        processPolyphase(*kernel, input, fraction, step, frames, out);
        return;
    }
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
