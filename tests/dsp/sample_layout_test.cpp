// Layout conversions on seeded random chunks: round trips. The mono and 8-bit widening is
// checked where the track reader uses it, against the ffmpeg tool's decode.
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
    std::vector<std::int16_t> left(frames), right(frames), merged(2 * frames), once(2 * frames), twice(2 * frames);
    SplitChannels(chunk.data(), left.data(), right.data(), 2 * frames);
    MergeChannels(left.data(), right.data(), merged.data(), frames);
    EXPECT_EQ(merged, chunk);

    ReverseChunk(chunk.data(), once.data(), frames);
    EXPECT_EQ(once[0], chunk[2 * (frames - 1)]);      // left stays left
    EXPECT_EQ(once[1], chunk[2 * (frames - 1) + 1]);  // right stays right
    ReverseChunk(once.data(), twice.data(), frames);
    EXPECT_EQ(twice, chunk);
}
