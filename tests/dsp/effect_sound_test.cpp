// The deck effects measured on signals: the level-shaping ones (compressor, distortion,
// gargle, the peaking equaliser band) and the time-based ones (echo repeats, the moving comb
// of chorus and flanger, the reverb tail).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "dsp/effect_parametric_eq.h"
#include "support/effect_signals.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {
constexpr double kRate = 44100.0;
constexpr int kSecond = 44100;

double toDb(double linear) { return 20.0 * std::log10(std::max(linear, 1e-12)); }

// One second of a 1 kHz tone at -40 dBFS, then one second at -6 dBFS (peak levels).
StereoBuffer quietThenLoud() {
    StereoBuffer quiet = stereoSine(kSecond, 1000.0, kRate, 0.01f);
    StereoBuffer loud = stereoSine(kSecond, 1000.0, kRate, 0.5012f);
    quiet.insert(quiet.end(), loud.begin(), loud.end());
    return quiet;
}

// Gain applied per 1 ms window (44 frames ~ whole 1 kHz periods are not needed: the gain is
// read as output / input peak over the window).
double gainDbAt(const StereoBuffer& in, const StereoBuffer& out, int firstFrame) {
    double inPeak = 0, outPeak = 0;
    for (int i = firstFrame; i < firstFrame + 44; ++i) {
        inPeak = std::max(inPeak, double{std::fabs(in[2 * i])});
        outPeak = std::max(outPeak, double{std::fabs(out[2 * i])});
    }
    return 20.0 * std::log10(outPeak / inPeak);
}
}  // namespace

TEST(CompressorEffectTest, LoudPassageIsReducedByTheRatioAtTheSetAttackThenMadeUp) {
    for (const float attackMs : {5.0f, 50.0f}) {
        const auto compressor = preparedEffect(EffectKind::Compressor, {0.0f, attackMs});
        const StereoBuffer input = quietThenLoud();
        StereoBuffer output = input;
        processInBlocks(output, 1024, [&](float* b, int n) { compressor->process(b, n); });

        // Dynamic range 34 dB in, 34 x (1/3) + 14 dB below the threshold... out: the loud part
        // ends 14 / 3 dB above the -20 dB threshold.
        const double quietOut = toneLevelDb(output, 0, kSecond / 2, kSecond / 2, 1000.0, kRate);
        const double loudOut = toneLevelDb(output, 0, kSecond + kSecond / 2, kSecond / 2, 1000.0, kRate);
        EXPECT_NEAR(quietOut, -40.0, 0.1);
        EXPECT_NEAR(loudOut, -20.0 + 14.0 / 3.0, 0.3);

        // 63 % of the final 9.33 dB reduction is reached one attack time after the step.
        const double finalReduction = 14.0 * (1.0 - 1.0 / 3.0);
        int reachedAt = -1;
        for (int frame = kSecond; frame < 2 * kSecond - 44; frame += 22) {
            if (-gainDbAt(input, output, frame) >= 0.632 * finalReduction) {
                reachedAt = frame - kSecond;
                break;
            }
        }
        EXPECT_NEAR(reachedAt * 1000.0 / kRate, attackMs, 0.2 * attackMs + 1.0) << attackMs;

        // Gain is make-up after the compression: the same shape, 12 dB higher.
        StereoBuffer higher = input;
        preparedEffect(EffectKind::Compressor, {12.0f, attackMs})->process(higher.data(), 2 * kSecond);
        for (int first : {kSecond / 2, kSecond + kSecond / 2})
            EXPECT_NEAR(rmsDb(higher, 1, first, kSecond / 2) - rmsDb(output, 1, first, kSecond / 2), 12.0, 0.01);
    }
}

TEST(DistortionEffectTest, EdgeAddsHarmonicsAndGainSetsTheLevel) {
    auto thirdHarmonicDb = [](float edge, float gain, double* fundamentalDb) {
        StereoBuffer tone = stereoSine(kSecond, 1000.0, kRate, 0.5f);
        preparedEffect(EffectKind::Distortion, {gain, edge})->process(tone.data(), kSecond);
        *fundamentalDb = toneLevelDb(tone, 0, 4410, kSecond - 4410, 1000.0, kRate);
        return toneLevelDb(tone, 0, 4410, kSecond - 4410, 3000.0, kRate) - *fundamentalDb;
    };
    double f0 = 0, f50 = 0, f100 = 0, quiet = 0;
    const double h0 = thirdHarmonicDb(0.0f, -6.0f, &f0);
    const double h50 = thirdHarmonicDb(50.0f, -6.0f, &f50);
    const double h100 = thirdHarmonicDb(100.0f, -6.0f, &f100);
    EXPECT_LT(h0, -25.0) << "little edge: mostly clean";
    EXPECT_GT(h50, h0 + 10.0);
    EXPECT_GT(h100, -15.0) << "full edge: a strong third harmonic";
    thirdHarmonicDb(100.0f, -30.0f, &quiet);
    EXPECT_NEAR(f100 - quiet, 24.0, 0.05) << "gain is the output level in dB";
}

