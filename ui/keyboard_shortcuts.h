#pragma once
// The mixer's keyboard shortcuts (the tables of ui/keyboard_map.h), owned by the mixer panel.
//
// Held keys: the keyboard poll thread sends UWM_KEY_PRESSED to the mixer once per poll for
// each held key; onHeldKey makes one step. Every step is applied at once and shown at once:
// the value is set through the mixer engine (or the deck, or the equaliser panel), clamped
// to its range, and the control that shows it is asked to follow.
//
// Window keys: key presses and releases in any of our windows arrive at onWindowKey.
// Auto-repeated events are ignored, so holding W does not toggle play on and off. A button
// that a key holds down is released by that key's release whatever happens in between, and
// by releaseHeldButtons when the application stops being the active one.
//
// Nothing acts while keyboardShortcutsEnabled is 0 (the play list is the active window),
// except the releases of buttons that keys hold; held keys do nothing either while a dialog
// (a file dialog, the options) is the active window.
//
// Window thread only. Nothing waits: deck requests defer themselves while the deck is busy.

#include <QPointer>

#include <array>
#include <cstdint>

#include "ui/keyboard_map.h"
#include "ui/widgets/zan_button_ctrl.h"

class QKeyEvent;

namespace quillmix {

class KeyboardReader;
class MixerPanel;

class KeyboardShortcuts {
public:
    explicit KeyboardShortcuts(MixerPanel& panel);

    // Where Shift and Ctrl are read from at each held step; without one, neither is down.
    void setModifierSource(const KeyboardReader* reader) { modifiers_ = reader; }

    // One poll's step of the held key `code` (UWM_KEY_PRESSED); other keys do nothing.
    void onHeldKey(std::uint8_t code);
    // A key press or release seen by one of our windows.
    void onWindowKey(const QKeyEvent& event);
    // Releases every button a key holds down (the application lost the focus).
    void releaseHeldButtons();

private:
    void step(HeldTarget target, double amount);
    void stepTempo(int deck, double amount);
    void press(const WindowKeyAction& action);
    void release(std::uint8_t code);
    CZanButtonCtrl* button(const WindowKeyAction& action) const;

    MixerPanel& panel_;
    const KeyboardReader* modifiers_ = nullptr;
    // The button each key code holds down, so that its release finds it again.
    std::array<QPointer<CZanButtonCtrl>, 256> held_{};
};

}  // namespace quillmix
