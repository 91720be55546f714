#pragma once
// Writes 16-bit PCM to a WAV file as it comes, fixing the header's sizes on close.
// Not for the audio thread: it does file I/O.

#include <cstdint>
#include <cstdio>
#include <string>

namespace quillmix {

class WavFileWriter {
public:
    WavFileWriter() = default;
    ~WavFileWriter() { close(); }
    WavFileWriter(const WavFileWriter&) = delete;
    WavFileWriter& operator=(const WavFileWriter&) = delete;

    bool open(const std::string& path, int sampleRate, int channels);
    bool isOpen() const { return file_ != nullptr; }
    // `samples` interleaved, channels() per frame, little-endian on disk.
    void write(const std::int16_t* samples, std::size_t sampleCount);
    void close();

private:
    void writeHeader(std::uint32_t dataBytes);

    std::FILE* file_ = nullptr;
    int sampleRate_ = 0;
    int channels_ = 0;
    std::uint64_t dataBytes_ = 0;
};

}  // namespace quillmix
