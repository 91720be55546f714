// The output ring, chunk levels and the three measurements of a run, on real worker threads.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <system_error>
#include <vector>

#include "app/shared_state.h"
#include "engine/chunk_analysis.h"
#include "support/sound_signals.h"

using namespace quillmix;

namespace {

constexpr int kSamples = CZanAnalysis::kChunkSamples;
constexpr int kFrames = CZanAnalysis::kChunkFrames;
constexpr int kChunkBytesInRing = kSamples * 2;

std::vector<std::int16_t> constantChunk(std::int16_t value) { return std::vector<std::int16_t>(kSamples, value); }

// Frame k holds k + left on the left and k + right on the right.
std::vector<std::int16_t> rampChunk(int left, int right) {
    std::vector<std::int16_t> chunk(kSamples);
    for (int k = 0; k < kFrames; ++k) {
        chunk[2 * k] = static_cast<std::int16_t>(k + left);
        chunk[2 * k + 1] = static_cast<std::int16_t>(k + right);
    }
    return chunk;
}

// A square wave of +-32767 with a period of 588 frames (75 Hz), both channels alike.
std::vector<std::int16_t> fullScaleSquare() {
    std::vector<std::int16_t> chunk(kSamples);
    for (int k = 0; k < kFrames; ++k) chunk[2 * k] = chunk[2 * k + 1] = (k / 294) % 2 ? -32767 : 32767;
    return chunk;
}

class AnalysisFixture : public ::testing::Test {
protected:
    void SetUp() override {
        createSharedEvents();
        for (int deck = 0; deck < 2; ++deck) {
            octave[deck] = std::make_unique<CZanFilterBank>();
            octave[deck]->Design(10);
            chart[deck] = std::make_unique<CZanFilterBank>();
            chart[deck]->Design(3);
        }
        analysis = makeAnalysis({});
    }

    std::unique_ptr<CZanAnalysis> makeAnalysis(AnalysisWorker::Launcher launcher) {
        using Banks = std::array<CZanFilterBank*, 2>;
        return std::make_unique<CZanAnalysis>(Banks{octave[0].get(), octave[1].get()},
                                              Banks{chart[0].get(), chart[1].get()}, std::move(launcher));
    }

    void store(int deck, int chunkIndex, const std::vector<std::int16_t>& chunk) {
        analysis->StoreChunk(deck, chunk.data(), chunkIndex * kChunkBytesInRing);
    }

    std::array<std::unique_ptr<CZanFilterBank>, 2> octave, chart;
    std::unique_ptr<CZanAnalysis> analysis;
};

using ChunkAnalysisTest = AnalysisFixture;
using ChunkAnalysisThreadTest = AnalysisFixture;

}  // namespace

TEST_F(ChunkAnalysisTest, StoreChunkWrapsTheRingAndLevelsUseTheDeviation) {
    store(0, 3, constantChunk(5));
    // An odd offset 100 bytes before the end: rounded down, and the rest continues at 0.
    const auto marked = constantChunk(7);
    analysis->StoreChunk(0, marked.data(), 120 * kChunkBytesInRing - 101);
    EXPECT_EQ(analysis->RingChunk(0, 119)[kSamples - 51], 7);
    EXPECT_EQ(analysis->RingChunk(0, 119)[kSamples - 52], 0);
    EXPECT_EQ(analysis->RingChunk(0, 0)[kSamples - 51 - 1], 7);
    EXPECT_EQ(analysis->RingChunk(0, 0)[kSamples - 51], 0);
    EXPECT_EQ(analysis->RingChunk(1, 3)[0], 0);  // the other deck's ring is untouched
    EXPECT_EQ(analysis->RingChunk(0, 120), nullptr);

    store(1, 10, fullScaleSquare());
    EXPECT_NEAR(analysis->GetChunkLevel(1, 10), 20.0 * std::log10(32767.0), 1e-3);
    EXPECT_EQ(analysis->GetChunkLevel(0, 3), 0.0);  // constant: deviation 0, not -infinity
    EXPECT_EQ(analysis->GetChunkLevel(2, 10), 0.0);
    EXPECT_EQ(analysis->GetChunkLevel(1, -1), 0.0);
}

TEST_F(ChunkAnalysisThreadTest, CursorsRunUpWhenFilteredAndDownWhenPlain) {
    for (int run = 0; run < 51; ++run) {
        EXPECT_EQ(analysis->chartCursor(0), run % 50) << run;
        EXPECT_EQ(analysis->chartCursor(1), (50 - run) % 50) << run;
        analysis->RunAnalysis(0, run, false);
        analysis->RunAnalysis(1, run, true);
    }
    EXPECT_EQ(analysis->chartCursor(1), 49);
}

TEST_F(ChunkAnalysisThreadTest, ChartsReadTwentyFiveChunksAheadAndClipOnlyTheMaximum) {
    store(0, 24, rampChunk(-1000, -1001));  // mono = k - 1001 (rounded down)
    analysis->RunAnalysis(0, 119, true);
    EXPECT_EQ(analysis->analysisChunkIndex(), 119);
    EXPECT_EQ(analysis->chartMaximum(0)[0], static_cast<float>(kFrames - 1 - 1001));
    EXPECT_EQ(analysis->chartMinimum(0)[0], -1001.0f);

    // The 375 Hz lowpass overshoots the edges of a full-scale square wave on both sides.
    store(1, 30, fullScaleSquare());
    store(1, 31, fullScaleSquare());
    analysis->RunAnalysis(1, 5, false);
    analysis->RunAnalysis(1, 6, false);
    EXPECT_EQ(analysis->chartMaximum(1)[1], 32767.0f);
    EXPECT_LT(analysis->chartMinimum(1)[1], -32767.0f);
}

