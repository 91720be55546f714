#include "ui/keyboard_map.h"

#include <array>

namespace quillmix {

namespace {

using T = HeldTarget;
using K = WindowKeyKind;

constexpr std::uint8_t kEnd = 0x23;
constexpr std::uint8_t kHome = 0x24;

// Steps per 15 ms poll: a plain level key moves 0.002 x 66 = 0.13 of the range a second.
constexpr std::array<HeldKeyAction, 19> kHeldKeys{{
    {kEnd, T::curve, T::none, 0.01, 0.1},
    {kHome, T::curve, T::none, -0.01, -0.1},
    {'B', T::mainFader, T::monitorFader, -0.005, -0.1},
    {'N', T::mainFader, T::monitorFader, 0.005, 0.1},
    {'D', T::mainVolume, T::monitorVolume, -0.002, -0.02},
    {'U', T::mainVolume, T::monitorVolume, 0.002, 0.02},
    {'G', T::levelA, T::none, -0.002, -0.02},
    {'T', T::levelA, T::none, 0.002, 0.02},
    {'H', T::levelB, T::none, -0.002, -0.02},
    {'Y', T::levelB, T::none, 0.002, 0.02},
    {'F', T::tempoA, T::none, -0.005, -0.05},
    {'R', T::tempoA, T::none, 0.005, 0.05},
    {'J', T::tempoB, T::none, -0.005, -0.05},
    {'I', T::tempoB, T::none, 0.005, 0.05},
    {'A', T::eqA1, T::eqB1, 0.005, 0.05},
    {'Z', T::eqA1, T::eqB1, -0.005, -0.05},
    {'S', T::eqA2, T::eqB2, 0.005, 0.05},
    {'X', T::eqA2, T::eqB2, -0.005, -0.05},
    {'C', T::eqA3, T::eqB3, -0.005, -0.05},
}};

constexpr std::array<WindowKeyAction, 22> kWindowKeys{{
    {'1', K::position, 0, 0.0},    {'2', K::position, 0, 0.2}, {'3', K::position, 0, 0.4},
    {'4', K::position, 0, 0.6},    {'5', K::position, 0, 0.8}, {'6', K::position, 1, 0.0},
    {'7', K::position, 1, 0.2},    {'8', K::position, 1, 0.4}, {'9', K::position, 1, 0.6},
    {'0', K::position, 1, 0.8},    {'A', K::rev, 0, 0.0},      {'F', K::ffwd, 0, 0.0},
    {'R', K::rwnd, 0, 0.0},        {'W', K::play, 0, 0.0},     {'Q', K::cue, 0, 0.0},
    {'L', K::rev, 1, 0.0},         {'J', K::ffwd, 1, 0.0},     {'I', K::rwnd, 1, 0.0},
    {'P', K::play, 1, 0.0},        {'O', K::cue, 1, 0.0},      {'V', K::throwFader, -1, -1.0},
    {'M', K::throwFader, -1, 1.0},
}};

std::string keyName(std::uint8_t code) {
    if (code == kEnd) return "End";
    if (code == kHome) return "Home";
    return std::string(1, static_cast<char>(code));
}

std::string quoted(const std::string& name) { return "'" + name + "'"; }

void addKey(std::string& tip, const std::string& name) {
    if (!tip.empty()) tip += ", ";
    tip += quoted(name);
}

}  // namespace

std::span<const HeldKeyAction> heldKeyActions() { return kHeldKeys; }

std::span<const WindowKeyAction> windowKeyActions() { return kWindowKeys; }

const HeldKeyAction* heldKeyAction(std::uint8_t code) {
    for (const HeldKeyAction& a : heldKeyActions())
        if (a.code == code) return &a;
    return nullptr;
}

const WindowKeyAction* windowKeyAction(std::uint8_t code) {
    for (const WindowKeyAction& a : kWindowKeys)
        if (a.code == code) return &a;
    return nullptr;
}

std::string heldKeyTip(HeldTarget target) {
    std::string tip;
    for (const bool raising : {false, true}) {
        for (const HeldKeyAction& a : heldKeyActions()) {
            if ((a.step > 0) != raising) continue;
            if (a.target == target) addKey(tip, keyName(a.code));
            if (a.ctrlTarget == target) addKey(tip, "Ctrl-" + keyName(a.code));
        }
    }
    return tip;
}

std::string windowKeyTip(WindowKeyKind kind, int deck) {
    std::string tip;
    std::string first, last;
    for (const WindowKeyAction& a : kWindowKeys) {
        if (a.kind != kind || a.deck != deck) continue;
        if (kind != K::position) {
            addKey(tip, keyName(a.code));
            continue;
        }
        if (first.empty()) first = keyName(a.code);
        last = keyName(a.code);
    }
    return kind == K::position && !first.empty() ? quoted(first) + "-" + quoted(last) : tip;
}

}  // namespace quillmix
