#pragma once
// One peaking band of the deck equaliser: centre (Hz), bandwidth (semitones), gain (dB).
//
// Ranges follow the band fields: centre 80..16000 Hz, bandwidth 1..36 semitones, gain
// -15..+15 dB; values outside are clamped. The equaliser chain asks for 60 and 40
// semitones with 2 and 3 bands; those are served as 36 (three octaves), which still
// gives broad low/mid/high shelving-like bands without every band lifting the whole range.
//
// A gain change while running glides to the new value in about 3 ms (coefficients are
// recomputed every 32 frames while it moves), so a slider never clicks. Centre and
// bandwidth change at once; the chain only sets them when it is built.
//
// A band at 0 dB is the identity: once it is there and its filter has rung out, it is
// bypassed (costs nothing) until its gain moves again.
//
// Threads and shape as for every effect (dsp/effect_processor.h).

#include "dsp/effect_biquad.h"

namespace quillmix {

class ParametricEq {
public:
    static constexpr float kMinCentreHz = 80.0f, kMaxCentreHz = 16000.0f;
    static constexpr float kMinBandwidthSemitones = 1.0f, kMaxBandwidthSemitones = 36.0f;
    static constexpr float kMinGainDb = -15.0f, kMaxGainDb = 15.0f;

    ParametricEq() = default;
    ParametricEq(float centreHz, float bandwidthSemitones, float gainDb);

    void prepare(double sampleRate);
    void reset() noexcept;
    void process(float* interleavedStereo, int frames) noexcept;

    // For a chain running several bands in one pass (StereoBiquad::processCascade):
    // bypassed() says the band may be left out of this span. Otherwise beginSpan takes a
    // glide step when one is due and returns how many of `frames` frames the coefficients
    // hold for; the caller filters that many or fewer through filter() and reports them to
    // endSpan.
    bool bypassed() const noexcept { return bypassed_; }
    int beginSpan(int frames) noexcept;
    void endSpan(int frames) noexcept;
    StereoBiquad* filter() noexcept { return &filter_; }

    void setCentreHz(float hz) noexcept;
    void setBandwidthSemitones(float semitones) noexcept;
    void setGainDb(float db) noexcept;

    float centreHz() const noexcept { return centreHz_; }
    float bandwidthSemitones() const noexcept { return bandwidthSemitones_; }
    float gainDb() const noexcept { return targetGainDb_; }

private:
    static constexpr int kGlideStepFrames = 32;

    void redesign() noexcept;
    void glideOneStep() noexcept;

    float centreHz_ = 8000.0f;
    float bandwidthSemitones_ = 12.0f;
    float targetGainDb_ = 0.0f;
    float currentGainDb_ = 0.0f;
    double sampleRate_ = 0.0;
    int framesUntilGlideStep_ = 0;
    bool bypassed_ = true;  // at 0 dB with its filter at rest
    StereoBiquad filter_;
};

}  // namespace quillmix
