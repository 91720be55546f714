// The read-forward thread filling a deck's ring and the file-open thread, with real threads
// and the test thread as the window thread. (The length loader is tested with the play list
// that asks it.)
#include <gtest/gtest.h>

#include <chrono>

#include "sources/file_open_thread.h"
#include "sources/file_read_forward_thread.h"
#include "support/sources_fixtures.h"
#include "support/sources_mixer_stub.h"
#include "support/temp_dir.h"
#include "support/watchdog.h"

using namespace quillmix;
using namespace quillmix::test;

namespace {

using Samples = std::vector<std::int16_t>;
constexpr int kSlots = CZanReadAheadRing::kSlotCount;

// The consumer's side: takes `count` chunks in ring order.
Samples takeChunks(CZanReadAheadRing& ring, int count, std::vector<std::string>* paths = nullptr) {
    Samples taken;
    std::vector<std::int16_t> chunk(kChunkFrames * 2);
    std::string path;
    for (int i = 0; i < count && ring.take(chunk.data(), path); ++i) {
        taken.insert(taken.end(), chunk.begin(), chunk.end());
        if (paths) paths->push_back(path);
    }
    return taken;
}

class ReadAheadThreadTest : public ::testing::Test {
protected:
    TempDir dir;
    SourcesMixerStub mixer;
    CZanTrackReader reader;
    CZanReadAheadRing ring;
};

}  // namespace

TEST_F(ReadAheadThreadTest, FirstPassFillsTheRingAndLaterPassesRefillOnlyFreedSlots) {
    const Samples track = sourcesSignal(300 * kChunkFrames, 2, 1);  // 20 s, longer than the ring
    mixer.attach(kDeckA, &reader, &ring);
    ASSERT_TRUE(openTrackOnFileOpenThread(kDeckA, reader, sourcesWav(dir.file("long.wav"), track)));
    FileReadForwardThread thread(kDeckA, reader, ring);
    thread.start();

    ASSERT_TRUE(pumpUntil([&] { return ring.countFreeSlots() == 0; }));
    ASSERT_EQ(mixer.count(UWM_PREPARE_DECK_OUTPUT, kDeckA), 1);
    EXPECT_EQ(mixer.filledAtReady[0], std::int64_t{kReadyChunkCount} * kChunkBytes);
    EXPECT_EQ(deckReadyToPlayEvent[kDeckA].wait(std::chrono::milliseconds(0)), WaitResult::signaled);
    EXPECT_TRUE(thread.lowerPriority());
    EXPECT_EQ(ring.writeIndex(), 0);  // wrapped after 170 chunks

    // The mixer takes 50 chunks and wakes the thread: exactly those 50 slots come back.
    ring.setReadIndex(0);
    Samples heard = takeChunks(ring, 50);
    discReadForwardEvent[kDeckA].set();
    ASSERT_TRUE(pumpUntil([&] { return ring.countFreeSlots() == 0 && ring.writeIndex() == 50; }));
    letWindowThreadRun(20);
    EXPECT_EQ(ring.writeIndex(), 50);  // asleep again, not overwriting unread slots
    EXPECT_EQ(mixer.count(UWM_PREPARE_DECK_OUTPUT), 1);

    const Samples rest = takeChunks(ring, kSlots);
    heard.insert(heard.end(), rest.begin(), rest.end());
    ASSERT_EQ(heard.size(), static_cast<std::size_t>(220 * kChunkFrames * 2));
    EXPECT_TRUE(std::equal(heard.begin(), heard.end(), track.begin()));

    thread.stop();
    EXPECT_FALSE(thread.joinable());
    EXPECT_EQ(threadFileReadForwardIsDoneEvent[kDeckA].wait(std::chrono::milliseconds(0)), WaitResult::signaled);
    EXPECT_EQ(deckReadyToPlayEvent[kDeckA].wait(std::chrono::milliseconds(0)), WaitResult::timeout);
}

