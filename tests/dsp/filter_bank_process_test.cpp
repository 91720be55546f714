// CZanFilterBank::Process against a plain direct-form convolution of the whole signal, over
// consecutive chunks (so the 511-sample history must be carried), for every tap layout and
// both filtering methods.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

#include "dsp/filter_bank.h"

using namespace quillmix;

namespace {

constexpr int kChunk = CZanFilterBank::kChunkLength;
constexpr int kHistory = CZanFilterBank::kHistoryLength;

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

std::vector<float> randomSignal(int length, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    std::vector<float> signal(length);
    for (auto& s : signal) s = d(rng);
    return signal;
}

using Method = CZanFilterBank::Method;
class FilterBankProcessTest : public ::testing::TestWithParam<std::tuple<int, Method>> {};

}  // namespace

TEST_P(FilterBankProcessTest, MatchesTheDirectFormOverConsecutiveChunks) {
    const auto [bandCount, method] = GetParam();
    auto bank = std::make_unique<CZanFilterBank>();
    bank->SetProcessMethod(method);
    bank->Design(bandCount);
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
    auto bank = std::make_unique<CZanFilterBank>();
    bank->Design(3);
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
