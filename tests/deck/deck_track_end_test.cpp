// The end of a track, the next play list track behind it, and the position heard.
#include <gtest/gtest.h>

#include "deck_test_fixture.h"

using namespace quillmix;
using namespace quillmix::test;
using namespace std::chrono_literals;

namespace {

using DeckTrackEndThreadTest = DeckFixture;

}  // namespace

TEST_F(DeckTrackEndThreadTest, RepositionAfterTheEndReopensTheTrack) {
    const std::string path = wav("three.wav", 3.0);
    ASSERT_TRUE(loadAndWaitReady(path));  // shorter than the ready count: ready at its end
    ASSERT_TRUE(readAheadEnded());
    EXPECT_FALSE(reader.isOpen());
    ASSERT_TRUE(play());

    deck->OnTrackEnded();
    EXPECT_FALSE(deck->IsPlaying());
    EXPECT_TRUE(deck->trackEnded());
    ASSERT_TRUE(pumpUntil([&] { return !mixer.forwardPlaying; }));  // the posted stop
    EXPECT_EQ(mainWindow.count(UWM_ENABLE_REVERSE_BUTTON, -1, 0), 1);

    deck->SetPositionFraction(0.5);
    EXPECT_TRUE(reader.isOpen());
    ASSERT_TRUE(ready());
    ASSERT_TRUE(readAheadEnded());
    deck->UpdatePosition(0);
    EXPECT_NEAR(deck->positionSeconds(), 1.5, 1.0 / 15);
    ASSERT_TRUE(play());
    EXPECT_FALSE(deck->trackEnded());
    EXPECT_FALSE(mixer.startedWithoutReadiness);
}

TEST_F(DeckTrackEndThreadTest, WithTheNextTrackQueuedOnlyTheCurrentTracksChunksCount) {
    const std::string first = wav("five.wav", 5.0);  // 75 chunks exactly
    const std::string second = wav("six.wav", 6.0);
    mixer.nextPaths = {second};
    ASSERT_TRUE(loadAndWaitReady(first));
    ASSERT_TRUE(readAheadEnded());
    ASSERT_TRUE(deck->nextTrackQueued());
    ASSERT_EQ(ring.filledByteCountOf(first), 75 * kChunkBytes);

    consume(30);
    deck->UpdatePosition(26 * kChunkBytes);
    EXPECT_NEAR(deck->positionSeconds(), 5.0 - 45 / 15.0 - 26 / 15.0, 1e-9);
    EXPECT_EQ(deck->GetCurrentTrackPath(), first);  // names switch only when it is heard
    EXPECT_EQ(deck->lengthText(), "00:00:05");

    // The reader has moved on to the second file: a reposition goes back to the first.
    deck->SetPositionFraction(0.2);
    EXPECT_FALSE(deck->nextTrackQueued());
    EXPECT_EQ(reader.path(), first);
    ASSERT_TRUE(readAheadEnded());
    EXPECT_EQ(ring.filledByteCountOf(second), 0);
    deck->UpdatePosition(0);
    EXPECT_NEAR(deck->positionSeconds(), 1.0, 1.0 / 15 + 1e-9);
}

TEST_F(DeckTrackEndThreadTest, AQueuedTrackKeepsItsNameAfterTheReaderLeftItAndAMissingOneEndsTheRun) {
    const std::string first = wav("five.wav", 5.0);
    const std::string second = wav("six.wav", 6.0);
    mixer.nextPaths = {second, dir.file("gone.wav").string()};
    ASSERT_TRUE(loadAndWaitReady(first));
    ASSERT_TRUE(readAheadEnded());
    EXPECT_FALSE(reader.trackLoaded());
    EXPECT_FALSE(reader.isOpen());
    EXPECT_EQ(mixer.count(UWM_TRACK_READER_DONE), 2);

    deck->OnTrackChanged(second);  // its first chunk is heard; the reader closed it already
    EXPECT_EQ(deck->GetCurrentTrackPath(), second);
    EXPECT_EQ(deck->lengthText(), "00:00:06");
    EXPECT_DOUBLE_EQ(deck->GetLength(), 6.0);
    EXPECT_FALSE(deck->nextTrackQueued());
}

TEST_F(DeckTrackEndThreadTest, PositionCountsChunksAlikeForEveryFileFormat) {
    const std::string stereo = wav("stereo.wav", 20.0);
    const std::string mono = wav("mono.wav", 20.0, 1);
    const std::string bytes = dir.file("bytes.wav").string();
    ASSERT_TRUE(sourcesEncode(stereo, bytes, "-c:a pcm_u8"));
    for (const std::string& path : {stereo, mono, bytes}) {
        SCOPED_TRACE(path);
        ASSERT_TRUE(loadAndWaitReady(path));
        ASSERT_TRUE(pumpUntil([&] { return ring.countFreeSlots() == 0; }));
        consume(60);
        deck->UpdatePosition(26 * kChunkBytes);
        EXPECT_NEAR(deck->positionSeconds(), (170 - 110 - 26) / 15.0, 1e-9);
    }
}
