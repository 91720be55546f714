// The WAV writer: samples written across several calls and block boundaries land on disk
// in order, little-endian, after a header whose sizes match.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "sound/wav_file_writer.h"
#include "support/temp_dir.h"

namespace quillmix {
namespace {

std::uint32_t le32(const std::vector<unsigned char>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TEST(WavFileWriterTest, SamplesAndSizesSurviveBlockBoundaries) {
    test::TempDir dir;
    const auto path = dir.file("out.wav");
    std::vector<std::int16_t> samples(10001);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>(i * 7919 - 32768);
    {
        WavFileWriter writer;
        ASSERT_TRUE(writer.open(path.string(), 48000, 1));
        writer.write(samples.data(), 3);
        writer.write(samples.data() + 3, samples.size() - 3);
    }
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 44 + 2 * samples.size());
    EXPECT_EQ(le32(bytes, 40), 2 * samples.size());
    EXPECT_EQ(le32(bytes, 4), 36 + 2 * samples.size());
    EXPECT_EQ(le32(bytes, 24), 48000u);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto value = static_cast<std::int16_t>(bytes[44 + 2 * i] | bytes[45 + 2 * i] << 8);
        ASSERT_EQ(value, samples[i]) << "sample " << i;
    }
}

}  // namespace
}  // namespace quillmix
