#pragma once
// The process-wide objects, constructed before the application starts its main window and
// living until the process ends. They are defined in one file, so they are constructed in
// the order they are listed there. The sound system alone is made later, by the
// application object, once the application's event loop exists.

#include <array>

#include "app/command_line_info.h"
#include "app/cpu_usage_meter.h"
#include "app/keyboard_reader.h"
#include "app/settings_store.h"
#include "app/shell/audio_app.h"
#include "dsp/filter_bank.h"
#include "engine/chunk_analysis.h"
#include "engine/zan_device_list.h"
#include "platform/held_keys.h"
#include "sources/read_ahead_ring.h"
#include "sources/track_reader.h"

namespace quillmix {

extern std::array<CZanFilterBank, 2> chartFilterBank;
extern std::array<CZanFilterBank, 2> octaveFilterBank;
extern std::array<CZanTrackReader, 2> trackReader;
extern CZanCommandLineInfo commandLineInfo;
extern CpuUsageMeter cpuUsageMeter;
extern std::array<CZanReadAheadRing, 2> readForwardRing;
extern std::array<CZanFilterBank, 2> equalizerFilterBank;
extern HeldKeys heldKeys;  // fed by the key events of our windows
extern KeyboardReader keyboardInput;
extern SettingsStore settings;
extern CZanSoundDeviceLists soundDevices;
extern CZanAnalysis analysis;
extern CZanAudioApp theApp;

}  // namespace quillmix
