#pragma once
// Fader cueing of the main cross-fader as pure logic. While cueing is on, the control
// samples its slider every 50 ms (OnTimerTick); when the fader has crossed the cue mark
// since the previous sample, the deck it moved towards is to be started: crossing upwards
// (towards +1) starts deck B, crossing downwards starts deck A. The control then posts
// UWM_FADER_START to that deck's window.
//
// Positions are fader units, -1 (all deck A) .. +1 (all deck B); the slider reports them
// times 1000. Threads: window thread only (the control's timer).

#include <optional>

namespace quillmix {

class CZanFaderCueing {
public:
    static constexpr double kSliderScale = 1000.0;  // slider units per fader unit
    static constexpr int kTimerIntervalMs = 50;

    void SetCueMark(double mark) { cueMark_ = mark; }
    double cueMark() const { return cueMark_; }
    double lastPosition() const { return lastPosition_; }

    // One timer tick with the slider's position. Returns the deck to start (0 = A, 1 = B)
    // when the mark was crossed: lastPosition < mark <= p towards B, or p <= mark <
    // lastPosition towards A. Either way the position is remembered for the next tick.
    std::optional<int> OnTimerTick(int sliderPosition);

private:
    double cueMark_ = 0.0;
    double lastPosition_ = 0.0;  // the fader at the previous tick, kept while cueing is off
};

}  // namespace quillmix
