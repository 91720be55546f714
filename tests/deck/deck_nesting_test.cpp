// Requests that reach a deck while one of its operations waits are deferred, never nested:
// each case here hung the deck, or left it in the wrong state, when nested.
#include <gtest/gtest.h>

#include "deck_test_fixture.h"
#include "support/watchdog.h"

using namespace quillmix;
using namespace quillmix::test;
using namespace std::chrono_literals;

namespace {
using DeckNestingThreadTest = DeckFixture;
}  // namespace

// A second seek made while the first one waits for the mixer to stop the deck: nested, it
// restarted the read-ahead under the outer seek and toggled the playing deck into pause.
TEST_F(DeckNestingThreadTest, ASeekInsideAnotherSeekRunsAfterItAndTheDeckPlaysOn) {
    const Watchdog watchdog("a seek inside a seek", std::chrono::seconds(30));
    ASSERT_TRUE(loadAndWaitReady(wav("ten.wav", 10.0)));
    ASSERT_TRUE(play());
    std::size_t deferredInside = 0;
    mixer.onMessage = [&](unsigned message) {
        if (message != UWM_STOP_FORWARD || deferredInside) return;
        deck->SetPositionFraction(0.6);
        deferredInside = deck->DeferredCount();
    };
    deck->SetPositionFraction(0.2);
    mixer.onMessage = nullptr;
    EXPECT_EQ(deferredInside, 1u);
    ASSERT_TRUE(pumpUntil([&] { return deck->DeferredCount() == 0 && !deck->seeking() && deck->IsPlaying(); }));
    EXPECT_DOUBLE_EQ(deck->positionFraction(), 0.6);

    // A window's follow-up to a deferred load (the deck panel lists the loaded track) waits
    // behind it, and sees the new track, not the one it replaced.
    const std::string next = wav("next.wav", 3.0);
    std::string seenByFollowUp;
    mixer.onMessage = [&](unsigned message) {
        if (message != UWM_STOP_FORWARD || !seenByFollowUp.empty()) return;
        deck->LoadTrack(next);
        deck->RunWhenFree([&] { seenByFollowUp = deck->GetCurrentTrackPath(); });
        deferredInside = deck->DeferredCount();
    };
    deck->SetPositionFraction(0.3);
    mixer.onMessage = nullptr;
    EXPECT_EQ(deferredInside, 2u);
    ASSERT_TRUE(pumpUntil([&] { return !seenByFollowUp.empty(); }));
    EXPECT_EQ(seenByFollowUp, next);
}

// The read-forward thread waits in its end-of-track send while the mixer handles it. A seek
// or a start of play arriving then used to wait for that very thread (the seek stops the
// read-ahead; the start waits for the readiness only the thread can report): a deadlock.
TEST_F(DeckNestingThreadTest, RequestsDuringTheReaderHandOverWaitForItsEnd) {
    const Watchdog watchdog("requests during the reader's hand-over", std::chrono::seconds(30));
    const std::string first = wav("first.wav", 3.0);
    mixer.nextPaths = {wav("second.wav", 3.0)};
    int startsInside = -1;
    std::size_t deferredInside = 0;
    mixer.onMessage = [&](unsigned message) {
        if (message != UWM_TRACK_READER_DONE) return;
        const int startsBefore = mixer.count(UWM_PLAY_FORWARD);
        deck->PlayPause(false);
        deck->SetPositionFraction(0.5);  // stops the read-ahead, which is in this very send
        deferredInside = deck->DeferredCount();
        pumpFor(50ms);
        startsInside = mixer.count(UWM_PLAY_FORWARD) - startsBefore;
    };
    ASSERT_TRUE(deck->LoadTrack(first));
    ASSERT_TRUE(pumpUntil([&] { return startsInside >= 0; }, 10s)) << "the reader never reached the end";
    mixer.onMessage = nullptr;
    EXPECT_EQ(deferredInside, 2u);
    EXPECT_EQ(startsInside, 0);
    ASSERT_TRUE(pumpUntil([&] { return deck->DeferredCount() == 0 && deck->IsPlaying(); }));
    EXPECT_DOUBLE_EQ(deck->positionFraction(), 0.5);
    EXPECT_FALSE(mixer.startedWithoutReadiness);
}

// Deck controls posted while the deck waits run afterwards, in the order they came.
TEST_F(DeckNestingThreadTest, ControlMessagesDuringAWaitKeepTheirOrder) {
    ASSERT_TRUE(loadAndWaitReady(wav("ten.wav", 10.0)));
    ASSERT_TRUE(play());
    mixer.onMessage = [&](unsigned message) {
        if (message != UWM_STOP_FORWARD) return;
        mixer.onMessage = nullptr;
        postMessage(deck->handle(), UWM_FAST_FORWARD_BEGIN, kDeck);
        postMessage(deck->handle(), UWM_FAST_FORWARD_END, kDeck);
        pumpFor(20ms);  // both dispatched here, inside the pause's wait
        EXPECT_EQ(deck->DeferredCount(), 2u);
    };
    deck->PlayPause(true);
    ASSERT_TRUE(pumpUntil([&] { return deck->DeferredCount() == 0 && !deck->seeking(); }));
    EXPECT_FALSE(deck->IsPlaying());
}
