#include "dsp/effect_parametric_eq.h"

#include <algorithm>
#include <cmath>

#include "dsp/effect_processor.h"

namespace quillmix {

ParametricEq::ParametricEq(float centreHz, float bandwidthSemitones, float gainDb) {
    setCentreHz(centreHz);
    setBandwidthSemitones(bandwidthSemitones);
    setGainDb(gainDb);
}

void ParametricEq::prepare(double sampleRate) {
    sampleRate_ = sampleRate;
    reset();
}

void ParametricEq::reset() noexcept {
    currentGainDb_ = targetGainDb_;
    framesUntilGlideStep_ = 0;
    filter_.reset();
    bypassed_ = currentGainDb_ == 0.0f;
    redesign();
}

void ParametricEq::setCentreHz(float hz) noexcept {
    centreHz_ = clampParameter(hz, kMinCentreHz, kMaxCentreHz);
    redesign();
}

void ParametricEq::setBandwidthSemitones(float semitones) noexcept {
    bandwidthSemitones_ = clampParameter(semitones, kMinBandwidthSemitones, kMaxBandwidthSemitones);
    redesign();
}

void ParametricEq::setGainDb(float db) noexcept {
    targetGainDb_ = clampParameter(db, kMinGainDb, kMaxGainDb);
    if (sampleRate_ <= 0.0) currentGainDb_ = targetGainDb_;
    if (targetGainDb_ != 0.0f || currentGainDb_ != 0.0f) bypassed_ = false;
}

void ParametricEq::redesign() noexcept {
    if (sampleRate_ <= 0.0) return;
    filter_.setCoefficients(designPeaking(sampleRate_, centreHz_, bandwidthSemitones_ / 12.0, currentGainDb_));
}

void ParametricEq::glideOneStep() noexcept {
    const float remaining = targetGainDb_ - currentGainDb_;
    // A quarter of the way per 32 frames: about 3 ms to settle at 44.1 kHz.
    currentGainDb_ = std::fabs(remaining) < 0.01f ? targetGainDb_ : currentGainDb_ + 0.25f * remaining;
    redesign();
}

int ParametricEq::beginSpan(int frames) noexcept {
    const bool gliding = currentGainDb_ != targetGainDb_;
    if (gliding && framesUntilGlideStep_ == 0) {
        glideOneStep();
        framesUntilGlideStep_ = kGlideStepFrames;
    }
    return framesUntilGlideStep_ > 0 ? std::min(frames, framesUntilGlideStep_) : frames;
}

void ParametricEq::endSpan(int frames) noexcept {
    if (framesUntilGlideStep_ > 0) framesUntilGlideStep_ -= frames;
    // At 0 dB the filter is the identity, and its state only carries the ringing left from
    // the glide; once that is below -300 dB the band drops out (the state is then zero, so
    // a later glide starts from rest, as from a reset).
    if (currentGainDb_ == 0.0f && targetGainDb_ == 0.0f && filter_.stateWithin(1e-15)) {
        filter_.reset();
        bypassed_ = true;
    }
}

void ParametricEq::process(float* interleavedStereo, int frames) noexcept {
    while (frames > 0 && !bypassed_) {
        const int count = beginSpan(frames);
        for (int i = 0; i < count; ++i) {
            interleavedStereo[2 * i] = filter_.processSample(0, interleavedStereo[2 * i]);
            interleavedStereo[2 * i + 1] = filter_.processSample(1, interleavedStereo[2 * i + 1]);
        }
        endSpan(count);
        interleavedStereo += 2 * count;
        frames -= count;
    }
}

}  // namespace quillmix
