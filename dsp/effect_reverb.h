#pragma once
// Reverb: a room tail after the dry signal, built as a feedback delay network.
//
// Parameter 0: reverb time 0.001..3000 ms (default 1000), the time the tail takes to fall
// by 60 dB at low frequencies. Parameter 1: high-frequency ratio 0.001..0.999 (default
// 0.001), the decay time of the top of the spectrum as a fraction of the reverb time; small
// values give a dark, soft room, values near 1 a bright hall. Unset fields: input gain
// 0 dB, reverb mix 0 dB (the tail is added to the unchanged dry signal).
//
// Structure: each side passes four series all-pass diffusers, then feeds four of eight
// delay lines (33..54 ms at 44.1 kHz, scaled with the rate). Each line's output passes a
// one-pole low-pass whose DC gain sets the reverb time for that line's length and whose
// top-end gain sets the high-frequency time; a normalised Hadamard matrix mixes the lines
// back into their inputs. The matrix is orthogonal and every loop gain is below one, so
// the network is stable for every setting. The left output sums the even lines, the right
// the odd ones.
//
// Processing runs in spans no longer than the shortest delay, so that every sample a span
// reads from a delay line was written before the span began: each stage then runs over the
// whole span with its state and coefficients in locals, and the lines are read and written
// in block copies. The mode is flush-to-zero for the span (dsp/flush_denormals.h), which is
// what keeps a silent tail off the subnormal numbers.
//
// Threads and shape as for every effect (dsp/effect_processor.h).

#include <array>

#include "dsp/effect_delay_line.h"
#include "dsp/effect_processor.h"

namespace quillmix {

class ReverbEffect final : public EffectProcessor {
public:
    static constexpr int kLineCount = 8;
    static constexpr int kDiffuserCount = 4;

    void prepare(double sampleRate) override;
    void reset() noexcept override;
    void process(float* interleavedStereo, int frames) noexcept override;
    void setParameter(int index, float value) noexcept override;

    float reverbTimeMs() const noexcept { return reverbTimeMs_; }
    float highFrequencyRatio() const noexcept { return highFrequencyRatio_; }

private:
    struct Diffuser {
        DelayLine line;
        int length = 1;
    };
    struct DampedLine {
        DelayLine line;
        int length = 1;
        float inputGain = 0.0f;  // DC gain x (1 - pole)
        float pole = 0.0f;
        float state = 0.0f;
    };

    static constexpr int kMaxSpan = 64;

    void deriveLoopFilters() noexcept;
    void diffuseSpan(int channel, float* signal, int frames) noexcept;
    void processSpan(float* interleavedStereo, int frames) noexcept;
    static void runLines(float (*taps)[kMaxSpan], const float (*feed)[kMaxSpan], float* out, int frames,
                         const float* gain, const float* pole, float* state) noexcept;

    float reverbTimeMs_ = 1000.0f;
    float highFrequencyRatio_ = 0.001f;
    double sampleRate_ = 0.0;
    int longestSpan_ = 1;  // the shortest delay of any line or diffuser, at most kMaxSpan
    std::array<std::array<Diffuser, kDiffuserCount>, 2> diffusers_;
    std::array<DampedLine, kLineCount> lines_;
};

}  // namespace quillmix
