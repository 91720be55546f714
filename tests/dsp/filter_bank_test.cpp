// CZanFilterBank: band layout, measured responses on sines, the level measure, and Process
// and ProcessLevels against a plain direct-form convolution of the whole signal over
// consecutive chunks (so the 511-sample history must be carried).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

#include "dsp/filter_bank.h"
#include "support/effect_signals.h"

using namespace quillmix;

namespace {

constexpr int kChunk = CZanFilterBank::kChunkLength;
constexpr int kHistory = CZanFilterBank::kHistoryLength;
using Method = CZanFilterBank::Method;

std::unique_ptr<CZanFilterBank> designedBank(int bands, Method method = Method::fft) {
    auto bank = std::make_unique<CZanFilterBank>();
    bank->SetProcessMethod(method);
    bank->Design(bands);
    return bank;
}

// Feeds three consecutive chunks of a continuous sine so that the last one is filtered in
// the steady state (history full of the same sine).
void feedSine(CZanFilterBank& bank, double frequency, double amplitude) {
    std::vector<float> chunk(kChunk);
    for (int c = 0; c < 3; ++c) {
        for (int j = 0; j < kChunk; ++j) {
            const double t = (c * kChunk + j) / CZanFilterBank::kSampleRate;
            chunk[j] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency * t));
        }
        bank.Process(chunk.data(), false);
    }
}

// Gain of a band on a sine, in dB, measured through Process.
double measuredGainDb(CZanFilterBank& bank, int band, double frequency) {
    const double amplitude = 1000.0;
    feedSine(bank, frequency, amplitude);
    return bank.GetBandLevel(band) - 20.0 * std::log10(amplitude / std::sqrt(2.0));
}

// Band output sample j of chunk c, straight from the definition: the filter runs over the
// whole signal, which is zero before its start.
double referenceSample(const std::vector<float>& signal, const std::vector<float>& taps, float gain, int chunkIndex,
                       int j) {
    const long first = static_cast<long>(chunkIndex) * kChunk - kHistory;  // working[0]
    const int tapCount = static_cast<int>(taps.size());
    double sum = 0.0;
    for (int k = 0; k < tapCount; ++k) {
        const long at = first + tapCount - 1 + j - k;
        if (at >= 0) sum += static_cast<double>(taps[k]) * signal[at];
    }
    return gain * sum;
}

// Uniform noise in [-1, 1), `length` samples (even).
std::vector<float> randomSignal(int length, unsigned seed) { return test::stereoNoise(length / 2, seed, 1.0f); }

// Music-like input: a loud bass tone, a quiet treble tone, noise and a DC offset, then two
// chunks of silence.
std::vector<float> musicThenSilence(int chunks, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<float> noise(0.0f, 300.0f);
    std::vector<float> s(static_cast<std::size_t>(chunks + 2) * kChunk, 0.0f);
    for (std::size_t n = 0; n < static_cast<std::size_t>(chunks) * kChunk; ++n)
        s[n] = 500.0f + 12000.0f * std::sin(0.0071f * n) + 40.0f * std::sin(1.9f * n) + noise(rng);
    return s;
}

class FilterBankProcessTest : public ::testing::TestWithParam<std::tuple<int, Method>> {};

}  // namespace

// The tap counts and centres are the design's own tables; what matters is that the bands
// tile the spectrum without gaps and that the band count is held to 2..30.
TEST(FilterBankTest, BandsTileTheSpectrumAndTheCountIsClamped) {
    for (int bands : {1, 3, 10, 31}) {
        auto bank = designedBank(bands);
        const int n = bank->GetNumBands();
        EXPECT_EQ(n, std::clamp(bands, 2, 30));
        EXPECT_EQ(bank->GetBandLowerEdge(0), 0.0);
        EXPECT_EQ(bank->GetBandUpperEdge(n - 1), 22050.0);
        for (int e = 0; e + 1 < n; ++e) EXPECT_DOUBLE_EQ(bank->GetBandLowerEdge(e + 1), bank->GetBandUpperEdge(e));
    }
    EXPECT_NEAR(designedBank(10)->GetBandCentreFrequency(5), 1000.0, 0.5);  // the octave bank's 1 kHz
}

