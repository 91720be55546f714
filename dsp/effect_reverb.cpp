#include "dsp/effect_reverb.h"

#include <algorithm>
#include <cmath>

#include "dsp/flush_denormals.h"

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace quillmix {

namespace {
// Lengths at 44.1 kHz, mutually prime so that the echoes do not pile up on a pattern.
constexpr int kLineLengths[ReverbEffect::kLineCount] = {1447, 1553, 1693, 1811, 1949, 2083, 2221, 2357};
constexpr int kDiffuserLengths[2][ReverbEffect::kDiffuserCount] = {{142, 107, 379, 277}, {149, 113, 373, 283}};
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

constexpr float kNorm = 0.35355339f;  // 1/sqrt(8): keeps the transform orthonormal

#if defined(__SSE__)
// hadamard8 on lines 0-3 (a) and 4-7 (b): the same sums and differences, each pair formed
// as a lane plus its partner with the sign flipped where the scalar form subtracts.
inline void hadamard8(__m128& a, __m128& b) noexcept {
    const __m128 odd = _mm_setr_ps(0.0f, -0.0f, 0.0f, -0.0f), high = _mm_setr_ps(0.0f, 0.0f, -0.0f, -0.0f);
    a = _mm_add_ps(_mm_xor_ps(a, odd), _mm_shuffle_ps(a, a, _MM_SHUFFLE(2, 3, 0, 1)));
    b = _mm_add_ps(_mm_xor_ps(b, odd), _mm_shuffle_ps(b, b, _MM_SHUFFLE(2, 3, 0, 1)));
    a = _mm_add_ps(_mm_xor_ps(a, high), _mm_shuffle_ps(a, a, _MM_SHUFFLE(1, 0, 3, 2)));
    b = _mm_add_ps(_mm_xor_ps(b, high), _mm_shuffle_ps(b, b, _MM_SHUFFLE(1, 0, 3, 2)));
    const __m128 sum = _mm_add_ps(a, b);
    b = _mm_sub_ps(a, b);
    a = sum;
}
#endif
}  // namespace

// Per frame: the damped line outputs (one-pole low-passes of the taps), their even and
// odd sums into the output, and the mixed feedback with the diffused input back into
// `taps` (whose slot for the frame is used up by then).
void ReverbEffect::runLines(float (*taps)[kMaxSpan], const float (*feed)[kMaxSpan], float* out, int frames,
                            const float* gain, const float* pole, float* state) noexcept {
#if defined(__SSE__)
    const __m128 g0 = _mm_loadu_ps(gain), g1 = _mm_loadu_ps(gain + 4);
    const __m128 p0 = _mm_loadu_ps(pole), p1 = _mm_loadu_ps(pole + 4);
    const __m128 norm = _mm_set1_ps(kNorm), wet = _mm_set1_ps(kWetLevel);
    __m128 s0 = _mm_loadu_ps(state), s1 = _mm_loadu_ps(state + 4);
    for (int f = 0; f < frames; ++f) {
        const __m128 t0 = _mm_setr_ps(taps[0][f], taps[1][f], taps[2][f], taps[3][f]);
        const __m128 t1 = _mm_setr_ps(taps[4][f], taps[5][f], taps[6][f], taps[7][f]);
        s0 = _mm_add_ps(_mm_mul_ps(g0, t0), _mm_mul_ps(p0, s0));
        s1 = _mm_add_ps(_mm_mul_ps(g1, t1), _mm_mul_ps(p1, s1));
        const __m128 even = _mm_add_ps(s0, s1);  // lanes: left, right, left, right
        const __m128 pair = _mm_add_ps(even, _mm_movehl_ps(even, even));
        __m128 v0 = s0, v1 = s1;
        hadamard8(v0, v1);
        const __m128 input = _mm_unpacklo_ps(_mm_set1_ps(feed[0][f]), _mm_set1_ps(feed[1][f]));
        alignas(16) float next[kLineCount];
        _mm_store_ps(next, _mm_add_ps(_mm_mul_ps(norm, v0), input));
        _mm_store_ps(next + 4, _mm_add_ps(_mm_mul_ps(norm, v1), input));
        for (int i = 0; i < kLineCount; ++i) taps[i][f] = next[i];
        __m128 frame = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(out + 2 * f));
        frame = _mm_add_ps(frame, _mm_mul_ps(wet, pair));
        _mm_storel_pi(reinterpret_cast<__m64*>(out + 2 * f), frame);
    }
    _mm_storeu_ps(state, s0);
    _mm_storeu_ps(state + 4, s1);
#else
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
        for (int i = 0; i < kLineCount; ++i) taps[i][f] = kNorm * v[i] + feed[i % 2][f];
        out[2 * f] += kWetLevel * wetLeft;
        out[2 * f + 1] += kWetLevel * wetRight;
    }
#endif
}

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
    runLines(taps, feed, interleavedStereo, frames, gain, pole, state);
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
