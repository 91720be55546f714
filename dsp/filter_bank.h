#pragma once
// CZanFilterBank splits a mono 44100 Hz signal into 2..30 adjacent bands with linear-phase
// FIR filters whose edges are spaced evenly on a logarithmic axis spanning ten octaves.
//
// Two kinds of user: the equaliser designs a bank and reads its centres, gains and gain-
// scaled response curves (it never filters through it); the analysis feeds consecutive
// chunks of one deck's output through Process and reads each band's minimum, maximum and
// level. Design and curves work in double precision, filtering in float.
//
// Threads: an instance is not locked and has one user at a time. Construction allocates
// everything the bank will ever use (and makes the shared FFT plans under the planner
// mutex); no later call allocates, so Process may run on any worker thread.
//
// Index rules: queries that return a value give 0.0 for a band outside 0..GetNumBands()-1.
// SetBandGain, UpdateBandCurve and GetBandCurve accept any band of the storage (0..29) and
// ignore one outside it rather than writing past the tables.

#include <array>
#include <memory>

#include "dsp/chunk_format.h"

namespace quillmix {

class CZanFilterBank {
public:
    static constexpr double kSampleRate = 44100.0;     // Hz; cut-offs are fractions of it
    static constexpr int kChunkLength = kChunkFrames;  // samples per Process call
    static constexpr int kMaxBands = 30;
    static constexpr int kMaxTaps = 512;                                  // the longest layout uses 500
    static constexpr int kHistoryLength = 511;                            // previous samples kept in front
    static constexpr int kWorkingLength = kHistoryLength + kChunkLength;  // 3451
    static constexpr int kCurvePoints = 640;
    static constexpr double kCurveFloor = 96.33;  // dB range of 16-bit samples
    static constexpr int kDefaultTaps = 256;      // counts without a layout

    // How Process filters. `direct` is the full linear convolution per band, `fft` a
    // single-block fast convolution with identical results up to float rounding.
    enum class Method { direct, fft };

    CZanFilterBank();
    ~CZanFilterBank();
    CZanFilterBank(const CZanFilterBank&) = delete;
    CZanFilterBank& operator=(const CZanFilterBank&) = delete;

    // Designs max(2, min(30, bandCount)) bands, their taps, centres, edges and curves. Gains
    // and the 511-sample history are kept; the band outputs of the new bands are cleared.
    void Design(int bandCount);

    int GetNumBands() const { return bandCount_; }
    double GetBandCentreFrequency(int band) const;  // Hz
    double GetBandLowerEdge(int band) const;        // Hz; 0 for band 0
    double GetBandUpperEdge(int band) const;        // Hz; 22050 for the top band
    int GetTapCount(int band) const;                // 0 outside the designed bands
    // Copies the band's float taps (GetTapCount of them); false, nothing copied, outside.
    bool GetBandTaps(int band, float* destination) const;

    void SetBandGain(int band, float gain);
    float GetBandGain(int band) const;
    // scaled[i] = (response[i] + 96.33) x gain - 96.33 over the band's 640 curve points.
    void UpdateBandCurve(int band);
    // Point i (0..639) is f0 x 2^((i + 1) / 64) Hz with f0 = 20000 / 1024 x 2^(1/64).
    void GetFrequencyTable(float* destination) const;
    void GetBandCurve(int band, float* destination) const;  // 640 scaled dB values

    void SetProcessMethod(Method method) { method_ = method; }
    Method GetProcessMethod() const { return method_; }

    // Filters one chunk of kChunkLength samples behind the 511 samples kept from the previous
    // call (zeros at first). Band b's output sample j is gain[b] x sum over k of
    // h_b[k] x working[L_b - 1 + j - k], so it lags the input by 511 - (L_b - 1) / 2 samples.
    // With firstBandOnly only band 0 is filtered; the other outputs keep their last values.
    void Process(const float* chunk, bool firstBandOnly);

    // The level of each designed band over one chunk, as Process followed by GetBandLevel
    // would give it (within float rounding), into levels[0 .. GetNumBands() - 1], without
    // forming the band outputs: a band's output energy and sum come from the spectrum
    // (Parseval), less the filter's run-in and run-out, which one short transform gives.
    // Bands of more than kLevelEdgeTaps taps are filtered as by Process. The history moves
    // on as with Process; band outputs, minima and maxima keep their last values.
    static constexpr int kLevelEdgeTaps = 257;
    void ProcessLevels(const float* chunk, float* levels);

    // The band's output of the last Process (already scaled by its gain); nullptr outside.
    const float* GetBandOutput(int band) const;
    float GetBandMinimum(int band) const;
    float GetBandMaximum(int band) const;
    // 20 x log10(standard deviation of the band output), or 0.0 for a silent band.
    float GetBandLevel(int band) const;

    // The tables and the fast-convolution buffers (dsp/filter_bank_internal.h); opaque here.
    struct Storage;
    struct FftState;
    struct LevelState;

private:
    bool designed(int band) const { return band >= 0 && band < bandCount_; }
    void designBand(int band, double lowEdge, double highEdge);
    void computeResponseCurve(int band);
    void processDirect(int band);
    void processFft(int band);
    void prepareFftInput();
    void updateBandSpectrum(int band);
    void updateBandLevelSpectra(int band);
    void shiftInChunk(const float* chunk);
    void prepareLevelInput(int tapCount);
    float spectralBandLevel(int band);

    int bandCount_ = 0;
    Method method_ = Method::fft;
    std::unique_ptr<Storage> storage_;
    std::unique_ptr<FftState> fft_;
    std::unique_ptr<LevelState> levels_;
};

}  // namespace quillmix
