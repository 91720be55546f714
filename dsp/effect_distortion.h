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
// The chain: pre low-pass -> tanh(drive x) -> presence peak -> gain.
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
    float gainDb_ = -18.0f;
    float edgePercent_ = 15.0f;
    StereoBiquad preLowpass_;
    StereoBiquad postPeak_;
};

}  // namespace quillmix
