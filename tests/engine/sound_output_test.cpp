// CZanSoundOutput on hand-stepped devices: device units, status codes and the split routing;
// and the deck effects: which chain each buffer carries after each operation, the values
// reaching the effect and the status codes, what the device then renders through deck 0's
// forward buffer, and chain changes on a playing deck. Playback, positions and
// notifications are checked on the sound buffers, by the play cycle (forward, reversed and
// resumed) and end to end (over many wraps of the buffers).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "app/shared_state.h"
#include "dsp/deck_effect_chain.h"
#include "dsp/filter_bank.h"
#include "engine/zan_mix_output.h"
#include "engine/zan_sound_output.h"
#include "support/sound_engine_fixture.h"
#include "support/sound_signals.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {

constexpr double kRate = 44100.0;

// A sound output on a hand-stepped stereo device with deck 0's buffers made, its equaliser
// bank (3 bands) and effect values wired in, and helpers to play a signal through deck 0's
// forward buffer and read back what the device rendered.
class OutputFixture : public ::testing::Test {
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

using SoundOutputTest = OutputFixture;
using EffectOperationsTest = OutputFixture;
using EffectSoundTest = OutputFixture;
using EffectSwapThreadTest = OutputFixture;
using EffectMixOutputTest = OutputFixture;
using SoundOutputSplitTest = OutputFixture;

double maxStep(const std::vector<double>& x, int first, int last) {
    double step = 0;
    for (int n = std::max(first, 1); n < last; ++n) step = std::max(step, std::abs(x[n] - x[n - 1]));
    return step;
}

}  // namespace

TEST(SoundOutputLawTest, EveryOperationWithoutDeviceOrBufferIsNotInitialized) {
    auto system = soundSteppedSystem();
    CZanSoundOutput none(*system);
    const std::vector<std::int16_t> silence(5880);
    EXPECT_FALSE(none.HasDevice());
    EXPECT_EQ(none.CreateDeckBuffers(0, 44100, true, true), kSoundNotInitialized);
    EXPECT_EQ(none.WriteForwardChunk(0, silence.data()), kSoundNotInitialized);
    EXPECT_EQ(none.WriteBackwardChunk(1, silence.data()), kSoundNotInitialized);
    EXPECT_EQ(none.SetDeckGain(0, 1.0), kSoundNotInitialized);
    EXPECT_EQ(none.SetDeckPan(0, 0.5f), kSoundNotInitialized);
    EXPECT_EQ(none.SetForwardFrequency(0, 44100), kSoundNotInitialized);
    EXPECT_EQ(none.SetForwardPlayPosition(0, 0), kSoundNotInitialized);
    EXPECT_EQ(none.StopDeck(0), kSoundNotInitialized);
    EXPECT_EQ(none.PlayForward(0), kSoundNotInitialized);
    EXPECT_EQ(none.StartBackwardFromForward(0), kSoundNotInitialized);
    EXPECT_FALSE(none.IsForwardPlaying(0));
    EXPECT_EQ(none.GetForwardPlayPosition(0), 0);
    EXPECT_NE(none.CreateDevice("no-such-device", false, false), kSoundOk);
    EXPECT_FALSE(none.HasDevice());
}

// The decibel laws of volume and pan are measured on the sound buffers; here, the
// output's conversion into device units and that both buffers take the values.
TEST_F(SoundOutputTest, GainAndPanReachBothBuffersInDeviceUnits) {
    EXPECT_EQ(output.SetDeckGain(0, 0.5), kSoundOk);
    EXPECT_EQ(output.SetDeckPan(0, -0.33339f), kSoundOk);
    EXPECT_EQ(output.BackwardBuffer(0)->volume(), -2800);
    EXPECT_EQ(output.BackwardBuffer(0)->pan(), -3333);          // toward zero
    EXPECT_EQ(output.SetDeckGain(0, 1.5), kSoundInvalidParam);  // positive volume refused
    EXPECT_EQ(output.ForwardBuffer(0)->volume(), -2800);
    EXPECT_EQ(CZanSoundOutput::GainToVolume(0.0), -10000);
    EXPECT_EQ(CZanSoundOutput::GainToVolume(0.00011), -5600);
}

