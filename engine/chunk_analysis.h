#pragma once
// The per-chunk analysis of what each deck plays, for the analyser, scope, octave and chart
// graphs.
//
// The mixing cycle copies every chunk it writes to a deck's forward output buffer into that
// deck's `deckOutputRing` (StoreChunk), at the same place, and for every chunk played asks
// for a run (RunAnalysis). A run makes up to three measurements of one ring chunk, each on
// a worker thread of its own, in parallel:
//   - the chart: minimum and maximum of the chunk 25 ahead, either of its mono signal
//     ("plain", backward play) or of that signal's band below 375 Hz (forward play), kept
//     in a ring of 50 per deck whose cursor moves up (filtered) or down (plain);
//   - the octave levels: ten octave band levels in dB, smoothed 0.382 old / 0.618 new;
//   - the scope trace: 100 means of 29 mono samples.
// Each worker sets the deck's done event of app/shared_state.h (chartAnalysisDoneEvent[d] and
// so on) when it is finished, and RunAnalysis returns only when every started measurement
// is complete. A measurement whose worker cannot start, whose done event does not exist
// (createSharedEvents() not run or failed) or whose filter bank is missing (null) is left
// out of that run.
//
// Threads: every public function runs on the window thread, which is also the only reader
// of the results; the workers write the results only while RunAnalysis waits for them.
// All memory is taken at construction. The filter banks are borrowed: the octave banks must
// be designed with 10 bands and the chart banks with 3, each used by this object alone.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/chunk_format.h"
#include "dsp/filter_bank.h"
#include "engine/analysis_worker.h"

namespace quillmix {

class CZanAnalysis {
public:
    static constexpr int kDecks = 2;
    static constexpr int kRingChunks = kOutputBufferChunks;        // chunks of a deck's output buffer
    static constexpr int kChunkSamples = quillmix::kChunkSamples;  // 16-bit interleaved stereo
    static constexpr int kChunkFrames = quillmix::kChunkFrames;
    static constexpr int kScopePoints = 100;
    static constexpr int kScopeGroup = 29;  // mono samples per scope point
    static constexpr int kOctaveBands = 10;
    static constexpr int kChartLength = 50;
    static constexpr int kChartLookAhead = 25;  // chunks between played and charted

    using ScopeTrace = std::array<double, kScopePoints>;
    using OctaveLevels = std::array<double, kOctaveBands>;
    using ChartRing = std::array<float, kChartLength>;

    CZanAnalysis(std::array<CZanFilterBank*, kDecks> octaveBanks, std::array<CZanFilterBank*, kDecks> chartBanks,
                 AnalysisWorker::Launcher launcher = {});
    ~CZanAnalysis();
    CZanAnalysis(const CZanAnalysis&) = delete;
    CZanAnalysis& operator=(const CZanAnalysis&) = delete;

    // Copies one chunk (5880 samples) into the deck's ring at `byteOffset` (rounded down to
    // a whole sample, taken modulo the ring's 1411200 bytes; a chunk that runs past the end
    // continues at the start). An invalid deck or a negative offset is ignored.
    void StoreChunk(int deck, const std::int16_t* samples, int byteOffset);
    // The deck's ring chunk 0..119 (5880 samples); nullptr for an invalid deck or index.
    const std::int16_t* RingChunk(int deck, int chunkIndex) const;

    // 20 x log10 of the 16-bit standard deviation of the chunk's 5880 interleaved samples;
    // 0.0 when that deviation is 0, or for an invalid deck or chunk index.
    double GetChunkLevel(int deck, int chunkIndex) const;

    // The analyser graph's switches for the optional measurements (both off at first).
    void SetOctaveEnabled(bool enabled) { octaveEnabled_ = enabled; }
    void SetScopeEnabled(bool enabled) { scopeEnabled_ = enabled; }
    bool octaveEnabled() const { return octaveEnabled_; }
    bool scopeEnabled() const { return scopeEnabled_; }

    // Measures ring chunk `chunkIndex` (taken modulo 120) of `deck`: the chart always (plain
    // or filtered), the octave levels and scope trace when enabled. Blocks until done.
    void RunAnalysis(int deck, int chunkIndex, bool plainChart);
    int analysisChunkIndex() const { return analysisChunkIndex_; }

    // Results, zero at first; `deck` must be 0 or 1 (std::out_of_range otherwise).
    const ScopeTrace& scopeTrace(int deck) const { return scopeTrace_.at(deck); }
    const OctaveLevels& octaveLevel(int deck) const { return octaveLevel_.at(deck); }
    const ChartRing& chartMinimum(int deck) const { return chartMinimum_.at(deck); }
    const ChartRing& chartMaximum(int deck) const { return chartMaximum_.at(deck); }
    int chartCursor(int deck) const { return chartCursor_.at(deck); }
    // The analyser graph zeroes the octave levels when it is created.
    void ClearOctaveLevels();

private:
    struct Scratch;

    bool validDeck(int deck) const { return deck >= 0 && deck < kDecks; }
    const std::int16_t* ringChunk(int deck, int chunkIndex) const;
    void monoOfChunk(int deck, int chunkIndex, Scratch& scratch) const;
    void measureChart(int deck);
    void measureOctaves(int deck);
    void measureScope(int deck);

    std::array<CZanFilterBank*, kDecks> octaveBanks_;
    std::array<CZanFilterBank*, kDecks> chartBanks_;
    std::vector<std::int16_t> deckOutputRing_;  // kDecks x kRingChunks x kChunkSamples
    std::unique_ptr<Scratch> chartScratch_, octaveScratch_, scopeScratch_;

    bool octaveEnabled_ = false;
    bool scopeEnabled_ = false;
    // Hand-over values of a run: written before the workers start, read by them.
    int analysisChunkIndex_ = 0;
    bool plainChart_ = false;

    std::array<ScopeTrace, kDecks> scopeTrace_{};
    std::array<OctaveLevels, kDecks> octaveLevel_{};
    std::array<ChartRing, kDecks> chartMinimum_{};
    std::array<ChartRing, kDecks> chartMaximum_{};
    std::array<int, kDecks> chartCursor_{};

    // Last, so that they stop before anything they use is destroyed.
    AnalysisWorker chartWorker_, octaveWorker_, scopeWorker_;
};

}  // namespace quillmix
