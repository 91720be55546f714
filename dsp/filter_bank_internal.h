#pragma once
// The tables behind CZanFilterBank, shared by its design and its filtering halves. Private
// to dsp/filter_bank*.cpp.

#include <array>
#include <fftw3.h>

#include "dsp/filter_bank.h"

namespace quillmix {

struct CZanFilterBank::Storage {
    using Curve = std::array<float, kCurvePoints>;

    std::array<std::array<double, kMaxTaps>, kMaxBands> designTaps{};   // as designed
    std::array<std::array<float, kMaxTaps>, kMaxBands> taps{};          // used for filtering
    std::array<int, kMaxBands> tapCounts{};
    std::array<std::array<float, kChunkLength>, kMaxBands> bandOutputs{};
    std::array<double, kMaxBands> centres{};      // Hz
    std::array<double, kMaxBands> lowerEdges{};   // Hz
    std::array<double, kMaxBands> upperEdges{};   // Hz
    // Full linear convolution of the longest working input with the longest filter.
    std::array<float, 2 * kMaxTaps + kChunkLength - 2> convolution{};
    std::array<Curve, kMaxBands> responseCurves{};   // dB at the curve frequencies
    std::array<Curve, kMaxBands> scaledCurves{};     // dB, after the band's gain
    Curve frequencyTable{};                          // Hz
    std::array<float, kMaxBands> gains{};
    std::array<float, kWorkingLength> working{};     // 511 history + the current chunk
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

    float* timeInput = nullptr;             // kSize
    float* timeOutput = nullptr;            // kSize
    fftwf_complex* inputSpectrum = nullptr; // kBins
    fftwf_complex* product = nullptr;       // kBins
    fftwf_complex* bandSpectra = nullptr;   // kMaxBands x kSpectrumStride; taps / kSize
};

}  // namespace quillmix
