// Paint cost of the self-drawn controls at their default sizes, each rendered into an image
// as the window system would have it painted. The window thread also feeds the audio, so
// these are what one redraw takes from it.
#include <benchmark/benchmark.h>

#include <QImage>

#include <cmath>
#include <random>
#include <string>

#include "bench_application.h"
#include "ui/analyzer_panel.h"
#include "ui/widgets/widget_support.h"
#include "ui/widgets/zan_analyzer_graph.h"
#include "ui/widgets/zan_button_ctrl.h"
#include "ui/widgets/zan_circular_chart_graph.h"
#include "ui/widgets/zan_equalizer_graph.h"
#include "ui/widgets/zan_fader_controls.h"

using namespace quillmix;

namespace {

// Renders `widget` at its size hint (or `size`) into an image once per iteration.
void paintLoop(benchmark::State& state, QWidget& widget, QSize size = {}) {
    widget.resize(size.isValid() ? size : widget.sizeHint());
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        widget.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(std::to_string(widget.width()) + "x" + std::to_string(widget.height()));
}

void BM_PaintPlatter(benchmark::State& state) {
    bench::benchApplication();
    CZanCircularChartGraph::ChartRing minimum{}, maximum{};
    bench::randomChart(minimum, maximum);
    CZanCircularChartGraph platter;
    platter.setDeckColor(0x0030C0FF);
    platter.setChart(minimum, maximum, 13);
    const int side = static_cast<int>(state.range(0));
    paintLoop(state, platter, side > 0 ? QSize(side, side) : QSize());
}
BENCHMARK(BM_PaintPlatter)->Arg(0)->Arg(400)->Unit(benchmark::kMicrosecond);

void BM_PaintCrossFadeCurveGraph(benchmark::State& state) {
    bench::benchApplication();
    CZanCrossFadeCurveGraph graph;
    CZanCrossFadeCurveGraph::Curve a{}, b{};
    for (std::size_t i = 0; i < a.size(); ++i) {
        b[i] = static_cast<double>(i) / 99.0;
        a[98 - i] = b[i];
    }
    graph.setCurves(a, b);
    paintLoop(state, graph);
}
BENCHMARK(BM_PaintCrossFadeCurveGraph)->Unit(benchmark::kMicrosecond);

void BM_PaintSkinnedButton(benchmark::State& state) {
    bench::benchApplication();
    CZanButtonCtrl button;
    button.setKind(ButtonKind::PlayPause);
    skinImage(button.imageName());  // the first paint reads the file; this measures the rest
    paintLoop(state, button);
}
BENCHMARK(BM_PaintSkinnedButton)->Unit(benchmark::kMicrosecond);

void BM_PaintLevelMeter(benchmark::State& state) {
    bench::benchApplication();
    CZanLevelMeter meter;
    meter.setLevel(7);
    paintLoop(state, meter);
}
BENCHMARK(BM_PaintLevelMeter)->Unit(benchmark::kMicrosecond);

void BM_PaintEqualizerGraph(benchmark::State& state) {
    bench::benchApplication();
    CZanEqualizerGraph graph;
    for (int band = 0; band < CZanEqualizerGraph::kMaxBands; ++band) {
        CZanEqualizerGraph::Curve curve{};
        for (std::size_t i = 0; i < curve.size(); ++i)  // a peak of 12 dB at the band's place
            curve[i] = static_cast<float>(
                12.0 * std::exp(-std::pow((static_cast<double>(i) - 64.0 - 128.0 * band) / 40.0, 2.0)));
        graph.setBandCurve(band, curve);
    }
    graph.SetNumBands(5);
    paintLoop(state, graph);
}
BENCHMARK(BM_PaintEqualizerGraph)->Unit(benchmark::kMicrosecond);

// The size the analyser panel gives its graph.
QSize analyzerPanelGraphSize() {
    static const QSize size = AnalyzerPanel(nullptr, nullptr).graph()->size();
    return size;
}

// The analyser with both decks' results filled with noise-like values, at the size the
// panel gives it or at `size`.
void paintAnalyzer(benchmark::State& state, int type, int mode, QSize size) {
    bench::benchApplication();
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> sample(-20000.0, 20000.0), level(20.0, 90.0);
    CZanAnalyzerGraph graph;
    for (int deck = 0; deck < 2; ++deck) {
        CZanAnalyzerGraph::ScopeTrace trace{};
        CZanAnalyzerGraph::OctaveLevels levels{};
        CZanAnalyzerGraph::ChartRing minimum{}, maximum{};
        for (auto& v : trace) v = sample(rng);
        for (auto& v : levels) v = level(rng);
        for (std::size_t i = 0; i < maximum.size(); ++i) {
            maximum[i] = static_cast<float>(std::abs(sample(rng)));
            minimum[i] = -maximum[i];
        }
        graph.setScopeTrace(deck, trace);
        graph.setOctaveLevels(deck, levels);
        graph.setChart(deck, minimum, maximum, 7);
    }
    graph.setGraphType(type);
    graph.setDeckMode(mode);
    paintLoop(state, graph, size.isValid() ? size : analyzerPanelGraphSize());
}

// BM_PaintAnalyzer/<scope|octave|chart>/<deckA|deckB|both|split>/<default|1600x900>; default is
// the graph's size in the analyser panel.
const bool analyzerBenchmarks = [] {
    const std::pair<int, const char*> types[] = {{CZanAnalyzerGraph::Scope, "scope"},
                                                 {CZanAnalyzerGraph::Octave, "octave"},
                                                 {CZanAnalyzerGraph::Chart, "chart"}};
    const char* modes[] = {"deckA", "deckB", "both", "split"};
    for (const auto& [type, typeName] : types)
        for (int mode = 0; mode < 4; ++mode)
            for (const QSize size : {QSize(), QSize(1600, 900)}) {
                const std::string name = std::string("BM_PaintAnalyzer/") + typeName + "/" + modes[mode] + "/" +
                                         (size.isValid() ? "1600x900" : "default");
                benchmark::RegisterBenchmark(name.c_str(), [type, mode, size](benchmark::State& state) {
                    paintAnalyzer(state, type, mode, size);
                })->Unit(benchmark::kMicrosecond);
            }
    return true;
}();

}  // namespace
