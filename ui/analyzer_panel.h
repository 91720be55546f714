#pragma once
// The analyser panel ("Analyzer"): a scope trace, ten octave bars or the recent peak chart
// of deck A, deck B, both overlaid or both side by side, drawn by CZanAnalyzerGraph from the
// results of the per-chunk analysis (CZanAnalysis).
//
// Measurements: the chart runs for every chunk. The graph-type radios switch the optional
// measurement of their type on ("Scope" the scope trace, "Octave" the octave levels,
// "Chart" neither), whether or not the analyser is on; turning the analyser on switches on
// the checked type's measurement, turning it off switches both off.
//
// Redraw: the mixing cycle reports each finished analysis run (showAnalysis); while on, the
// panel copies that deck's results into the graph, which schedules one paint when anything
// it shows changed (Qt merges the requests of several runs into one paint). While off the
// graph is left alone.
//
// Threads: window thread only.

#include <array>

#include "ui/panel_dialog.h"

class QRadioButton;

namespace quillmix {

class CZanAnalysis;
class CZanAnalyzerGraph;
class CZanButtonCtrl;

class AnalyzerPanel : public PanelDialog {
public:
    // `analysis` may be null (no results to show; the panel still works).
    AnalyzerPanel(QWidget* parent, CZanAnalysis* analysis);

    // A run of `deck`'s analysis has finished: its results are complete.
    void showAnalysis(int deck);

    bool isOn() const { return on_; }
    CZanAnalyzerGraph* graph() const { return graph_; }

private:
    void buildControls();
    void chooseGraphType(int type);
    void onPowerToggled(bool on);
    void copyResults(int deck);

    CZanAnalysis* analysis_;
    bool on_ = false;
    CZanAnalyzerGraph* graph_ = nullptr;
    CZanButtonCtrl* powerButton_ = nullptr;
    std::array<QRadioButton*, 3> typeRadios_{};
    std::array<QRadioButton*, 4> deckRadios_{};
};

}  // namespace quillmix
