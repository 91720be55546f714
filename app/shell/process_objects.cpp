#include "app/shell/process_objects.h"

namespace quillmix {

// Construction order is the order of these definitions.
CZanCommandLineInfo commandLineInfo;
CpuUsageMeter cpuUsageMeter;
HeldKeys heldKeys;
KeyboardReader keyboardInput(heldKeys);
SettingsStore settings;
CZanAudioApp theApp;  // last: its constructor reads the settings and creates the events

}  // namespace quillmix
