// Layout conversions on seeded random chunks: round trips and the 8-bit widening.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "dsp/sample_layout.h"

using namespace quillmix;

namespace {
std::vector<std::int16_t> randomSamples(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(-32768, 32767);
    std::vector<std::int16_t> v(n);
    for (auto& s : v) s = static_cast<std::int16_t>(d(rng));
    return v;
}
}  // namespace

TEST(SampleLayoutTest, SplitThenMergeAndDoubleReverseReproduceTheChunk) {
    const int frames = 2940;
    auto chunk = randomSamples(2 * frames, 7);
    std::vector<std::int16_t> left(frames), right(frames), merged(2 * frames), once(2 * frames),
        twice(2 * frames);
    SplitChannels(chunk.data(), left.data(), right.data(), 2 * frames);
    MergeChannels(left.data(), right.data(), merged.data(), frames);
    EXPECT_EQ(merged, chunk);

    ReverseChunk(chunk.data(), once.data(), frames);
    EXPECT_EQ(once[0], chunk[2 * (frames - 1)]);      // left stays left
    EXPECT_EQ(once[1], chunk[2 * (frames - 1) + 1]);  // right stays right
    ReverseChunk(once.data(), twice.data(), frames);
    EXPECT_EQ(twice, chunk);
}

TEST(SampleLayoutTest, MonoAndEightBitWidenIntoBothChannels) {
    std::vector<std::int16_t> mono{1, -2, 32767};
    std::vector<std::int16_t> stereo(8, 99);
    MonoToStereo(mono.data(), stereo.data(), 3);
    EXPECT_EQ(stereo, (std::vector<std::int16_t>{1, 1, -2, -2, 32767, 32767, 99, 99}));

    std::vector<std::uint8_t> bytes{0, 128, 255};
    std::vector<std::int16_t> wide(6);
    Mono8ToStereo16(bytes.data(), wide.data(), 3);
    EXPECT_EQ(wide, (std::vector<std::int16_t>{-32768, -32768, 0, 0, 32512, 32512}));
}
