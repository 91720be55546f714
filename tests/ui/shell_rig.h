#pragma once
// What the window tests make the main window and the mixer with, as the program does: the
// shared events first, the shell's services, the decks' track readers and rings, and a sound
// system of hand-stepped devices (a test may put another in its place before anything is
// made from it).
#include <array>
#include <memory>

#include "app/command_line_info.h"
#include "app/cpu_usage_meter.h"
#include "app/keyboard_reader.h"
#include "app/shared_state.h"
#include "sound/sound_system.h"
#include "sources/read_ahead_ring.h"
#include "sources/track_reader.h"
#include "support/sound_engine_fixture.h"
#include "ui/shell_services.h"

namespace quillmix::test {

struct ShellRig {
    ShellRig() { createSharedEvents(); }
    CZanCommandLineInfo commandLine;
    CpuUsageMeter cpuMeter;
    HeldKeys keys;
    KeyboardReader keyboard{keys};
    std::unique_ptr<SoundSystem> sound = soundSteppedSystem();
    std::array<CZanTrackReader, 2> readers;
    std::array<CZanReadAheadRing, 2> rings;

    MixerServices mixerServices(SettingsStore* settings = nullptr, std::array<CZanFilterBank*, 2> banks = {}) {
        return {*sound, settings, {&readers[0], &readers[1]}, {&rings[0], &rings[1]}, nullptr, banks};
    }
    // Without a device list (the outputs stay closed) and without the track-length loader.
    ShellServices services() { return {commandLine, cpuMeter, keyboard, mixerServices(), nullptr, false}; }
};

}  // namespace quillmix::test
