#pragma once
// Conversions between sample layouts on 16-bit signed samples (one on floats). Interleaved
// stereo: frame k is samples 2k (left) and 2k + 1 (right). None changes the sample rate.

#include <cstdint>

namespace quillmix {

// left[k] = source[2k], right[k] = source[2k + 1] for k < sampleCount / 2.
void SplitChannels(const std::int16_t* source, std::int16_t* left, std::int16_t* right, int sampleCount);
void SplitChannelsFloat(const float* source, float* left, float* right, int sampleCount);

// destination[2k] = left[k], destination[2k + 1] = right[k] for k < frameCount.
void MergeChannels(const std::int16_t* left, const std::int16_t* right, std::int16_t* destination, int frameCount);

// destination[2k] = destination[2k + 1] = source[k] for k < sampleCount: writes 2n samples.
void MonoToStereo(const std::int16_t* source, std::int16_t* destination, int sampleCount);

// 8-bit unsigned mono samples to 16-bit stereo: (s - 128) << 8 into both channels.
void Mono8ToStereo16(const std::uint8_t* source, std::int16_t* destination, int sampleCount);

// 8-bit unsigned interleaved stereo to 16-bit interleaved stereo: (s - 128) << 8 each.
void Stereo8ToStereo16(const std::uint8_t* source, std::int16_t* destination, int sampleCount);

// Reverses a chunk of `frameCount` interleaved stereo frames in time into `destination`
// (which must not overlap `source`): frame k of the result is frame frameCount - 1 - k of
// the source, channels kept. The caller owns the destination; nothing is shared.
void ReverseChunk(const std::int16_t* source, std::int16_t* destination, int frameCount);

}  // namespace quillmix
