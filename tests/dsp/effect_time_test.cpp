// Time-based effects measured on signals: echo repeats, the moving comb of chorus and
// flanger, and the reverb tail.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "dsp/effect_table.h"
#include "support/effect_signals.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {
constexpr double kRate = 44100.0;

// A processor of `kind` with its parameters set in order (the rest at their defaults), prepared.
std::unique_ptr<EffectProcessor> prepared(EffectKind kind, std::initializer_list<float> parameters) {
    auto effect = makeEffectProcessor(kind);
    int index = 0;
    for (float value : parameters) effect->setParameter(index++, value);
    effect->prepare(kRate);
    return effect;
}

double toDb(double linear) { return 20.0 * std::log10(std::max(linear, 1e-12)); }
}  // namespace

TEST(EchoEffectTest, RepeatsComeAtTheDelayAndDecayByTheFeedbackOnBothSides) {
    for (const auto& [feedback, delayMs] : {std::pair{60.0f, 100.0f}, std::pair{25.0f, 250.0f}}) {
        const auto echo = prepared(EffectKind::Echo, {feedback, delayMs});

        StereoBuffer signal = stereoSilence(static_cast<int>(kRate));
        signal[0] = 0.8f;   // left impulse
        signal[1] = -0.4f;  // right impulse
        processInBlocks(signal, 512, [&](float* b, int n) { echo->process(b, n); });

        const int delay = static_cast<int>(std::lround(delayMs * kRate / 1000.0));
        const float ratio = feedback / 100.0f;
        EXPECT_FLOAT_EQ(signal[0], 0.8f) << "dry kept at full level";
        for (int repeat = 1; repeat <= 3 && repeat * delay < kRate; ++repeat) {
            const float expected = 0.5f * std::pow(ratio, static_cast<float>(repeat - 1));
            EXPECT_NEAR(signal[2 * repeat * delay], 0.8f * expected, 1e-5f) << "repeat " << repeat;
            EXPECT_NEAR(signal[2 * repeat * delay + 1], -0.4f * expected, 1e-5f) << "repeat " << repeat;
            EXPECT_NEAR(signal[2 * (repeat * delay - 1)], 0.0f, 1e-6f);
            EXPECT_NEAR(signal[2 * (repeat * delay + 1)], 0.0f, 1e-6f);
        }
    }
}

TEST(EchoEffectTest, DelayChangeWhileRunningGlidesToTheNewDelay) {
    const auto echo = prepared(EffectKind::Echo, {0.0f, 300.0f});
    StereoBuffer warmUp = stereoNoise(22050, 3, 0.5f);
    echo->process(warmUp.data(), 22050);
    echo->setParameter(1, 100.0f);
    StereoBuffer settle = stereoSilence(44100);  // flushes the old repeats and the glide
    echo->process(settle.data(), 44100);
    StereoBuffer signal = stereoSilence(22050);
    signal[0] = 1.0f;
    echo->process(signal.data(), 22050);
    EXPECT_NEAR(signal[2 * 4410], 0.5f, 1e-5f);
}

TEST(ModulatedDelayEffectTest, FlangerSweepsDeepNotchesThroughASteadyTone) {
    const auto flanger = prepared(EffectKind::Flanger, {});  // defaults: feedback -50 %, delay 2 ms, 0.25 Hz sweep
    StereoBuffer tone = stereoSine(static_cast<int>(8 * kRate), 1000.0, kRate, 0.25f);
    processInBlocks(tone, 2940, [&](float* b, int n) { flanger->process(b, n); });
    const auto envelope = blockRms(tone, 0, 441);  // 10 ms = ten whole periods
    const auto [low, high] = std::minmax_element(envelope.begin() + 5, envelope.end());
    EXPECT_GT(toDb(*high) - toDb(*low), 20.0) << "the comb's notches pass the tone";
}

