#pragma once
// The deck level meter of the mixer panel as pure logic: a level in decibels (a chunk's
// GetChunkLevel) maps linearly onto `steps` lit steps between `low` (empty) and `high`
// (full), and the lit count moves towards that target by at most three steps per value, so
// the meter rises and falls smoothly at one value per chunk (15 a second).
//
// Threads: window thread only.

namespace quillmix {

class CZanLevelMeterModel {
public:
    static constexpr int kStepsPerValue = 3;

    // Defaults: 10 steps from 40 dB (empty) to 96 dB (full), none lit.
    CZanLevelMeterModel() = default;

    // A step count below 1 is taken as 1; high must exceed low, else the meter stays empty.
    void Init(int steps, float low, float high);
    void SetValue(float value);
    void Reset() { level_ = 0; }
    int GetLevel() const { return level_; }
    int GetSteps() const { return steps_; }

    // The lit count `value` aims at: trunc(steps x clamp((value - low) / (high - low), 0, 1)),
    // with NaN counting as empty.
    int TargetFor(float value) const;

private:
    float high_ = 96.0f;
    float low_ = 40.0f;
    int level_ = 0;
    int steps_ = 10;
};

}  // namespace quillmix
