// The effect operations of the sound output: one effect per deck on both buffers, and the
// equaliser bands in front of it on the forward buffer. The bookkeeping (what each buffer
// should carry) is DeckEffectState's; this file checks the buffers, builds the chains on the
// window thread and hands them to the buffers, which blend over to them while playing.
// Window thread only.
#include <algorithm>
#include <cmath>

#include "dsp/deck_effect_chain.h"
#include "dsp/effect_table.h"
#include "dsp/filter_bank.h"
#include "engine/zan_sound_output.h"

namespace quillmix {

namespace {

// Values enter the sound here, whatever a panel or script sent: each is held within the
// effect's range, and one that is not a number takes the parameter's default. With no
// effect the value is kept as it is, for the effect chosen next (clamped then).
float parameterInRange(const std::string& effectName, int index, float value) {
    const EffectKind kind = effectKindFromName(effectName);
    if (kind == EffectKind::None) return value;
    const EffectParameterRange& range = describeEffect(kind).parameters[index];
    if (std::isnan(value)) return range.defaultValue;
    return std::clamp(value, range.minimum, range.maximum);
}

}  // namespace

void CZanSoundOutput::SetDeckEffectInputs(int deck, const DeckEffectInputs& inputs) {
    if (valid(deck)) deckEffectInputs_[deck] = inputs;
}

void CZanSoundOutput::CarryDeckEffectsFrom(const CZanSoundOutput& previous) {
    deckEffects_ = previous.deckEffects_;
    deckEffectInputs_ = previous.deckEffectInputs_;
}

SoundResult CZanSoundOutput::SetEffect(int deck, const std::string& name) {
    if (!valid(deck) || !forwardBuffer[deck]) return kSoundNotInitialized;
    if (split) return kSoundUnexpected;
    pullEffectParameters(deck, name);
    // Unlike a rebuild of the equaliser alone, a new effect goes on the backward buffer too,
    // also while the equaliser is on, so that backward play sounds like forward play.
    installChains(deck, deckEffects_[deck].selectEffect(name));
    return kSoundOk;
}

SoundResult CZanSoundOutput::EqualizerOn(int deck) {
    if (!valid(deck) || !forwardBuffer[deck]) return kSoundNotInitialized;
    if (split) return kSoundUnexpected;
    pullEffectParameters(deck, deckEffects_[deck].effectName());
    installChains(deck, deckEffects_[deck].equalizerOn());
    // The backward buffer keeps its chain; it takes the current values like the forward one.
    if (DeckEffectChain* backward = chainIn(backwardBuffer[deck].get())) {
        for (int i = 0; i < kEffectParameterCount; ++i)
            backward->setEffectParameter(i, deckEffects_[deck].effectParameter(i));
    }
    return kSoundOk;
}

SoundResult CZanSoundOutput::EqualizerOff(int deck) {
    if (!valid(deck) || !forwardBuffer[deck]) return kSoundNotInitialized;
    installChains(deck, deckEffects_[deck].equalizerOff());  // on a split device: no chain
    return kSoundOk;
}

SoundResult CZanSoundOutput::SetEffectParameter(int deck, int index) {
    if (!valid(deck) || !forwardBuffer[deck]) return kSoundNotInitialized;
    if (split || index < 0 || index >= kEffectParameterCount) return kSoundUnexpected;
    DeckEffectState& state = deckEffects_[deck];
    const std::array<float, 2>* source = deckEffectInputs_[deck].effectParameter;
    state.setEffectParameter(
        index, parameterInRange(state.effectName(), index, source ? (*source)[index] : state.effectParameter(index)));
    if (state.effectKind() == EffectKind::None) return kSoundOk;
    const float value = state.effectParameter(index);
    DeckEffectChain* forward = chainIn(forwardBuffer[deck].get());
    if (!forward || !forward->setEffectParameter(index, value)) return kSoundUnexpected;
    DeckEffectChain* backward = chainIn(backwardBuffer[deck].get());
    if (backwardBuffer[deck] && (!backward || !backward->setEffectParameter(index, value))) return kSoundUnexpected;
    return kSoundOk;
}

SoundResult CZanSoundOutput::SetEqualizerBandGain(int deck, int band) {
    if (!valid(deck)) return kSoundNotInitialized;
    const CZanFilterBank* bank = deckEffectInputs_[deck].equalizerFilterBank;
    const int count = bank ? bank->GetNumBands() : 0;
    if (band < 0 || band >= count) return kSoundUnexpected;
    if (!deckEffects_[deck].effectChainActive() || !forwardBuffer[deck]) return kSoundNotInitialized;
    DeckEffectChain* chain = chainIn(forwardBuffer[deck].get());
    if (!chain || !chain->setBandGainDb(band, equalizerBandGainDb(bank->GetBandGain(band)))) return kSoundUnexpected;
    return kSoundOk;
}

// The effects panel's current values become the deck's own before a chain is built.
void CZanSoundOutput::pullEffectParameters(int deck, const std::string& effectName) {
    const std::array<float, 2>* source = deckEffectInputs_[deck].effectParameter;
    for (int i = 0; i < kEffectParameterCount; ++i) {
        const float value = source ? (*source)[i] : deckEffects_[deck].effectParameter(i);
        deckEffects_[deck].setEffectParameter(i, parameterInRange(effectName, i, value));
    }
}

EqualizerBandSource CZanSoundOutput::equalizerBands(int deck) const {
    EqualizerBandSource bands;
    const CZanFilterBank* bank = deckEffectInputs_[deck].equalizerFilterBank;
    if (!bank) return bands;
    bands.bandCount = std::min(bank->GetNumBands(), kMaxEqualizerBands);
    for (int b = 0; b < bands.bandCount; ++b) {
        bands.centreHz[b] = bank->GetBandCentreFrequency(b);
        bands.gainFactor[b] = bank->GetBandGain(b);
    }
    return bands;
}

DeckEffectChain* CZanSoundOutput::chainIn(SoundBuffer* buffer) {
    return buffer ? dynamic_cast<DeckEffectChain*>(buffer->effectChain()) : nullptr;
}

// Builds the chains the operation asked for (allocating here, never on the audio thread)
// and hands them over. The buffers keep the chains they replace until their blends are
// over; a later chunk write or swap frees them.
void CZanSoundOutput::installChains(int deck, ChainRebuild rebuild) {
    const double rate = device_ ? device_->sampleRate() : 44100.0;
    const DeckEffectState& state = deckEffects_[deck];
    if (rebuild.forward && forwardBuffer[deck]) {
        auto chain = split ? nullptr : DeckEffectChain::build(state.forwardLayout(equalizerBands(deck)), rate);
        forwardBuffer[deck]->swapEffectChain(std::move(chain));
    }
    if (rebuild.backward && backwardBuffer[deck]) {
        auto chain = split ? nullptr : DeckEffectChain::build(state.backwardLayout(), rate);
        backwardBuffer[deck]->swapEffectChain(std::move(chain));
    }
}

}  // namespace quillmix
