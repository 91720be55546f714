#pragma once
// The process-wide services the main window works with, handed to it by the application
// object (tests hand it their own).

#include <string>

#include "engine/mixer_services.h"

namespace quillmix {

class CZanCommandLineInfo;
class CpuUsageMeter;
class CZanSoundDeviceLists;
class KeyboardReader;

struct ShellServices {
    CZanCommandLineInfo& commandLine;
    CpuUsageMeter& cpuUsageMeter;
    KeyboardReader& keyboardInput;
    MixerServices mixer;
    // The device choice behind the options dialog; null leaves the outputs closed.
    CZanSoundDeviceLists* soundDevices = nullptr;
    // Whether start-up runs the track-length loader thread.
    bool startTrackLengthLoader = true;
    // Device texts (as the settings store them) that this run opens instead of the stored
    // choice, without storing them; empty keeps the stored one. Set from the command line.
    std::string mainDeviceForRun = {};
    std::string monitorDeviceForRun = {};
    // A sound file to load into deck B at start-up, after the command-line files; empty: none.
    std::string deckBTrack = {};
};

}  // namespace quillmix
