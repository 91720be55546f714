#include "platform/mp3_gapless_info.h"

#include <cstring>
#include <fstream>
#include <vector>

namespace quillmix {

namespace {

constexpr std::size_t kSearchBytes = 64 * 1024;

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// Bytes of an ID3v2 tag at the start of the file, 0 when there is none.
std::size_t id3v2Size(std::ifstream& file) {
    std::uint8_t header[10] = {};
    if (!file.read(reinterpret_cast<char*>(header), 10) || std::memcmp(header, "ID3", 3) != 0) return 0;
    const std::size_t body = (std::size_t{header[6]} & 0x7F) << 21 | (std::size_t{header[7]} & 0x7F) << 14 |
                             (std::size_t{header[8]} & 0x7F) << 7 | (std::size_t{header[9]} & 0x7F);
    return 10 + body + ((header[5] & 0x10) ? 10 : 0);
}

const int kRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};

// Parses the Xing/Info frame starting at `frame` (at least `size` bytes readable).
std::optional<Mp3GaplessInfo> parseInfoFrame(const std::uint8_t* frame, std::size_t size) {
    if (size < 4 || frame[0] != 0xFF || (frame[1] & 0xE0) != 0xE0) return std::nullopt;
    const int versionBits = (frame[1] >> 3) & 3;  // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
    const int layerBits = (frame[1] >> 1) & 3;    // 1: layer III
    const int rateIndex = (frame[2] >> 2) & 3;
    if (versionBits == 1 || layerBits != 1 || rateIndex == 3) return std::nullopt;
    const bool mpeg1 = versionBits == 3;
    const bool mono = (frame[3] >> 6) == 3;
    Mp3GaplessInfo info;
    info.samplesPerFrame = mpeg1 ? 1152 : 576;
    info.sampleRate = kRates[mpeg1 ? 0 : versionBits == 2 ? 1 : 2][rateIndex];
    std::size_t at = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (at + 8 > size || (std::memcmp(frame + at, "Xing", 4) != 0 && std::memcmp(frame + at, "Info", 4) != 0)) {
        return std::nullopt;
    }
    const std::uint32_t flags = bigEndian32(frame + at + 4);
    at += 8;
    if (!(flags & 1) || at + 4 > size) return std::nullopt;  // no frame count: no exact length
    info.frames = bigEndian32(frame + at);
    at += 4 + ((flags & 2) ? 4 : 0) + ((flags & 4) ? 100 : 0) + ((flags & 8) ? 4 : 0);
    if (at + 24 <= size && (std::memcmp(frame + at, "LAME", 4) == 0 || std::memcmp(frame + at, "Lav", 3) == 0)) {
        const std::uint8_t* gap = frame + at + 21;
        info.delay = (gap[0] << 4) | (gap[1] >> 4);
        info.padding = ((gap[1] & 0x0F) << 8) | gap[2];
    }
    if (info.musicSamples() <= 0) return std::nullopt;
    return info;
}

}  // namespace

std::optional<Mp3GaplessInfo> readMp3GaplessInfo(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    const std::size_t start = id3v2Size(file);
    file.clear();
    file.seekg(static_cast<std::streamoff>(start));
    std::vector<std::uint8_t> bytes(kSearchBytes);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const std::size_t got = static_cast<std::size_t>(file.gcount());
    // The info frame is the first frame; skip any junk before its sync word.
    for (std::size_t i = 0; i + 4 <= got; ++i) {
        if (bytes[i] == 0xFF && (bytes[i + 1] & 0xE0) == 0xE0) return parseInfoFrame(bytes.data() + i, got - i);
    }
    return std::nullopt;
}

}  // namespace quillmix
