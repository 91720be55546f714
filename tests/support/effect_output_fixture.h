#pragma once
// A sound output on a hand-stepped stereo device with deck 0's buffers made, its equaliser
// bank (3 bands) and effect values wired in, and helpers to play a signal through deck 0's
// forward buffer and read back what the device rendered.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "app/shared_state.h"
#include "dsp/deck_effect_chain.h"
#include "dsp/filter_bank.h"
#include "engine/zan_sound_output.h"
#include "support/sound_engine_fixture.h"

namespace quillmix::test {

class EffectOutputFixture : public ::testing::Test {
protected:
    void SetUp() override {
        createSharedEvents();
        bank.Design(3);
        ASSERT_EQ(output.CreateDevice("stepped:stereo", false, false), kSoundOk);
        output.SetDeckEffectInputs(0, {&bank, &parameters});
        ASSERT_EQ(output.CreateDeckBuffers(0, 44100, true, true), kSoundOk);
    }

    // The chains in deck 0's slots (null: the buffer plays its audio untouched).
    DeckEffectChain* forwardChain() { return dynamic_cast<DeckEffectChain*>(output.ForwardBuffer(0)->effectChain()); }
    DeckEffectChain* backwardChain() { return dynamic_cast<DeckEffectChain*>(output.BackwardBuffer(0)->effectChain()); }

    // Writes `samples` (interleaved stereo, whole chunks) from the forward write position.
    void writeSignal(const std::vector<std::int16_t>& samples) {
        const int chunkSamples = CZanSoundOutput::kChunkSize / 2;
        for (std::size_t at = 0; at + chunkSamples <= samples.size(); at += chunkSamples)
            output.WriteForwardChunk(0, samples.data() + at);
    }
    // Starts deck 0's forward buffer at once (no fade), at full gain.
    void startForward() {
        output.SetDeckGain(0, 1.0);
        output.ForwardBuffer(0)->play();
    }
    // Renders `frames` frames and returns one channel (0 left, 1 right) scaled to 1.0.
    std::vector<double> render(int frames, int channel = 0) {
        const auto out = stepSoundDevice(*output.Device(), frames);
        std::vector<double> side(static_cast<std::size_t>(frames));
        for (int n = 0; n < frames; ++n) side[n] = out[2 * n + channel] / 32768.0;
        return side;
    }

    std::unique_ptr<SoundSystem> system = soundSteppedSystem();
    CZanSoundOutput output{*system};
    CZanFilterBank bank;
    std::array<float, 2> parameters{};
};

}  // namespace quillmix::test
