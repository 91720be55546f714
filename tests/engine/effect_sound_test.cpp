// The deck effects as heard: that the sound output's effect operations reach what the device
// renders through deck 0's forward buffer, and how a chain change on a playing deck sounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <thread>

#include "support/effect_output_fixture.h"
#include "support/sound_signals.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {

constexpr double kRate = 44100.0;

class EffectSoundTest : public EffectOutputFixture {};

// Interleaved stereo, both sides alike, one constant value.
std::vector<std::int16_t> constantSignal(int frames, std::int16_t value) {
    return std::vector<std::int16_t>(static_cast<std::size_t>(frames) * 2, value);
}

double rmsOf(const std::vector<double>& x, int first, int count) {
    return soundRms(std::vector<double>(x.begin() + first, x.begin() + first + count));
}

double maxStep(const std::vector<double>& x, int first, int last) {
    double step = 0;
    for (int n = std::max(first, 1); n < last; ++n) step = std::max(step, std::abs(x[n] - x[n - 1]));
    return step;
}

// The step a plain switch at frame `at` from chain `before` (running since frame 0) to a
// fresh chain `after` would make in the output for input `x` (left channel of a stereo
// float signal).
double plainSwitchStep(const DeckChainLayout& before, const DeckChainLayout& after, std::vector<float> x, int at) {
    auto a = DeckEffectChain::build(before, kRate);
    auto b = DeckEffectChain::build(after, kRate);
    std::vector<float> tail(x.begin() + 2 * at, x.end());
    if (a) a->process(x.data(), at);
    const float last = x[2 * (at - 1)];
    if (b) b->process(tail.data(), static_cast<int>(tail.size() / 2));
    return std::abs(tail[0] - last);
}

}  // namespace

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
    writeSignal(constantSignal(10 * kChunkFrames, 9830));
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
    const auto sine = soundSine(100 * kChunkFrames, 440, kRate, amplitude * 32768);
    writeSignal(sine);
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
            quietest = std::min(quietest, rmsOf(joined, at, 256));
        std::printf("[ figures  ] %-15s max step around the change %.4f, steady %.4f\n", change.what, around, steady);
        EXPECT_LT(around, steady * 1.25 + 0.002) << change.what;
        EXPECT_GT(quietest, 0.3 * amplitude / std::sqrt(2.0)) << change.what;
    }

    // What the same changes would do as plain switches (no blend): the click being avoided.
    std::vector<float> x(sine.size());
    std::transform(sine.begin(), sine.end(), x.begin(), [](std::int16_t s) { return s / 32768.0f; });
    DeckChainLayout echo, reverb;
    echo.effect = EffectKind::Echo;
    echo.effectParameters = {50.0f, 100.0f};
    reverb.effect = EffectKind::Reverb;
    reverb.effectParameters = {1000.0f, 0.5f};
    const double echoOff = plainSwitchStep(echo, DeckChainLayout{}, x, 44100 + 1234);
    const double echoToReverb = plainSwitchStep(echo, reverb, x, 44100 + 1234);
    std::printf("[ figures  ] plain switch: echo -> none step %.4f, echo -> reverb step %.4f\n", echoOff, echoToReverb);
    EXPECT_GT(std::max(echoOff, echoToReverb), 0.1);
}

// Chain changes from the window thread while another thread renders, as a device's audio
// thread does: every change is taken up, and every replaced chain is freed once let go.
TEST(EffectSwapThreadTest, ChangesWhileTheAudioThreadRendersAreTakenUpAndFreed) {
    createSharedEvents();
    auto system = soundSteppedSystem();
    CZanSoundOutput output(*system);
    CZanFilterBank bank;
    bank.Design(5);
    std::array<float, 2> parameters{30.0f, 200.0f};
    ASSERT_EQ(output.CreateDevice("stepped:stereo", false, false), kSoundOk);
    output.SetDeckEffectInputs(0, {&bank, &parameters});
    ASSERT_EQ(output.CreateDeckBuffers(0, 44100, false, true), kSoundOk);
    const auto noise = soundNoise(4 * kChunkFrames, 3, 8000);
    for (int c = 0; c < 4; ++c) output.WriteForwardChunk(0, noise.data() + 2 * kChunkFrames * c);
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
