#pragma once
// What one deck's buffers on one sound output should carry: the bookkeeping behind the
// sound output's effect operations (select an effect, equaliser on/off, set a parameter),
// kept apart from the buffers so that those operations stay thin.
//
// Rules it keeps:
// - the deck starts with "No Effect", the equaliser chain off and both parameters 0.0;
// - the forward buffer carries the equaliser bands (while the chain is on) followed by the
//   effect; the backward buffer carries the effect alone;
// - selecting "No Effect" keeps the stored parameter values for the next effect;
// - the equaliser bands are 120 / n semitones wide, centred on the filter bank's band
//   centres clamped to 80..16000 Hz, with gain (factor - 1) x 100 dB clamped to -15..15.
//
// Threads: window thread only (the owner's thread); plain value type, no locks.
//
// How a sound output drives it for one deck (status codes and buffer checks are its own):
//   select an effect:   setEffectParameter(i, shared value i) for i = 0, 1, then
//                       install(selectEffect(name))
//   equaliser on / off: install(equalizerOn()) / install(equalizerOff())
//   buffers recreated:  install({true, true})
//   set parameter i:    setEffectParameter(i, v); then setEffectParameter(i, v) on the live
//                       forward and backward chains (false there = no effect stage)
//   set band gain b:    live forward chain's setBandGainDb(b, equalizerBandGainDb(factor))
// where install(rebuild) builds DeckEffectChain::build(forwardLayout(bands), deviceRate)
// when rebuild.forward (backwardLayout() when rebuild.backward) and hands each result
// (nullptr = no chain) to its buffer.

#include <array>
#include <string>
#include <string_view>

#include "dsp/deck_effect_chain.h"
#include "dsp/effect_table.h"

namespace quillmix {

// The deck's equaliser filter bank as the chain needs it: band count, centres and gains.
struct EqualizerBandSource {
    int bandCount = 0;                                  // bands in use; more than 5 are cut to 5
    std::array<double, kMaxEqualizerBands> centreHz{};  // band centre frequencies
    std::array<float, kMaxEqualizerBands> gainFactor{1.0f, 1.0f, 1.0f, 1.0f, 1.0f};  // 1.0 = 0 dB
};

// Width of every band for a count of `bandCount` bands: 120 / n semitones (0 for n < 1).
float equalizerBandWidthSemitones(int bandCount) noexcept;
// A filter bank centre raised to 80 Hz or lowered to 16000 Hz when outside.
float equalizerBandCentreHz(double filterBankCentreHz) noexcept;
// (factor - 1) x 100 dB, clamped to -15..15.
float equalizerBandGainDb(float gainFactor) noexcept;

// Which buffers need a new chain after an operation.
struct ChainRebuild {
    bool forward = false;
    bool backward = false;
};

class DeckEffectState {
public:
    const std::string& effectName() const noexcept { return effectName_; }
    EffectKind effectKind() const noexcept { return effectKind_; }
    bool effectChainActive() const noexcept { return effectChainActive_; }
    float effectParameter(int index) const noexcept;

    // Records the effect by name (any string; unknown names carry no effect stage). Both
    // buffers are rebuilt, also while the equaliser is on, so that backward play carries
    // the same effect as forward play.
    ChainRebuild selectEffect(std::string_view name);

    // Equaliser chain on: the forward buffer gets the bands, then the effect.
    ChainRebuild equalizerOn() noexcept;

    // Equaliser chain off: the forward buffer keeps only the effect (or nothing).
    ChainRebuild equalizerOff() noexcept;

    // Stores parameter `index` (0 or 1) in its field's units; false for another index.
    // The live chains are updated by the caller (DeckEffectChain::setEffectParameter).
    bool setEffectParameter(int index, float value) noexcept;

    // The chains to build now.
    DeckChainLayout forwardLayout(const EqualizerBandSource& bands) const noexcept;
    DeckChainLayout backwardLayout() const noexcept;

private:
    std::string effectName_{kNoEffectName};
    EffectKind effectKind_ = EffectKind::None;
    bool effectChainActive_ = false;
    std::array<float, kEffectParameterCount> effectParameter_{};
};

}  // namespace quillmix