TEST_F(SoundOutputSplitTest, HalvesOfOneDeviceShareItsStreamOnTheirOwnPairsWithoutEffects) {
    CZanSoundOutput main(*system), monitor(*system);
    ASSERT_EQ(main.CreateDevice("stepped:quad", true, false), kSoundOk);
    ASSERT_EQ(monitor.CreateDevice("stepped:quad", true, true), kSoundOk);
    EXPECT_EQ(main.Device(), monitor.Device());
    main.CreateDeckBuffers(0, 44100, true, true);
    monitor.SetDeckEffectInputs(0, {&bank, &parameters});
    monitor.CreateDeckBuffers(0, 44100, false, true);
    const auto a = soundNoise(2940, 5), b = soundNoise(2940, 6);
    main.WriteForwardChunk(0, a.data());
    monitor.WriteForwardChunk(0, b.data());
    main.ForwardBuffer(0)->play();
    monitor.ForwardBuffer(0)->play();
    const auto out = stepSoundDevice(*main.Device(), 2940);
    for (int n = 0; n < 2940; n += 7) {
        ASSERT_EQ(out[4 * n], a[2 * n]);
        ASSERT_EQ(out[4 * n + 1], a[2 * n + 1]);
        ASSERT_EQ(out[4 * n + 2], b[2 * n]);
        ASSERT_EQ(out[4 * n + 3], b[2 * n + 1]);
    }

    // A half of a split device carries no effect, nor the equaliser.
    EXPECT_EQ(monitor.SetEffect(0, "Echo"), kSoundUnexpected);
    EXPECT_EQ(monitor.effectName(0), "No Effect");
    EXPECT_EQ(monitor.EqualizerOn(0), kSoundUnexpected);
    EXPECT_FALSE(monitor.effectChainActive(0));
    EXPECT_EQ(monitor.SetEffectParameter(0, 0), kSoundUnexpected);
    EXPECT_EQ(monitor.SetEqualizerBandGain(0, 0), kSoundNotInitialized);
    EXPECT_EQ(monitor.EqualizerOff(0), kSoundOk);
    EXPECT_EQ(monitor.ForwardBuffer(0)->effectChain(), nullptr);
    EXPECT_EQ(monitor.BackwardBuffer(0)->effectChain(), nullptr);

    CZanSoundOutput stereo(*system);  // refuses four channels: opens with two
    EXPECT_EQ(stereo.CreateDevice("stepped:stereo", false, false), kSoundOk);
    EXPECT_EQ(stereo.Device()->channels(), 2);
}

TEST_F(EffectOperationsTest, EqualiserBandsComeBeforeTheEffectOnTheForwardBufferOnly) {
    EXPECT_EQ(output.effectName(0), "No Effect");
    EXPECT_EQ(forwardChain(), nullptr);
    EXPECT_EQ(backwardChain(), nullptr);

    parameters = {40.0f, 300.0f};
    ASSERT_EQ(output.SetEffect(0, "Echo"), kSoundOk);
    ASSERT_NE(forwardChain(), nullptr);
    EXPECT_EQ(forwardChain()->equalizerBandCount(), 0);
    EXPECT_EQ(forwardChain()->effect(), EffectKind::Echo);
    EXPECT_EQ(backwardChain()->effect(), EffectKind::Echo);
    EXPECT_EQ(output.effectParameter(0, 1), 300.0f);

    ASSERT_EQ(output.EqualizerOn(0), kSoundOk);
    EXPECT_TRUE(output.effectChainActive(0));
    EXPECT_EQ(forwardChain()->equalizerBandCount(), 3);
    EXPECT_EQ(forwardChain()->effect(), EffectKind::Echo);
    EXPECT_EQ(backwardChain()->equalizerBandCount(), 0);

    // Changing the effect with the equaliser on: n bands, then the new effect; the backward
    // buffer gets the new effect too.
    bank.Design(5);
    ASSERT_EQ(output.SetEffect(0, "Reverb"), kSoundOk);
    EXPECT_EQ(forwardChain()->equalizerBandCount(), 5);
    EXPECT_EQ(forwardChain()->effect(), EffectKind::Reverb);
    EXPECT_EQ(backwardChain()->effect(), EffectKind::Reverb);

    // Effect off leaves the equaliser alone; then equaliser off leaves nothing.
    parameters = {1.0f, 2.0f};
    ASSERT_EQ(output.SetEffect(0, "No Effect"), kSoundOk);
    EXPECT_EQ(forwardChain()->equalizerBandCount(), 5);
    EXPECT_EQ(forwardChain()->effect(), EffectKind::None);
    EXPECT_EQ(backwardChain(), nullptr);
    EXPECT_EQ(output.effectName(0), "No Effect");
    ASSERT_EQ(output.EqualizerOff(0), kSoundOk);
    EXPECT_FALSE(output.effectChainActive(0));
    EXPECT_EQ(forwardChain(), nullptr);

    // Equaliser off with an effect keeps the effect alone.
    ASSERT_EQ(output.SetEffect(0, "Flanger"), kSoundOk);
    ASSERT_EQ(output.EqualizerOn(0), kSoundOk);
    ASSERT_EQ(output.EqualizerOff(0), kSoundOk);
    EXPECT_EQ(forwardChain()->equalizerBandCount(), 0);
    EXPECT_EQ(forwardChain()->effect(), EffectKind::Flanger);
}

