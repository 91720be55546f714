#include "ui/keyboard_shortcuts.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>

#include "app/keyboard_reader.h"
#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "engine/mixer_engine.h"
#include "engine/zan_mixer.h"
#include "platform/held_keys.h"
#include "ui/deck_panel.h"
#include "ui/equalizer_panel.h"
#include "ui/mixer_panel.h"

namespace quillmix {

namespace {

bool shortcutsEnabled() { return keyboardShortcutsEnabled.load(std::memory_order_relaxed) == 1; }

// Typing into a dialog (a file name, a device choice) must move nothing, yet its keys are
// held keys too: held keys act only while one of our panels, or no window of ours, is active.
bool panelActive() {
    const QWidget* active = QApplication::activeWindow();
    return !active || dynamic_cast<const PanelDialog*>(active);
}

// The deck and band (0-based) of an equaliser target; band -1 for any other target.
std::pair<int, int> equalizerBand(HeldTarget target) {
    switch (target) {
        case HeldTarget::eqA1: return {0, 0};
        case HeldTarget::eqA2: return {0, 1};
        case HeldTarget::eqA3: return {0, 2};
        case HeldTarget::eqB1: return {1, 0};
        case HeldTarget::eqB2: return {1, 1};
        case HeldTarget::eqB3: return {1, 2};
        default: return {0, -1};
    }
}

}  // namespace

KeyboardShortcuts::KeyboardShortcuts(MixerPanel& panel) : panel_(panel) {}

void KeyboardShortcuts::onHeldKey(std::uint8_t code) {
    if (!shortcutsEnabled() || !panelActive()) return;
    const HeldKeyAction* action = heldKeyAction(code);
    if (!action) return;
    const bool shift = modifiers_ && modifiers_->IsShiftDown();
    const bool ctrl = modifiers_ && modifiers_->IsCtrlDown();
    step(ctrl ? action->ctrlTarget : action->target, shift ? action->bigStep : action->step);
}

// Applies the new value through the engine, then moves the control that shows it. The
// control's own change notification applies the value it shows once more, which changes
// nothing.
void KeyboardShortcuts::step(HeldTarget target, double amount) {
    switch (target) {
        case HeldTarget::none: return;
        case HeldTarget::tempoA: stepTempo(0, amount); return;
        case HeldTarget::tempoB: stepTempo(1, amount); return;
        default: break;
    }
    if (const auto [d, band] = equalizerBand(target); band >= 0) {
        if (panel_.equalizer(d)) panel_.equalizer(d)->stepBandGain(band, amount);
        return;
    }
    MixerEngine& engine = panel_.mixer().engine();
    CZanMixState& mix = engine.mix();
    auto next = [amount](const CZanBoundedValue& v) { return std::clamp(v.value + amount, v.minimum, v.maximum); };
    switch (target) {
        case HeldTarget::mainFader:
            engine.SetMainCrossFader(next(mix.mainCrossFader));
            return panel_.onRefresh(UWM_SHOW_MAIN_CROSS_FADER, 0);
        case HeldTarget::monitorFader:
            engine.SetMonitorCrossFader(next(mix.monitorCrossFader));
            return panel_.onRefresh(UWM_SHOW_MONITOR_CROSS_FADER, 0);
        case HeldTarget::curve:
            engine.UpdateCurve(next(mix.crossFadeCurve));
            panel_.onRefresh(UWM_SHOW_CROSS_FADE_CURVE_POSITION, 0);
            return panel_.onRefresh(UWM_REFRESH_CROSS_FADE_CURVE_GRAPH, 0);
        case HeldTarget::levelA: engine.SetDeckLevel(0, next(mix.levelDeck[0])); break;
        case HeldTarget::levelB: engine.SetDeckLevel(1, next(mix.levelDeck[1])); break;
        case HeldTarget::mainVolume: engine.SetMainVolume(next(mix.mainVolume)); break;
        case HeldTarget::monitorVolume: engine.SetMonitorVolume(next(mix.monitorVolume)); break;
        default: return;
    }
    const bool level = target == HeldTarget::levelA || target == HeldTarget::levelB;
    panel_.onRefresh(level ? UWM_SHOW_DECK_LEVEL : UWM_SHOW_MAIN_LEVEL, 0);  // both volume sliders
}

// The deck keeps the exact value; its slider, whose unit is coarser than a plain step,
// shows it without applying its own rounded position.
void KeyboardShortcuts::stepTempo(int d, double amount) {
    CZanDeck2* deck = panel_.mixer().deck(d);
    if (!deck) return;
    const double limit = DeckPanel::kTempoLimitPercent;
    deck->SetTempo(std::clamp(deck->tempoPercent() + amount, -limit, limit));
    if (DeckPanel* deckPanel = panel_.deck(d)) deckPanel->showTempo();
}

void KeyboardShortcuts::onWindowKey(const QKeyEvent& event) {
    if (event.isAutoRepeat()) return;
    const std::uint8_t code = HeldKeys::codeOf(event);
    if (code == 0) return;
    if (event.type() == QEvent::KeyRelease) {
        release(code);
        return;
    }
    if (event.type() != QEvent::KeyPress || !shortcutsEnabled()) return;
    if (const WindowKeyAction* action = windowKeyAction(code)) press(*action);
}

void KeyboardShortcuts::press(const WindowKeyAction& action) {
    if (action.kind == WindowKeyKind::throwFader) {
        panel_.mixer().engine().SetMainCrossFader(action.value);
        panel_.onRefresh(UWM_SHOW_MAIN_CROSS_FADER, 0);
        return;
    }
    CZanDeck2* deck = panel_.mixer().deck(action.deck);
    if (!deck) return;
    switch (action.kind) {
        case WindowKeyKind::position: deck->SetPositionFraction(action.value); return;
        case WindowKeyKind::cue:
            deck->SetCue(!deck->IsCueOn());
            if (DeckPanel* deckPanel = panel_.deck(action.deck)) deckPanel->onRefresh(UWM_SHOW_CUE_BUTTON, 0);
            return;
        default: break;
    }
    // Rev, Ffwd, Rwnd and Play: the button goes down as under the mouse.
    CZanButtonCtrl* b = button(action);
    if (action.kind == WindowKeyKind::play) {
        if (b) b->pressFromKey(true);
        deck->PlayPause(false);
    } else if (b) {
        b->pressFromKey(false);
    }
    if (b && b->held()) held_[action.code] = b;
}

void KeyboardShortcuts::release(std::uint8_t code) {
    QPointer<CZanButtonCtrl> b = held_[code];
    held_[code] = nullptr;
    if (b) b->releaseFromKey();
}

void KeyboardShortcuts::releaseHeldButtons() {
    for (int code = 0; code < 256; ++code) release(static_cast<std::uint8_t>(code));
}

CZanButtonCtrl* KeyboardShortcuts::button(const WindowKeyAction& action) const {
    DeckPanel* deckPanel = panel_.deck(action.deck);
    return deckPanel ? deckPanel->keyButton(action.kind) : nullptr;
}

}  // namespace quillmix
