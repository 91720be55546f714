#include "ui/equalizer_panel.h"

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>

#include <cmath>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "dsp/filter_bank.h"
#include "engine/mixer_engine.h"
#include "ui/keyboard_map.h"
#include "ui/panel_controls.h"
#include "ui/widgets/zan_button_ctrl.h"
#include "ui/widgets/zan_equalizer_graph.h"

namespace quillmix {

namespace {
constexpr std::array<int, 3> kBandCounts{2, 3, 5};
constexpr int kFirstRadio = 1025, kFirstSlider = 1028, kFirstText = 1033, kFirstGroup = 1080;
}  // namespace

EqualizerPanel::EqualizerPanel(QWidget* parent, MixerEngine& engine, int deck)
    : PanelDialog(parent, deck == 0 ? "Deck A Equalizer" : "Deck B Equalizer", dialogUnits(140, 110)),
      engine_(engine),
      deck_(deck) {
    setObjectName(deck == 0 ? "equalizerA" : "equalizerB");
    buildControls();
    chooseBandCount(3);
    keepKeysOnPanel(this);
}

// The template: the band-count radios left, one framed slider per band with its centre
// below it, the graph underneath and the On button beside it.
void EqualizerPanel::buildControls() {
    addGroup(this, 1079, "# Bands", QRect(2, 2, 26, 60));
    for (std::size_t i = 0; i < kBandCounts.size(); ++i) {
        const int n = kBandCounts[i];
        countRadios_[i] = addRadio(this, kFirstRadio + static_cast<int>(i), QString::number(n),
                                   QRect(6, 14 + 14 * static_cast<int>(i), 20, 10));
        connect(countRadios_[i], &QRadioButton::clicked, this, [this, n] { chooseBandCount(n); });
    }
    countRadios_[1]->setChecked(true);
    for (int b = 0; b < kMaxBands; ++b) {
        const int x = 30 + 22 * b;
        bandGroups_[b] = addGroup(this, kFirstGroup + b, QString("Band %1").arg(b + 1), QRect(x, 2, 21, 60));
        sliders_[b] = addVerticalSlider(this, kFirstSlider + b, kSliderTop, kSliderBottom, QRect(x + 5, 11, 11, 32));
        sliders_[b]->setValue(kSliderMiddle);
        connect(sliders_[b], &QSlider::valueChanged, this, [this, b] { onSliderChanged(b); });
        centreTexts_[b] = addText(this, kFirstText + b, QRect(x + 1, 44, 19, 17));
    }
    // The held keys of the first three bands.
    const std::array<HeldTarget, 3> keyed = deck_ == 0
                                                ? std::array{HeldTarget::eqA1, HeldTarget::eqA2, HeldTarget::eqA3}
                                                : std::array{HeldTarget::eqB1, HeldTarget::eqB2, HeldTarget::eqB3};
    for (std::size_t b = 0; b < keyed.size(); ++b)
        sliders_[b]->setToolTip(QString::fromStdString(heldKeyTip(keyed[b])));
    graph_ = new CZanEqualizerGraph(this, 1085);
    graph_->setGeometry(dialogRect(2, 65, 100, 43));
    addGroup(this, 1102, "Enable", QRect(105, 63, 33, 45));
    powerButton_ = addPowerButton(this, 1101, QRect(110, 76, 23, 24));
    connect(powerButton_, &CZanButtonCtrl::toggled, this, &EqualizerPanel::onPowerToggled);
}

// A radio button: only the first n bands can be set; the gains of all bands stay.
void EqualizerPanel::chooseBandCount(int bands) {
    updating_ = true;
    for (int b = 0; b < kMaxBands; ++b) {
        const bool used = b < bands;
        sliders_[b]->setEnabled(used);
        bandGroups_[b]->setEnabled(used);
        centreTexts_[b]->setEnabled(used);
    }
    SetNumBands(bands);
    updating_ = false;
}

void EqualizerPanel::SetNumBands(int bands) {
    if (bands != 2 && bands != 3 && bands != 5) return;
    bands_ = bands;
    engine_.DesignEqualizer(deck_, bands);
    CZanFilterBank* bank = engine_.EqualizerBank(deck_);
    for (int b = 0; b < kMaxBands; ++b) {
        QString text;
        if (bank && b < bands) {
            text = QString("%1 Hz").arg(static_cast<int>(bank->GetBandCentreFrequency(b) + 0.5));
            bank->UpdateBandCurve(b);
            copyCurveToGraph(b);
        }
        centreTexts_[b]->setText(text);
    }
    if (on_) sendMessage(mixerWindow, UWM_APPLY_EQUALIZER_CHAIN, static_cast<WParam>(deck_));
    graph_->SetNumBands(bands);
}

void EqualizerPanel::onSliderChanged(int band) {
    if (updating_) return;
    SetBandGain(band, static_cast<float>(2000 - sliders_[band]->value()) / 1000.0f);
}

void EqualizerPanel::SetBandGain(int band, float factor) {
    if (band < 0 || band >= kMaxBands) return;
    engine_.SetEqualizerBandFactor(deck_, band, factor);
    if (CZanFilterBank* bank = engine_.EqualizerBank(deck_)) bank->UpdateBandCurve(band);
    // Does nothing on an output while its equaliser is off.
    sendMessage(mixerWindow, UWM_SET_EQUALIZER_BAND, static_cast<WParam>(deck_), band);
    copyCurveToGraph(band);
}

// Up the slider is more gain: a factor step of 0.001 is one slider unit down the range.
void EqualizerPanel::stepBandGain(int band, double delta) {
    if (band < 0 || band >= bands_) return;
    sliders_[band]->setValue(sliders_[band]->value() - static_cast<int>(std::lround(delta * 1000.0)));
}

void EqualizerPanel::switchOff() { powerButton_->setChecked(false); }

// The caption names what a click does next: "Off" while on, "On" while off.
void EqualizerPanel::onPowerToggled(bool on) {
    on_ = on;
    powerButton_->setText(on ? "Off" : "On");
    sendMessage(mixerWindow, on ? UWM_APPLY_EQUALIZER_CHAIN : UWM_REMOVE_DECK_EFFECT_CHAIN, static_cast<WParam>(deck_));
}

void EqualizerPanel::copyCurveToGraph(int band) {
    CZanFilterBank* bank = engine_.EqualizerBank(deck_);
    if (!bank || band >= bank->GetNumBands()) return;
    CZanEqualizerGraph::Curve curve{};
    bank->GetBandCurve(band, curve.data());
    graph_->setBandCurve(band, curve);
}

}  // namespace quillmix
