#pragma once
// The shape every deck effect shares, and the small numeric guards they all use.
//
// Threads: an effect is owned by one deck effect chain. prepare runs on the thread that
// builds the chain (never the audio thread) and is the only call that allocates; reset,
// process and setParameter run on whichever thread currently drives the chain (the audio
// thread once the chain is installed). None of them locks.
//
// Samples are interleaved stereo floats, 1.0 = full scale of a 16-bit sample.

#include <algorithm>
#include <cstdint>

namespace quillmix {

// Every effect takes two user parameters, index 0 and 1, in the units of its field.
inline constexpr int kEffectParameterCount = 2;

class EffectProcessor {
public:
    virtual ~EffectProcessor() = default;

    // Sizes the delay lines and derives rate-dependent coefficients. Clears all state.
    // Parameters set before prepare are kept and take effect at once (no glide).
    virtual void prepare(double sampleRate) = 0;

    // Clears delay lines and envelopes; keeps parameters.
    virtual void reset() noexcept = 0;

    // Processes `frames` frames in place. Requires prepare.
    virtual void process(float* interleavedStereo, int frames) noexcept = 0;

    // Sets user parameter `index` (0 or 1) in the field's units; values outside the
    // range are clamped, NaN becomes the minimum, other indices are ignored. May be
    // called before prepare.
    virtual void setParameter(int index, float value) noexcept = 0;
};

// Clamps into [low, high]; NaN gives `low` so a bad value can never reach a filter.
inline float clampParameter(float value, float low, float high) noexcept {
    if (!(value >= low)) return low;
    return value > high ? high : value;
}

// Recursive states are flushed below -300 dB: inaudible, and it keeps the FPU away from
// subnormal numbers when the input falls silent.
inline float flushTiny(float x) noexcept { return (x > -1e-15f && x < 1e-15f) ? 0.0f : x; }
inline double flushTiny(double x) noexcept { return (x > -1e-15 && x < 1e-15) ? 0.0 : x; }

// Identity up to full scale, then bends smoothly towards 2.0. Placed in feedback paths so
// that a loop gain at the range ends (feedback 100 %, resonant combs) cannot run away.
inline float softLimit(float x) noexcept {
    const float magnitude = x < 0.0f ? -x : x;
    if (magnitude <= 1.0f) return x;
    const float excess = magnitude - 1.0f;
    const float bent = 1.0f + excess / (1.0f + excess);
    return x < 0.0f ? -bent : bent;
}

// 16-bit convenience around a float process(): converts in small stack blocks, so it
// allocates nothing; results are rounded and saturated to the 16-bit range.
template <class Processor>
void processInt16(Processor& processor, std::int16_t* interleavedStereo, int frames) noexcept {
    constexpr int kBlockFrames = 256;
    float block[2 * kBlockFrames];
    while (frames > 0) {
        const int count = std::min(frames, kBlockFrames);
        for (int i = 0; i < 2 * count; ++i) block[i] = interleavedStereo[i] * (1.0f / 32768.0f);
        processor.process(block, count);
        for (int i = 0; i < 2 * count; ++i) {
            const float scaled = block[i] * 32768.0f;
            const float rounded = scaled < 0.0f ? scaled - 0.5f : scaled + 0.5f;
            interleavedStereo[i] = static_cast<std::int16_t>(clampParameter(rounded, -32768.0f, 32767.0f));
        }
        interleavedStereo += 2 * count;
        frames -= count;
    }
}

}  // namespace quillmix
