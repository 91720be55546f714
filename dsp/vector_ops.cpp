#include "dsp/vector_ops.h"

#include <algorithm>
#include <cmath>

namespace quillmix {

namespace {

// Reductions keep eight independent partial results so that the vectoriser may keep them
// in one register without reassociating the floating-point sum.
constexpr int kLanes = 8;

template <typename T, typename Pick>
T reduce(const T* vector, int count, Pick pick) {
    if (count <= 0) return T{};
    T lanes[kLanes];
    for (int lane = 0; lane < kLanes; ++lane) lanes[lane] = vector[0];
    int i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        for (int lane = 0; lane < kLanes; ++lane) lanes[lane] = pick(lanes[lane], vector[i + lane]);
    }
    T result = lanes[0];
    for (int lane = 1; lane < kLanes; ++lane) result = pick(result, lanes[lane]);
    for (; i < count; ++i) result = pick(result, vector[i]);
    return result;
}

// Sum and sum of squares in double precision; each product is exact in double for 16-bit
// samples and near enough for floats.
template <typename T>
void sumAndSquares(const T* vector, int count, double& sum, double& squares) {
    double sums[kLanes] = {};
    double squareSums[kLanes] = {};
    int i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        for (int lane = 0; lane < kLanes; ++lane) {
            const double v = vector[i + lane];
            sums[lane] += v;
            squareSums[lane] += v * v;
        }
    }
    sum = 0.0;
    squares = 0.0;
    for (int lane = 0; lane < kLanes; ++lane) {
        sum += sums[lane];
        squares += squareSums[lane];
    }
    for (; i < count; ++i) {
        const double v = vector[i];
        sum += v;
        squares += v * v;
    }
}

template <typename T>
double standardDeviation(const T* vector, int count) {
    if (count <= 0) return 0.0;
    double sum = 0.0, squares = 0.0;
    sumAndSquares(vector, count, sum, squares);
    const double mean = sum / count;
    const double variance = squares / count - mean * mean;
    return variance > 0.0 ? std::sqrt(variance) : 0.0;  // rounding can leave a tiny negative
}

float minOf(float a, float b) { return b < a ? b : a; }
float maxOf(float a, float b) { return b > a ? b : a; }
std::int16_t minOf16(std::int16_t a, std::int16_t b) { return b < a ? b : a; }
std::int16_t maxOf16(std::int16_t a, std::int16_t b) { return b > a ? b : a; }

}  // namespace

void VectorCopy(const float* source, float* destination, int count) {
    for (int i = 0; i < count; ++i) destination[i] = source[i];
}

void VectorZero(float* destination, int count) {
    for (int i = 0; i < count; ++i) destination[i] = 0.0f;
}

void VectorAddConstant(float* vector, float value, int count) {
    for (int i = 0; i < count; ++i) vector[i] += value;
}

void VectorSubtractConstant(float* vector, float value, int count) {
    for (int i = 0; i < count; ++i) vector[i] -= value;
}

void VectorMultiplyConstant(float* vector, float value, int count) {
    for (int i = 0; i < count; ++i) vector[i] *= value;
}

void VectorAdd(const float* source, float* destination, int count) {
    for (int i = 0; i < count; ++i) destination[i] += source[i];
}

void VectorSubtract(const float* source, float* destination, int count) {
    for (int i = 0; i < count; ++i) destination[i] -= source[i];
}

void VectorSum(const float* a, const float* b, float* destination, int count) {
    for (int i = 0; i < count; ++i) destination[i] = a[i] + b[i];
}

void VectorLog10(float* vector, int count) {
    for (int i = 0; i < count; ++i) vector[i] = std::log10(vector[i]);
}

void IntToFloat(const std::int16_t* source, float* destination, int count) {
    for (int i = 0; i < count; ++i) destination[i] = static_cast<float>(source[i]);
}

float VectorMin(const float* vector, int count) { return reduce(vector, count, minOf); }
float VectorMax(const float* vector, int count) { return reduce(vector, count, maxOf); }

float VectorMean(const float* vector, int count) {
    if (count <= 0) return 0.0f;
    double sum = 0.0, squares = 0.0;
    sumAndSquares(vector, count, sum, squares);
    return static_cast<float>(sum / count);
}

float VectorStdDev(const float* vector, int count) { return static_cast<float>(standardDeviation(vector, count)); }

void VectorCopy(const std::int16_t* source, std::int16_t* destination, int count) {
    for (int i = 0; i < count; ++i) destination[i] = source[i];
}

void VectorZero(std::int16_t* destination, int count) {
    for (int i = 0; i < count; ++i) destination[i] = 0;
}

void VectorAddConstant(std::int16_t* vector, std::int16_t value, int count) {
    for (int i = 0; i < count; ++i) {
        const int sum = vector[i] + value;
        vector[i] = static_cast<std::int16_t>(std::clamp(sum, -32768, 32767));
    }
}

void VectorShiftLeft(std::int16_t* vector, int shift, int count) {
    if (shift < 0 || shift > 15) return;
    for (int i = 0; i < count; ++i) {
        vector[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(vector[i]) << shift);
    }
}

void VectorAddHalving(const std::int16_t* a, const std::int16_t* b, std::int16_t* destination, int count) {
    // An arithmetic shift of the 17-bit sum floors, and the result always fits 16 bits.
    for (int i = 0; i < count; ++i) destination[i] = static_cast<std::int16_t>((a[i] + b[i]) >> 1);
}

std::int16_t VectorMin(const std::int16_t* vector, int count) { return reduce(vector, count, minOf16); }
std::int16_t VectorMax(const std::int16_t* vector, int count) { return reduce(vector, count, maxOf16); }

std::int16_t VectorMean(const std::int16_t* vector, int count) {
    if (count <= 0) return 0;
    double sum = 0.0, squares = 0.0;
    sumAndSquares(vector, count, sum, squares);
    return static_cast<std::int16_t>(std::lround(sum / count));
}

std::int16_t VectorStdDev(const std::int16_t* vector, int count) {
    const long rounded = std::lround(standardDeviation(vector, count));
    return static_cast<std::int16_t>(std::min(rounded, 32767L));
}

void PolarToCartesian(const float* magnitude, const float* phase, float* x, float* y, int count) {
    for (int i = 0; i < count; ++i) {
        x[i] = magnitude[i] * std::cos(phase[i]);
        y[i] = magnitude[i] * std::sin(phase[i]);
    }
}

}  // namespace quillmix
