#pragma once
// A mixer on hand-stepped devices for the panel tests: deck 0's buffers on the main output
// (a stereo stepped device, no monitor), its equaliser bank and effect values wired in, a
// signal written into the forward buffer and what the device renders read back. The mixer
// sets mixerWindow, so the panels' sends reach it as in the program.
#include <QApplication>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/shared_state.h"
#include "dsp/filter_bank.h"
#include "engine/zan_mixer.h"
#include "sound/sound_device.h"
#include "ui/shell_rig.h"

namespace quillmix::test {

struct PanelSoundRig : ShellRig {
    PanelSoundRig() {
        mixer = std::make_unique<CZanMixer>(mixerServices(nullptr, {&banks[0], &banks[1]}));
        mixer->engine().OpenOutputs("stepped:stereo", "Stereo Card", "", "");
    }
    CZanSoundOutput& output() { return *mixer->engine().mix().mainOutput.output; }
    // Fresh buffers for deck 0, made as a track load makes them, carrying `samples`
    // (interleaved stereo, whole chunks), playing at full gain from their start.
    void play(const std::vector<std::int16_t>& samples) {
        mixer->engine().mix().mainOutput.CreateDeckBuffers(0, 44100, false, true);
        mixer->engine().cycle().afterBuffersCreated(0);
        for (std::size_t at = 0; at + kChunkSamples <= samples.size(); at += kChunkSamples)
            output().WriteForwardChunk(0, samples.data() + at);
        output().SetDeckGain(0, 1.0);
        output().ForwardBuffer(0)->play();
    }
    // The left channel of the next `frames` frames, full scale 1.0.
    std::vector<double> render(int frames) {
        const auto out = stepSoundDevice(*output().Device(), frames);
        std::vector<double> left(static_cast<std::size_t>(frames));
        for (int n = 0; n < frames; ++n)
            left[static_cast<std::size_t>(n)] = out[2 * static_cast<std::size_t>(n)] / 32768.0;
        return left;
    }

    std::array<CZanFilterBank, 2> banks;
    std::unique_ptr<CZanMixer> mixer;
};

}  // namespace quillmix::test
