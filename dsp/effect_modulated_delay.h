#pragma once
// Chorus and flanger: a short delay swept by a sine LFO, fed back into itself and mixed
// with the dry signal, which makes a comb filter whose teeth move with the LFO.
//
// The swept delay is  kMinimumDelayMs + delayMs x (1 + depth x sin(phase)), so a depth of
// 100 % sweeps from almost zero to twice the delay (the flanger's jet sweep) and 10 %
// wobbles around the delay (the chorus's doubled voices). The right channel's LFO runs
// `phaseDegrees` ahead of the left.
//
// The line carries v = input + feedback x delayed, and the output is
// (1 - mix) x v + mix x delayed with mix = wetDryMix / 100. At 50 % that is
// 0.5 (1 + z^-D) / (1 - feedback z^-D): the notches stay true zeros whatever the feedback
// (the deep "jet" sweep), and feedback only sharpens the peaks between them. Feedback is
// -99..99 %: the fed-back sample passes a soft limiter, so resonant settings ring but
// cannot run away.
//
// Threads and shape as for every effect (dsp/effect_processor.h).

#include "dsp/effect_delay_line.h"
#include "dsp/effect_processor.h"

namespace quillmix {

struct ModulatedDelaySettings {
    float wetDryMixPercent;  // 0..100
    float depthPercent;      // 0..100
    float feedbackPercent;   // -99..99
    float frequencyHz;       // LFO rate, 0..10
    float delayMs;           // centre delay, 0..20
    float phaseDegrees;      // right LFO ahead of left, 0..180
};

class ModulatedDelay : public EffectProcessor {
public:
    static constexpr float kMinimumDelayMs = 0.1f;
    static constexpr float kMaxCentreDelayMs = 20.0f;

    void prepare(double sampleRate) override;
    void reset() noexcept override;
    void process(float* interleavedStereo, int frames) noexcept override;

    const ModulatedDelaySettings& settings() const noexcept { return settings_; }

protected:
    explicit ModulatedDelay(const ModulatedDelaySettings& defaults) : settings_(defaults) {}

    void setFeedbackPercent(float percent) noexcept;
    void setFrequencyHz(float hz) noexcept;
    void setDelayMs(float ms) noexcept;

private:
    float sweptDelaySamples(double phase) const noexcept;

    ModulatedDelaySettings settings_;
    double sampleRate_ = 0.0;
    double phase_ = 0.0;  // radians, left channel's LFO
    DelayLine lines_[2];
};

// Feedback -99..99 % (default 25), frequency 0..10 Hz (default 1.1). Unset fields: mix
// 50 %, depth 10 %, delay 16 ms, right channel 90 degrees ahead.
class ChorusEffect final : public ModulatedDelay {
public:
    ChorusEffect() : ModulatedDelay({50.0f, 10.0f, 25.0f, 1.1f, 16.0f, 90.0f}) {}
    void setParameter(int index, float value) noexcept override;
};

// Feedback -99..99 % (default -50), delay 0..4 ms (default 2). Unset fields: mix 50 %,
// depth 100 %, frequency 0.25 Hz, both channels in phase.
class FlangerEffect final : public ModulatedDelay {
public:
    FlangerEffect() : ModulatedDelay({50.0f, 100.0f, -50.0f, 0.25f, 2.0f, 0.0f}) {}
    void setParameter(int index, float value) noexcept override;
};

}  // namespace quillmix