TEST(GargleEffectTest, ModulatesAtItsRateWithSquareOrTriangle) {
    for (const auto& [rate, wave] :
         {std::pair{20.0f, 0.0f}, std::pair{20.9f, 0.99f}, std::pair{50.0f, 1.0f}, std::pair{7.0f, 2.0f}}) {
        const auto gargle = preparedEffect(EffectKind::Gargle, {rate, wave});
        StereoBuffer constant(2 * kSecond, 0.5f);  // the output is the modulator x 0.5
        processInBlocks(constant, 333, [&](float* b, int n) { gargle->process(b, n); });
        int risingEdges = 0, atExtremes = 0, inMiddle = 0;
        for (int i = 0; i < kSecond; ++i) {
            const float m = constant[2 * i] / 0.5f;
            ASSERT_EQ(constant[2 * i], constant[2 * i + 1]);
            if (i > 0 && constant[2 * (i - 1)] / 0.5f < 0.5f && m >= 0.5f) ++risingEdges;
            if (m < 0.02f || m > 0.98f) ++atExtremes;
            if (m > 0.25f && m < 0.75f) ++inMiddle;
        }
        EXPECT_NEAR(risingEdges, std::trunc(rate), 1) << "rate truncated to whole hertz";
        if (wave < 1.0f) {
            EXPECT_EQ(atExtremes, kSecond) << "square: only on and off";
        } else {
            EXPECT_NEAR(inMiddle / double{kSecond}, 0.5, 0.02) << "triangle: every level equally often";
        }
    }
}

TEST(ParametricEqTest, CentreGetsTheGainAndAnOctaveAwayIsUntouchedWhenNarrow) {
    for (const double rate : {44100.0, 48000.0}) {
        for (const float gain : {15.0f, -15.0f}) {
            for (const float centre : {100.0f, 1000.0f, 8000.0f}) {
                ParametricEq eq(centre, 2.0f, gain);
                eq.prepare(rate);
                const int frames = static_cast<int>(rate);
                auto levelAt = [&](double hz) {
                    StereoBuffer tone = stereoSine(frames, hz, rate, 0.1f);
                    eq.reset();
                    eq.process(tone.data(), frames);
                    return toneLevelDb(tone, 1, frames / 2, frames / 2, hz, rate) - 20.0 * std::log10(0.1);
                };
                EXPECT_NEAR(levelAt(centre), gain, 1.0) << centre << " Hz at " << rate;
                EXPECT_NEAR(levelAt(centre * 2.0), 0.0, 0.5) << "octave above " << centre;
                EXPECT_NEAR(levelAt(centre / 2.0), 0.0, 0.5) << "octave below " << centre;
            }
        }
    }
}

// A gain change glides instead of jumping; a band that has glided back to 0 dB drops out,
// passing the samples untouched, and comes back with the next change.
TEST(ParametricEqTest, GainChangesGlideAndAFlatBandDropsOutUntilTheNext) {
    ParametricEq eq(1000.0f, 12.0f, 0.0f);
    eq.prepare(kRate);
    StereoBuffer tone = stereoSine(kSecond, 1000.0, kRate, 0.1f);
    eq.process(tone.data(), kSecond / 2);
    eq.setGainDb(15.0f);
    eq.process(tone.data() + kSecond, kSecond / 2);
    // Right after the change the level is on its way, a little later it has arrived.
    const double early = toneLevelDb(tone, 0, kSecond / 2, 44, 1000.0, kRate) + 20.0;
    const double settled = toneLevelDb(tone, 0, kSecond / 2 + 4410, 4410, 1000.0, kRate) + 20.0;
    EXPECT_LT(early, 10.0);
    EXPECT_NEAR(settled, 15.0, 0.5);

    EXPECT_FALSE(eq.bypassed());
    eq.setGainDb(0.0f);
    const StereoBuffer noise = stereoNoise(kSecond / 2, 5, 0.3f);
    StereoBuffer work = noise;
    eq.process(work.data(), kSecond / 2);  // the glide, then the ringing dies away
    EXPECT_TRUE(eq.bypassed());
    work = noise;
    eq.process(work.data(), kSecond / 2);
    EXPECT_EQ(work, noise);
    eq.setGainDb(-6.0f);
    EXPECT_FALSE(eq.bypassed());
    eq.process(work.data(), kSecond / 2);
    EXPECT_NE(work[8000], noise[8000]);
}

TEST(DistortionEffectTest, HarmonicsAboveHalfTheRateDoNotFoldBackLoudly) {
    // 4.9 kHz driven hard: its 7th harmonic (34.3 kHz) folds back to 9.8 kHz. A bare curve
    // leaves that alias within about 5 dB of the genuine 3rd harmonic at 14.7 kHz.
    StereoBuffer tone = stereoSine(kSecond, 4900.0, kRate, 0.5f);
    preparedEffect(EffectKind::Distortion, {-6.0f, 100.0f})->process(tone.data(), kSecond);
    const double harmonic = toneLevelDb(tone, 0, 4410, kSecond - 4410, 14700.0, kRate);
    const double alias = toneLevelDb(tone, 0, 4410, kSecond - 4410, 9800.0, kRate);
    EXPECT_LT(alias, harmonic - 15.0);
}

TEST(EchoEffectTest, RepeatsComeAtTheDelayAndDecayByTheFeedbackOnBothSides) {
    for (const auto& [feedback, delayMs] : {std::pair{60.0f, 100.0f}, std::pair{25.0f, 250.0f}}) {
        const auto echo = preparedEffect(EffectKind::Echo, {feedback, delayMs});

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
    const auto echo = preparedEffect(EffectKind::Echo, {0.0f, 300.0f});
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
    const auto flanger =
        preparedEffect(EffectKind::Flanger, {});  // defaults: feedback -50 %, delay 2 ms, 0.25 Hz sweep
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
        const auto chorus = preparedEffect(EffectKind::Chorus, {0.0f, lfoHz});
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
    const auto still = preparedEffect(EffectKind::Chorus, {25.0f, 0.0f});  // the default feedback
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
    const auto reverb = preparedEffect(EffectKind::Reverb, {reverbTimeMs, highRatio});
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
        const auto reverb = preparedEffect(EffectKind::Reverb, {1500.0f, highRatio});
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
