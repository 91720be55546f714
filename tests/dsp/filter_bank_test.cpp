// Band tables, measured responses on sines and the level measure of CZanFilterBank.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "dsp/filter_bank.h"

using namespace quillmix;

namespace {

constexpr int kChunk = CZanFilterBank::kChunkLength;

std::unique_ptr<CZanFilterBank> designedBank(int bands) {
    auto bank = std::make_unique<CZanFilterBank>();
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

}  // namespace

TEST(FilterBankTest, CentresAndEdgesFollowTheLogarithmicLayout) {
    struct Expected {
        int bands;
        std::vector<double> centres, edges;
    };
    const std::vector<Expected> tables = {
        {2, {375, 12000}, {2121.3}},
        {3, {118.1, 1190.6, 12000}, {375.0, 3779.8}},
        {5, {46.875, 187.5, 750, 3000, 12000}, {93.75, 375, 1500, 6000}},
        {10, {31.25, 62.5, 125, 250, 500, 1000, 2000, 4000, 8000, 16000},
         {44.19, 88.39, 176.78, 353.55, 707.11, 1414.21, 2828.43, 5656.85, 11313.71}},
    };
    for (const auto& table : tables) {
        SCOPED_TRACE(table.bands);
        auto bank = designedBank(table.bands);
        ASSERT_EQ(bank->GetNumBands(), table.bands);
        for (int b = 0; b < table.bands; ++b) {
            EXPECT_NEAR(bank->GetBandCentreFrequency(b), table.centres[b], table.centres[b] * 5e-4);
        }
        for (int e = 0; e + 1 < table.bands; ++e) {
            EXPECT_NEAR(bank->GetBandUpperEdge(e), table.edges[e], table.edges[e] * 5e-4);
            EXPECT_DOUBLE_EQ(bank->GetBandLowerEdge(e + 1), bank->GetBandUpperEdge(e));
        }
        EXPECT_EQ(bank->GetBandLowerEdge(0), 0.0);
        EXPECT_EQ(bank->GetBandUpperEdge(table.bands - 1), 22050.0);
    }
}

TEST(FilterBankTest, BandCountIsClampedAndTapCountsFollowTheLayouts) {
    auto bank = designedBank(1);
    EXPECT_EQ(bank->GetNumBands(), 2);
    EXPECT_EQ(bank->GetTapCount(0), 68);
    EXPECT_EQ(bank->GetTapCount(1), 46);

    bank->Design(31);
    ASSERT_EQ(bank->GetNumBands(), 30);
    EXPECT_DOUBLE_EQ(bank->GetBandCentreFrequency(29), 16000.0);
    EXPECT_EQ(bank->GetTapCount(0), 400);
    EXPECT_EQ(bank->GetTapCount(1), 500);
    EXPECT_EQ(bank->GetTapCount(2), 490);
    EXPECT_EQ(bank->GetTapCount(29), 220);

    for (int bands : {4, 7, 8, 9, 10, 11, 13, 29}) {
        bank->Design(bands);
        for (int b = 0; b < bands; ++b) EXPECT_EQ(bank->GetTapCount(b), 256) << bands << " " << b;
    }
    bank->Design(12);
    EXPECT_EQ(bank->GetTapCount(2), 412);
    EXPECT_EQ(bank->GetTapCount(11), 100);
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

TEST(FilterBankTest, EachBandPassesItsCentreWithinOneDecibel) {
    for (int bands : {2, 3, 5, 10}) {
        auto bank = designedBank(bands);
        for (int b = 0; b < bands; ++b) {
            const double gain = measuredGainDb(*bank, b, bank->GetBandCentreFrequency(b));
            EXPECT_NEAR(gain, 0.0, 1.0) << bands << " bands, band " << b;
        }
    }
}

TEST(FilterBankTest, LowestOctaveBandRejectsOneKilohertz) {
    auto bank = designedBank(10);
    EXPECT_LE(measuredGainDb(*bank, 0, 1000.0), -30.0);
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
