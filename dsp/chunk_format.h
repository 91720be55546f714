#pragma once
// The one unit audio moves in: a chunk of 2940 frames of 16-bit signed little-endian
// stereo, 1/15 s at 44100 Hz. Decoding, read-ahead, output buffering, notification,
// analysis and display all count in chunks. Every other definition of these sizes derives
// from the constants here.

namespace quillmix {

inline constexpr int kSampleRate = 44100;  // frames per second of every chunk
inline constexpr int kChunkFrames = 2940;  // 1/15 s
inline constexpr int kChunkChannels = 2;
inline constexpr int kChunkSamples = kChunkFrames * kChunkChannels;  // 5880 interleaved samples
inline constexpr int kChunkBytes = kChunkSamples * 2;                // 11760 bytes of 16-bit samples
inline constexpr int kChunksPerSecond = kSampleRate / kChunkFrames;  // 15

// A deck's looping output buffer on a device: 120 chunks, 8 s.
inline constexpr int kOutputBufferChunks = 120;
inline constexpr int kOutputBufferBytes = kOutputBufferChunks * kChunkBytes;  // 1411200

static_assert(kChunkFrames * kChunksPerSecond == kSampleRate, "a chunk is exactly 1/15 s");
static_assert(kChunkBytes == 11760 && kOutputBufferBytes == 1411200);

}  // namespace quillmix
