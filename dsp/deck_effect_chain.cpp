#include "dsp/deck_effect_chain.h"

#include <algorithm>

#include "dsp/flush_denormals.h"

namespace quillmix {

std::unique_ptr<DeckEffectChain> DeckEffectChain::build(const DeckChainLayout& layout, double sampleRate) {
    if (layout.empty()) return nullptr;
    std::unique_ptr<DeckEffectChain> chain(new DeckEffectChain);
    chain->bandCount_ = std::clamp(layout.equalizerBandCount, 0, kMaxEqualizerBands);
    for (int b = 0; b < chain->bandCount_; ++b) {
        const EqualizerBandSettings& s = layout.bands[b];
        ParametricEq& eq = chain->bands_[b];
        eq.setCentreHz(s.centreHz);
        eq.setBandwidthSemitones(s.bandwidthSemitones);
        eq.setGainDb(s.gainDb);
        eq.prepare(sampleRate);
        chain->appliedBandGainDb_[b] = eq.gainDb();
        chain->pendingBandGainDb_[b].store(eq.gainDb(), std::memory_order_relaxed);
    }
    chain->effectKind_ = layout.effect;
    chain->effect_ = makeEffectProcessor(layout.effect);
    if (chain->effect_) {
        const EffectDescription& description = describeEffect(layout.effect);
        for (int i = 0; i < kEffectParameterCount; ++i) {
            const EffectParameterRange& range = description.parameters[i];
            const float value = clampParameter(layout.effectParameters[i], range.minimum, range.maximum);
            chain->effect_->setParameter(i, value);
            chain->appliedEffectParameter_[i] = value;
            chain->pendingEffectParameter_[i].store(value, std::memory_order_relaxed);
        }
        chain->effect_->prepare(sampleRate);
    }
    return chain;
}

bool DeckEffectChain::setEffectParameter(int index, float value) noexcept {
    if (!effect_ || index < 0 || index >= kEffectParameterCount) return false;
    // Clamped here so the audio thread compares plain numbers (a NaN would never compare
    // equal and would be re-applied every block).
    const EffectParameterRange& range = describeEffect(effectKind_).parameters[index];
    pendingEffectParameter_[index].store(clampParameter(value, range.minimum, range.maximum),
                                         std::memory_order_relaxed);
    return true;
}

bool DeckEffectChain::setBandGainDb(int band, float gainDb) noexcept {
    if (band < 0 || band >= bandCount_) return false;
    pendingBandGainDb_[band].store(clampParameter(gainDb, ParametricEq::kMinGainDb, ParametricEq::kMaxGainDb),
                                   std::memory_order_relaxed);
    return true;
}

void DeckEffectChain::takePendingParameters() noexcept {
    for (int b = 0; b < bandCount_; ++b) {
        const float gain = pendingBandGainDb_[b].load(std::memory_order_relaxed);
        if (gain != appliedBandGainDb_[b]) {
            bands_[b].setGainDb(gain);
            appliedBandGainDb_[b] = gain;
        }
    }
    if (!effect_) return;
    for (int i = 0; i < kEffectParameterCount; ++i) {
        const float value = pendingEffectParameter_[i].load(std::memory_order_relaxed);
        if (value != appliedEffectParameter_[i]) {
            effect_->setParameter(i, value);
            appliedEffectParameter_[i] = value;
        }
    }
}

void DeckEffectChain::process(float* interleavedStereo, int frames) noexcept {
    ScopedFlushDenormals flushDenormals;
    takePendingParameters();
    runEqualizer(interleavedStereo, frames);
    if (effect_) effect_->process(interleavedStereo, frames);
}

// The bands that are not bypassed, in one pass per span; a span ends where some band's
// glide moves its coefficients.
void DeckEffectChain::runEqualizer(float* interleavedStereo, int frames) noexcept {
    while (frames > 0) {
        StereoBiquad* filters[kMaxEqualizerBands];
        int active = 0, span = frames;
        for (int b = 0; b < bandCount_; ++b) {
            if (bands_[b].bypassed()) continue;
            span = std::min(span, bands_[b].beginSpan(frames));
            filters[active++] = bands_[b].filter();
        }
        if (active == 0) return;
        StereoBiquad::processCascade(filters, active, interleavedStereo, span);
        for (int b = 0; b < bandCount_; ++b)
            if (!bands_[b].bypassed()) bands_[b].endSpan(span);
        interleavedStereo += 2 * span;
        frames -= span;
    }
}

void DeckEffectChain::reset() noexcept {
    for (int b = 0; b < bandCount_; ++b) bands_[b].reset();
    if (effect_) effect_->reset();
}

}  // namespace quillmix
