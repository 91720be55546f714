#pragma once
// The mix state the mixer panel holds, and the two outputs it drives: deck levels, both
// cross-faders, the curve shape and the output volumes, with the rules that apply them.
//
// Threads: window thread only.

#include <array>
#include <string>

#include "engine/zan_bounded_value.h"
#include "engine/zan_mix_output.h"

namespace quillmix {

class CZanMixState {
public:
    explicit CZanMixState(SoundSystem& system);

    // monitorOutput's fader first, then mainOutput's, each with the shared deck levels.
    void ApplyLevels();
    // Sets the curve shape on both outputs and re-applies the levels.
    void SetCrossFadeCurve(double shape);

    // Volumes: clamped to 0 .. 1 and sent to the output device's wave line. The monitor
    // volume reaches the monitor device exactly as the main volume reaches the main one,
    // unless both outputs are halves of one device (then it is disabled).
    void SetMainVolume(double volume);
    void SetMonitorVolume(double volume);

    // Reopens both outputs after a device choice (an empty identifier disables that
    // output) and takes each volume from its device's wave line. Returns true when the main
    // output has a device, which is when the main level display should be refreshed.
    bool OpenOutputDevices(const std::string& mainId, const std::string& mainName, const std::string& monitorId,
                           const std::string& monitorName);

    CZanMixOutput mainOutput;
    CZanMixOutput monitorOutput;
    std::array<CZanBoundedValue, 2> levelDeck{CZanBoundedValue(0, 1, 1), CZanBoundedValue(0, 1, 1)};
    CZanBoundedValue mainCrossFader{-1, 1, -1};
    CZanBoundedValue monitorCrossFader{-1, 1, 1};
    CZanBoundedValue crossFadeCurve{-1, 1, 1};
    CZanBoundedValue mainVolume{0, 1, 0};
    CZanBoundedValue monitorVolume{0, 1, 0};

private:
    std::array<double, 2> levels() const { return {levelDeck[0].value, levelDeck[1].value}; }
};

}  // namespace quillmix
