// Per-chunk cost of the analysis: the 10-band octave bank by each filtering method, and one
// whole analysis run with all three measurements on.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "dsp/filter_bank.h"

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

void BM_OctaveBankProcessDirect(benchmark::State& state) {
    octaveBankProcess(state, CZanFilterBank::Method::direct);
}
void BM_OctaveBankProcessFast(benchmark::State& state) {
    octaveBankProcess(state, CZanFilterBank::Method::fft);
}

}  // namespace

BENCHMARK(BM_OctaveBankProcessDirect)->Name("BM_OctaveBankProcess/direct")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OctaveBankProcessFast)->Name("BM_OctaveBankProcess/fast")->Unit(benchmark::kMicrosecond);
