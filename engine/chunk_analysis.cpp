#include "engine/chunk_analysis.h"

#include <algorithm>
#include <cmath>

#include "app/shared_state.h"
#include "dsp/sample_layout.h"
#include "dsp/vector_ops.h"

namespace quillmix {

namespace {

constexpr int kRingBytes = CZanAnalysis::kRingChunks * CZanAnalysis::kChunkSamples * 2;
constexpr float kChartCeiling = 32767.0f;
constexpr double kOctaveKeep = 0.382;  // share of the previous smoothed level
constexpr double kOctaveTake = 0.618;  // share of the new band level

int wrapChunk(int chunkIndex) {
    const int wrapped = chunkIndex % CZanAnalysis::kRingChunks;
    return wrapped < 0 ? wrapped + CZanAnalysis::kRingChunks : wrapped;
}

// Resets the done event and hands the run to the worker; false when the measurement cannot
// run, so that the caller will not wait for it.
bool startMeasurement(AnalysisWorker& worker, int deck, const Event& done) {
    if (done.isNull()) return false;
    done.reset();
    return worker.start(deck, done);
}

}  // namespace

// One worker's buffers for a chunk: split channels and their mono mix in both sample types.
struct CZanAnalysis::Scratch {
    std::vector<std::int16_t> left = std::vector<std::int16_t>(kChunkFrames);
    std::vector<std::int16_t> right = std::vector<std::int16_t>(kChunkFrames);
    std::vector<std::int16_t> mono = std::vector<std::int16_t>(kChunkFrames);
    std::vector<float> interleaved = std::vector<float>(kChunkSamples);
    std::vector<float> leftFloat = std::vector<float>(kChunkFrames);
    std::vector<float> rightFloat = std::vector<float>(kChunkFrames);
    std::vector<float> monoFloat = std::vector<float>(kChunkFrames);
};

CZanAnalysis::CZanAnalysis(std::array<CZanFilterBank*, kDecks> octaveBanks,
                           std::array<CZanFilterBank*, kDecks> chartBanks, AnalysisWorker::Launcher launcher)
    : octaveBanks_(octaveBanks),
      chartBanks_(chartBanks),
      deckOutputRing_(static_cast<std::size_t>(kDecks) * kRingChunks * kChunkSamples, 0),
      chartScratch_(std::make_unique<Scratch>()),
      octaveScratch_(std::make_unique<Scratch>()),
      scopeScratch_(std::make_unique<Scratch>()),
      chartWorker_([this](int deck) { measureChart(deck); }, launcher),
      octaveWorker_([this](int deck) { measureOctaves(deck); }, launcher),
      scopeWorker_([this](int deck) { measureScope(deck); }, launcher) {}

CZanAnalysis::~CZanAnalysis() = default;

void CZanAnalysis::StoreChunk(int deck, const std::int16_t* samples, int byteOffset) {
    if (!validDeck(deck) || byteOffset < 0 || !samples) return;
    std::int16_t* ring = deckOutputRing_.data() + static_cast<std::size_t>(deck) * kRingBytes / 2;
    const int start = (byteOffset % kRingBytes) / 2;  // in samples
    const int firstPart = std::min(kChunkSamples, kRingBytes / 2 - start);
    VectorCopy(samples, ring + start, firstPart);
    VectorCopy(samples + firstPart, ring, kChunkSamples - firstPart);
}

const std::int16_t* CZanAnalysis::ringChunk(int deck, int chunkIndex) const {
    const std::size_t chunk = static_cast<std::size_t>(deck) * kRingChunks + chunkIndex;
    return deckOutputRing_.data() + chunk * kChunkSamples;
}

const std::int16_t* CZanAnalysis::RingChunk(int deck, int chunkIndex) const {
    if (!validDeck(deck) || chunkIndex < 0 || chunkIndex >= kRingChunks) return nullptr;
    return ringChunk(deck, chunkIndex);
}

double CZanAnalysis::GetChunkLevel(int deck, int chunkIndex) const {
    const std::int16_t* chunk = RingChunk(deck, chunkIndex);
    if (!chunk) return 0.0;
    const std::int16_t deviation = VectorStdDev(chunk, kChunkSamples);
    return deviation > 0 ? 20.0 * std::log10(static_cast<double>(deviation)) : 0.0;
}

void CZanAnalysis::ClearOctaveLevels() {
    for (auto& levels : octaveLevel_) levels.fill(0.0);
}

void CZanAnalysis::RunAnalysis(int deck, int chunkIndex, bool plainChart) {
    if (!validDeck(deck)) return;
    analysisChunkIndex_ = wrapChunk(chunkIndex);
    plainChart_ = plainChart;
    // A measurement without its filter bank is left out like one whose worker cannot start.
    const bool chart =
        (plainChart || chartBanks_[deck]) && startMeasurement(chartWorker_, deck, chartAnalysisDoneEvent[deck]);
    const bool octaves =
        octaveEnabled_ && octaveBanks_[deck] && startMeasurement(octaveWorker_, deck, octaveAnalysisDoneEvent[deck]);
    const bool scope = scopeEnabled_ && startMeasurement(scopeWorker_, deck, scopeAnalysisDoneEvent[deck]);
    // The workers never send to the window thread, so a plain wait cannot deadlock.
    if (chart) chartAnalysisDoneEvent[deck].waitForever();
    if (octaves) octaveAnalysisDoneEvent[deck].waitForever();
    if (scope) scopeAnalysisDoneEvent[deck].waitForever();
}

// (left + right) / 2 of a ring chunk on 16-bit samples, into scratch.mono.
void CZanAnalysis::monoOfChunk(int deck, int chunkIndex, Scratch& scratch) const {
    SplitChannels(ringChunk(deck, chunkIndex), scratch.left.data(), scratch.right.data(), kChunkSamples);
    VectorAddHalving(scratch.left.data(), scratch.right.data(), scratch.mono.data(), kChunkFrames);
}

// Worker thread. Minimum and maximum of the chunk 25 ahead into the chart ring at the
// cursor; the filtered chart then moves the cursor up, the plain chart down.
void CZanAnalysis::measureChart(int deck) {
    Scratch& scratch = *chartScratch_;
    const int cursor = chartCursor_[deck];
    monoOfChunk(deck, (analysisChunkIndex_ + kChartLookAhead) % kRingChunks, scratch);
    if (plainChart_) {
        chartMaximum_[deck][cursor] = VectorMax(scratch.mono.data(), kChunkFrames);
        chartMinimum_[deck][cursor] = VectorMin(scratch.mono.data(), kChunkFrames);
        chartCursor_[deck] = cursor == 0 ? kChartLength - 1 : cursor - 1;
        return;
    }
    CZanFilterBank& bank = *chartBanks_[deck];
    IntToFloat(scratch.mono.data(), scratch.monoFloat.data(), kChunkFrames);
    bank.Process(scratch.monoFloat.data(), true);
    chartMaximum_[deck][cursor] = std::min(bank.GetBandMaximum(0), kChartCeiling);
    chartMinimum_[deck][cursor] = bank.GetBandMinimum(0);
    chartCursor_[deck] = (cursor + 1) % kChartLength;
}

// Worker thread. The float mono mix through the deck's octave bank, each band's level
// blended into the smoothed levels.
void CZanAnalysis::measureOctaves(int deck) {
    Scratch& scratch = *octaveScratch_;
    IntToFloat(ringChunk(deck, analysisChunkIndex_), scratch.interleaved.data(), kChunkSamples);
    SplitChannelsFloat(scratch.interleaved.data(), scratch.leftFloat.data(), scratch.rightFloat.data(), kChunkSamples);
    VectorSum(scratch.leftFloat.data(), scratch.rightFloat.data(), scratch.monoFloat.data(), kChunkFrames);
    VectorMultiplyConstant(scratch.monoFloat.data(), 0.5f, kChunkFrames);
    // Only the levels are shown, so the bank measures them without forming band outputs.
    std::array<float, CZanFilterBank::kMaxBands> levels{};
    octaveBanks_[deck]->ProcessLevels(scratch.monoFloat.data(), levels.data());
    for (int band = 0; band < kOctaveBands; ++band) {
        double& level = octaveLevel_[deck][band];
        level = kOctaveKeep * level + kOctaveTake * levels[band];
    }
}

// Worker thread. Means of 29 consecutive mono samples; the last 40 samples go unused.
void CZanAnalysis::measureScope(int deck) {
    Scratch& scratch = *scopeScratch_;
    monoOfChunk(deck, analysisChunkIndex_, scratch);
    for (int point = 0; point < kScopePoints; ++point) {
        scopeTrace_[deck][point] = VectorMean(scratch.mono.data() + point * kScopeGroup, kScopeGroup);
    }
}

}  // namespace quillmix
