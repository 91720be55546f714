#pragma once
// Units, bounds and status codes shared by the sound devices, their buffers and the output
// layers above them.

#include <cstdint>

#include "dsp/chunk_format.h"

namespace quillmix {

// Status codes in the platform's HRESULT style.
using SoundResult = std::int32_t;
inline constexpr SoundResult kSoundOk = 0;
inline constexpr SoundResult kSoundNotInitialized = static_cast<SoundResult>(0x800401F0u);
inline constexpr SoundResult kSoundUnexpected = static_cast<SoundResult>(0x8000FFFFu);
inline constexpr SoundResult kSoundInvalidParam = static_cast<SoundResult>(0x80070057u);
inline constexpr SoundResult kSoundOutOfMemory = static_cast<SoundResult>(0x8007000Eu);
inline constexpr SoundResult kSoundWrongState = -1;  // a fade asked in the wrong state

// Every buffer is 16-bit stereo: 4 bytes a frame.
inline constexpr int kSoundFrameBytes = 4;
inline constexpr int kSoundBufferBytes = kOutputBufferBytes;  // 120 chunks, 8 s at 44100 Hz
inline constexpr int kSoundBufferFrames = kSoundBufferBytes / kSoundFrameBytes;

// Volume in hundredths of a decibel; -10000 is silence. Amplitude = 10^(volume / 2000).
inline constexpr int kVolumeSilent = -10000;
inline constexpr int kVolumeFull = 0;
// Pan in hundredths of a decibel of attenuation on the far side; -10000 is full left.
inline constexpr int kPanLeft = -10000;
inline constexpr int kPanRight = 10000;
// Buffer frequency bounds in hertz.
inline constexpr int kFrequencyMin = 100;
inline constexpr int kFrequencyMax = 200000;

// Speaker pairs a buffer plays on (channel masks): front pair to device channels 0-1,
// rear pair to channels 2-3 (or to 0-1 on a two-channel device).
inline constexpr std::uint32_t kFrontPair = 0x3;
inline constexpr std::uint32_t kRearPair = 0x30;

// Per-device software volume lines, numbered by the component types the output layer asks
// for, with levels from 0 to 65535.
enum class VolumeLine : std::uint32_t { speakers = 4, wave = 0x1008 };
inline constexpr std::uint32_t kLineLevelMax = 65535;

// Linear amplitude of a volume or pan attenuation in hundredths of a decibel (<= 0).
// -10000 and below are exact silence.
double amplitudeOfHundredthsDb(double hundredthsDb);

}  // namespace quillmix
