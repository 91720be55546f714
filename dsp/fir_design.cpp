#include "dsp/fir_design.h"

#include <cmath>
#include <numbers>

namespace quillmix {

namespace {

constexpr double kPi = std::numbers::pi;

// The ideal band between two edges (as fractions of the sample rate), delayed to the centre
// of the filter: (sin(2 pi high m) - sin(2 pi low m)) / (pi m) with m the distance from the
// centre in samples, which may be a half-integer for even tap counts. A highpass is the band
// from the cut-off to 0.5, whose first term is the (delayed) unit impulse.
void idealBand(double low, double high, int tapCount, double* taps) {
    const double centre = (tapCount - 1) / 2.0;
    for (int k = 0; k < tapCount; ++k) {
        const double m = k - centre;
        taps[k] = m == 0.0 ? 2.0 * (high - low)
                           : (std::sin(2.0 * kPi * high * m) - std::sin(2.0 * kPi * low * m)) / (kPi * m);
    }
}

void applyHamming(int tapCount, double* taps) {
    if (tapCount == 1) return;
    for (int k = 0; k < tapCount; ++k) {
        taps[k] *= 0.54 - 0.46 * std::cos(2.0 * kPi * k / (tapCount - 1));
    }
}

// |H(f)| of the taps at one frequency (fraction of the sample rate).
double magnitudeAt(const double* taps, int tapCount, double frequency) {
    const double w = 2.0 * kPi * frequency;
    double re = 0.0, im = 0.0;
    for (int k = 0; k < tapCount; ++k) {
        re += taps[k] * std::cos(w * k);
        im -= taps[k] * std::sin(w * k);
    }
    return std::hypot(re, im);
}

FirStatus design(double low, double high, double unityAt, int tapCount, double* taps) {
    idealBand(low, high, tapCount, taps);
    applyHamming(tapCount, taps);
    const double gain = magnitudeAt(taps, tapCount, unityAt);
    if (gain > 0.0) {
        for (int k = 0; k < tapCount; ++k) taps[k] /= gain;
    }
    return FirStatus::ok;
}

bool insideBand(double frequency) { return frequency > 0.0 && frequency < 0.5; }

}  // namespace

FirStatus FirLowpass(double cutOff, int tapCount, double* taps) {
    if (tapCount < 1) return FirStatus::badTapCount;
    if (!insideBand(cutOff)) return FirStatus::badCutOff;
    return design(0.0, cutOff, 0.0, tapCount, taps);
}

FirStatus FirHighpass(double cutOff, int tapCount, double* taps) {
    if (tapCount < 1) return FirStatus::badTapCount;
    if (!insideBand(cutOff)) return FirStatus::badCutOff;
    return design(cutOff, 0.5, (cutOff + 0.5) / 2.0, tapCount, taps);
}

FirStatus FirBandpass(double lowCutOff, double highCutOff, int tapCount, double* taps) {
    if (tapCount < 1) return FirStatus::badTapCount;
    if (!insideBand(lowCutOff) || !insideBand(highCutOff) || lowCutOff >= highCutOff) {
        return FirStatus::badCutOff;
    }
    return design(lowCutOff, highCutOff, (lowCutOff + highCutOff) / 2.0, tapCount, taps);
}

void Convolve(const float* signal, int signalLength, const float* h, int tapCount, float* result) {
    if (signalLength < 1 || tapCount < 1) return;
    const int resultLength = signalLength + tapCount - 1;
    for (int n = 0; n < resultLength; ++n) result[n] = 0.0f;
    // One scaled copy of the signal per tap: a multiply-add over contiguous memory with no
    // reduction, which vectorises fully; the result stays in the first-level cache.
    for (int k = 0; k < tapCount; ++k) {
        const float tap = h[k];
        float* shifted = result + k;
        for (int n = 0; n < signalLength; ++n) shifted[n] += tap * signal[n];
    }
}

}  // namespace quillmix
