#include "dsp/deck_effect_state.h"

#include <algorithm>

namespace quillmix {

float equalizerBandWidthSemitones(int bandCount) noexcept {
    return bandCount < 1 ? 0.0f : 120.0f / static_cast<float>(bandCount);
}

float equalizerBandCentreHz(double filterBankCentreHz) noexcept {
    if (!(filterBankCentreHz >= 80.0)) return 80.0f;  // also catches NaN
    return static_cast<float>(std::min(filterBankCentreHz, 16000.0));
}

float equalizerBandGainDb(float gainFactor) noexcept {
    return clampParameter((gainFactor - 1.0f) * 100.0f, -15.0f, 15.0f);
}

float DeckEffectState::effectParameter(int index) const noexcept {
    return index >= 0 && index < kEffectParameterCount ? effectParameter_[index] : 0.0f;
}

ChainRebuild DeckEffectState::selectEffect(std::string_view name) {
    effectName_.assign(name);
    effectKind_ = effectKindFromName(name);
    return {true, true};
}

ChainRebuild DeckEffectState::equalizerOn() noexcept {
    effectChainActive_ = true;
    return {true, false};
}

ChainRebuild DeckEffectState::equalizerOff() noexcept {
    effectChainActive_ = false;
    return {true, false};
}

bool DeckEffectState::setEffectParameter(int index, float value) noexcept {
    if (index < 0 || index >= kEffectParameterCount) return false;
    effectParameter_[index] = value;
    return true;
}

DeckChainLayout DeckEffectState::forwardLayout(const EqualizerBandSource& bands) const noexcept {
    DeckChainLayout layout = backwardLayout();
    if (!effectChainActive_) return layout;
    layout.equalizerBandCount = std::clamp(bands.bandCount, 0, kMaxEqualizerBands);
    const float width = equalizerBandWidthSemitones(bands.bandCount);
    for (int b = 0; b < layout.equalizerBandCount; ++b) {
        layout.bands[b].centreHz = equalizerBandCentreHz(bands.centreHz[b]);
        layout.bands[b].bandwidthSemitones = width;
        layout.bands[b].gainDb = equalizerBandGainDb(bands.gainFactor[b]);
    }
    return layout;
}

DeckChainLayout DeckEffectState::backwardLayout() const noexcept {
    DeckChainLayout layout;
    layout.effect = effectKind_;
    layout.effectParameters = effectParameter_;
    return layout;
}

}  // namespace quillmix