TEST_F(EffectOperationsTest, NoEffectKeepsTheStoredValuesAndParametersReachBothBuffers) {
    parameters = {70.0f, 250.0f};
    output.SetEffect(0, "Echo");
    parameters = {10.0f, 20.0f};  // the panel moved on; nothing applied yet
    ASSERT_EQ(output.SetEffect(0, "No Effect"), kSoundOk);
    EXPECT_EQ(output.SetEffectParameter(0, 0), kSoundOk);  // stored, no effect to reach
    EXPECT_EQ(output.effectParameter(0, 0), 10.0f);
    EXPECT_EQ(output.effectParameter(0, 1), 20.0f);

    // Without an inputs table the deck keeps what it had.
    output.SetDeckEffectInputs(0, {&bank, nullptr});
    ASSERT_EQ(output.SetEffect(0, "Gargle"), kSoundOk);
    EXPECT_EQ(output.effectParameter(0, 0), 10.0f);
    EXPECT_EQ(output.SetEffectParameter(0, 1), kSoundOk);
    EXPECT_EQ(output.SetEffectParameter(0, 2), kSoundUnexpected);
    EXPECT_EQ(output.SetEffectParameter(0, -1), kSoundUnexpected);

    // A buffer that lost its chain behind the object's back answers "nothing to work on".
    output.ForwardBuffer(0)->swapEffectChain(nullptr);
    EXPECT_EQ(output.SetEffectParameter(0, 0), kSoundUnexpected);
}

TEST_F(EffectOperationsTest, BandGainNeedsAValidBandAndTheEqualiserOn) {
    bank.SetBandGain(1, 1.15f);
    EXPECT_EQ(output.SetEqualizerBandGain(0, 1), kSoundNotInitialized);  // equaliser off
    EXPECT_EQ(output.SetEqualizerBandGain(0, 3), kSoundUnexpected);      // 3 bands: 0..2
    EXPECT_EQ(output.SetEqualizerBandGain(0, -1), kSoundUnexpected);
    output.EqualizerOn(0);
    EXPECT_EQ(output.SetEqualizerBandGain(0, 1), kSoundOk);
    EXPECT_EQ(output.SetEqualizerBandGain(0, 3), kSoundUnexpected);
    bank.Design(5);  // more bands than the running chain has, until it is rebuilt
    EXPECT_EQ(output.SetEqualizerBandGain(0, 4), kSoundUnexpected);
    output.EqualizerOn(0);
    EXPECT_EQ(output.SetEqualizerBandGain(0, 4), kSoundOk);
}

TEST_F(EffectOperationsTest, MissingBuffersRefuseEffects) {
    EXPECT_EQ(output.SetEffect(1, "Echo"), kSoundNotInitialized);  // deck 1 has no buffers
    EXPECT_EQ(output.EqualizerOn(1), kSoundNotInitialized);
    EXPECT_EQ(output.EqualizerOff(1), kSoundNotInitialized);
    EXPECT_EQ(output.SetEffectParameter(1, 0), kSoundNotInitialized);
}