// Short tracks end inside the first pass: readiness comes once, at the end, so they can be
// played. Each queued track continues in the ring without a gap, tagged with its path; the
// second hand-over goes to a mono track, and the third end, with nothing queued, pads with
// silence and closes the reader (a flag left from the earlier hand-overs must not keep it
// reading).
TEST_F(ReadAheadThreadTest, ShortTracksReportReadinessAtTheirEndAndHandOverGaplessly) {
    const Watchdog watchdog("reading past the last track", std::chrono::seconds(30));
    const Samples first = sourcesSignal(20 * kChunkFrames + 100, 2, 2);
    const Samples second = sourcesSignal(10 * kChunkFrames + 500, 2, 3);
    const Samples third = sourcesSignal(3000, 1, 6);
    mixer.attach(kDeckB, &reader, &ring);
    const std::string firstPath = sourcesWav(dir.file("first.wav"), first);
    const std::string secondPath = sourcesWav(dir.file("second.wav"), second);
    const std::string thirdPath = sourcesWav(dir.file("third.wav"), third, 1);
    ASSERT_TRUE(openTrackOnFileOpenThread(kDeckB, reader, firstPath));
    mixer.nextPaths[kDeckB] = {secondPath, thirdPath};
    FileReadForwardThread thread(kDeckB, reader, ring);
    thread.start();
    ASSERT_EQ(pumpingWait(threadFileReadForwardIsDoneEvent[kDeckB]), WaitResult::signaled);

    EXPECT_EQ(mixer.count(UWM_PREPARE_DECK_OUTPUT, kDeckB), 1);
    EXPECT_EQ(mixer.count(UWM_TRACK_READER_DONE, kDeckB), 3);
    EXPECT_EQ(mixer.log.back().message, UWM_PREPARE_DECK_OUTPUT);
    // 20 chunks of the first, one shared, 9 more of the second, one shared, one of the third.
    const int chunks = 32;
    EXPECT_EQ(ring.filledByteCount(), std::int64_t{chunks} * kChunkBytes);
    EXPECT_EQ(ring.filledByteCountOf(firstPath), 20 * kChunkBytes);
    EXPECT_EQ(ring.filledByteCountOf(secondPath), 10 * kChunkBytes);  // from the shared chunk on

    std::vector<std::string> paths;
    const Samples heard = takeChunks(ring, kSlots, &paths);
    Samples expected = first;
    expected.insert(expected.end(), second.begin(), second.end());
    for (std::int16_t s : third) expected.insert(expected.end(), {s, s});
    ASSERT_EQ(heard.size(), static_cast<std::size_t>(chunks * kChunkFrames * 2));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), heard.begin()));
    EXPECT_TRUE(std::all_of(heard.begin() + expected.size(), heard.end(), [](std::int16_t s) { return s == 0; }));
    EXPECT_EQ(paths[19], firstPath);
    EXPECT_EQ(paths[20], secondPath);
    EXPECT_EQ(paths.back(), thirdPath);  // the closing chunk keeps the track it ends
    EXPECT_FALSE(reader.isOpen());
    thread.stop();
}

// A read-ahead on a reader with nothing open writes nothing, sleeps instead of spinning,
// and still stops on request.
TEST_F(ReadAheadThreadTest, NothingOpenMeansNothingWrittenAndAPromptStop) {
    mixer.attach(kDeckA, &reader, &ring);
    FileReadForwardThread thread(kDeckA, reader, ring);
    thread.start();
    ASSERT_TRUE(pumpUntil(
        [] { return discReadForwardEvent[kDeckA].wait(std::chrono::milliseconds(0)) == WaitResult::timeout; }));
    EXPECT_EQ(ring.countFreeSlots(), kSlots);
    thread.stop();
    thread.start();  // a stop right after a start is not lost
    thread.stop();
    EXPECT_FALSE(thread.joinable());
    EXPECT_TRUE(mixer.log.empty());
}
