#pragma once
// The effect chain of one deck buffer: up to five peaking equaliser bands, then at most
// one effect, run in that order on the buffer's audio after resampling.
//
// Threads: build() runs on the window thread (or any thread but the audio thread) and is
// the only place that allocates. The sound buffer then runs process()/reset() on the audio
// thread. setEffectParameter and setBandGainDb may be called from the window thread while
// the audio thread processes: each value travels through its own atomic and is taken up at
// the start of the next block, so nothing waits and nothing allocates.

#include <array>
#include <atomic>
#include <memory>

#include "dsp/audio_effect.h"
#include "dsp/effect_parametric_eq.h"
#include "dsp/effect_processor.h"
#include "dsp/effect_table.h"

namespace quillmix {

inline constexpr int kMaxEqualizerBands = 5;

struct EqualizerBandSettings {
    float centreHz = 1000.0f;
    float bandwidthSemitones = 12.0f;
    float gainDb = 0.0f;
};

// What one buffer's chain is made of. A layout with no bands and no effect is empty.
struct DeckChainLayout {
    int equalizerBandCount = 0;  // 0..kMaxEqualizerBands
    std::array<EqualizerBandSettings, kMaxEqualizerBands> bands{};
    EffectKind effect = EffectKind::None;
    std::array<float, kEffectParameterCount> effectParameters{};

    bool empty() const noexcept { return equalizerBandCount == 0 && effect == EffectKind::None; }
};

class DeckEffectChain final : public AudioEffectChain {
public:
    // Builds and prepares a chain for `sampleRate` (the device rate). Returns nullptr for an
    // empty layout: a buffer without a chain plays its audio untouched. Not the audio thread.
    static std::unique_ptr<DeckEffectChain> build(const DeckChainLayout& layout, double sampleRate);

    // Audio thread.
    void process(float* interleavedStereo, int frames) noexcept override;
    void reset() noexcept override;

    // Any thread. False (and nothing changes) when the chain has no effect stage or the
    // index is not 0 or 1. Units and ranges as in the effect table.
    bool setEffectParameter(int index, float value) noexcept;

    // Any thread. False when `band` is outside 0..equalizerBandCount() - 1. Glides.
    bool setBandGainDb(int band, float gainDb) noexcept;

    int equalizerBandCount() const noexcept { return bandCount_; }
    EffectKind effect() const noexcept { return effectKind_; }

private:
    DeckEffectChain() = default;
    void takePendingParameters() noexcept;
    void runEqualizer(float* interleavedStereo, int frames) noexcept;

    int bandCount_ = 0;
    std::array<ParametricEq, kMaxEqualizerBands> bands_;
    EffectKind effectKind_ = EffectKind::None;
    std::unique_ptr<EffectProcessor> effect_;

    // Written by any thread, read by the audio thread. Relaxed order suffices: each value
    // stands alone (it publishes no other memory), and a value one block late is harmless.
    std::array<std::atomic<float>, kMaxEqualizerBands> pendingBandGainDb_{};
    std::array<std::atomic<float>, kEffectParameterCount> pendingEffectParameter_{};
    // Audio thread only: what the stages currently run with.
    std::array<float, kMaxEqualizerBands> appliedBandGainDb_{};
    std::array<float, kEffectParameterCount> appliedEffectParameter_{};

    static_assert(std::atomic<float>::is_always_lock_free);
};

}  // namespace quillmix
