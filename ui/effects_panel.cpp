#include "ui/effects_panel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

#include <cmath>
#include <cstdio>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "engine/mixer_engine.h"
#include "ui/panel_controls.h"
#include "ui/widgets/zan_button_ctrl.h"

namespace quillmix {

namespace {
constexpr std::array<int, 2> kGroupIds{1034, 1038}, kSliderIds{1035, 1039}, kTextIds{1036, 1040};
}  // namespace

std::string effectValueText(const EffectDescription& effect, double value) {
    if (effect.kind == EffectKind::None) return "--";
    const double step = effect.step;
    const double shown = value * effect.displayScale;
    // A value on a step (25 in steps of 0.1) must not lose a step to the rounding of the
    // division.
    double steps = shown / step;
    const double nearest = std::round(steps);
    steps = std::abs(steps - nearest) < 1e-4 ? nearest : std::trunc(steps);
    char text[64];
    std::snprintf(text, sizeof text, "%.1f%.*s", steps * step, static_cast<int>(effect.unit.size()),
                  effect.unit.data());
    return text;
}

EffectsPanel::EffectsPanel(QWidget* parent, MixerEngine& engine, int deck)
    : PanelDialog(parent, deck == 0 ? "Deck A Effects" : "Deck B Effects", dialogUnits(140, 110)),
      engine_(engine),
      deck_(deck) {
    setObjectName(deck == 0 ? "effectsA" : "effectsB");
    buildControls();
    keepKeysOnPanel(this);
}

// The template: the list across the top, the two framed parameter sliders with their
// values, and the On button at the right.
void EffectsPanel::buildControls() {
    addGroup(this, 1081, "Choose Effect", QRect(2, 2, 136, 26));
    effectList_ = new QComboBox(this);
    effectList_->setObjectName("1037");
    effectList_->setGeometry(dialogRect(8, 12, 124, 12));
    effectList_->setToolTip("Choose Effect");
    for (const EffectDescription& e : effectDescriptions())
        effectList_->addItem(QString::fromUtf8(e.name.data(), static_cast<int>(e.name.size())));
    connect(effectList_, &QComboBox::currentIndexChanged, this, [this] { onEffectChosen(); });
    for (int i = 0; i < 2; ++i) {
        const int x = 2 + 51 * i;
        groups_[i] = addGroup(this, kGroupIds[i], "--", QRect(x, 30, 49, 78));
        sliders_[i] = addVerticalSlider(this, kSliderIds[i], 0, kSliderRange, QRect(x + 4, 40, 12, 62));
        sliders_[i]->setEnabled(false);
        connect(sliders_[i], &QSlider::valueChanged, this, [this, i] { onSliderChanged(i); });
        valueTexts_[i] = addText(this, kTextIds[i], QRect(x + 17, 64, 31, 12));
        valueTexts_[i]->setText("--");
    }
    addGroup(this, 1095, "Enable", QRect(105, 30, 33, 78));
    powerButton_ = addPowerButton(this, 1094, QRect(110, 56, 23, 24));
    connect(powerButton_, &CZanButtonCtrl::toggled, this, &EffectsPanel::onPowerToggled);
}

std::string EffectsPanel::GetEffectName() const { return effectList_->currentText().toStdString(); }

// "No Effect" keeps the ranges and values for the next effect; it only disables both.
void EffectsPanel::onEffectChosen() {
    const EffectDescription& e = effect();
    engine_.ChooseEffect(deck_, GetEffectName());
    for (std::size_t i = 0; i < ranges_.size(); ++i) {
        ParameterRange& r = ranges_[i];
        r.enabled = e.parameters[i].enabled;
        if (e.kind == EffectKind::None) continue;
        r.minimum = e.parameters[i].minimum;
        r.maximum = e.parameters[i].maximum;
        r.value = e.parameters[i].defaultValue;
    }
    for (int i = 0; i < 2; ++i)
        postMessage(mainDialogWindow, UWM_SHOW_EFFECT_PARAMETER_SLIDER, static_cast<WParam>(deck_), i);
    if (on_) sendMessage(mixerWindow, UWM_APPLY_DECK_EFFECT, static_cast<WParam>(deck_));
    postMessage(mainDialogWindow, UWM_SHOW_EFFECT_PARAMETER_NAMES, static_cast<WParam>(deck_));
}

void EffectsPanel::onSliderChanged(int index) {
    ParameterRange& r = ranges_[static_cast<std::size_t>(index)];
    const double fromTop = static_cast<double>(kSliderRange - sliders_[index]->value()) / kSliderRange;
    r.value = r.minimum + fromTop * (r.maximum - r.minimum);
    publish(index);
}

void EffectsPanel::publish(int index) {
    ParameterRange& r = ranges_[static_cast<std::size_t>(index)];
    engine_.PublishEffectParameter(deck_, index, static_cast<float>(r.value));
    r.text = effectValueText(effect(), r.value);
    if (on_) sendMessage(mixerWindow, UWM_SET_EFFECT_PARAMETERS, static_cast<WParam>(deck_), index);
    postMessage(mainDialogWindow, UWM_SHOW_EFFECT_PARAMETER_VALUE, static_cast<WParam>(deck_), index);
}

void EffectsPanel::switchOff() { powerButton_->setChecked(false); }

// The caption names what a click does next: "Off" while on, "On" while off.
void EffectsPanel::onPowerToggled(bool on) {
    on_ = on;
    powerButton_->setText(on ? "Off" : "On");
    sendMessage(mixerWindow, on ? UWM_APPLY_DECK_EFFECT : UWM_CLEAR_DECK_EFFECT, static_cast<WParam>(deck_));
}

// The slider of parameter `index` to its record's value, then the value published as it
// stands: a default stays exactly the default rather than the nearest slider step.
void EffectsPanel::showSlider(int index) {
    const ParameterRange& r = ranges_[static_cast<std::size_t>(index)];
    QSlider* slider = sliders_[index];
    slider->setEnabled(r.enabled);
    const double span = r.maximum - r.minimum;
    const int position =
        span > 0.0 ? kSliderRange - static_cast<int>((r.value - r.minimum) / span * kSliderRange) : slider->value();
    {
        const QSignalBlocker quiet(slider);
        slider->setValue(position);
    }
    publish(index);
}

void EffectsPanel::onRefresh(unsigned message, LParam lParam) {
    const int index = lParam == 1 ? 1 : 0;
    switch (message) {
        case UWM_SHOW_EFFECT_PARAMETER_NAMES:
            for (std::size_t i = 0; i < groups_.size(); ++i) {
                const std::string_view name = effect().parameters[i].name;
                groups_[i]->setTitle(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
            }
            break;
        case UWM_SHOW_EFFECT_PARAMETER_VALUE:
            valueTexts_[index]->setText(QString::fromStdString(ranges_[static_cast<std::size_t>(index)].text));
            break;
        case UWM_SHOW_EFFECT_PARAMETER_SLIDER: showSlider(index); break;
        default: break;
    }
}

}  // namespace quillmix
