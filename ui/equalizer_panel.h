#pragma once
// The equaliser panel of one deck ("Deck A Equalizer", "Deck B Equalizer"): band count,
// band gains, on/off and the response graph. The band layout and gains live in the deck's
// equaliser filter bank, held by the mixer engine; the panel sets them there and asks the
// mixer (a synchronous send to mixerWindow) to carry them to both outputs.
//
// Slider position p (850 top .. 1150 bottom) gives the gain factor (2000 - p) / 1000, which
// the outputs apply as (factor - 1) x 100 dB: +15 dB at the top, -15 dB at the bottom.
// A band keeps its gain across band-count changes. While off, gains and the band count
// change only the bank and the graph; turning on applies them all.
//
// Threads: window thread only.

#include <array>

#include "ui/panel_dialog.h"

class QLabel;
class QRadioButton;
class QSlider;
class QGroupBox;

namespace quillmix {

class CZanButtonCtrl;
class CZanEqualizerGraph;
class MixerEngine;

class EqualizerPanel : public PanelDialog {
public:
    static constexpr int kMaxBands = 5;
    static constexpr int kSliderTop = 850;      // +15 dB
    static constexpr int kSliderMiddle = 1000;  // 0 dB
    static constexpr int kSliderBottom = 1150;  // -15 dB

    EqualizerPanel(QWidget* parent, MixerEngine& engine, int deck);

    // 2, 3 or 5 bands: redesigns the bank, shows the centres, and rebuilds the chain at
    // once while the equaliser is on. Other counts are ignored.
    void SetNumBands(int bands);
    int numBands() const { return bands_; }
    // Band `band`'s gain factor (0.85 .. 1.15) into the bank, the outputs and the graph.
    void SetBandGain(int band, float factor);
    bool isOn() const { return on_; }
    // A held shortcut key: band `band`'s gain factor moves by `delta` through its slider,
    // within the slider's range. Bands beyond the band count are left alone.
    void stepBandGain(int band, double delta);
    // Turns the equaliser off as its button would (the options' OK does, before the outputs
    // reopen without chains).
    void switchOff();

    CZanEqualizerGraph* graph() const { return graph_; }

private:
    void buildControls();
    void chooseBandCount(int bands);
    void onSliderChanged(int band);
    void onPowerToggled(bool on);
    void copyCurveToGraph(int band);

    MixerEngine& engine_;
    const int deck_;
    int bands_ = 3;
    bool on_ = false;
    bool updating_ = false;  // the panel is rearranging its controls; sliders stay quiet
    std::array<QRadioButton*, 3> countRadios_{};
    std::array<QSlider*, kMaxBands> sliders_{};
    std::array<QGroupBox*, kMaxBands> bandGroups_{};
    std::array<QLabel*, kMaxBands> centreTexts_{};
    CZanEqualizerGraph* graph_ = nullptr;
    CZanButtonCtrl* powerButton_ = nullptr;
};

}  // namespace quillmix
