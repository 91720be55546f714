#include "engine/zan_mix_state.h"

namespace quillmix {

CZanMixState::CZanMixState(SoundSystem& system) : mainOutput(system), monitorOutput(system) {}

void CZanMixState::ApplyLevels() {
    monitorOutput.ApplyCrossFader(monitorCrossFader.value, levels());
    mainOutput.ApplyCrossFader(mainCrossFader.value, levels());
}

void CZanMixState::SetCrossFadeCurve(double shape) {
    crossFadeCurve.Set(shape);
    mainOutput.SetCurve(crossFadeCurve.value);
    monitorOutput.SetCurve(crossFadeCurve.value);
    ApplyLevels();
}

void CZanMixState::SetMainVolume(double volume) {
    mainVolume.Set(volume);
    mainOutput.SetWaveVolume(mainVolume.value);
}

void CZanMixState::SetMonitorVolume(double volume) {
    if (!monitorVolume.enabled) return;
    monitorVolume.Set(volume);
    monitorOutput.SetWaveVolume(monitorVolume.value);
}

bool CZanMixState::OpenOutputDevices(const std::string& mainId, const std::string& mainName,
                                     const std::string& monitorId, const std::string& monitorName) {
    if (monitorId.empty()) {
        monitorOutput.Close();
        monitorVolume.enabled = false;
        monitorVolume.value = 0.0;
    } else {
        monitorOutput.OpenDevice(monitorId, monitorName);
        monitorVolume.enabled = true;
    }
    if (mainId.empty()) {
        mainOutput.Close();
        mainVolume.enabled = false;
        mainVolume.value = 0.0;
    } else {
        mainOutput.OpenDevice(mainId, mainName);
        mainVolume.enabled = true;
    }
    if (mainId == monitorId) {  // one device split in halves, or both disabled
        monitorVolume.enabled = false;
        monitorVolume.value = 0.0;
    } else if (monitorOutput.output && monitorOutput.output->HasDevice()) {
        monitorVolume.Set(monitorOutput.GetWaveVolume());
        monitorOutput.SetWaveVolume(monitorVolume.value);
    }
    const bool mainHasDevice = mainOutput.output && mainOutput.output->HasDevice();
    if (mainHasDevice) {
        mainVolume.Set(mainOutput.GetWaveVolume());
        mainOutput.SetWaveVolume(mainVolume.value);
    }
    return mainHasDevice;
}

}  // namespace quillmix
