// The analyser panel: which measurements run for its radios and On button, and that the
// graph shows a deck's results after an analysis run only while the analyser is on.
#include <gtest/gtest.h>

#include <QRadioButton>

#include <vector>

#include "app/shared_state.h"
#include "dsp/chunk_format.h"
#include "dsp/filter_bank.h"
#include "engine/chunk_analysis.h"
#include "ui/analyzer_panel.h"
#include "ui/widget_test_support.h"
#include "ui/widgets/zan_analyzer_graph.h"
#include "ui/widgets/zan_button_ctrl.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {

struct AnalysisRig {
    AnalysisRig() {
        createSharedEvents();
        deckColor = {0x000000FF, 0x00FF0000};  // red, blue
        for (int d = 0; d < 2; ++d) {
            octave[d].Design(10);
            chart[d].Design(3);
        }
    }
    std::array<CZanFilterBank, 2> octave, chart;
    CZanAnalysis analysis{{&octave[0], &octave[1]}, {&chart[0], &chart[1]}};
};

QRadioButton* radio(QWidget& panel, int id) { return panel.findChild<QRadioButton*>(QString::number(id)); }

// Whether any pixel of row y is lit, away from the frame columns.
bool rowLit(const QImage& image, int y) {
    for (int x = 3; x < image.width() - 3; ++x)
        if (qGray(image.pixel(x, y)) > 40) return true;
    return false;
}

}  // namespace

TEST(AnalyzerPanelTest, MeasurementsFollowTheGraphTypeAndTheOnButton) {
    AnalysisRig rig;
    rig.analysis.SetScopeEnabled(true);  // whatever ran before, the panel starts plain
    AnalyzerPanel panel(nullptr, &rig.analysis);
    auto* power = panel.findChild<CZanButtonCtrl*>("1101");
    ASSERT_NE(power, nullptr);
    EXPECT_TRUE(radio(panel, 1017)->isChecked());
    EXPECT_TRUE(radio(panel, 1020)->isChecked());
    EXPECT_FALSE(panel.isOn());
    EXPECT_FALSE(rig.analysis.scopeEnabled());
    EXPECT_FALSE(rig.analysis.octaveEnabled());

    radio(panel, 1019)->click();  // Chart, then on: nothing extra
    power->click();
    EXPECT_TRUE(panel.isOn());
    EXPECT_FALSE(rig.analysis.scopeEnabled() || rig.analysis.octaveEnabled());
    radio(panel, 1018)->click();  // Octave while on
    EXPECT_TRUE(rig.analysis.octaveEnabled());
    EXPECT_FALSE(rig.analysis.scopeEnabled());
    radio(panel, 1023)->click();  // the deck radios are a group of their own
    EXPECT_TRUE(radio(panel, 1018)->isChecked());
    EXPECT_FALSE(radio(panel, 1020)->isChecked());
    EXPECT_EQ(panel.graph()->deckMode(), CZanAnalyzerGraph::Split);
    power->click();  // off: both off
    EXPECT_FALSE(rig.analysis.scopeEnabled() || rig.analysis.octaveEnabled());
    radio(panel, 1017)->click();  // Scope, then on: the scope alone
    power->click();
    EXPECT_TRUE(rig.analysis.scopeEnabled());
    EXPECT_FALSE(rig.analysis.octaveEnabled());
}

// A chunk of constant value 16384 gives a scope trace at a quarter of the height from the
// top; the graph takes it up only while the analyser is on.
TEST(AnalyzerPanelTest, GraphShowsAFinishedRunOnlyWhileOn) {
    AnalysisRig rig;
    AnalyzerPanel panel(nullptr, &rig.analysis);
    CZanAnalyzerGraph& graph = *panel.graph();
    const int quarter = graph.height() / 4;
    radio(panel, 1017)->click();  // Scope: measured even while off
    const std::vector<std::int16_t> chunk(kChunkSamples, 16384);
    rig.analysis.StoreChunk(0, chunk.data(), 5 * kChunkBytes);
    rig.analysis.RunAnalysis(0, 5, false);
    panel.showAnalysis(0);
    EXPECT_FALSE(rowLit(renderControl(graph), quarter));

    panel.findChild<CZanButtonCtrl*>("1101")->click();
    rig.analysis.RunAnalysis(0, 5, false);
    panel.showAnalysis(0);
    const QImage on = renderControl(graph);
    EXPECT_TRUE(rowLit(on, quarter) || rowLit(on, quarter - 1));
    EXPECT_FALSE(rowLit(on, graph.height() / 2));
}
