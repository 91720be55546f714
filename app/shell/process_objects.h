#pragma once
// The process-wide objects, constructed before the application starts its main window and
// living until the process ends. They are defined in one file, so they are constructed in
// the order they are listed there.

#include "app/command_line_info.h"
#include "app/cpu_usage_meter.h"
#include "app/keyboard_reader.h"
#include "app/settings_store.h"
#include "app/shell/audio_app.h"
#include "platform/held_keys.h"

namespace quillmix {

extern CZanCommandLineInfo commandLineInfo;
extern CpuUsageMeter cpuUsageMeter;
extern HeldKeys heldKeys;            // fed by the key events of our windows
extern KeyboardReader keyboardInput;
extern SettingsStore settings;
extern CZanAudioApp theApp;

}  // namespace quillmix
