#pragma once
// Second-order sections for the effects: coefficient design and a stereo filter.
//
// Coefficients are normalised (a0 = 1). The filter runs in transposed direct form II on
// double state, which stays accurate for low centres at high device rates.

namespace quillmix {

struct BiquadCoefficients {
    double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
};

// Peaking (bell) section: `gainDb` at `centreHz`, unity far away. `bandwidthOctaves` is the
// distance between the half-gain (in dB) points. The centre is kept below 0.45 x the rate
// so that a high band on a low device rate stays a valid filter.
BiquadCoefficients designPeaking(double sampleRate, double centreHz, double bandwidthOctaves,
                                 double gainDb);

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
        z1_[channel] = c_.b1 * x - c_.a1 * y + z2_[channel];
        z2_[channel] = c_.b2 * x - c_.a2 * y;
        return static_cast<float>(y);
    }

    void process(float* interleavedStereo, int frames) noexcept;

    // Call once per block: drops state that has decayed below audibility.
    void flushTinyState() noexcept;

private:
    BiquadCoefficients c_;
    double z1_[2] = {0.0, 0.0};
    double z2_[2] = {0.0, 0.0};
};

}  // namespace quillmix
