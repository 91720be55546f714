#pragma once
// The effects panel of one deck ("Deck A Effects", "Deck B Effects"): the effect, its two
// parameters and on/off. The panel keeps a range record per parameter, publishes each value
// to the mixer engine (the shared effect parameters, in the effect's field units) and, while
// on, asks the mixer (a synchronous send to mixerWindow) to apply it on both outputs. The
// captions, value texts and slider positions are refreshed through the main window: the
// panel posts the request and the main window hands it back to onRefresh.
//
// Slider position p (0 top .. 1000 bottom) maps to minimum + (1000 - p) / 1000 x (maximum -
// minimum), so the top is the parameter's maximum.
//
// Threads: window thread only.

#include <array>
#include <string>

#include "dsp/effect_table.h"
#include "ui/panel_dialog.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QSlider;

namespace quillmix {

class CZanButtonCtrl;
class MixerEngine;

// The value text of a parameter of `effect`: "%.1f" of the value (Reverb: in seconds)
// truncated to a multiple of the effect's step, then the unit; "--" for "No Effect".
std::string effectValueText(const EffectDescription& effect, double value);

class EffectsPanel : public PanelDialog {
public:
    static constexpr int kSliderRange = 1000;

    EffectsPanel(QWidget* parent, MixerEngine& engine, int deck);

    // The effect chosen in the list ("No Effect" at start).
    std::string GetEffectName() const;
    bool isOn() const { return on_; }
    // Turns the effect off as its button would (the options' OK does).
    void switchOff();

    struct ParameterRange {
        bool enabled = false;
        double minimum = 0.0;
        double maximum = 0.0;
        double value = 0.0;
        std::string text = "--";
    };
    const ParameterRange& parameter(int index) const { return ranges_.at(static_cast<std::size_t>(index)); }

    void onRefresh(unsigned message, LParam lParam) override;

private:
    void buildControls();
    void onEffectChosen();
    void onSliderChanged(int index);
    void publish(int index);
    void onPowerToggled(bool on);
    void showSlider(int index);
    const EffectDescription& effect() const { return describeEffect(effectKindFromName(GetEffectName())); }

    MixerEngine& engine_;
    const int deck_;
    bool on_ = false;
    std::array<ParameterRange, 2> ranges_{};
    QComboBox* effectList_ = nullptr;
    std::array<QGroupBox*, 2> groups_{};
    std::array<QSlider*, 2> sliders_{};
    std::array<QLabel*, 2> valueTexts_{};
    CZanButtonCtrl* powerButton_ = nullptr;
};

}  // namespace quillmix
