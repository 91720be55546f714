// CZanFilterBank's level-only filtering: each band's output energy and sum from the input
// spectrum (Parseval), less the run-in and run-out of the filter, without an inverse
// transform of the whole chunk per band.
#include <algorithm>
#include <cmath>
#include <new>

#include "dsp/fftw_planner.h"
#include "dsp/filter_bank.h"
#include "dsp/filter_bank_internal.h"
#include "dsp/vector_ops.h"

namespace quillmix {

namespace {

using FftState = CZanFilterBank::FftState;
using LevelState = CZanFilterBank::LevelState;

// Sums in double over eight independent lanes, so the loop is not one long chain of
// dependent additions (and the vectoriser may take it); the lanes add up at the end.
constexpr int kLanes = 8;

double dotProduct(const float* a, const float* b, int count) {
    double lane[kLanes] = {};
    int i = 0;
    for (; i + kLanes <= count; i += kLanes)
        for (int j = 0; j < kLanes; ++j) lane[j] += static_cast<double>(a[i + j]) * b[i + j];
    double sum = 0.0;
    for (; i < count; ++i) sum += static_cast<double>(a[i]) * b[i];
    for (double l : lane) sum += l;
    return sum;
}

void addSumAndSquares(const float* x, int count, double& sum, double& squares) {
    double laneSum[kLanes] = {}, laneSquares[kLanes] = {};
    int i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        for (int j = 0; j < kLanes; ++j) {
            laneSum[j] += x[i + j];
            laneSquares[j] += static_cast<double>(x[i + j]) * x[i + j];
        }
    }
    for (; i < count; ++i) {
        sum += x[i];
        squares += static_cast<double>(x[i]) * x[i];
    }
    for (int j = 0; j < kLanes; ++j) {
        sum += laneSum[j];
        squares += laneSquares[j];
    }
}

}  // namespace

CZanFilterBank::LevelState::LevelState() {
    filterBankPlans();  // plan on the constructing thread, never in ProcessLevels
    edgeSpectra = fftwChecked(fftwf_alloc_complex(static_cast<std::size_t>(kMaxBands) * kEdgeStride));
    edgeInput = fftwChecked(fftwf_alloc_complex(kEdgeBins));
    edgeProduct = fftwChecked(fftwf_alloc_complex(kEdgeBins));
    edgeTime = fftwChecked(fftwf_alloc_real(kEdgeSize));
    std::fill(&edgeSpectra[0][0], &edgeSpectra[0][0] + 2 * kMaxBands * kEdgeStride, 0.0f);
}

CZanFilterBank::LevelState::~LevelState() {
    fftwf_free(edgeSpectra);
    fftwf_free(edgeInput);
    fftwf_free(edgeProduct);
    fftwf_free(edgeTime);
}

// After the band's taps or its fast-convolution spectrum changed (design time).
void CZanFilterBank::updateBandLevelSpectra(int band) {
    LevelState& l = *levels_;
    const fftwf_complex* h = fft_->bandSpectrum(band);  // taps' spectrum / kSize
    constexpr double kSize = FftState::kSize;
    for (int k = 0; k < FftState::kBins; ++k) {
        const double power = (static_cast<double>(h[k][0]) * h[k][0] + static_cast<double>(h[k][1]) * h[k][1]) * kSize;
        const bool edge = k == 0 || k == FftState::kBins - 1;
        l.energyWeights[band][k] = static_cast<float>(edge ? power : 2.0 * power);
    }
    l.dcGain[band] = static_cast<double>(h[0][0]) * kSize;
    const int tapCount = storage_->tapCounts[band];
    if (tapCount > kLevelEdgeTaps) return;
    float* time = l.edgeTime;
    VectorCopy(storage_->taps[band].data(), time, tapCount);
    VectorZero(time + tapCount, LevelState::kEdgeSize - tapCount);
    fftwf_complex* spectrum = l.edgeSpectra + band * LevelState::kEdgeStride;
    fftwf_execute_dft_r2c(filterBankPlans().edgeForward, time, spectrum);
    VectorMultiplyConstant(&spectrum[0][0], 1.0f / LevelState::kEdgeSize, 2 * LevelState::kEdgeBins);
    l.preparedTaps = 0;
}

