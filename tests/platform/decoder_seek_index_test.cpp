// Seeking in a long Opus track goes through the container's index instead of decoding
// everything before the target: in Ogg, and in Matroska, whose clock counts milliseconds.
#include <gtest/gtest.h>

#include "platform/audio_decoder.h"
#include "support/sources_fixtures.h"
#include "support/temp_dir.h"

using namespace quillmix;
using namespace quillmix::test;

TEST(DecoderSeekIndexTest, LongOpusSeeksThroughTheIndex) {
    TempDir dir;
    for (const char* name : {"long.mka", "long.opus"}) {
        const auto file = dir.file(name);
        const std::string command =
            "ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=440:duration=240 "
            "-ac 1 -c:a libopus -b:a 16k " +
            sourcesQuote(file);
        ASSERT_EQ(std::system(command.c_str()), 0);
        AudioDecoder decoder;
        ASSERT_EQ(decoder.open(file.string()), kStatusOk);
        // 240 s of 20 ms packets: 12000 in all, 10800 before the target.
        for (int repeat = 0; repeat < 2; ++repeat) {  // the second seek starts from a used demuxer
            ASSERT_EQ(decoder.seekToSeconds(216.0 - repeat * 100), kStatusOk);
            std::vector<std::uint8_t> block(4410 * 2);
            int got = 0;
            EXPECT_EQ(decoder.readBlock(block.data(), static_cast<int>(block.size()), got), kStatusOk);
            EXPECT_GT(decoder.packetsReadSinceSeek(), 0);
            EXPECT_LT(decoder.packetsReadSinceSeek(), 1000) << name << ": the seek decoded from the start";
        }
    }
}