TEST(FilterBankTest, QueriesOutsideTheDesignedBandsGiveZero) {
    CZanFilterBank fresh;
    EXPECT_EQ(fresh.GetNumBands(), 0);
    EXPECT_EQ(fresh.GetBandGain(0), 0.0f);  // no band exists before a design
    auto bank = designedBank(5);
    for (int band : {-1, 5, 30}) {
        EXPECT_EQ(bank->GetBandCentreFrequency(band), 0.0);
        EXPECT_EQ(bank->GetBandGain(band), 0.0f);
        EXPECT_EQ(bank->GetBandMinimum(band), 0.0f);
        EXPECT_EQ(bank->GetBandMaximum(band), 0.0f);
        EXPECT_EQ(bank->GetBandLevel(band), 0.0f);
        EXPECT_EQ(bank->GetTapCount(band), 0);
        EXPECT_EQ(bank->GetBandOutput(band), nullptr);
    }
    EXPECT_EQ(bank->GetBandGain(4), 1.0f);
    // Indices beyond the storage are ignored, not written.
    bank->SetBandGain(30, 2.0f);
    bank->SetBandGain(-1, 2.0f);
    bank->UpdateBandCurve(-1);
    std::vector<float> curve(CZanFilterBank::kCurvePoints, 7.0f);
    bank->GetBandCurve(30, curve.data());
    EXPECT_EQ(curve[0], 7.0f);
}

TEST(FilterBankTest, EachBandPassesItsCentreWithinOneDecibelAndRejectsFarAway) {
    for (int bands : {2, 3, 5, 10}) {
        auto bank = designedBank(bands);
        for (int b = 0; b < bands; ++b) {
            const double gain = measuredGainDb(*bank, b, bank->GetBandCentreFrequency(b));
            EXPECT_NEAR(gain, 0.0, 1.0) << bands << " bands, band " << b;
        }
    }
    EXPECT_LE(measuredGainDb(*designedBank(10), 0, 1000.0), -30.0) << "the lowest octave rejects 1 kHz";
}

TEST(FilterBankTest, ResponseCurveAgreesWithGainMeasuredOnSines) {
    auto bank = designedBank(5);
    std::vector<float> frequencies(CZanFilterBank::kCurvePoints), curve(CZanFilterBank::kCurvePoints);
    bank->GetFrequencyTable(frequencies.data());
    EXPECT_NEAR(frequencies.front(), 19.959, 1e-3);
    EXPECT_NEAR(frequencies.back(), 20217.8, 0.1);
    EXPECT_NEAR(frequencies[64] / frequencies[0], 2.0, 1e-5);
    for (int b = 0; b < 5; ++b) {
        bank->GetBandCurve(b, curve.data());
        for (int point = 40; point < CZanFilterBank::kCurvePoints; point += 75) {
            if (curve[point] < -40.0f) continue;  // rounding of the float path dominates there
            const double measured = measuredGainDb(*bank, b, frequencies[point]);
            EXPECT_NEAR(measured, curve[point], 0.25) << "band " << b << " at " << frequencies[point];
        }
    }
}

TEST(FilterBankTest, LevelOfAFullScaleSineAndOfSilence) {
    auto bank = designedBank(3);
    EXPECT_EQ(bank->GetBandLevel(0), 0.0f);  // nothing processed: silent, not -infinity
    // 30 Hz fits the chunk a whole number of times and lies deep in band 0's pass band.
    feedSine(*bank, 2.0 * CZanFilterBank::kSampleRate / kChunk, 32767.0);
    EXPECT_NEAR(bank->GetBandLevel(0), 20.0 * std::log10(32767.0 / std::sqrt(2.0)), 0.1);
    std::vector<float> silence(kChunk, 0.0f);
    bank->Process(silence.data(), false);  // the history still holds the sine
    bank->Process(silence.data(), false);
    for (int b = 0; b < 3; ++b) EXPECT_EQ(bank->GetBandLevel(b), 0.0f) << b;
}

TEST(FilterBankTest, GainScalesTheOutputAndTheCurve) {
    auto bank = designedBank(5);
    feedSine(*bank, 750.0, 1000.0);
    const float unity = bank->GetBandLevel(2);
    const float peak = bank->GetBandMaximum(2);
    bank->SetBandGain(2, 0.5f);
    feedSine(*bank, 750.0, 1000.0);
    EXPECT_NEAR(bank->GetBandLevel(2), unity - 20.0 * std::log10(2.0), 0.01);
    EXPECT_NEAR(bank->GetBandMaximum(2), peak / 2.0f, peak * 1e-3);
    EXPECT_NEAR(bank->GetBandMinimum(2), -peak / 2.0f, peak * 2e-2);

    std::vector<float> unityCurve(CZanFilterBank::kCurvePoints), curve(CZanFilterBank::kCurvePoints);
    bank->GetBandCurve(2, unityCurve.data());  // not yet updated: still the unity curve
    bank->SetBandGain(2, 0.0f);
    bank->UpdateBandCurve(2);
    bank->GetBandCurve(2, curve.data());
    for (float point : curve) EXPECT_FLOAT_EQ(point, -96.33f);
    bank->SetBandGain(2, 1.15f);
    bank->UpdateBandCurve(2);
    bank->GetBandCurve(2, curve.data());
    const int centre = 64 * 5 + 26;  // about 750 Hz, in the pass band
    EXPECT_NEAR(curve[centre] - unityCurve[centre], 0.15 * 96.33, 0.5);
}

