#pragma once
// The deck effects by name: their two parameters (name, range, default), the unit and step
// the effects panel shows them with, and the factory for their processors.
//
// Names are the keys used everywhere ("No Effect", "Chorus", ...). Parameter values are in
// the processors' field units (the reverb length in milliseconds; it is shown in seconds,
// hence `displayScale`). Pure data and functions; any thread.

#include <array>
#include <memory>
#include <span>
#include <string_view>

#include "dsp/effect_processor.h"

namespace quillmix {

enum class EffectKind { None, Chorus, Compressor, Distortion, Echo, Flanger, Gargle, Reverb };

inline constexpr std::string_view kNoEffectName = "No Effect";

struct EffectParameterRange {
    std::string_view name;  // "--" for "No Effect"
    float minimum;
    float maximum;
    float defaultValue;
    bool enabled;
};

struct EffectDescription {
    EffectKind kind;
    std::string_view name;
    std::array<EffectParameterRange, kEffectParameterCount> parameters;
    std::string_view unit;  // appended to the value text
    float step;             // value texts are truncated to a multiple of this
    float displayScale;     // value shown = value x displayScale
};

// All eight, in the order the effects panel lists them, "No Effect" first.
std::span<const EffectDescription> effectDescriptions() noexcept;

// The description of `kind`.
const EffectDescription& describeEffect(EffectKind kind) noexcept;

// "No Effect" and names outside the table give EffectKind::None: an unknown name can only
// come from a programming error, and passing the sound through unchanged is the safe
// answer to it.
EffectKind effectKindFromName(std::string_view name) noexcept;

// A fresh processor of `kind` with its defaults, not yet prepared; nullptr for None.
// Allocates: never on the audio thread.
std::unique_ptr<EffectProcessor> makeEffectProcessor(EffectKind kind);

}  // namespace quillmix
