#pragma once
// Second-order sections for the effects: coefficient design and a stereo filter.
//
// Coefficients are normalised (a0 = 1). The filter runs in transposed direct form II on
// double state, which stays accurate for low centres at high device rates.

#include "dsp/effect_processor.h"

namespace quillmix {

struct BiquadCoefficients {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
};

// Peaking (bell) section: `gainDb` at `centreHz`, unity far away. `bandwidthOctaves` is the
// distance between the half-gain (in dB) points. The centre is kept below 0.45 x the rate
// so that a high band on a low device rate stays a valid filter.
BiquadCoefficients designPeaking(double sampleRate, double centreHz, double bandwidthOctaves, double gainDb);

// Second-order low-pass, `q` = 0.7071 for a Butterworth response.
BiquadCoefficients designLowpass(double sampleRate, double cutoffHz, double q);

class StereoBiquad {
public:
    void setCoefficients(const BiquadCoefficients& coefficients) noexcept { c_ = coefficients; }
    void reset() noexcept;

    // channel 0 = left, 1 = right.
    float processSample(int channel, float input) noexcept {
        const double x = input;
        const double y = c_.b0 * x + z1_[channel];
        // Flushed every sample: a decaying state would otherwise pass through the float
        // subnormal range on its way out, within a few dozen samples at high cut-offs.
        z1_[channel] = flushTiny(c_.b1 * x - c_.a1 * y + z2_[channel]);
        z2_[channel] = flushTiny(c_.b2 * x - c_.a2 * y);
        return static_cast<float>(y);
    }

    void process(float* interleavedStereo, int frames) noexcept;

    // Runs `count` filters in series over the block in one pass, both channels of a frame
    // together, with every coefficient and state in locals. The same arithmetic, filter by
    // filter, as processSample, except that recursive states are not flushed: the caller
    // runs this under flush-to-zero (dsp/flush_denormals.h).
    static constexpr int kMaxCascade = 8;
    static void processCascade(StereoBiquad* const* filters, int count, float* interleavedStereo, int frames) noexcept;

    // True when every state is within `limit` of zero.
    bool stateWithin(double limit) const noexcept;

private:
    BiquadCoefficients c_;
    double z1_[2] = {0.0, 0.0};
    double z2_[2] = {0.0, 0.0};
};

}  // namespace quillmix
