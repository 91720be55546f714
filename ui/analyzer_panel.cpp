#include "ui/analyzer_panel.h"

#include <QRadioButton>

#include "app/shared_state.h"
#include "engine/chunk_analysis.h"
#include "ui/panel_controls.h"
#include "ui/widgets/zan_analyzer_graph.h"
#include "ui/widgets/zan_button_ctrl.h"

namespace quillmix {

namespace {
struct RadioOf {
    int id;
    const char* text;
    int value;
};
// Graph types 2 scope, 1 octave, 0 chart; deck modes 0 .. 3.
constexpr std::array<RadioOf, 3> kTypes{{{1017, "Scope", 2}, {1018, "Octave", 1}, {1019, "Chart", 0}}};
constexpr std::array<RadioOf, 4> kDecks{
    {{1020, "Deck A", 0}, {1021, "Deck B", 1}, {1022, "Both", 2}, {1023, "Split", 3}}};
}  // namespace

AnalyzerPanel::AnalyzerPanel(QWidget* parent, CZanAnalysis* analysis)
    : PanelDialog(parent, "Analyzer", dialogUnits(348, 190)), analysis_(analysis) {
    setObjectName("analyzer");
    buildControls();
    keepKeysOnPanel(this);
    if (analysis_) {  // nothing but the chart runs until asked for
        analysis_->SetOctaveEnabled(false);
        analysis_->SetScopeEnabled(false);
        analysis_->ClearOctaveLevels();
    }
}

// The template: graph type, deck choice and the On button down the left, the graph in its
// "Plot" frame filling the rest.
void AnalyzerPanel::buildControls() {
    addGroup(this, 1016, "Graph Type", QRect(4, 4, 60, 52));
    for (std::size_t i = 0; i < kTypes.size(); ++i) {
        const RadioOf r = kTypes[i];
        typeRadios_[i] = addRadio(this, r.id, r.text, QRect(10, 15 + 13 * static_cast<int>(i), 50, 10));
        connect(typeRadios_[i], &QRadioButton::clicked, this, [this, r] { chooseGraphType(r.value); });
    }
    addGroup(this, 1004, "Choose Deck", QRect(4, 60, 60, 64));
    for (std::size_t i = 0; i < kDecks.size(); ++i) {
        const RadioOf r = kDecks[i];
        deckRadios_[i] = addRadio(this, r.id, r.text, QRect(10, 71 + 13 * static_cast<int>(i), 50, 10));
        connect(deckRadios_[i], &QRadioButton::clicked, this, [this, r] { graph_->setDeckMode(r.value); });
    }
    // The deck radios are one group of their own, apart from the graph types.
    for (QRadioButton* radio : deckRadios_) radio->setAutoExclusive(false);
    for (QRadioButton* radio : deckRadios_)
        connect(radio, &QRadioButton::clicked, this, [this, radio] {
            for (QRadioButton* other : deckRadios_) other->setChecked(other == radio);
        });
    addGroup(this, 0, "Enable", QRect(4, 128, 60, 58));
    powerButton_ = addPowerButton(this, 1101, QRect(20, 144, 28, 28));
    connect(powerButton_, &CZanButtonCtrl::toggled, this, &AnalyzerPanel::onPowerToggled);
    addGroup(this, 0, "Plot", QRect(68, 4, 276, 182));
    graph_ = new CZanAnalyzerGraph(this, 1067);
    graph_->setGeometry(dialogRect(73, 14, 266, 168));
    graph_->setDeckColors(deckColor[0], deckColor[1]);
    typeRadios_[0]->setChecked(true);
    deckRadios_[0]->setChecked(true);
}

void AnalyzerPanel::chooseGraphType(int type) {
    if (analysis_) {
        analysis_->SetOctaveEnabled(type == CZanAnalyzerGraph::Octave);
        analysis_->SetScopeEnabled(type == CZanAnalyzerGraph::Scope);
    }
    graph_->setGraphType(type);
}

// The caption names what a click does next: "Off" while on, "On" while off.
void AnalyzerPanel::onPowerToggled(bool on) {
    on_ = on;
    powerButton_->setText(on ? "Off" : "On");
    if (analysis_) {
        analysis_->SetOctaveEnabled(on && graph_->graphType() == CZanAnalyzerGraph::Octave);
        analysis_->SetScopeEnabled(on && graph_->graphType() == CZanAnalyzerGraph::Scope);
    }
    if (on)
        for (int d = 0; d < 2; ++d) copyResults(d);
}

void AnalyzerPanel::showAnalysis(int deck) {
    if (on_) copyResults(deck);
}

// Each setter repaints only when its values changed, and only through update().
void AnalyzerPanel::copyResults(int deck) {
    if (!analysis_ || deck < 0 || deck > 1) return;
    graph_->setDeckColors(deckColor[0], deckColor[1]);  // the options may have changed them
    graph_->setScopeTrace(deck, analysis_->scopeTrace(deck));
    graph_->setOctaveLevels(deck, analysis_->octaveLevel(deck));
    graph_->setChart(deck, analysis_->chartMinimum(deck), analysis_->chartMaximum(deck), analysis_->chartCursor(deck));
}

}  // namespace quillmix
