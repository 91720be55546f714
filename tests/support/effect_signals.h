#pragma once
// Test signals and measurements for the deck effects: interleaved stereo floats,
// 1.0 = full scale.

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "dsp/effect_table.h"

namespace quillmix::test {

using StereoBuffer = std::vector<float>;  // 2 x frames samples

StereoBuffer stereoNoise(int frames, unsigned seed, float amplitude);
StereoBuffer stereoSine(int frames, double hz, double sampleRate, float amplitude);
StereoBuffer stereoSilence(int frames);

// A processor of `kind` with its parameters set in order (the rest at their defaults), prepared.
std::unique_ptr<EffectProcessor> preparedEffect(EffectKind kind, std::initializer_list<float> parameters,
                                                double sampleRate = 44100.0);

// Runs `process(block, frames)` over the whole buffer in blocks of `blockFrames`.
void processInBlocks(StereoBuffer& buffer, int blockFrames, const std::function<void(float*, int)>& process);

// Amplitude (peak of the sinusoid) of `hz` in one channel over frames [first, first+count),
// in dB re full scale, by correlation with a sine and a cosine.
double toneLevelDb(const StereoBuffer& buffer, int channel, int first, int count, double hz, double sampleRate);

// RMS of one channel over frames [first, first+count), in dB re full scale (-400 if silent).
double rmsDb(const StereoBuffer& buffer, int channel, int first, int count);

// RMS per consecutive block of `blockFrames` frames of one channel, linear.
std::vector<double> blockRms(const StereoBuffer& buffer, int channel, int blockFrames);

// Frequency (Hz) in [lowHz, highHz] where the mean-removed sequence, sampled at
// `sequenceRate`, has its strongest component (scanned in steps of `stepHz`).
double dominantFrequency(const std::vector<double>& sequence, double sequenceRate, double lowHz, double highHz,
                         double stepHz);

double peakMagnitude(const StereoBuffer& buffer);
bool allFinite(const StereoBuffer& buffer);
int countSubnormals(const StereoBuffer& buffer);

}  // namespace quillmix::test
