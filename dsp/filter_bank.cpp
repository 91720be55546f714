#include "dsp/filter_bank.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "dsp/filter_bank_internal.h"
#include "dsp/fir_design.h"
#include "dsp/vector_ops.h"

namespace quillmix {

namespace {

constexpr double kNyquist = CZanFilterBank::kSampleRate / 2.0;
// The curve grid: 640 points at 2^(1/64) steps (ten octaves) above f0.
const double kCurveRatio = std::pow(1024.0, 1.0 / CZanFilterBank::kCurvePoints);
const double kLowestCurveFrequency = 20000.0 / 1024.0 * kCurveRatio;
// A response this small is shown at the floor of the curve rather than as minus infinity.
constexpr double kSmallestMagnitude = 1e-10;

// Tap count of each band for the band counts that have a layout; 0 marks "no layout".
int layoutTapCount(int bandCount, int band) {
    static constexpr int two[] = {68, 46};
    static constexpr int three[] = {256, 160, 45};
    static constexpr int five[] = {282, 499, 262, 75, 49};
    static constexpr int six[] = {182, 396, 162, 75, 49, 25};
    static constexpr int twelve[] = {400, 500, 412, 307, 326, 238, 100, 100, 100, 100, 100, 100};
    switch (bandCount) {
        case 2: return two[band];
        case 3: return three[band];
        case 5: return five[band];
        case 6: return six[band];
        case 12: return twelve[band];
        case 30: return band == 0 ? 400 : band == 1 ? 500 : 490 - 10 * (band - 2);
        default: return 0;
    }
}

}  // namespace

CZanFilterBank::CZanFilterBank()
    : storage_(std::make_unique<Storage>()),
      fft_(std::make_unique<FftState>()),
      levels_(std::make_unique<LevelState>()) {
    Storage& s = *storage_;
    s.tapCounts.fill(kDefaultTaps);
    s.gains.fill(1.0f);
    for (int i = 0; i < kCurvePoints; ++i) {
        s.frequencyTable[i] = static_cast<float>(kLowestCurveFrequency * std::pow(kCurveRatio, i + 1));
    }
}

CZanFilterBank::~CZanFilterBank() = default;

void CZanFilterBank::Design(int bandCount) {
    Storage& s = *storage_;
    const int n = std::clamp(bandCount, 2, kMaxBands);
    bandCount_ = n;
    for (int b = 0; b < n; ++b) {
        const int layout = layoutTapCount(n, b);
        s.tapCounts[b] = layout > 0 ? layout : kDefaultTaps;
        VectorZero(s.bandOutputs[b].data(), kChunkLength);
    }
    const double top = n < 10 ? 12000.0 : 16000.0;  // centre of the highest band, Hz
    const double ratio = std::pow(2.0, 10.0 / n);   // each band is 10/n octaves wide
    const double halfRatio = std::sqrt(ratio);
    const double lowestCentre = top * std::pow(ratio, -(n - 1));
    double edge = lowestCentre * halfRatio;

    s.centres[0] = lowestCentre;
    designBand(0, 0.0, edge);
    for (int b = 1; b <= n - 2; ++b) {
        const double lower = edge;
        edge = lower * ratio;
        s.centres[b] = lower * halfRatio;
        designBand(b, lower, edge);
    }
    s.centres[n - 1] = edge * halfRatio;
    designBand(n - 1, edge, kNyquist);
}

// Designs one band from its edges in Hz: a lowpass when the lower edge is 0, a highpass when
// the upper edge is the Nyquist frequency, a bandpass otherwise. Then derives its float
// taps, its response curve, its scaled curve and its fast-convolution spectrum.
void CZanFilterBank::designBand(int band, double lowEdge, double highEdge) {
    Storage& s = *storage_;
    const int tapCount = s.tapCounts[band];
    double* taps = s.designTaps[band].data();
    std::fill(s.designTaps[band].begin(), s.designTaps[band].end(), 0.0);
    if (lowEdge <= 0.0) {
        FirLowpass(highEdge / kSampleRate, tapCount, taps);
    } else if (highEdge >= kNyquist) {
        FirHighpass(lowEdge / kSampleRate, tapCount, taps);
    } else {
        FirBandpass(lowEdge / kSampleRate, highEdge / kSampleRate, tapCount, taps);
    }
    s.lowerEdges[band] = lowEdge;
    s.upperEdges[band] = highEdge;
    for (int k = 0; k < kMaxTaps; ++k) s.taps[band][k] = static_cast<float>(taps[k]);
    computeResponseCurve(band);
    UpdateBandCurve(band);
    updateBandSpectrum(band);
}

// |H| in dB at each curve frequency, H(w) = sum h[k] e^(jkw) evaluated by Horner's rule in
// double precision (the sign of the exponent does not change the magnitude).
void CZanFilterBank::computeResponseCurve(int band) {
    Storage& s = *storage_;
    const double* taps = s.designTaps[band].data();
    const int tapCount = s.tapCounts[band];
    for (int i = 0; i < kCurvePoints; ++i) {
        const double frequency = kLowestCurveFrequency * std::pow(kCurveRatio, i + 1);
        const std::complex<double> z = std::polar(1.0, 2.0 * std::numbers::pi * frequency / kSampleRate);
        std::complex<double> h = 0.0;
        for (int k = tapCount - 1; k >= 0; --k) h = h * z + taps[k];
        const double magnitude = std::max(std::abs(h), kSmallestMagnitude);
        s.responseCurves[band][i] = static_cast<float>(20.0 * std::log10(magnitude));
    }
}

double CZanFilterBank::GetBandCentreFrequency(int band) const { return designed(band) ? storage_->centres[band] : 0.0; }

double CZanFilterBank::GetBandLowerEdge(int band) const { return designed(band) ? storage_->lowerEdges[band] : 0.0; }

double CZanFilterBank::GetBandUpperEdge(int band) const { return designed(band) ? storage_->upperEdges[band] : 0.0; }

int CZanFilterBank::GetTapCount(int band) const { return designed(band) ? storage_->tapCounts[band] : 0; }

bool CZanFilterBank::GetBandTaps(int band, float* destination) const {
    if (!designed(band)) return false;
    VectorCopy(storage_->taps[band].data(), destination, storage_->tapCounts[band]);
    return true;
}

void CZanFilterBank::SetBandGain(int band, float gain) {
    if (band >= 0 && band < kMaxBands) storage_->gains[band] = gain;
}

float CZanFilterBank::GetBandGain(int band) const { return designed(band) ? storage_->gains[band] : 0.0f; }

void CZanFilterBank::UpdateBandCurve(int band) {
    if (band < 0 || band >= kMaxBands) return;
    Storage& s = *storage_;
    const double gain = s.gains[band];
    for (int i = 0; i < kCurvePoints; ++i) {
        const double response = s.responseCurves[band][i];
        // Unity gain copies the response exactly instead of rounding it through the floor.
        s.scaledCurves[band][i] =
            gain == 1.0 ? s.responseCurves[band][i] : static_cast<float>((response + kCurveFloor) * gain - kCurveFloor);
    }
}

void CZanFilterBank::GetFrequencyTable(float* destination) const {
    VectorCopy(storage_->frequencyTable.data(), destination, kCurvePoints);
}

void CZanFilterBank::GetBandCurve(int band, float* destination) const {
    if (band < 0 || band >= kMaxBands) return;
    VectorCopy(storage_->scaledCurves[band].data(), destination, kCurvePoints);
}

const float* CZanFilterBank::GetBandOutput(int band) const {
    return designed(band) ? storage_->bandOutputs[band].data() : nullptr;
}

float CZanFilterBank::GetBandMinimum(int band) const {
    return designed(band) ? VectorMin(storage_->bandOutputs[band].data(), kChunkLength) : 0.0f;
}

float CZanFilterBank::GetBandMaximum(int band) const {
    return designed(band) ? VectorMax(storage_->bandOutputs[band].data(), kChunkLength) : 0.0f;
}

float CZanFilterBank::GetBandLevel(int band) const {
    if (!designed(band)) return 0.0f;
    const float deviation = VectorStdDev(storage_->bandOutputs[band].data(), kChunkLength);
    return deviation > 0.0f ? 20.0f * std::log10(deviation) : 0.0f;
}

}  // namespace quillmix