TEST_F(ChunkAnalysisThreadTest, WithBothGraphsOffOnlyTheChartRuns) {
    store(0, 0, fullScaleSquare());
    analysis->RunAnalysis(0, 0, false);
    EXPECT_TRUE(chartAnalysisDoneEvent[0].isSet());
    EXPECT_FALSE(octaveAnalysisDoneEvent[0].isSet());
    EXPECT_FALSE(scopeAnalysisDoneEvent[0].isSet());
    EXPECT_EQ(analysis->scopeTrace(0)[0], 0.0);
    EXPECT_EQ(analysis->octaveLevel(0)[5], 0.0);

    analysis->SetOctaveEnabled(true);
    analysis->SetScopeEnabled(true);
    analysis->RunAnalysis(0, 0, false);
    EXPECT_TRUE(octaveAnalysisDoneEvent[0].isSet());
    EXPECT_TRUE(scopeAnalysisDoneEvent[0].isSet());
    EXPECT_FALSE(chartAnalysisDoneEvent[1].isSet());  // deck B's events are its own
    EXPECT_EQ(analysis->scopeTrace(0)[0], 32767.0);
    EXPECT_GT(analysis->octaveLevel(0)[1], 40.0);
}

TEST_F(ChunkAnalysisThreadTest, ScopeTraceHoldsMeansOfTwentyNineMonoSamples) {
    store(1, 42, rampChunk(0, 1));  // mono (2k + 1) / 2 rounds down to k
    analysis->SetScopeEnabled(true);
    analysis->RunAnalysis(1, 42, false);
    for (int point = 0; point < CZanAnalysis::kScopePoints; ++point) {
        EXPECT_EQ(analysis->scopeTrace(1)[point], 29.0 * point + 14.0) << point;
    }
}

TEST_F(ChunkAnalysisThreadTest, OctaveLevelsFollowTheBankAndDecayOnSilence) {
    // An independent bank fed the same mono signal gives the levels being smoothed.
    CZanFilterBank expected;
    expected.Design(10);
    const auto noise = test::soundNoise(kFrames, 12345u, 32767);
    std::vector<float> mono(kFrames);
    for (int k = 0; k < kFrames; ++k)
        mono[k] = (static_cast<float>(noise[2 * k]) + static_cast<float>(noise[2 * k + 1])) * 0.5f;
    store(0, 7, noise);
    analysis->SetOctaveEnabled(true);
    analysis->RunAnalysis(0, 7, false);
    expected.Process(mono.data(), false);
    for (int band = 0; band < 10; ++band) {
        EXPECT_NEAR(analysis->octaveLevel(0)[band], 0.618 * expected.GetBandLevel(band), 1e-3) << band;
    }
    // Silence: the first silent chunk still filters the noise's last 511 samples; from the
    // second on every band is silent (level 0.0) and the smoothed level shrinks by 0.382.
    analysis->RunAnalysis(0, 8, false);
    for (int run = 0; run < 4; ++run) {
        const auto before = analysis->octaveLevel(0);
        analysis->RunAnalysis(0, 9 + run, false);
        for (int band = 0; band < 10; ++band) {
            EXPECT_DOUBLE_EQ(analysis->octaveLevel(0)[band], 0.382 * before[band]);
        }
    }
    EXPECT_GT(analysis->octaveLevel(0)[9], 0.0);
    EXPECT_LT(analysis->octaveLevel(0)[9], 2.0);
}

TEST_F(ChunkAnalysisThreadTest, MeasurementThatCannotStartIsLeftOutForThatChunk) {
    int launches = 0;
    analysis = makeAnalysis([&launches](std::function<void()> body) {
        if (++launches == 1) {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        }
        return std::thread(std::move(body));
    });
    store(0, 0, fullScaleSquare());
    analysis->SetScopeEnabled(true);
    analysis->RunAnalysis(0, 0, true);  // the chart worker is the first to start: refused
    EXPECT_EQ(analysis->chartCursor(0), 0);
    EXPECT_EQ(analysis->scopeTrace(0)[0], 32767.0);
    analysis->RunAnalysis(0, 0, true);  // retried, and now it runs
    EXPECT_EQ(analysis->chartCursor(0), 49);

    // Without its done event a measurement is not started, so nothing is written behind the
    // caller's back.
    chartAnalysisDoneEvent[0] = Event();
    analysis->RunAnalysis(0, 0, true);
    EXPECT_EQ(analysis->chartCursor(0), 49);
    createSharedEvents();

    // Without a chart bank only the filtered chart is left out; the plain one needs none.
    chart[0].reset();
    analysis = makeAnalysis({});
    analysis->RunAnalysis(0, 0, false);
    EXPECT_EQ(analysis->chartCursor(0), 0);
    analysis->RunAnalysis(0, 0, true);
    EXPECT_EQ(analysis->chartCursor(0), 49);
}