// The input's power spectrum and edge spectrum for bands of `tapCount` taps.
void CZanFilterBank::prepareLevelInput(int tapCount) {
    LevelState& l = *levels_;
    FftState& f = *fft_;
    const float* working = storage_->working.data();
    const int used = kChunkLength + tapCount - 1;
    VectorCopy(working, f.timeInput, used);
    VectorZero(f.timeInput + used, FftState::kSize - used);
    fftwf_execute_dft_r2c(filterBankPlans().forward, f.timeInput, f.inputSpectrum);
    for (int k = 0; k < FftState::kBins; ++k) {
        const float re = f.inputSpectrum[k][0], im = f.inputSpectrum[k][1];
        l.inputPower[k] = re * re + im * im;
    }
    l.inputDc = f.inputSpectrum[0][0];

    VectorZero(l.edgeTime, LevelState::kEdgeSize);
    VectorCopy(working, l.edgeTime, tapCount - 1);
    VectorCopy(working + kChunkLength, l.edgeTime + LevelState::kEdgeHalf, tapCount - 1);
    fftwf_execute_dft_r2c(filterBankPlans().edgeForward, l.edgeTime, l.edgeInput);
    l.preparedTaps = tapCount;
}

// 20 log10 of the standard deviation of what Process would put in the band's output.
float CZanFilterBank::spectralBandLevel(int band) {
    LevelState& l = *levels_;
    const int tapCount = storage_->tapCounts[band];
    const double energy = dotProduct(l.inputPower.data(), l.energyWeights[band].data(), FftState::kBins);
    double sum = l.inputDc * l.dcGain[band];

    const fftwf_complex* h = l.edgeSpectra + band * LevelState::kEdgeStride;
    for (int k = 0; k < LevelState::kEdgeBins; ++k) {
        const float* x = l.edgeInput[k];
        l.edgeProduct[k][0] = x[0] * h[k][0] - x[1] * h[k][1];
        l.edgeProduct[k][1] = x[0] * h[k][1] + x[1] * h[k][0];
    }
    fftwf_execute_dft_c2r(filterBankPlans().edgeInverse, l.edgeProduct, l.edgeTime);
    double edgeSum = 0.0, edgeSquares = 0.0;
    addSumAndSquares(l.edgeTime, tapCount - 1, edgeSum, edgeSquares);                                         // run-in
    addSumAndSquares(l.edgeTime + LevelState::kEdgeHalf + tapCount - 1, tapCount - 1, edgeSum, edgeSquares);  // run-out

    const double gain = storage_->gains[band];
    const double mean = gain * (sum - edgeSum) / kChunkLength;
    const double variance = gain * gain * (energy - edgeSquares) / kChunkLength - mean * mean;
    // As for a measured deviation: one that rounds to 0 in float is a silent band.
    const auto deviation = static_cast<float>(variance > 0.0 ? std::sqrt(variance) : 0.0);
    return deviation > 0.0f ? 20.0f * std::log10(deviation) : 0.0f;
}

void CZanFilterBank::ProcessLevels(const float* chunk, float* levels) {
    shiftInChunk(chunk);
    levels_->preparedTaps = 0;
    for (int band = 0; band < bandCount_; ++band) {
        const int tapCount = storage_->tapCounts[band];
        if (tapCount > kLevelEdgeTaps) {
            if (band == 0 || storage_->tapCounts[band - 1] <= kLevelEdgeTaps) prepareFftInput();
            processFft(band);
            levels[band] = GetBandLevel(band);
            continue;
        }
        if (levels_->preparedTaps != tapCount) prepareLevelInput(tapCount);
        levels[band] = spectralBandLevel(band);
    }
}

}  // namespace quillmix
