#include "sound/wav_file_writer.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/realtime_guard.h"

namespace quillmix {

namespace {

void put16(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void put32(unsigned char* p, std::uint32_t v) {
    put16(p, v & 0xFFFF);
    put16(p + 2, v >> 16);
}

}  // namespace

bool WavFileWriter::open(const std::string& path, int sampleRate, int channels) {
    realtimeNotAllowed(__func__);
    close();
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return false;
    sampleRate_ = sampleRate;
    channels_ = channels;
    dataBytes_ = 0;
    writeHeader(0);
    return true;
}

void WavFileWriter::writeHeader(std::uint32_t dataBytes) {
    std::array<unsigned char, 44> h{};
    std::memcpy(&h[0], "RIFF", 4);
    put32(&h[4], 36 + dataBytes);
    std::memcpy(&h[8], "WAVEfmt ", 8);
    put32(&h[16], 16);
    put16(&h[20], 1);  // PCM
    put16(&h[22], static_cast<std::uint32_t>(channels_));
    put32(&h[24], static_cast<std::uint32_t>(sampleRate_));
    put32(&h[28], static_cast<std::uint32_t>(sampleRate_ * channels_ * 2));
    put16(&h[32], static_cast<std::uint32_t>(channels_ * 2));
    put16(&h[34], 16);
    std::memcpy(&h[36], "data", 4);
    put32(&h[40], dataBytes);
    std::fseek(file_, 0, SEEK_SET);
    std::fwrite(h.data(), 1, h.size(), file_);
}

void WavFileWriter::write(const std::int16_t* samples, std::size_t sampleCount) {
    realtimeNotAllowed(__func__);
    if (!file_) return;
    // Little-endian bytes through a stack block: one fwrite per 4096 samples, whatever the
    // host's byte order.
    constexpr std::size_t kBlockSamples = 4096;
    unsigned char bytes[2 * kBlockSamples];
    for (std::size_t done = 0; done < sampleCount;) {
        const std::size_t count = std::min(kBlockSamples, sampleCount - done);
        for (std::size_t i = 0; i < count; ++i) put16(bytes + 2 * i, static_cast<std::uint16_t>(samples[done + i]));
        std::fwrite(bytes, 1, 2 * count, file_);
        done += count;
    }
    dataBytes_ += sampleCount * 2;
}

void WavFileWriter::close() {
    if (!file_) return;
    // Sizes beyond 4 GiB do not fit the format; the header then claims the maximum.
    const auto size = static_cast<std::uint32_t>(dataBytes_ > 0xFFFFFFD0u ? 0xFFFFFFD0u : dataBytes_);
    writeHeader(size);
    std::fclose(file_);
    file_ = nullptr;
}

}  // namespace quillmix
