// The vector routines the analysis and filter bank use, against plain loops on seeded
// random data of awkward lengths, the 16-bit edge values, the FIR designs' shape, and the
// layout conversions' round trips. The mono and 8-bit widening is checked where the track
// reader uses it, against the ffmpeg tool's decode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "dsp/fir_design.h"
#include "dsp/sample_layout.h"
#include "dsp/vector_ops.h"
#include "support/effect_signals.h"
#include "support/sound_signals.h"

using namespace quillmix;

namespace {

double gainAt(const std::vector<double>& taps, double frequency) {
    std::complex<double> sum = 0.0;
    for (std::size_t k = 0; k < taps.size(); ++k) {
        sum += taps[k] * std::polar(1.0, -2.0 * std::numbers::pi * frequency * k);
    }
    return std::abs(sum);
}

}  // namespace

TEST(VectorOpsTest, ReductionsMatchPlainLoopsForEveryLength) {
    for (int n : {1, 7, 8, 9, 29, 2940}) {
        SCOPED_TRACE(n);
        auto f = test::stereoNoise(n, n, 100.0f);  // seeded noise: its first n samples
        auto s = test::soundNoise(n, n + 1, 32767);
        f.resize(n);
        s.resize(n);
        double sum = 0, squares = 0, sum16 = 0, squares16 = 0;
        for (int i = 0; i < n; ++i) {
            sum += f[i], squares += double(f[i]) * f[i];
            sum16 += s[i], squares16 += double(s[i]) * s[i];
        }
        EXPECT_EQ(VectorMin(f.data(), n), *std::min_element(f.begin(), f.end()));
        EXPECT_EQ(VectorMax(f.data(), n), *std::max_element(f.begin(), f.end()));
        EXPECT_EQ(VectorMin(s.data(), n), *std::min_element(s.begin(), s.end()));
        EXPECT_EQ(VectorMax(s.data(), n), *std::max_element(s.begin(), s.end()));
        EXPECT_NEAR(VectorMean(f.data(), n), sum / n, 1e-4);
        EXPECT_EQ(VectorMean(s.data(), n), std::lround(sum16 / n));
        const double deviation = std::sqrt(std::max(0.0, squares / n - (sum / n) * (sum / n)));
        const double deviation16 = std::sqrt(std::max(0.0, squares16 / n - (sum16 / n) * (sum16 / n)));
        EXPECT_NEAR(VectorStdDev(f.data(), n), deviation, 1e-3);
        EXPECT_EQ(VectorStdDev(s.data(), n), std::lround(deviation16));
    }
    EXPECT_EQ(VectorStdDev(static_cast<const float*>(nullptr), 0), 0.0f);
}

// The routines no part of the program calls (elementwise sums, constants, shifts, log10,
// polar form) are left out; the analysis and the filter bank cover the conversions they use,
// and the filter bank's direct-form comparison the part of the convolution it keeps. The
// designs' argument checks are left out too: the bank's layout never fails them.
TEST(VectorOpsTest, SixteenBitEdgesSaturate) {
    std::vector<std::int16_t> extremes = {-32768, 32767, -32768, 32767};
    EXPECT_EQ(VectorStdDev(extremes.data(), 4), 32767);  // 32767.5 does not fit
    std::vector<std::int16_t> a = {32767, -32768, -3, 3}, b = {32767, -32768, 0, 0}, mono(4);
    VectorAddHalving(a.data(), b.data(), mono.data(), 4);
    EXPECT_EQ(mono, (std::vector<std::int16_t>{32767, -32768, -2, 1}));
}

TEST(FirDesignTest, DesignsAreSymmetricWithUnityPassBandAndStopBands) {
    for (int taps : {45, 46, 256}) {
        SCOPED_TRACE(taps);
        std::vector<double> low(taps), high(taps), band(taps);
        ASSERT_EQ(FirLowpass(0.05, taps, low.data()), FirStatus::ok);
        ASSERT_EQ(FirHighpass(0.2, taps, high.data()), FirStatus::ok);
        ASSERT_EQ(FirBandpass(0.05, 0.2, taps, band.data()), FirStatus::ok);
        for (int k = 0; k < taps; ++k) {
            EXPECT_NEAR(low[k], low[taps - 1 - k], 1e-12);
            EXPECT_NEAR(band[k], band[taps - 1 - k], 1e-12);
        }
        EXPECT_NEAR(gainAt(low, 0.0), 1.0, 1e-9);
        EXPECT_NEAR(gainAt(high, 0.35), 1.0, 1e-9);
        EXPECT_NEAR(gainAt(band, 0.125), 1.0, 1e-9);
        // Well beyond the Hamming window's transition width (about 3.3 / taps).
        const double margin = 4.0 / taps;
        EXPECT_LT(gainAt(low, 0.05 + margin), 0.01);
        EXPECT_LT(gainAt(high, 0.2 - margin), 0.01);
        EXPECT_LT(gainAt(band, 0.2 + margin), 0.01);
    }
    std::vector<double> odd(45);
    FirHighpass(0.2, 45, odd.data());
    EXPECT_NEAR(gainAt(odd, 0.5), 1.0, 0.01);  // an odd-length highpass passes Nyquist too
}

TEST(SampleLayoutTest, SplitThenMergeAndDoubleReverseReproduceTheChunk) {
    const int frames = 2940;
    const auto chunk = test::soundNoise(frames, 7, 32767);
    std::vector<std::int16_t> left(frames), right(frames), merged(2 * frames), once(2 * frames), twice(2 * frames);
    SplitChannels(chunk.data(), left.data(), right.data(), 2 * frames);
    MergeChannels(left.data(), right.data(), merged.data(), frames);
    EXPECT_EQ(merged, chunk);

    ReverseChunk(chunk.data(), once.data(), frames);
    EXPECT_EQ(once[0], chunk[2 * (frames - 1)]);      // left stays left
    EXPECT_EQ(once[1], chunk[2 * (frames - 1) + 1]);  // right stays right
    ReverseChunk(once.data(), twice.data(), frames);
    EXPECT_EQ(twice, chunk);
}
