#pragma once
// Compressor: turns down what rises above a threshold, then adds make-up gain.
//
// Parameter 0: gain -60..60 dB (default 0), make-up applied after compression. Parameter
// 1: attack 0.01..500 ms (default 10), the time constant with which the gain reduction
// moves towards a higher target. Unset fields: threshold -20 dB, ratio 3:1, release
// 200 ms, no look-ahead (the deck's timing is left untouched).
//
// The level is the stereo-linked peak (instant rise, falling with the release time), so a
// steady tone is measured by its peak and the gain does not ripple with the waveform.
// Above the threshold by `over` dB the target reduction is over x (1 - 1/ratio) dB;
// the reduction follows its target with the attack (rising) or release (falling) time
// constant, in dB.
//
// Threads and shape as for every effect (dsp/effect_processor.h).

#include "dsp/effect_processor.h"

namespace quillmix {

class CompressorEffect final : public EffectProcessor {
public:
    static constexpr float kThresholdDb = -20.0f;
    static constexpr float kRatio = 3.0f;
    static constexpr float kReleaseMs = 200.0f;

    void prepare(double sampleRate) override;
    void reset() noexcept override;
    void process(float* interleavedStereo, int frames) noexcept override;
    void setParameter(int index, float value) noexcept override;

    float gainDb() const noexcept { return gainDb_; }
    float attackMs() const noexcept { return attackMs_; }

private:
    void deriveCoefficients() noexcept;
    float targetReductionDb(float peak) const noexcept;

    float gainDb_ = 0.0f;
    float attackMs_ = 10.0f;
    double sampleRate_ = 0.0;
    float makeUpGain_ = 1.0f;
    float attackCoefficient_ = 0.0f;
    float releaseCoefficient_ = 0.0f;
    float thresholdLinear_ = 0.1f;
    float detectedPeak_ = 0.0f;
    float reductionDb_ = 0.0f;
};

}  // namespace quillmix
