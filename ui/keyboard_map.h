#pragma once
// The keyboard map of the mixer: which held key moves which value by how much per poll,
// and which key press acts on which deck button. Keys are the 8-bit codes of HeldKeys
// ('A'-'Z', '0'-'9', 0x23 End, 0x24 Home). The handler (KeyboardShortcuts) and the panels'
// tool tips both read these tables, so a tip names exactly the keys that act.
//
// Deck B mirrors deck A on the right hand: L is its Rev (A), J its Ffwd and tempo down (F),
// I its Rwnd and tempo up (R), P its Play (W), O its Cue (Q), H/Y its level (G/T).

#include <cstdint>
#include <span>
#include <string>

namespace quillmix {

// What a held key moves. The tempo values are in percent, the equaliser values are band
// gain factors (bands 1 to 3), every other value is in its mixer unit.
enum class HeldTarget : std::uint8_t {
    none,
    mainFader,
    monitorFader,
    curve,
    mainVolume,
    monitorVolume,
    levelA,
    levelB,
    tempoA,
    tempoB,
    eqA1,
    eqA2,
    eqA3,
    eqB1,
    eqB2,
    eqB3,
};

// One held key: each poll while it is down adds `step` (`bigStep` with Shift) to `target`,
// or with Ctrl to `ctrlTarget` (none: Ctrl makes the key do nothing).
struct HeldKeyAction {
    std::uint8_t code;
    HeldTarget target;
    HeldTarget ctrlTarget;
    double step;
    double bigStep;
};

// What a key press in one of our windows does.
enum class WindowKeyKind : std::uint8_t {
    position,    // jump the deck to `value` of its length
    rev,         // hold the deck's Rev button while the key is down
    ffwd,        // hold Ffwd
    rwnd,        // hold Rwnd
    play,        // play or pause; the Play button shows pressed while the key is down
    cue,         // toggle the deck's cue flag
    throwFader,  // the main cross-fader to `value`
};

struct WindowKeyAction {
    std::uint8_t code;
    WindowKeyKind kind;
    int deck;  // 0 or 1; -1 for the fader
    double value;
};

std::span<const HeldKeyAction> heldKeyActions();
std::span<const WindowKeyAction> windowKeyActions();

// The held action of `code`, or null.
const HeldKeyAction* heldKeyAction(std::uint8_t code);
// The window action of `code`, or null.
const WindowKeyAction* windowKeyAction(std::uint8_t code);

// Tool tips: the keys that act on a control, each quoted, as "'G', 'T'": the held keys
// that lower the value, then those that raise it ("'Ctrl-D'" for a Ctrl target).
std::string heldKeyTip(HeldTarget target);
// "'A'" for a button of a deck; "'1'-'5'" for the position keys of a deck; "'V', 'M'" for
// the fader throws (deck -1).
std::string windowKeyTip(WindowKeyKind kind, int deck);

}  // namespace quillmix
