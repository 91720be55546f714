#pragma once
// Internal to the decoder: the exact length of an MP3 from its Xing/Info frame and the
// encoder's delay and padding recorded after it (LAME and FFmpeg both write them), which the
// demuxer uses to trim but does not report.

#include <cstdint>
#include <optional>
#include <string>

namespace quillmix {

struct Mp3GaplessInfo {
    std::int64_t frames = 0;  // MPEG frames in the stream
    int samplesPerFrame = 1152;
    int sampleRate = 44100;
    int delay = 0;    // encoder delay, samples
    int padding = 0;  // encoder padding, samples
    // Samples a gapless decoder delivers: all frames less the delay and padding.
    std::int64_t musicSamples() const { return frames * samplesPerFrame - delay - padding; }
};

// Reads the tag of the MP3 file at `path`; nothing when there is none or it is unreadable.
std::optional<Mp3GaplessInfo> readMp3GaplessInfo(const std::string& path);

}  // namespace quillmix
