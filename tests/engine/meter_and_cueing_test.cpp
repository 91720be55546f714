// The level meter's step ballistics and the fader-cueing crossing rule.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "engine/fader_cueing.h"
#include "engine/level_meter_model.h"

using namespace quillmix;

TEST(LevelMeterModelTest, TargetsFollowTheRangeAndTheLevelMovesAtMostThreeStepsPerValue) {
    CZanLevelMeterModel meter;
    meter.Init(10, 40.0f, 96.0f);
    EXPECT_EQ(meter.TargetFor(96.0f), 10);
    EXPECT_EQ(meter.TargetFor(120.0f), 10);
    EXPECT_EQ(meter.TargetFor(68.0f), 5);
    EXPECT_EQ(meter.TargetFor(95.9f), 9);  // truncated, not rounded
    EXPECT_EQ(meter.TargetFor(40.0f), 0);
    EXPECT_EQ(meter.TargetFor(0.0f), 0);
    EXPECT_EQ(meter.TargetFor(std::numeric_limits<float>::quiet_NaN()), 0);
    meter.Init(10, 50.0f, 50.0f);  // an empty range never lights
    EXPECT_EQ(meter.TargetFor(60.0f), 0);

    meter.Init(10, 40.0f, 96.0f);  // moves at most three steps per value, and stays at the target
    const std::pair<float, int> steps[] = {{96.0f, 3}, {96.0f, 6}, {96.0f, 9}, {96.0f, 10}, {68.0f, 7},
                                           {68.0f, 5}, {68.0f, 5}, {0.0f, 2},  {0.0f, 0}};
    for (const auto& [value, level] : steps) {
        meter.SetValue(value);
        EXPECT_EQ(meter.GetLevel(), level) << value;
    }
    meter.SetValue(96.0f);
    meter.Reset();
    EXPECT_EQ(meter.GetLevel(), 0);
}

TEST(FaderCueingTest, CrossingTheMarkStartsTheDeckMovedTowardsOnce) {
    CZanFaderCueing cueing;
    EXPECT_EQ(cueing.cueMark(), 0.0);
    // Ticks carry the fader position in thousandths; the answer is the deck to start.
    const std::pair<int, std::optional<int>> fromCentre[] = {{-200, std::nullopt}, {100, 1},  {100, std::nullopt},
                                                             {150, std::nullopt},  {-200, 0}, {-200, std::nullopt}};
    for (const auto& [position, start] : fromCentre) EXPECT_EQ(cueing.OnTimerTick(position), start) << position;
    EXPECT_DOUBLE_EQ(cueing.lastPosition(), -0.2);

    // Arriving on the mark counts once, and resting there starts nothing.
    cueing.SetCueMark(0.25);
    EXPECT_EQ(cueing.OnTimerTick(0), std::nullopt);
    EXPECT_EQ(cueing.OnTimerTick(250), std::optional<int>(1));  // reaching the mark is a crossing
    for (int tick = 0; tick < 3; ++tick) EXPECT_EQ(cueing.OnTimerTick(250), std::nullopt);
    // From the mark itself a move up is not a crossing: it needs lastPosition < mark.
    EXPECT_EQ(cueing.OnTimerTick(600), std::nullopt);
    EXPECT_EQ(cueing.OnTimerTick(250), std::optional<int>(0));
    EXPECT_EQ(cueing.OnTimerTick(-1000), std::nullopt);
}
