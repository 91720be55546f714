#pragma once
// The texts a deck shows, and the playback rate its tempo asks for. Pure functions.

#include <cstdint>
#include <string>

namespace quillmix {

// Hours, minutes and seconds of `seconds` truncated toward zero, each part two digits at
// least, joined by ":": 0 -> "00:00:00", 3725 -> "01:02:05"; hours of 100 or more are written
// in full. A negative value (a position a little before the start) shows as "00:00:00".
std::string deckTimeText(double seconds);

// The tempo offset in percent, with one decimal, truncated toward zero after adding a
// hundredth away from zero, limited to -50.0 .. 50.0: 2.44 -> "2.4%", -0.05 -> "0.0%".
std::string deckTempoText(double percent);

// The deck's playback rate in Hz for a tempo offset: the source rate changed by percent,
// truncated toward zero. Unlimited; the slider keeps percent within its own range.
std::int64_t deckPlaybackRate(double percent, int sourceRate);

}  // namespace quillmix