TEST_F(EffectMixOutputTest, OutputsForwardTheOperationsAndKeepThemAcrossADeviceChange) {
    bank.Design(2);
    parameters = {50.0f, 500.0f};
    CZanMixOutput mix(*system);
    mix.SetDeckEffectInputs(1, {&bank, &parameters});
    EXPECT_EQ(mix.SetEffect(1, "Echo"), kSoundOk);  // closed: nothing to do
    mix.OpenDevice("stepped:stereo", "Stereo Card");
    mix.CreateDeckBuffers(1, 44100, false, true);
    EXPECT_EQ(mix.SetEffect(1, "Reverb"), kSoundOk);
    EXPECT_EQ(mix.EqualizerOn(1), kSoundOk);
    EXPECT_EQ(mix.SetEqualizerBandGain(1, 1), kSoundOk);
    EXPECT_EQ(mix.SetEffectParameter(1, 0), kSoundOk);

    // The new device's buffers are made with the deck's effect and equaliser.
    mix.OpenDevice("stepped:quad", "Quad Card");
    mix.CreateDeckBuffers(1, 44100, false, true);
    auto* chain = dynamic_cast<DeckEffectChain*>(mix.output->ForwardBuffer(1)->effectChain());
    auto* backward = dynamic_cast<DeckEffectChain*>(mix.output->BackwardBuffer(1)->effectChain());
    ASSERT_TRUE(chain && backward);
    EXPECT_EQ(chain->equalizerBandCount(), 2);
    EXPECT_EQ(chain->effect(), EffectKind::Reverb);
    EXPECT_EQ(backward->effect(), EffectKind::Reverb);
    EXPECT_EQ(mix.output->effectName(1), "Reverb");
    EXPECT_EQ(mix.EqualizerOff(1), kSoundOk);
}

// Each effect's own sound is measured on the effect itself; here the output's operations
// must put it in the sound path and pass a parameter changed while it plays.

// A value far outside its range sounds exactly like the end of the range, not like a
// full-scale square wave; one that is not a number takes the default.
TEST_F(EffectSoundTest, ParametersAreHeldToTheirRangesOnTheirWayIn) {
    auto renderWith = [this](float gain) {
        SetUp();
        writeSignal(soundSine(4 * kChunkFrames, 440, kRate, 3000));
        parameters = {gain, 10.0f};
        EXPECT_EQ(output.SetEffect(0, "Compressor"), kSoundOk);
        startForward();
        return render(4 * kChunkFrames);
    };
    EXPECT_EQ(renderWith(1e6f), renderWith(60.0f));
    parameters = {std::nanf(""), 1e9f};
    ASSERT_EQ(output.SetEffectParameter(0, 0), kSoundOk);
    ASSERT_EQ(output.SetEffectParameter(0, 1), kSoundOk);
    EXPECT_EQ(output.effectParameter(0, 0), 0.0f);
    EXPECT_EQ(output.effectParameter(0, 1), 500.0f);
}

TEST_F(EffectSoundTest, GargleChopsBelowWaveOneAndSwingsSmoothlyFromOne) {
    writeSignal(std::vector<std::int16_t>(20 * kChunkFrames, 9830));  // constant, both sides
    parameters = {50.0f, 0.5f};
    ASSERT_EQ(output.SetEffect(0, "Gargle"), kSoundOk);
    startForward();
    render(2000);
    auto share = [](const std::vector<double>& x) {  // of samples between the extremes
        const auto between = std::count_if(x.begin(), x.end(), [](double v) { return v > 0.03 && v < 0.27; });
        return static_cast<double>(between) / static_cast<double>(x.size());
    };
    EXPECT_LT(share(render(8820)), 0.02);

    parameters[1] = 1.0f;
    ASSERT_EQ(output.SetEffectParameter(0, 1), kSoundOk);
    render(512);
    EXPECT_GT(share(render(8820)), 0.7);
}

