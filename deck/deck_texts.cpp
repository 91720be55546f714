#include "deck/deck_texts.h"

#include <algorithm>
#include <cstdio>

namespace quillmix {

namespace {

// One part of a time text: "%d", with a leading "0" below 10.
void appendTimePart(std::string& text, long long part) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, part < 10 ? "0%lld" : "%lld", part);
    text += buffer;
}

}  // namespace

std::string deckTimeText(double seconds) {
    // Positions are reckoned as "decoded minus still queued" and can dip a frame below zero;
    // a negative part would print as "0-1".
    const long long t = seconds > 0.0 ? static_cast<long long>(seconds) : 0;
    std::string text;
    appendTimePart(text, t / 60 / 60);
    text += ':';
    appendTimePart(text, (t / 60) % 60);
    text += ':';
    appendTimePart(text, t % 60);
    return text;
}

std::string deckTempoText(double percent) {
    // The rounding step and the nudge are the single-precision values the tempo display has
    // always used; the nudge keeps 2.4 from showing as 2.3 after the division.
    constexpr double kNudge = static_cast<double>(0.01f);
    constexpr double kStep = static_cast<double>(0.1f);
    double shown = percent >= 0.0 ? percent + kNudge : percent - kNudge;
    // Integer truncation: -0.6 steps become 0, not -0, so -0.05 shows "0.0%", not "-0.0%".
    shown = static_cast<double>(static_cast<long long>(shown / kStep)) * kStep;
    shown = std::clamp(shown, -50.0, 50.0);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f%%", shown);
    return buffer;
}

std::int64_t deckPlaybackRate(double percent, int sourceRate) {
    const double rate = static_cast<double>(sourceRate);
    return static_cast<std::int64_t>(percent * rate / 100.0 + rate);
}

}  // namespace quillmix