TEST(ModulatedDelayEffectTest, ChorusCombMovesAtItsFrequencyAndStandsStillAtZero) {
    // 77.6 Hz (exactly 568 samples a period) sits on one flank of the comb for the whole
    // swing of the chorus delay, so the tone's level follows the LFO one to one.
    const double toneHz = kRate / 568.0;
    for (const float lfoHz : {2.0f, 5.0f}) {
        const auto chorus = prepared(EffectKind::Chorus, {0.0f, lfoHz});
        StereoBuffer tone = stereoSine(static_cast<int>(4 * kRate), toneHz, kRate, 0.25f);
        processInBlocks(tone, 1000, [&](float* b, int n) { chorus->process(b, n); });
        for (int channel = 0; channel < 2; ++channel) {
            const auto envelope = blockRms(tone, channel, 568);
            const std::vector<double> steady(envelope.begin() + 2, envelope.end());
            EXPECT_NEAR(dominantFrequency(steady, kRate / 568.0, 0.5, 10.0, 0.05), lfoHz, 0.2);
            const auto [low, high] = std::minmax_element(steady.begin(), steady.end());
            EXPECT_GT(toDb(*high) - toDb(*low), 3.0);
        }
    }
    const auto still = prepared(EffectKind::Chorus, {25.0f, 0.0f});  // the default feedback
    StereoBuffer tone = stereoSine(static_cast<int>(kRate), toneHz, kRate, 0.25f);
    still->process(tone.data(), static_cast<int>(kRate));
    const auto envelope = blockRms(tone, 0, 568);
    const auto [low, high] = std::minmax_element(envelope.begin() + 4, envelope.end());
    EXPECT_LT(toDb(*high) - toDb(*low), 0.1);
}

namespace {
// Reverb time estimated from the tail of an impulse: the slope of the 10 ms energy curve
// between -5 and -35 dB below its peak, extrapolated to -60 dB.
double measuredReverbTimeMs(float reverbTimeMs, float highRatio) {
    const auto reverb = prepared(EffectKind::Reverb, {reverbTimeMs, highRatio});
    StereoBuffer signal = stereoSilence(static_cast<int>(6 * kRate));
    signal[0] = signal[1] = 1.0f;
    processInBlocks(signal, 4096, [&](float* b, int n) { reverb->process(b, n); });
    signal[0] = signal[1] = 0.0f;  // keep only the tail
    std::vector<double> energyDb;
    for (double level : blockRms(signal, 0, 441)) energyDb.push_back(toDb(level));
    const auto peak = std::max_element(energyDb.begin(), energyDb.end());
    std::vector<std::pair<double, double>> points;
    for (auto it = peak; it != energyDb.end(); ++it) {
        if (*it < *peak - 35.0) break;
        if (*it <= *peak - 5.0) points.emplace_back(10.0 * static_cast<double>(it - energyDb.begin()), *it);
    }
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (auto [x, y] : points) sx += x, sy += y, sxx += x * x, sxy += x * y;
    const double n = static_cast<double>(points.size());
    const double slopeDbPerMs = (n * sxy - sx * sy) / (n * sxx - sx * sx);
    return -60.0 / slopeDbPerMs;
}
}  // namespace

TEST(ReverbEffectTest, TailLengthFollowsTheReverbTime) {
    const double shortTail = measuredReverbTimeMs(500.0f, 0.999f);
    const double longTail = measuredReverbTimeMs(2000.0f, 0.999f);
    EXPECT_NEAR(shortTail, 500.0, 125.0);
    EXPECT_NEAR(longTail, 2000.0, 500.0);
    EXPECT_GT(longTail, 3.0 * shortTail);
}

TEST(ReverbEffectTest, LowHighFrequencyRatioDarkensTheTail) {
    auto tailBalanceDb = [](float highRatio) {
        const auto reverb = prepared(EffectKind::Reverb, {1500.0f, highRatio});
        StereoBuffer signal = stereoSilence(static_cast<int>(kRate));
        signal[0] = signal[1] = 1.0f;
        reverb->process(signal.data(), static_cast<int>(kRate));
        const int first = static_cast<int>(0.3 * kRate), count = static_cast<int>(0.2 * kRate);
        double high = 0.0, low = 0.0;
        for (double hz : {7000.0, 7500.0, 8000.0, 8500.0})
            high += std::pow(10.0, toneLevelDb(signal, 0, first, count, hz, kRate) / 10.0);
        for (double hz : {300.0, 400.0, 500.0, 600.0})
            low += std::pow(10.0, toneLevelDb(signal, 0, first, count, hz, kRate) / 10.0);
        return 10.0 * std::log10(high / low);
    };
    EXPECT_LT(tailBalanceDb(0.1f), tailBalanceDb(0.999f) - 10.0);
}
