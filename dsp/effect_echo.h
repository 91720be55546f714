#pragma once
// Echo: repeats of the input at a fixed delay, each one `feedback` times the previous.
//
// Parameter 0: feedback 0..100 % (default 50). Parameter 1: delay 1..2000 ms (default
// 500), applied to the left and the right delay alike. Unset fields: the dry signal is
// kept at full level and the first repeat comes at half level (wet/dry 50 %); no
// ping-pong between the sides.
//
// An impulse therefore comes back at the delay with 0.5, at twice the delay with
// 0.5 x feedback, and so on. At 100 % the repeats never die; the fed-back sample passes a
// soft limiter above full scale, so even that stays bounded. A delay change while running
// glides the read position over about 50 ms, like a tape echo, instead of jumping.
//
// Threads and shape as for every effect (dsp/effect_processor.h).

#include "dsp/effect_delay_line.h"
#include "dsp/effect_processor.h"

namespace quillmix {

class EchoEffect final : public EffectProcessor {
public:
    static constexpr float kMaxDelayMs = 2000.0f;

    void prepare(double sampleRate) override;
    void reset() noexcept override;
    void process(float* interleavedStereo, int frames) noexcept override;
    void setParameter(int index, float value) noexcept override;

    float feedbackPercent() const noexcept { return feedbackPercent_; }
    float leftDelayMs() const noexcept { return delayMs_[0]; }
    float rightDelayMs() const noexcept { return delayMs_[1]; }

private:
    double targetDelaySamples(int channel) const noexcept;

    float feedbackPercent_ = 50.0f;
    float delayMs_[2] = {500.0f, 500.0f};
    float wetLevel_ = 0.5f;
    double sampleRate_ = 0.0;
    // Double: at delays of thousands of samples a float glide would stall short of its
    // target once each step falls below the float spacing.
    double glideCoefficient_ = 0.0;
    double currentDelaySamples_[2] = {0.0, 0.0};
    DelayLine lines_[2];
};

}  // namespace quillmix
