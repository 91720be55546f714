// Files that are not what their names say: a play list dressed as an MP3 that leads to a
// FIFO, and WAV headers with absurd rates. Opening fails promptly, with bounded memory.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <future>

#include "platform/audio_decoder.h"
#include "support/sources_fixtures.h"
#include "support/temp_dir.h"

using namespace quillmix;
using namespace quillmix::test;
using namespace std::chrono_literals;

namespace {

// A canonical 16-bit stereo WAV whose header claims `rate`, over `frames` frames of a tone.
void writeWavClaimingRate(const std::filesystem::path& file, std::uint32_t rate, int frames) {
    sourcesWriteWav16(file, sourcesSignal(frames, 2, 5), 2, 44100);
    std::fstream f(file, std::ios::in | std::ios::out | std::ios::binary);
    const std::uint32_t byteRate = rate * 4;
    f.seekp(24);
    f.write(reinterpret_cast<const char*>(&rate), 4);
    f.write(reinterpret_cast<const char*>(&byteRate), 4);
}

long peakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

TEST(HostileStreamTest, PlayListNamedMp3WhoseSegmentIsAFifoFailsPromptly) {
    TempDir dir;
    const auto fifo = dir.file("segment.ts");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(dir.file("list.mp3")) << "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:10\n"
                                           "#EXT-X-MEDIA-SEQUENCE:0\n#EXTINF:10.0,\nsegment.ts\n#EXT-X-ENDLIST\n";
    std::ofstream(dir.file("list.m4a")) << "ffconcat version 1.0\nfile segment.ts\n";
    for (const char* name : {"list.mp3", "list.m4a"}) {
        const std::string path = dir.file(name).string();
        auto opened = std::async(std::launch::async, [path] { return AudioDecoder().open(path); });
        const bool prompt = opened.wait_for(3s) == std::future_status::ready;
        if (!prompt) {  // a writer end lets a reader stuck on the FIFO go, so the test can end
            const int writer = ::open(fifo.c_str(), O_WRONLY);
            if (writer >= 0) ::close(writer);
        }
        EXPECT_TRUE(prompt) << name << " blocked on the FIFO behind it";
        EXPECT_NE(opened.get(), kStatusOk) << name;
    }
}

TEST(HostileStreamTest, WavRatesOutsideTheplayableRangeDoNotLoadAndMemoryStaysBounded) {
    TempDir dir;
    const long before = peakResidentKb();
    for (std::uint32_t rate : {1u, 999u, 768001u, 4000000000u}) {
        const auto file = dir.file("rate" + std::to_string(rate) + ".wav");
        writeWavClaimingRate(file, rate, 1000);
        AudioDecoder decoder;
        EXPECT_NE(decoder.open(file.string()), kStatusOk) << rate;
        EXPECT_FALSE(decoder.isOpen()) << rate;
        std::vector<std::uint8_t> block(11760);
        int got = 0;
        for (int i = 0; i < 10 && decoder.readBlock(block.data(), 11760, got) == kStatusOk; ++i) {}
    }
    // The range's ends still play, at 44100 Hz: a second of 1000 Hz is 44100 frames.
    for (std::uint32_t rate : {1000u, 768000u}) {
        const auto file = dir.file("edge" + std::to_string(rate) + ".wav");
        writeWavClaimingRate(file, rate, static_cast<int>(rate));
        AudioDecoder decoder;
        ASSERT_EQ(decoder.open(file.string()), kStatusOk) << rate;
        EXPECT_NEAR(decoder.durationSeconds(), 1.0, 0.01) << rate;
    }
    EXPECT_LT(peakResidentKb() - before, 64 * 1024) << "kB more at peak";
}
