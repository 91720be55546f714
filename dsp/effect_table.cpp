#include "dsp/effect_table.h"

#include "dsp/effect_compressor.h"
#include "dsp/effect_distortion.h"
#include "dsp/effect_echo.h"
#include "dsp/effect_gargle.h"
#include "dsp/effect_modulated_delay.h"
#include "dsp/effect_reverb.h"

namespace quillmix {

namespace {
constexpr EffectParameterRange kNoParameter{"--", 0.0f, 0.0f, 0.0f, false};

constexpr std::array<EffectDescription, 8> kEffects{{
    {EffectKind::None, kNoEffectName, {kNoParameter, kNoParameter}, "", 0.1f, 1.0f},
    {EffectKind::Chorus,
     "Chorus",
     {{{"feedback", -99.0f, 99.0f, 25.0f, true}, {"frequency", 0.0f, 10.0f, 1.1f, true}}},
     "%",
     0.1f,
     1.0f},
    {EffectKind::Compressor,
     "Compressor",
     {{{"gain", -60.0f, 60.0f, 0.0f, true}, {"attack", 0.01f, 500.0f, 10.0f, true}}},
     " dB",
     0.1f,
     1.0f},
    {EffectKind::Distortion,
     "Distortion",
     {{{"gain", -60.0f, 0.0f, -18.0f, true}, {"edge", 0.0f, 100.0f, 15.0f, true}}},
     " dB",
     0.1f,
     1.0f},
    {EffectKind::Echo,
     "Echo",
     {{{"feedback", 0.0f, 100.0f, 50.0f, true}, {"delay", 1.0f, 2000.0f, 500.0f, true}}},
     "%",
     0.01f,
     1.0f},
    {EffectKind::Flanger,
     "Flanger",
     {{{"feedback", -99.0f, 99.0f, -50.0f, true}, {"delay", 0.0f, 4.0f, 2.0f, true}}},
     "%",
     0.01f,
     1.0f},
    {EffectKind::Gargle,
     "Gargle",
     {{{"rate", 1.0f, 1000.0f, 20.0f, true}, {"wave", 0.0f, 2.0f, 0.0f, true}}},
     " Hz",
     1.0f,
     1.0f},
    {EffectKind::Reverb,
     "Reverb",
     {{{"length", 0.001f, 3000.0f, 1000.0f, true}, {"high freq %", 0.001f, 0.999f, 0.001f, true}}},
     "s",
     0.01f,
     0.001f},
}};
}  // namespace

std::span<const EffectDescription> effectDescriptions() noexcept { return kEffects; }

const EffectDescription& describeEffect(EffectKind kind) noexcept {
    for (const auto& effect : kEffects)
        if (effect.kind == kind) return effect;
    return kEffects[0];
}

EffectKind effectKindFromName(std::string_view name) noexcept {
    for (const auto& effect : kEffects)
        if (effect.name == name) return effect.kind;
    return EffectKind::None;
}

std::unique_ptr<EffectProcessor> makeEffectProcessor(EffectKind kind) {
    switch (kind) {
        case EffectKind::None: return nullptr;
        case EffectKind::Chorus: return std::make_unique<ChorusEffect>();
        case EffectKind::Compressor: return std::make_unique<CompressorEffect>();
        case EffectKind::Distortion: return std::make_unique<DistortionEffect>();
        case EffectKind::Echo: return std::make_unique<EchoEffect>();
        case EffectKind::Flanger: return std::make_unique<FlangerEffect>();
        case EffectKind::Gargle: return std::make_unique<GargleEffect>();
        case EffectKind::Reverb: return std::make_unique<ReverbEffect>();
    }
    return nullptr;
}

}  // namespace quillmix