TEST_P(FilterBankProcessTest, MatchesTheDirectFormOverConsecutiveChunks) {
    const auto [bandCount, method] = GetParam();
    auto bank = designedBank(bandCount, method);
    const int bands = bank->GetNumBands();
    std::vector<std::vector<float>> taps(bands);
    for (int b = 0; b < bands; ++b) {
        taps[b].resize(bank->GetTapCount(b));
        ASSERT_TRUE(bank->GetBandTaps(b, taps[b].data()));
        bank->SetBandGain(b, 0.5f + 0.1f * b);
    }
    const int chunks = 3;
    const auto signal = randomSignal(chunks * kChunk, 1234u + bandCount);
    // Float rounding of sums of up to 500 terms of size ~1 (and of the transforms).
    const double tolerance = method == Method::fft ? 2e-4 : 2e-5;
    for (int c = 0; c < chunks; ++c) {
        bank->Process(signal.data() + c * kChunk, false);
        for (int b = 0; b < bands; ++b) {
            const float* output = bank->GetBandOutput(b);
            double worst = 0.0;
            for (int j = 0; j < kChunk; j += 7) {
                const double expected = referenceSample(signal, taps[b], 0.5f + 0.1f * b, c, j);
                worst = std::max(worst, std::abs(output[j] - expected));
            }
            EXPECT_LT(worst, tolerance) << "chunk " << c << " band " << b;
        }
    }
}

// 10 bands have no layout: 256 taps each.
INSTANTIATE_TEST_SUITE_P(EveryLayout, FilterBankProcessTest,
                         ::testing::Combine(::testing::Values(2, 3, 5, 6, 10, 12, 30),
                                            ::testing::Values(Method::direct, Method::fft)),
                         [](const auto& info) {
                             return std::to_string(std::get<0>(info.param)) +
                                    (std::get<1>(info.param) == Method::fft ? "BandsFft" : "BandsDirect");
                         });

TEST(FilterBankFirstBandTest, FirstBandOnlyLeavesTheOtherOutputsAlone) {
    auto bank = designedBank(3);
    const auto signal = randomSignal(2 * kChunk, 99u);
    bank->Process(signal.data(), false);
    const std::vector<float> upper(bank->GetBandOutput(2), bank->GetBandOutput(2) + kChunk);
    const std::vector<float> lowest(bank->GetBandOutput(0), bank->GetBandOutput(0) + kChunk);
    bank->Process(signal.data() + kChunk, true);
    EXPECT_EQ(std::vector<float>(bank->GetBandOutput(2), bank->GetBandOutput(2) + kChunk), upper);
    EXPECT_NE(std::vector<float>(bank->GetBandOutput(0), bank->GetBandOutput(0) + kChunk), lowest);
    // Redesigning clears the outputs but keeps the history.
    bank->Design(3);
    EXPECT_EQ(bank->GetBandMaximum(0), 0.0f);
    EXPECT_EQ(bank->GetBandMinimum(2), 0.0f);
}

// ProcessLevels against the levels of the band outputs that Process forms by direct
// convolution, for the octave layout and for one whose long bands take the filtering route.
TEST(FilterBankLevelsTest, LevelsMatchTheDirectBandOutputs) {
    for (int bandCount : {10, 5}) {
        auto direct = designedBank(bandCount, Method::direct);
        auto spectral = designedBank(bandCount);
        direct->SetBandGain(1, 0.5f);
        spectral->SetBandGain(1, 0.5f);
        const int chunks = 6;  // the last two silent: the history empties, then the silent level
        const auto signal = musicThenSilence(chunks - 2, 3);
        std::vector<float> levels(CZanFilterBank::kMaxBands, -1.0f);
        for (int c = 0; c < chunks; ++c) {
            const float* chunk = signal.data() + c * CZanFilterBank::kChunkLength;
            direct->Process(chunk, false);
            spectral->ProcessLevels(chunk, levels.data());
            for (int b = 0; b < bandCount; ++b)
                EXPECT_NEAR(levels[b], direct->GetBandLevel(b), 0.01)
                    << bandCount << " bands, chunk " << c << ", band " << b;
        }
    }
}
