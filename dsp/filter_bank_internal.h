#pragma once
// The tables behind CZanFilterBank, shared by its design and its filtering halves. Private
// to dsp/filter_bank*.cpp.

#include <fftw3.h>
#include <array>
#include <new>

#include "dsp/filter_bank.h"

namespace quillmix {

struct CZanFilterBank::Storage {
    using Curve = std::array<float, kCurvePoints>;

    std::array<std::array<double, kMaxTaps>, kMaxBands> designTaps{};  // as designed
    std::array<std::array<float, kMaxTaps>, kMaxBands> taps{};         // used for filtering
    std::array<int, kMaxBands> tapCounts{};
    std::array<std::array<float, kChunkLength>, kMaxBands> bandOutputs{};
    std::array<double, kMaxBands> centres{};     // Hz
    std::array<double, kMaxBands> lowerEdges{};  // Hz
    std::array<double, kMaxBands> upperEdges{};  // Hz
    // Full linear convolution of the longest working input with the longest filter.
    std::array<float, 2 * kMaxTaps + kChunkLength - 2> convolution{};
    std::array<Curve, kMaxBands> responseCurves{};  // dB at the curve frequencies
    std::array<Curve, kMaxBands> scaledCurves{};    // dB, after the band's gain
    Curve frequencyTable{};                         // Hz
    std::array<float, kMaxBands> gains{};
    std::array<float, kWorkingLength> working{};  // 511 history + the current chunk
};

// One block of fast convolution covers a whole chunk: the longest linear convolution
// (3451 + 512 - 1 samples) fits 4096 points, so nothing wraps around.
struct CZanFilterBank::FftState {
    static constexpr int kSize = 4096;
    static constexpr int kBins = kSize / 2 + 1;
    // Band spectra start on 64-byte boundaries, as FFTW's own buffers do.
    static constexpr int kSpectrumStride = 2056;

    FftState();
    ~FftState();
    FftState(const FftState&) = delete;
    FftState& operator=(const FftState&) = delete;

    fftwf_complex* bandSpectrum(int band) const { return bandSpectra + band * kSpectrumStride; }

    float* timeInput = nullptr;              // kSize
    float* timeOutput = nullptr;             // kSize
    fftwf_complex* inputSpectrum = nullptr;  // kBins
    fftwf_complex* product = nullptr;        // kBins
    fftwf_complex* bandSpectra = nullptr;    // kMaxBands x kSpectrumStride; taps / kSize
};

// ProcessLevels' tables. The input is taken as the N + L - 1 working samples one band's
// output reads (N = kChunkLength, L taps), zero-padded to FftState::kSize, so its linear
// convolution with the taps does not wrap; the output is that convolution less its first
// and last L - 1 samples (the run-in and run-out). The edge transform holds the first
// L - 1 input samples at 0 and the last L - 1 at kEdgeHalf: each one's convolution with
// the taps stays within its half, and gives the run-in and run-out outright.
struct CZanFilterBank::LevelState {
    static constexpr int kEdgeSize = 1024;
    static constexpr int kEdgeHalf = kEdgeSize / 2;
    static constexpr int kEdgeBins = kEdgeSize / 2 + 1;
    // Band edge spectra start on 64-byte boundaries, as FFTW's own buffers do.
    static constexpr int kEdgeStride = 520;

    LevelState();
    ~LevelState();
    LevelState(const LevelState&) = delete;
    LevelState& operator=(const LevelState&) = delete;

    // Per band: w_k |H_k|^2 / kSize over FftState's bins (w = 1 at DC and Nyquist, else 2),
    // so that a band's output energy is the sum of these times |X_k|^2; H_0 x kSize alone;
    // and the taps' edge spectrum with the 1 / kEdgeSize of a round trip folded in.
    std::array<std::array<float, FftState::kBins>, kMaxBands> energyWeights{};
    std::array<double, kMaxBands> dcGain{};
    fftwf_complex* edgeSpectra = nullptr;  // kMaxBands x kEdgeStride

    // Of the current chunk, for the tap count `preparedTaps` (0: none yet).
    int preparedTaps = 0;
    std::array<float, FftState::kBins> inputPower{};  // |X_k|^2
    double inputDc = 0.0;                             // X_0
    fftwf_complex* edgeInput = nullptr;               // kEdgeBins
    fftwf_complex* edgeProduct = nullptr;             // kEdgeBins
    float* edgeTime = nullptr;                        // kEdgeSize
};

// The FFTW plans every bank shares: FFTW's new-array execute functions are thread-safe and
// accept any buffers with the alignment fftwf_malloc gives. Made once, under the planner
// lock; a bank's constructor calls this so that no Process or ProcessLevels ever plans.
struct FilterBankPlans {
    fftwf_plan forward = nullptr;      // FftState::kSize real -> kBins complex
    fftwf_plan inverse = nullptr;      // kBins complex -> FftState::kSize real (destroys its input)
    fftwf_plan edgeForward = nullptr;  // LevelState::kEdgeSize real -> complex
    fftwf_plan edgeInverse = nullptr;  // LevelState::kEdgeSize complex -> real
};
const FilterBankPlans& filterBankPlans();

// An FFTW allocation, or std::bad_alloc.
template <typename T>
T* fftwChecked(T* allocated) {
    if (!allocated) throw std::bad_alloc();
    return allocated;
}

}  // namespace quillmix
