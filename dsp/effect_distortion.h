#pragma once
// Distortion: drives the signal into a smooth saturating curve, which adds odd harmonics
// that grow with the drive.
//
// Parameter 0: gain -60..0 dB (default -18), the level after the distortion. Parameter 1:
// edge 0..100 % (default 15), the drive: 0.48 dB of drive per percent, so 0 % is only a
// gentle rounding of full-scale peaks and 100 % (48 dB) squares almost everything.
// Unset fields: a low-pass at 8000 Hz before the curve (keeps the added harmonics of the
// top octave from folding back), and a presence lift of +6 dB at 2400 Hz with a bandwidth
// of 2400 Hz after it.
//
// The chain: pre low-pass -> tanh(drive x) -> presence peak -> gain. The curve is applied
// with first-order antiderivative anti-aliasing: each output is the mean of tanh over the
// straight line between two driven input samples, (F(x1) - F(x0)) / (x1 - x0) with
// F = log cosh. That damps the harmonics beyond half the rate, which would otherwise fold
// back as inharmonic fizz at high edge, for the price of half a sample of delay.
//
// Threads and shape as for every effect (dsp/effect_processor.h).

#include "dsp/effect_biquad.h"
#include "dsp/effect_processor.h"

namespace quillmix {

class DistortionEffect final : public EffectProcessor {
public:
    static constexpr float kPreLowpassHz = 8000.0f;
    static constexpr float kPostPeakHz = 2400.0f;
    static constexpr float kPostPeakBandwidthHz = 2400.0f;
    static constexpr float kPostPeakGainDb = 6.0f;
    static constexpr float kDriveDbPerEdgePercent = 0.48f;

    void prepare(double sampleRate) override;
    void reset() noexcept override;
    void process(float* interleavedStereo, int frames) noexcept override;
    void setParameter(int index, float value) noexcept override;

    float gainDb() const noexcept { return gainDb_; }
    float edgePercent() const noexcept { return edgePercent_; }

private:
    float shape(int channel, float driven) noexcept;

    float gainDb_ = -18.0f;
    double previousDriven_[2] = {0.0, 0.0};
    double previousAntiderivative_[2] = {0.0, 0.0};
    float edgePercent_ = 15.0f;
    StereoBiquad preLowpass_;
    StereoBiquad postPeak_;
};

}  // namespace quillmix
