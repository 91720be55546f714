// Per-chunk cost of the analysis: the 10-band octave bank as the octave analysis runs it
// (/fast: the band levels through the fast route, without band outputs), the full band
// outputs by each filtering method (/direct, /fast_outputs: what a caller of Process pays),
// and one whole analysis run with all three measurements on.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <random>
#include <vector>

#include "app/shared_state.h"
#include "dsp/filter_bank.h"
#include "engine/chunk_analysis.h"

using namespace quillmix;

namespace {

std::vector<float> randomChunks(int chunks) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> d(-32768.0f, 32767.0f);
    std::vector<float> samples(static_cast<std::size_t>(chunks) * CZanFilterBank::kChunkLength);
    for (auto& s : samples) s = d(rng);
    return samples;
}

void octaveBankProcess(benchmark::State& state, CZanFilterBank::Method method) {
    auto bank = std::make_unique<CZanFilterBank>();
    bank->SetProcessMethod(method);
    bank->Design(10);
    const int chunks = 8;
    const auto input = randomChunks(chunks);
    int next = 0;
    for (auto _ : state) {
        bank->Process(input.data() + next * CZanFilterBank::kChunkLength, false);
        benchmark::DoNotOptimize(bank->GetBandOutput(9));
        next = (next + 1) % chunks;
    }
    state.SetLabel("per chunk, 10 bands of 256 taps");
}

// The octave analysis' own call: the ten band levels without the band outputs.
void BM_OctaveBankProcessLevels(benchmark::State& state) {
    auto bank = std::make_unique<CZanFilterBank>();
    bank->Design(10);
    const int chunks = 8;
    const auto input = randomChunks(chunks);
    std::array<float, CZanFilterBank::kMaxBands> levels{};
    int next = 0;
    for (auto _ : state) {
        bank->ProcessLevels(input.data() + next * CZanFilterBank::kChunkLength, levels.data());
        benchmark::DoNotOptimize(levels.data());
        next = (next + 1) % chunks;
    }
    state.SetLabel("per chunk, levels of 10 bands of 256 taps");
}

void BM_OctaveBankProcessDirect(benchmark::State& state) { octaveBankProcess(state, CZanFilterBank::Method::direct); }
void BM_OctaveBankProcessFast(benchmark::State& state) { octaveBankProcess(state, CZanFilterBank::Method::fft); }

}  // namespace

BENCHMARK(BM_OctaveBankProcessDirect)->Name("BM_OctaveBankProcess/direct")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OctaveBankProcessFast)->Name("BM_OctaveBankProcess/fast_outputs")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OctaveBankProcessLevels)->Name("BM_OctaveBankProcess/fast")->Unit(benchmark::kMicrosecond);

namespace {

// One run for one deck per iteration, chart (filtered), octave and scope measurements on,
// walking through a ring of random chunks as playback does.
void BM_RunAnalysis(benchmark::State& state) {
    createSharedEvents();
    std::array<std::unique_ptr<CZanFilterBank>, 2> octave, chart;
    for (int deck = 0; deck < 2; ++deck) {
        octave[deck] = std::make_unique<CZanFilterBank>();
        octave[deck]->Design(10);
        chart[deck] = std::make_unique<CZanFilterBank>();
        chart[deck]->Design(3);
    }
    CZanAnalysis analysis({octave[0].get(), octave[1].get()}, {chart[0].get(), chart[1].get()});
    std::mt19937 rng(9);
    std::uniform_int_distribution<int> d(-32768, 32767);
    std::vector<std::int16_t> chunk(CZanAnalysis::kChunkSamples);
    for (int index = 0; index < CZanAnalysis::kRingChunks; ++index) {
        for (auto& s : chunk) s = static_cast<std::int16_t>(d(rng));
        analysis.StoreChunk(0, chunk.data(), index * CZanAnalysis::kChunkSamples * 2);
    }
    analysis.SetOctaveEnabled(true);
    analysis.SetScopeEnabled(true);
    int index = 0;
    for (auto _ : state) {
        analysis.RunAnalysis(0, index, false);
        index = (index + 1) % CZanAnalysis::kRingChunks;
    }
    benchmark::DoNotOptimize(analysis.octaveLevel(0)[0]);
    state.SetLabel("per chunk, chart + octave + scope");
}

}  // namespace

BENCHMARK(BM_RunAnalysis)->Unit(benchmark::kMicrosecond)->UseRealTime();
