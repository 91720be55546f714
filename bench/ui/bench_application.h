#pragma once
// The one Qt application of the benchmark program (offscreen unless a platform is set),
// made on first use by whichever benchmark needs widgets or an event loop first; and the
// random platter chart the paint benchmarks draw.
#include <QApplication>

#include <cstdlib>
#include <random>

#include "ui/widgets/zan_circular_chart_graph.h"

namespace quillmix::bench {

inline QApplication& benchApplication() {
    static int argc = 1;
    static char name[] = "quillmix-bench";
    static char* argv[] = {name, nullptr};
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(argc, argv);
    return app;
}

// A platter chart of random peaks, the same on every call.
inline void randomChart(CZanCircularChartGraph::ChartRing& minimum, CZanCircularChartGraph::ChartRing& maximum) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> peak(0.0f, 32767.0f);
    for (std::size_t i = 0; i < maximum.size(); ++i) {
        maximum[i] = peak(rng);
        minimum[i] = -peak(rng);
    }
}

}  // namespace quillmix::bench
