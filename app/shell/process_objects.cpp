#include "app/shell/process_objects.h"

namespace quillmix {

// Construction order is the order of these definitions. (fileOpenPath, audioFileFilter
// and the track-length hand-over strings are shared state, defined with the events.)
std::array<CZanFilterBank, 2> chartFilterBank;
std::array<CZanFilterBank, 2> octaveFilterBank;
std::array<CZanTrackReader, 2> trackReader;
CZanCommandLineInfo commandLineInfo;
CpuUsageMeter cpuUsageMeter;
std::array<CZanReadAheadRing, 2> readForwardRing;
std::array<CZanFilterBank, 2> equalizerFilterBank;
HeldKeys heldKeys;
KeyboardReader keyboardInput(heldKeys);
SettingsStore settings;
CZanSoundDeviceLists soundDevices;
CZanAnalysis analysis({&octaveFilterBank[0], &octaveFilterBank[1]}, {&chartFilterBank[0], &chartFilterBank[1]});
CZanAudioApp theApp;  // last: its constructor reads the settings and creates the events

}  // namespace quillmix
