// Paint cost of a whole deck window: every control, the platter with a full chart ring
// included, rendered into an image as the window system would have it painted.
#include <benchmark/benchmark.h>

#include <QImage>

#include <random>
#include <string>

#include "bench_application.h"
#include "deck/deck.h"
#include "sources/read_ahead_ring.h"
#include "sources/track_reader.h"
#include "ui/deck_panel.h"
#include "ui/widgets/widget_support.h"
#include "ui/widgets/zan_button_ctrl.h"
#include "ui/widgets/zan_circular_chart_graph.h"
#include "ui/widgets/zan_small_controls.h"

using namespace quillmix;

namespace {

void BM_PaintDeckPanel(benchmark::State& state) {
    bench::benchApplication();
    CZanTrackReader reader;
    CZanReadAheadRing ring;
    CZanDeck2 deck(0, DeckSources{reader, ring});
    DeckPanel panel(nullptr, deck, 0);
    CZanCircularChartGraph::ChartRing minimum{}, maximum{};
    bench::randomChart(minimum, maximum);
    panel.findChild<CZanCircularChartGraph*>("1101")->setChart(minimum, maximum, 13);
    panel.findChild<CZanTrackNameIndicator*>("1090")->setText("A track name longer than the indicator shows");
    for (CZanButtonCtrl* button : panel.findChildren<CZanButtonCtrl*>()) skinImage(button->imageName());
    QImage image(panel.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        panel.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(std::to_string(panel.width()) + "x" + std::to_string(panel.height()));
}
BENCHMARK(BM_PaintDeckPanel)->Unit(benchmark::kMicrosecond);

}  // namespace
