#pragma once
// The process-wide objects the mixer panel works with, handed to it by its creator (the
// main window in the program, the render tool, tests). They outlive the panel.

#include <array>

namespace quillmix {

class CZanAnalysis;
class CZanFilterBank;
class CZanReadAheadRing;
class CZanTrackReader;
class SettingsStore;
class SoundSystem;

struct MixerServices {
    SoundSystem& soundSystem;
    SettingsStore* settings = nullptr;  // null: defaults, nothing stored
    std::array<CZanTrackReader*, 2> trackReaders{};
    std::array<CZanReadAheadRing*, 2> readForwardRings{};
    CZanAnalysis* analysis = nullptr;
    std::array<CZanFilterBank*, 2> equalizerFilterBanks{};
};

}  // namespace quillmix
