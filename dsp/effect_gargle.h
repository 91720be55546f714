#pragma once
// Gargle: amplitude modulation by a unipolar wave (0 = silent, 1 = unchanged).
//
// Parameter 0: rate 1..1000 Hz (default 20), truncated to whole hertz. Parameter 1: wave
// 0..2 (default 0): below 1.0 a square wave (the signal is chopped on and off, on for the
// first half of each period), 1.0 and above a triangle (a smooth tremolo from 0 up to 1
// and back). Both channels share the modulator.
//
// Threads and shape as for every effect (dsp/effect_processor.h).

#include "dsp/effect_processor.h"

namespace quillmix {

class GargleEffect final : public EffectProcessor {
public:
    enum class Wave { Triangle, Square };

    void prepare(double sampleRate) override;
    void reset() noexcept override;
    void process(float* interleavedStereo, int frames) noexcept override;
    void setParameter(int index, float value) noexcept override;

    int rateHz() const noexcept { return rateHz_; }
    Wave wave() const noexcept { return wave_; }

private:
    float modulator(double phase) const noexcept;

    int rateHz_ = 20;
    Wave wave_ = Wave::Square;
    double sampleRate_ = 0.0;
    double phase_ = 0.0;  // cycles, 0..1
};

}  // namespace quillmix
