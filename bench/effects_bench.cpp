// Cost of the deck effects: each iteration processes one second of stereo audio at
// 44.1 kHz in chunk-sized blocks (2940 frames), so the time per iteration is the cost per
// second of audio, and the "realtime_x" counter says how many decks' worth of that effect
// one core could carry.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "dsp/deck_effect_chain.h"
#include "dsp/effect_parametric_eq.h"
#include "dsp/effect_table.h"

namespace {
using namespace quillmix;

constexpr int kRate = 44100;
constexpr int kBlockFrames = 2940;

std::vector<float> noiseSecond() {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> dist(-0.5f, 0.5f);
    std::vector<float> samples(2 * kRate);
    for (auto& s : samples) s = dist(rng);
    return samples;
}

template <class Process>
void runSeconds(benchmark::State& state, Process&& process) {
    const std::vector<float> source = noiseSecond();
    std::vector<float> work(source.size());
    for (auto _ : state) {
        state.PauseTiming();
        work = source;
        state.ResumeTiming();
        for (int start = 0; start < kRate; start += kBlockFrames)
            process(work.data() + 2 * start, std::min(kBlockFrames, kRate - start));
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
    }
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void effectBenchmark(benchmark::State& state, EffectKind kind) {
    auto effect = makeEffectProcessor(kind);
    const EffectDescription& description = describeEffect(kind);
    for (int i = 0; i < kEffectParameterCount; ++i) effect->setParameter(i, description.parameters[i].defaultValue);
    effect->prepare(kRate);
    runSeconds(state, [&](float* block, int frames) { effect->process(block, frames); });
}

void parametricEqBenchmark(benchmark::State& state) {
    ParametricEq eq(750.0f, 24.0f, 6.0f);
    eq.prepare(kRate);
    runSeconds(state, [&](float* block, int frames) { eq.process(block, frames); });
}

// Five equaliser bands (cutting and boosting by 4 dB, or flat at 0 dB) and the reverb.
void deckEq5Reverb(benchmark::State& state, float bandGainDb) {
    DeckChainLayout layout;
    layout.equalizerBandCount = 5;
    const float centres[5] = {46.875f, 187.5f, 750.0f, 3000.0f, 12000.0f};
    for (int b = 0; b < 5; ++b)
        layout.bands[b] = {std::max(centres[b], 80.0f), 24.0f, b % 2 ? bandGainDb : -bandGainDb};
    layout.effect = EffectKind::Reverb;
    layout.effectParameters = {1000.0f, 0.001f};
    auto chain = DeckEffectChain::build(layout, kRate);
    runSeconds(state, [&](float* block, int frames) { chain->process(block, frames); });
}
void BM_DeckEq5Reverb(benchmark::State& state) { deckEq5Reverb(state, 4.0f); }
void BM_DeckEq5ReverbFlat(benchmark::State& state) { deckEq5Reverb(state, 0.0f); }
BENCHMARK(BM_DeckEq5Reverb)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DeckEq5ReverbFlat)->Name("BM_DeckEq5Reverb/flat")->Unit(benchmark::kMicrosecond);

const bool registered = [] {
    const std::pair<const char*, EffectKind> effects[] = {
        {"chorus", EffectKind::Chorus}, {"compressor", EffectKind::Compressor}, {"distortion", EffectKind::Distortion},
        {"echo", EffectKind::Echo},     {"flanger", EffectKind::Flanger},       {"gargle", EffectKind::Gargle},
        {"reverb", EffectKind::Reverb}};
    for (const auto& [name, kind] : effects) {
        benchmark::RegisterBenchmark((std::string("BM_Effect/") + name).c_str(), effectBenchmark, kind)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("BM_Effect/parameq", parametricEqBenchmark)->Unit(benchmark::kMicrosecond);
    return true;
}();

}  // namespace
