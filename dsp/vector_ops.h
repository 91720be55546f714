#pragma once
// Whole-vector arithmetic on samples: single-precision floats and 16-bit signed integers.
// Every routine is a plain loop over `count` elements that g++ vectorises; none allocates,
// locks or fails, so all of them may run on any thread, the audio thread included. A count
// of zero or less does nothing (and the reductions return 0). In-place forms take one
// vector; the others need source and destination not to overlap unless stated.

#include <cstdint>

namespace quillmix {

// ---- float vectors ----
void VectorCopy(const float* source, float* destination, int count);
void VectorZero(float* destination, int count);
void VectorAddConstant(float* vector, float value, int count);                  // v[i] += value
void VectorSubtractConstant(float* vector, float value, int count);             // v[i] -= value
void VectorMultiplyConstant(float* vector, float value, int count);             // v[i] *= value
void VectorAdd(const float* source, float* destination, int count);             // d[i] += s[i]
void VectorSubtract(const float* source, float* destination, int count);        // d[i] -= s[i]
void VectorSum(const float* a, const float* b, float* destination, int count);  // d = a + b
// v[i] = log10(v[i]); zero gives -inf and negative values NaN, as log10 does.
void VectorLog10(float* vector, int count);
void IntToFloat(const std::int16_t* source, float* destination, int count);

float VectorMin(const float* vector, int count);
float VectorMax(const float* vector, int count);
float VectorMean(const float* vector, int count);
// Population standard deviation (divides by count), accumulated in double precision.
float VectorStdDev(const float* vector, int count);

// ---- 16-bit vectors ----
void VectorCopy(const std::int16_t* source, std::int16_t* destination, int count);
void VectorZero(std::int16_t* destination, int count);
// v[i] += value, saturated to -32768..32767 rather than wrapped.
void VectorAddConstant(std::int16_t* vector, std::int16_t value, int count);
// v[i] <<= shift (0..15); bits shifted out of 16 are lost, as with a 16-bit register.
void VectorShiftLeft(std::int16_t* vector, int shift, int count);
// d[i] = (a[i] + b[i]) / 2 computed without overflow and rounded toward minus infinity:
// the mono mix of a left and a right channel.
void VectorAddHalving(const std::int16_t* a, const std::int16_t* b, std::int16_t* destination, int count);

std::int16_t VectorMin(const std::int16_t* vector, int count);
std::int16_t VectorMax(const std::int16_t* vector, int count);
// Mean rounded to the nearest integer (halves away from zero); always within -32768..32767.
std::int16_t VectorMean(const std::int16_t* vector, int count);
// Population standard deviation rounded to the nearest integer and saturated at 32767 (the
// largest deviation of 16-bit samples, 32767.5, does not fit a 16-bit result).
std::int16_t VectorStdDev(const std::int16_t* vector, int count);

// ---- coordinates ----
// x[i] = magnitude[i] * cos(phase[i]), y[i] = magnitude[i] * sin(phase[i]); phase in radians.
void PolarToCartesian(const float* magnitude, const float* phase, float* x, float* y, int count);

}  // namespace quillmix
