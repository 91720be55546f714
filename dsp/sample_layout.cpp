#include "dsp/sample_layout.h"

namespace quillmix {

// Plain loops over restrict-free indices: g++ -O2 vectorises each of them.

void SplitChannels(const std::int16_t* source, std::int16_t* left, std::int16_t* right, int sampleCount) {
    for (int k = 0; k < sampleCount / 2; ++k) {
        left[k] = source[2 * k];
        right[k] = source[2 * k + 1];
    }
}

void SplitChannelsFloat(const float* source, float* left, float* right, int sampleCount) {
    for (int k = 0; k < sampleCount / 2; ++k) {
        left[k] = source[2 * k];
        right[k] = source[2 * k + 1];
    }
}

void MergeChannels(const std::int16_t* left, const std::int16_t* right, std::int16_t* destination, int frameCount) {
    for (int k = 0; k < frameCount; ++k) {
        destination[2 * k] = left[k];
        destination[2 * k + 1] = right[k];
    }
}

void MonoToStereo(const std::int16_t* source, std::int16_t* destination, int sampleCount) {
    MergeChannels(source, source, destination, sampleCount);
}

static std::int16_t widen8(std::uint8_t s) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((static_cast<int>(s) - 128) * 256));
}

void Mono8ToStereo16(const std::uint8_t* source, std::int16_t* destination, int sampleCount) {
    for (int k = 0; k < sampleCount; ++k) {
        destination[2 * k] = destination[2 * k + 1] = widen8(source[k]);
    }
}

void Stereo8ToStereo16(const std::uint8_t* source, std::int16_t* destination, int sampleCount) {
    for (int k = 0; k < sampleCount; ++k) destination[k] = widen8(source[k]);
}

void ReverseChunk(const std::int16_t* source, std::int16_t* destination, int frameCount) {
    for (int k = 0; k < frameCount; ++k) {
        const int from = frameCount - 1 - k;
        destination[2 * k] = source[2 * from];
        destination[2 * k + 1] = source[2 * from + 1];
    }
}

}  // namespace quillmix
