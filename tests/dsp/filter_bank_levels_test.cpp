// CZanFilterBank::ProcessLevels against the levels of the band outputs that Process forms
// by direct convolution, chunk after chunk (the history carries over), for the octave
// layout and for one whose long bands take the filtering route.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "dsp/filter_bank.h"

using namespace quillmix;

namespace {

// Music-like test input: a loud bass tone, a quiet treble tone, noise and a DC offset.
std::vector<float> testSignal(int chunks, unsigned seed) {
    std::mt19937 rng(seed);
    std::normal_distribution<float> noise(0.0f, 300.0f);
    std::vector<float> s(static_cast<std::size_t>(chunks) * CZanFilterBank::kChunkLength);
    for (std::size_t n = 0; n < s.size(); ++n)
        s[n] = 500.0f + 12000.0f * std::sin(0.0071f * n) + 40.0f * std::sin(1.9f * n) + noise(rng);
    return s;
}

TEST(FilterBankLevelsTest, LevelsMatchTheDirectBandOutputs) {
    for (int bandCount : {10, 5}) {
        auto direct = std::make_unique<CZanFilterBank>();
        auto spectral = std::make_unique<CZanFilterBank>();
        direct->SetProcessMethod(CZanFilterBank::Method::direct);
        for (auto* bank : {direct.get(), spectral.get()}) {
            bank->Design(bandCount);
            bank->SetBandGain(1, 0.5f);
        }
        const int chunks = 4;
        const auto signal = testSignal(chunks, 3);
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

TEST(FilterBankLevelsTest, SilenceGivesTheSilentLevel) {
    CZanFilterBank bank;
    bank.Design(10);
    std::vector<float> silence(CZanFilterBank::kChunkLength, 0.0f), levels(10, -1.0f);
    bank.ProcessLevels(silence.data(), levels.data());
    for (float level : levels) EXPECT_EQ(level, 0.0f);
}

}  // namespace
