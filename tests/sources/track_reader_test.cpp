// The track reader: chunk conversion, end of track and the count after a hand-over. (The
// hand-over's samples are checked through the read-ahead thread; seeking through the
// decoder and the deck.)
// readChunk runs on the test (window) thread here, so its sends are direct calls.
#include <gtest/gtest.h>

#include "sources/track_reader.h"
#include "support/sources_fixtures.h"
#include "support/sources_mixer_stub.h"
#include "support/temp_dir.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {

using Samples = std::vector<std::int16_t>;

// Reads chunks until the end of the track (or `limit` chunks), appending every chunk.
Samples readToEnd(CZanTrackReader& reader, int limit = 100000) {
    Samples all;
    std::vector<std::int16_t> chunk(kChunkFrames * 2);
    for (int i = 0; i < limit && reader.isOpen(); ++i) {
        std::int32_t bytes = 0;
        bool end = false;
        if (reader.readChunk(kDeckA, chunk.data(), bytes, end) != 0) break;
        all.insert(all.end(), chunk.begin(), chunk.end());
        if (end) break;
    }
    return all;
}

class TrackReaderTest : public ::testing::Test {
protected:
    void SetUp() override { mixer.attach(kDeckA, &reader, nullptr); }
    TempDir dir;
    SourcesMixerStub mixer;
    CZanTrackReader reader;
};

}  // namespace

// 16-bit mono widens in the read-ahead thread test's hand-over to a mono track.
TEST_F(TrackReaderTest, EightBitMonoWidensToStereoChunks) {
    const auto eightBit = dir.file("mono8.wav");
    ASSERT_TRUE(sourcesEncode(sourcesWav(dir.file("mono.wav"), sourcesSignal(kChunkFrames * 3, 1, 1), 1), eightBit,
                              "-c:a pcm_u8"));
    ASSERT_EQ(reader.open(eightBit.string()), 0);
    EXPECT_EQ(reader.bitsPerSample(), 8);
    const Samples widened = readToEnd(reader, 3);
    const auto bytes = sourcesReferenceDecode(eightBit, 1, "u8");
    ASSERT_EQ(widened.size(), bytes.size() * 2);
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        const auto expected = static_cast<std::int16_t>((bytes[k] - 128) * 256);
        ASSERT_EQ(widened[2 * k], expected) << k;
        ASSERT_EQ(widened[2 * k + 1], expected) << k;
    }
}

TEST_F(TrackReaderTest, ExactMultipleOfAChunkEndsWithOneSilentChunk) {
    const Samples stereo = sourcesSignal(kChunkFrames * 4, 2, 2);
    ASSERT_EQ(reader.open(sourcesWav(dir.file("four.wav"), stereo)), 0);
    EXPECT_EQ(reader.totalBytes(), 4 * kChunkBytes);
    std::vector<std::int16_t> chunk(kChunkFrames * 2, 1);
    std::int32_t bytes = 0;
    bool end = false;
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(reader.readChunk(kDeckA, chunk.data(), bytes, end), 0);
        EXPECT_EQ(bytes, kChunkBytes);
        EXPECT_FALSE(end);
        EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), stereo.begin() + i * kChunkFrames * 2));
    }
    EXPECT_EQ(mixer.count(UWM_TRACK_READER_DONE), 0);
    ASSERT_EQ(reader.readChunk(kDeckA, chunk.data(), bytes, end), 0);
    EXPECT_EQ(bytes, 0);
    EXPECT_TRUE(end);
    EXPECT_TRUE(std::all_of(chunk.begin(), chunk.end(), [](std::int16_t s) { return s == 0; }));
    EXPECT_EQ(mixer.count(UWM_TRACK_READER_DONE, kDeckA), 1);
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(reader.path(), "");
    EXPECT_EQ(reader.readChunk(kDeckA, chunk.data(), bytes, end), kStatusUnexpected);
    EXPECT_EQ(reader.lengthSeconds(), 0.0);
}

// The deck takes the position of a track that followed another from the reader's count.
TEST_F(TrackReaderTest, AfterAHandOverThePositionCountsTheNextTrackOnly) {
    ASSERT_EQ(reader.open(sourcesWav(dir.file("a.wav"), sourcesSignal(kChunkFrames + 1234, 2, 4))), 0);
    mixer.nextPaths[kDeckA] = {sourcesWav(dir.file("b.wav"), sourcesSignal(kChunkFrames * 2, 2, 5))};
    readToEnd(reader, 2);  // the second chunk crosses into b
    EXPECT_EQ(reader.path(), dir.file("b.wav").string());
    EXPECT_EQ(reader.positionBytes(), (kChunkFrames - 1234) * 4);
}
