#pragma once
// What the window tests make the main window and the mixer with, as the program does: the
// shared events first, the shell's services, the decks' track readers and rings, and a sound
// system of hand-stepped devices (a test may put another in its place before anything is
// made from it).
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "app/command_line_info.h"
#include "app/cpu_usage_meter.h"
#include "app/keyboard_reader.h"
#include "app/shared_state.h"
#include "engine/zan_mixer.h"
#include "sound/sound_device.h"
#include "sound/sound_system.h"
#include "sources/read_ahead_ring.h"
#include "sources/track_reader.h"
#include "support/sound_engine_fixture.h"
#include "ui/main_window.h"
#include "ui/shell_services.h"

namespace quillmix::test {

struct ShellRig {
    // The keyboard reader polls `held` when given (the keyboard tests give the state the
    // application's key recorder feeds), else the rig's own.
    explicit ShellRig(HeldKeys* held = nullptr) : keyboard{held ? *held : keys} { createSharedEvents(); }
    CZanCommandLineInfo commandLine;
    CpuUsageMeter cpuMeter;
    HeldKeys keys;
    KeyboardReader keyboard;
    std::unique_ptr<SoundSystem> sound = soundSteppedSystem();
    std::array<CZanTrackReader, 2> readers;
    std::array<CZanReadAheadRing, 2> rings;

    MixerServices mixerServices(SettingsStore* settings = nullptr, std::array<CZanFilterBank*, 2> banks = {}) {
        return {*sound, settings, {&readers[0], &readers[1]}, {&rings[0], &rings[1]}, nullptr, banks};
    }
    // Without a device list (the outputs stay closed) and without the track-length loader.
    ShellServices services() { return {commandLine, cpuMeter, keyboard, mixerServices(), nullptr, false}; }
};

// The loudest of every `step`-th sample from `from` on (step 2: one channel of stereo).
inline int loudest(const std::vector<std::int16_t>& samples, std::size_t from = 0, std::size_t step = 1) {
    int peak = 0;
    for (std::size_t i = from; i < samples.size(); i += step) peak = std::max(peak, std::abs(int{samples[i]}));
    return peak;
}

// The main window started on the rig's services, the main output on the stepped stereo card
// with deck A's level, the curve and the main volume full; closed at the end.
struct MainWindowRig : ShellRig {
    explicit MainWindowRig(HeldKeys* held = nullptr) : ShellRig(held) {
        EXPECT_TRUE(dialog.OnInitDialog());
        dialog.mixer()->engine().OpenOutputs("stepped:stereo", "Stereo Card", "", "");
        CZanMixState& mix = dialog.mixer()->engine().mix();
        mix.levelDeck[0].Set(1.0);
        mix.SetCrossFadeCurve(1.0);
        mix.SetMainVolume(1.0);
    }
    ~MainWindowRig() { sendMessage(dialog.handle(), WM_CLOSE); }

    // Renders the main output for `seconds`, answering deck A's play notifications between
    // periods as the window thread does.
    std::vector<std::int16_t> render(double seconds) {
        constexpr int kPeriod = 512;
        std::vector<std::int16_t> out;
        SoundDevice& device = *dialog.mixer()->engine().mix().mainOutput.output->Device();
        for (int p = 0; p < static_cast<int>(seconds * 44100 / kPeriod); ++p) {
            const auto m = stepSoundDevice(device, kPeriod);
            out.insert(out.end(), m.begin(), m.end());
            for (int i = 0; i < 200 && (playForwardNotifyEvent[0].isSet() || playBackwardNotifyEvent[0].isSet()); ++i) {
                dispatchPendingMessages();
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            }
            dispatchPendingMessages();
        }
        return out;
    }

    CZanAudioDlg dialog{services()};
};

}  // namespace quillmix::test