// Each change of chain while a sine plays: the largest sample step around the change stays
// that of the steady sound on either side of it, and no stretch of the output falls silent.
TEST_F(EffectSoundTest, ChainChangesOnAPlayingDeckNeitherClickNorDropOut) {
    const double amplitude = 0.4;
    writeSignal(soundSine(100 * kChunkFrames, 440, kRate, amplitude * 32768));
    bank.SetBandGain(0, 1.15f);
    bank.SetBandGain(1, 0.85f);
    startForward();
    render(4410);
    struct Change {
        const char* what;
        std::function<void()> apply;
    };
    const std::vector<Change> changes = {
        {"none -> echo",
         [&] {
             parameters = {50.0f, 100.0f};
             output.SetEffect(0, "Echo");
         }},
        {"echo -> reverb",
         [&] {
             parameters = {1000.0f, 0.5f};
             output.SetEffect(0, "Reverb");
         }},
        {"equaliser on", [&] { output.EqualizerOn(0); }},
        {"reverb -> none", [&] { output.SetEffect(0, "No Effect"); }},
        {"equaliser off", [&] { output.EqualizerOff(0); }},
    };
    constexpr int kBefore = 22050, kAfter = 22050, kNear = 2048;
    for (const Change& change : changes) {
        const auto before = render(kBefore);
        change.apply();
        const auto after = render(kAfter);
        std::vector<double> joined(before);
        joined.insert(joined.end(), after.begin(), after.end());
        const double steady = std::max(maxStep(joined, kBefore - 4 * kNear, kBefore - kNear),
                                       maxStep(joined, kBefore + kNear, kBefore + 4 * kNear));
        const double around = maxStep(joined, kBefore - kNear, kBefore + kNear);
        double quietest = 1.0;
        for (int at = kBefore - kNear; at < kBefore + kNear; at += 128)
            quietest = std::min(quietest, soundRms({joined.begin() + at, joined.begin() + at + 256}));
        std::printf("[ figures  ] %-15s max step around the change %.4f, steady %.4f\n", change.what, around, steady);
        EXPECT_LT(around, steady * 1.25 + 0.002) << change.what;
        EXPECT_GT(quietest, 0.3 * amplitude / std::sqrt(2.0)) << change.what;
    }
}

// Chain changes from the window thread while another thread renders, as a device's audio
// thread does: every change is taken up, and every replaced chain is freed once let go.
TEST_F(EffectSwapThreadTest, ChangesWhileTheAudioThreadRendersAreTakenUpAndFreed) {
    bank.Design(5);
    parameters = {30.0f, 200.0f};
    writeSignal(soundNoise(4 * kChunkFrames, 3, 8000));
    output.ForwardBuffer(0)->play();
    output.BackwardBuffer(0)->play();

    std::atomic<bool> running{true};
    std::atomic<int> blocks{0};
    std::thread audio([&] {
        while (running.load()) {
            stepSoundDevice(*output.Device(), 256);
            blocks.fetch_add(1);
        }
    });
    const char* names[] = {"Chorus", "Compressor", "Distortion", "Echo", "Flanger", "Gargle", "Reverb", "No Effect"};
    for (int i = 0; i < 120; ++i) {
        switch (i % 4) {
            case 0: output.SetEffect(0, names[i % 8]); break;
            case 1: (i % 8 == 1) ? output.EqualizerOn(0) : output.EqualizerOff(0); break;
            case 2:
                bank.SetBandGain(i % 5, 0.9f + 0.01f * (i % 20));
                output.SetEqualizerBandGain(0, i % 5);
                break;
            default:
                parameters[i % 2] += 1.0f;
                output.SetEffectParameter(0, i % 2);
                break;
        }
        const int seen = blocks.load();
        while (blocks.load() < seen + 1) std::this_thread::yield();  // let a block pass
    }
    output.SetEffect(0, "Echo");
    const int seen = blocks.load();
    while (blocks.load() < seen + 4) std::this_thread::yield();  // past the last blend
    running.store(false);
    audio.join();
    EXPECT_EQ(output.ForwardBuffer(0)->releaseRetiredEffectChains(), 0);
    EXPECT_EQ(output.BackwardBuffer(0)->releaseRetiredEffectChains(), 0);
    EXPECT_EQ(output.effectName(0), "Echo");
    EXPECT_NE(output.ForwardBuffer(0)->effectChain(), nullptr);
}
