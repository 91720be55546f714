#include "dsp/effect_gargle.h"

namespace quillmix {

void GargleEffect::prepare(double sampleRate) {
    sampleRate_ = sampleRate;
    reset();
}

void GargleEffect::reset() noexcept { phase_ = 0.0; }

void GargleEffect::setParameter(int index, float value) noexcept {
    if (index == 0) rateHz_ = static_cast<int>(clampParameter(value, 1.0f, 1000.0f));
    if (index == 1) wave_ = clampParameter(value, 0.0f, 2.0f) < 1.0f ? Wave::Square : Wave::Triangle;
}

float GargleEffect::modulator(double phase) const noexcept {
    if (wave_ == Wave::Square) return phase < 0.5 ? 1.0f : 0.0f;
    // Triangle rising 0 -> 1 over the first half and falling back over the second.
    return static_cast<float>(phase < 0.5 ? 2.0 * phase : 2.0 - 2.0 * phase);
}

void GargleEffect::process(float* interleavedStereo, int frames) noexcept {
    const double step = rateHz_ / sampleRate_;
    for (int i = 0; i < frames; ++i) {
        const float gain = modulator(phase_);
        interleavedStereo[2 * i] *= gain;
        interleavedStereo[2 * i + 1] *= gain;
        phase_ += step;
        if (phase_ >= 1.0) phase_ -= 1.0;
    }
}

}  // namespace quillmix
