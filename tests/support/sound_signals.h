#pragma once
// Test signals and measurements for the sound tests: seeded noise and sines as 16-bit
// stereo, and level and frequency measured from rendered output.
#include <cstdint>
#include <vector>

namespace quillmix::test {

// Interleaved stereo 16-bit noise, `frames` frames, from a fixed seed.
std::vector<std::int16_t> soundNoise(int frames, unsigned seed, int amplitude = 20000);
// Interleaved stereo 16-bit sine (both channels alike).
std::vector<std::int16_t> soundSine(int frames, double hertz, double rate, double amplitude);
// The byte offsets of the last byte of each of a sound buffer's 120 chunks of 11760 bytes.
std::vector<int> soundChunkEnds();
// Every `stride`-th sample from `offset`: one channel out of interleaved samples.
std::vector<double> soundChannel(const std::vector<std::int16_t>& samples, int stride, int offset);
double soundRms(const std::vector<double>& x);
// The frequency of the strongest sine in `x`, refined to a fraction of a hertz by
// searching around the zero-crossing estimate with a single-bin DFT.
double soundMeasureFrequency(const std::vector<double>& x, double rate);

}  // namespace quillmix::test
