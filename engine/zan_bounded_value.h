#pragma once
// A double kept within bounds: the mix state's levels, faders, curve and volumes.
// Window thread only.

#include <algorithm>
#include <cmath>

namespace quillmix {

struct CZanBoundedValue {
    bool enabled = false;
    double minimum = -1.0;
    double maximum = 1.0;
    double value = 0.0;

    CZanBoundedValue() = default;
    CZanBoundedValue(double lower, double upper, double initial)
        : minimum(lower), maximum(upper), value(std::clamp(initial, lower, upper)) {}

    // Adds and clamps; returns the new value.
    double Add(double delta) { return Set(value + delta); }
    // Not a number leaves the value as it was.
    double Set(double v) {
        if (std::isnan(v)) return value;
        value = std::clamp(v, minimum, maximum);
        return value;
    }
    double Get() const { return value; }
};

}  // namespace quillmix
