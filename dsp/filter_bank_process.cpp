// CZanFilterBank's filtering: the history shift, the two ways of convolving a chunk with
// each band, and the fast-convolution state they need.
#include <algorithm>
#include <new>

#include "dsp/fftw_planner.h"
#include "dsp/filter_bank.h"
#include "dsp/filter_bank_internal.h"
#include "dsp/fir_design.h"
#include "dsp/vector_ops.h"

namespace quillmix {

namespace {

using FftState = CZanFilterBank::FftState;

}  // namespace

const FilterBankPlans& filterBankPlans() {
    static const FilterBankPlans plans = [] {
        std::lock_guard<std::mutex> planner(FftwPlannerMutex());
        float* real = fftwf_alloc_real(FftState::kSize);
        fftwf_complex* complex = fftwf_alloc_complex(FftState::kBins);
        using LevelState = CZanFilterBank::LevelState;
        FilterBankPlans made;
        made.forward = fftwf_plan_dft_r2c_1d(FftState::kSize, real, complex, FFTW_ESTIMATE);
        made.inverse = fftwf_plan_dft_c2r_1d(FftState::kSize, complex, real, FFTW_ESTIMATE);
        made.edgeForward = fftwf_plan_dft_r2c_1d(LevelState::kEdgeSize, real, complex, FFTW_ESTIMATE);
        made.edgeInverse = fftwf_plan_dft_c2r_1d(LevelState::kEdgeSize, complex, real, FFTW_ESTIMATE);
        // The plans keep no pointer to the arrays they were measured on.
        fftwf_free(real);
        fftwf_free(complex);
        return made;
    }();
    return plans;
}

CZanFilterBank::FftState::FftState() {
    filterBankPlans();  // plan before the first Process, on the constructing thread
    timeInput = fftwChecked(fftwf_alloc_real(kSize));
    timeOutput = fftwChecked(fftwf_alloc_real(kSize));
    inputSpectrum = fftwChecked(fftwf_alloc_complex(kBins));
    product = fftwChecked(fftwf_alloc_complex(kBins));
    bandSpectra = fftwChecked(fftwf_alloc_complex(static_cast<std::size_t>(kMaxBands) * kSpectrumStride));
    std::fill(timeInput, timeInput + kSize, 0.0f);
    std::fill(timeOutput, timeOutput + kSize, 0.0f);
    std::fill(&bandSpectra[0][0], &bandSpectra[0][0] + 2 * kMaxBands * kSpectrumStride, 0.0f);
}

CZanFilterBank::FftState::~FftState() {
    fftwf_free(timeInput);
    fftwf_free(timeOutput);
    fftwf_free(inputSpectrum);
    fftwf_free(product);
    fftwf_free(bandSpectra);
}

// The band's taps, zero-padded to the block and transformed, with FFTW's 1/kSize scale of
// a forward-inverse round trip folded in.
void CZanFilterBank::updateBandSpectrum(int band) {
    FftState& f = *fft_;
    const int tapCount = storage_->tapCounts[band];
    VectorCopy(storage_->taps[band].data(), f.timeInput, tapCount);
    VectorZero(f.timeInput + tapCount, FftState::kSize - tapCount);
    fftwf_execute_dft_r2c(filterBankPlans().forward, f.timeInput, f.bandSpectrum(band));
    VectorMultiplyConstant(&f.bandSpectrum(band)[0][0], 1.0f / FftState::kSize, 2 * FftState::kBins);
    updateBandLevelSpectra(band);
}

void CZanFilterBank::shiftInChunk(const float* chunk) {
    float* working = storage_->working.data();
    // The history and the chunk's place do not overlap (511 < 2940).
    VectorCopy(working + kChunkLength, working, kHistoryLength);
    VectorCopy(chunk, working + kHistoryLength, kChunkLength);
}

void CZanFilterBank::Process(const float* chunk, bool firstBandOnly) {
    shiftInChunk(chunk);
    if (method_ == Method::fft) prepareFftInput();
    const int lowest = 0;
    const int highest = firstBandOnly ? 0 : bandCount_ - 1;
    for (int band = highest; band >= lowest; --band) {
        if (method_ == Method::fft) {
            processFft(band);
        } else {
            processDirect(band);
        }
    }
}

// Full linear convolution of the first L + 2939 working samples with the L taps; the output
// is the part where the filter lies wholly inside the working input.
void CZanFilterBank::processDirect(int band) {
    Storage& s = *storage_;
    const int tapCount = s.tapCounts[band];
    Convolve(s.working.data(), tapCount + kChunkLength - 1, s.taps[band].data(), tapCount, s.convolution.data());
    float* output = s.bandOutputs[band].data();
    VectorCopy(s.convolution.data() + tapCount - 1, output, kChunkLength);
    VectorMultiplyConstant(output, s.gains[band], kChunkLength);
}

// The working input's spectrum, shared by every band of this call.
void CZanFilterBank::prepareFftInput() {
    FftState& f = *fft_;
    VectorCopy(storage_->working.data(), f.timeInput, kWorkingLength);
    VectorZero(f.timeInput + kWorkingLength, FftState::kSize - kWorkingLength);
    fftwf_execute_dft_r2c(filterBankPlans().forward, f.timeInput, f.inputSpectrum);
}

void CZanFilterBank::processFft(int band) {
    FftState& f = *fft_;
    const fftwf_complex* x = f.inputSpectrum;
    const fftwf_complex* h = f.bandSpectrum(band);
    fftwf_complex* y = f.product;
    for (int i = 0; i < FftState::kBins; ++i) {
        y[i][0] = x[i][0] * h[i][0] - x[i][1] * h[i][1];
        y[i][1] = x[i][0] * h[i][1] + x[i][1] * h[i][0];
    }
    fftwf_execute_dft_c2r(filterBankPlans().inverse, f.product, f.timeOutput);
    const int tapCount = storage_->tapCounts[band];
    float* output = storage_->bandOutputs[band].data();
    VectorCopy(f.timeOutput + tapCount - 1, output, kChunkLength);
    VectorMultiplyConstant(output, storage_->gains[band], kChunkLength);
}

}  // namespace quillmix
