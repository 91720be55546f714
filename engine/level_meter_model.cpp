#include "engine/level_meter_model.h"

#include <algorithm>
#include <cmath>

namespace quillmix {

void CZanLevelMeterModel::Init(int steps, float low, float high) {
    steps_ = std::max(steps, 1);
    low_ = low;
    high_ = high;
    level_ = std::clamp(level_, 0, steps_);
}

int CZanLevelMeterModel::TargetFor(float value) const {
    // In double, then held as a float, as the ratio is shown at float precision.
    const double range = static_cast<double>(high_) - low_;
    float fraction = static_cast<float>((static_cast<double>(value) - low_) / range);
    if (!(high_ > low_)) fraction = 0.0f;
    if (fraction >= 1.0f) {
        fraction = 1.0f;
    } else if (!(fraction >= 0.0f)) {  // negative or NaN
        fraction = 0.0f;
    }
    return std::clamp(static_cast<int>(std::trunc(steps_ * fraction)), 0, steps_);
}

void CZanLevelMeterModel::SetValue(float value) {
    const int target = TargetFor(value);
    for (int step = 0; step < kStepsPerValue; ++step) {
        if (level_ < target) {
            ++level_;
        } else if (level_ > target && level_ > 0) {
            --level_;
        }
    }
}

}  // namespace quillmix
