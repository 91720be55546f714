#pragma once
// Linear-phase FIR design by the window method, and full linear convolution.
//
// Cut-off frequencies are fractions of the sample rate (0.5 is the Nyquist frequency). Every
// design is the ideal (brick-wall) response delayed by (tapCount - 1) / 2 samples, truncated
// to tapCount taps and shaped by a Hamming window, then scaled so that the gain in the
// middle of the pass band is exactly 1:
//   lowpass  at 0 Hz;
//   bandpass at (low + high) / 2;
//   highpass at (cutOff + 0.5) / 2, since an even-length symmetric filter is always silent at
//            the Nyquist frequency and cannot be scaled there.
// The routines run on the caller's thread and never allocate.

namespace quillmix {

enum class FirStatus { ok, badTapCount, badCutOff };

// taps[0 .. tapCount - 1] := the design. A tap count below 1, a cut-off outside the open
// interval (0, 0.5) or low >= high leave `taps` untouched and report the fault.
FirStatus FirLowpass(double cutOff, int tapCount, double* taps);
FirStatus FirHighpass(double cutOff, int tapCount, double* taps);
FirStatus FirBandpass(double lowCutOff, double highCutOff, int tapCount, double* taps);

// Full linear convolution: result[n] = sum over k of h[k] x signal[n - k] for
// n = 0 .. signalLength + tapCount - 2, so `result` receives signalLength + tapCount - 1
// values. `result` must not overlap either input. Lengths below 1 do nothing.
void Convolve(const float* signal, int signalLength, const float* h, int tapCount, float* result);

}  // namespace quillmix
