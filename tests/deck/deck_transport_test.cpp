// Load, play and pause, cue, fast forward and rewind, and backward play of a real deck; and
// the texts and rate a deck derives from its position and tempo.
#include <gtest/gtest.h>

#include "deck/deck_texts.h"
#include "deck_test_fixture.h"

using namespace quillmix;
using namespace quillmix::test;
using namespace std::chrono_literals;

namespace {

constexpr double kBytesPerSecond = kSampleRate * 4.0;  // chunk format

class DeckTransportThreadTest : public DeckFixture {
protected:
    // The restarted read-ahead has reported and filled the ring: the reader's count and the
    // ring's now belong together (a full ring seen earlier may still be the old one).
    bool restingAfterRestart() {
        return ready() && pumpUntil([&] { return ring.countFreeSlots() == 0; });
    }

    int slidersPosted() const { return mainWindow.count(UWM_SHOW_POSITION_SLIDER); }

    // Holds a seek button for about 1.1 s; returns the timer ticks seen while it was held.
    int holdSeekButton(unsigned begin, unsigned end) {
        postMessage(deck->handle(), begin, kDeck);
        letWindowThreadRun(2);
        const int before = slidersPosted();
        pumpFor(1100ms);
        const int ticks = slidersPosted() - before;
        postMessage(deck->handle(), end, kDeck);
        EXPECT_TRUE(pumpUntil([&] { return !deck->seeking(); }));
        return ticks;
    }
};

}  // namespace

TEST_F(DeckTransportThreadTest, LoadShowsTheLengthThenThePositionReportedThreeSecondsLater) {
    const std::string path = wav("twenty.wav", 20.0);
    mixer.queuedBytes = 26 * kChunkBytes;
    const auto loadedAt = std::chrono::steady_clock::now();
    ASSERT_TRUE(deck->LoadTrack(path));
    EXPECT_TRUE(deck->IsLoaded());
    EXPECT_EQ(deck->timeText(), "00:00:20");
    EXPECT_EQ(deck->lengthText(), "00:00:20");
    EXPECT_EQ(deck->comboTrackPath(), path);
    EXPECT_EQ(deck->GetCurrentTrackPath(), path);

    // Play asked for before the read-ahead is ready starts once the deck reports readiness.
    deck->PlayPause(false);
    ASSERT_TRUE(pumpUntil([&] { return deck->IsPlaying(); }));
    EXPECT_FALSE(mixer.startedWithoutReadiness);
    EXPECT_EQ(mainWindow.count(UWM_ENABLE_TRANSPORT_BUTTONS, -1, 1), 1);

    // The mixer has written 60 chunks out; 26 of them are still queued.
    ASSERT_TRUE(pumpUntil([&] { return ring.countFreeSlots() == 0; }));
    consume(60);
    ASSERT_TRUE(pumpUntil([&] { return mixer.count(UWM_REPORT_QUEUED_AUDIO) > 0; }, 5s));
    EXPECT_GE(std::chrono::steady_clock::now() - loadedAt, 2900ms);
    EXPECT_NEAR(deck->positionSeconds(), (170 - 110 - 26) / 15.0, 1e-9);
    EXPECT_EQ(deck->timeText(), "00:00:02");
    deck->UpdatePositionFraction();
    EXPECT_NEAR(deck->positionFraction(), 34.0 / 15.0 / 20.0, 1e-9);
    pumpFor(300ms);
    EXPECT_EQ(mixer.count(UWM_REPORT_QUEUED_AUDIO), 1);  // once per load

    deck->Unload();
    EXPECT_FALSE(deck->IsLoaded());
    EXPECT_FALSE(deck->IsPlaying());
    EXPECT_FALSE(mixer.forwardPlaying);
    EXPECT_EQ(fileReadForwardThreadRunning[kDeck].load(), 0);
    EXPECT_EQ(deck->comboTrackPath(), "Nothing Loaded");
    EXPECT_EQ(deck->timeText(), "00:00:00");
    EXPECT_EQ(mixer.count(UWM_PLAY_LIST_SELECT), 1);
    letWindowThreadRun(2);
    for (const auto* window : {&mainWindow.log, &mixer.log})
        for (const RecordedMessage& m : *window) EXPECT_EQ(m.wParam, WParam{kDeck});
}

TEST_F(DeckTransportThreadTest, AFileThatDoesNotOpenLeavesTheDeckEmptyAndInert) {
    EXPECT_FALSE(deck->LoadTrack(dir.file("missing.wav").string()));
    EXPECT_FALSE(deck->IsLoaded());
    EXPECT_EQ(deck->comboTrackPath(), "Nothing Loaded");
    deck->SetCue(true);
    EXPECT_FALSE(deck->IsCueOn());
    for (unsigned m : {UWM_FADER_START, UWM_SCRATCH_FORWARD, UWM_REVERSE_BEGIN}) postMessage(deck->handle(), m, kDeck);
    pumpFor(30ms);
    EXPECT_FALSE(deck->IsPlaying());
    EXPECT_EQ(mixer.count(UWM_PLAY_FORWARD), 0);
    EXPECT_EQ(mixer.count(UWM_PLAY_BACKWARD), 0);
    EXPECT_EQ(mainWindow.count(UWM_SHOW_CUE_BUTTON), 1);
}

TEST_F(DeckTransportThreadTest, PauseWithCueReturnsToTheCuePointButAPlayListPauseStaysPut) {
    ASSERT_TRUE(loadAndWaitReady(wav("thirty.wav", 30.0)));
    ASSERT_TRUE(play());
    deck->SetPositionFraction(0.5);
    ASSERT_TRUE(pumpUntil([&] { return deck->IsPlaying(); }));  // restarted after the move
    EXPECT_DOUBLE_EQ(deck->positionSeconds(), 15.0);

    deck->SetCue(true);
    EXPECT_EQ(deck->cuePointSeconds(), 15.0);
    EXPECT_EQ(deck->timeText(), "00:00:15");
    // The blink: 11 ticks, then the playing deck shows its position again.
    ASSERT_TRUE(
        pumpUntil([&] { return deck->cueBlinkCount() == 0 && mainWindow.count(UWM_SHOW_TIME_ENABLED) >= 11; }, 6s));
    EXPECT_FALSE(deck->IsShowingCueTime());

    deck->SetPositionFraction(0.8);
    ASSERT_TRUE(pumpUntil([&] { return deck->IsPlaying(); }));
    deck->PlayPause(false);
    EXPECT_FALSE(deck->IsPlaying());
    EXPECT_FALSE(mixer.forwardPlaying);
    EXPECT_DOUBLE_EQ(deck->positionFraction(), 0.5);
    EXPECT_DOUBLE_EQ(deck->positionSeconds(), 15.0);
    EXPECT_TRUE(deck->IsShowingCueTime());
    EXPECT_EQ(deck->timeText(), "00:00:15");
    // The reader went back too: what it decoded less what waits in the ring starts at 15 s.
    // The move to 0.8 let the read-ahead reach the end, where the reader closes the file:
    // the return to the cue point must open it again.
    ASSERT_TRUE(restingAfterRestart());
    const double readerStart = reader.positionBytes() / kBytesPerSecond - ring.filledByteCount() / kBytesPerSecond;
    EXPECT_NEAR(readerStart, 15.0, 1.0 / kSampleRate);
    deck->UpdatePosition(0);
    EXPECT_EQ(deck->timeText(), "00:00:15");  // frozen on the cue time

    ASSERT_TRUE(play());
    EXPECT_FALSE(deck->IsShowingCueTime());
    deck->SetPositionFraction(0.8);
    ASSERT_TRUE(pumpUntil([&] { return deck->IsPlaying(); }));
    deck->PlayPause(true);
    EXPECT_FALSE(deck->IsPlaying());
    EXPECT_DOUBLE_EQ(deck->positionFraction(), 0.8);
    EXPECT_FALSE(deck->IsShowingCueTime());
}

TEST_F(DeckTransportThreadTest, AStartMetDuringAPauseWaitsForThePauseToFinish) {
    ASSERT_TRUE(loadAndWaitReady(wav("twenty.wav", 20.0)));
    ASSERT_TRUE(play());
    deck->SetCue(true);
    // While the pause returns to the cue point, the fader start arrives and its timer ticks.
    mainWindow.reply = [&](unsigned message, int, LParam lParam) {
        if (message != UWM_ENABLE_TRANSPORT_BUTTONS || lParam != 0 || !deck->pausing()) return;
        postMessage(deck->handle(), UWM_FADER_START, kDeck);
        letWindowThreadRun(10);
    };
    deck->PlayPause(false);
    mainWindow.reply = nullptr;
    ASSERT_TRUE(pumpUntil([&] { return deck->IsPlaying(); }, 15s));
    EXPECT_FALSE(mixer.pausingAtStart);
    EXPECT_FALSE(mixer.startedWithoutReadiness);
    EXPECT_EQ(mixer.count(UWM_PLAY_FORWARD), 2);
}

TEST_F(DeckTransportThreadTest, FastForwardAndRewindMoveOneSecondPerTickAndStayWithinTheTrack) {
    ASSERT_TRUE(loadAndWaitReady(wav("sixty.wav", 60.0, 1)));

    const int forward = holdSeekButton(UWM_FAST_FORWARD_BEGIN, UWM_FAST_FORWARD_END);
    EXPECT_GE(forward, 4);
    EXPECT_LE(forward, 6);
    EXPECT_NEAR(deck->positionSeconds(), forward, 1e-9);
    ASSERT_TRUE(restingAfterRestart());
    EXPECT_NEAR(reader.positionBytes() / (kSampleRate * 2.0) - ring.filledByteCount() / kBytesPerSecond, forward, 1e-3);

    deck->SetPositionFraction(0.5);
    const int backward = holdSeekButton(UWM_REWIND_BEGIN, UWM_REWIND_END);
    EXPECT_GE(backward, 4);
    EXPECT_NEAR(deck->positionSeconds(), 30.0 - backward, 1e-9);

    deck->SetPositionFraction(1.0 / 60.0);
    holdSeekButton(UWM_REWIND_BEGIN, UWM_REWIND_END);
    EXPECT_EQ(deck->positionFraction(), 0.0);
    EXPECT_EQ(deck->positionSeconds(), 0.0);

    deck->SetPositionFraction(59.0 / 60.0);
    holdSeekButton(UWM_FAST_FORWARD_BEGIN, UWM_FAST_FORWARD_END);
    EXPECT_EQ(deck->positionFraction(), 1.0);
    EXPECT_EQ(deck->positionSeconds(), 60.0);
}

TEST_F(DeckTransportThreadTest, BackwardPlayStopsOneDirectionBeforeStartingTheOther) {
    ASSERT_TRUE(loadAndWaitReady(wav("twenty.wav", 20.0)));
    postMessage(deck->handle(), UWM_REVERSE_BEGIN, kDeck);  // not playing: Rev does nothing
    pumpFor(20ms);
    EXPECT_EQ(mixer.count(UWM_PLAY_BACKWARD), 0);
    ASSERT_TRUE(play());
    letWindowThreadRun(2);
    EXPECT_EQ(mainWindow.count(UWM_ENABLE_REVERSE_BUTTON, -1, 1), 1);

    // Rev released while its press is still sending: the resume is retried, not lost.
    mixer.onMessage = [&](unsigned message) {
        if (message != UWM_PLAY_BACKWARD) return;
        deck->PlayResumeAfterBackward();
        letWindowThreadRun(5);
    };
    mixer.log.clear();
    postMessage(deck->handle(), UWM_REVERSE_BEGIN, kDeck);
    ASSERT_TRUE(pumpUntil([&] { return mixer.count(UWM_RESUME_AFTER_BACKWARD) == 1; }));
    mixer.onMessage = nullptr;
    EXPECT_EQ(mixer.transportOrder(), (std::vector<unsigned>{UWM_STOP_FORWARD, UWM_PLAY_BACKWARD, UWM_STOP_BACKWARD,
                                                             UWM_RESUME_AFTER_BACKWARD}));
    EXPECT_FALSE(deck->playingBackward());
    EXPECT_TRUE(deck->IsPlaying());

    // A resume without backward play does nothing.
    mixer.log.clear();
    deck->PlayResumeAfterBackward();
    pumpFor(20ms);
    EXPECT_TRUE(mixer.log.empty());

    // The platter: backward, then a pause from it stops the backward output as well.
    postMessage(deck->handle(), UWM_SCRATCH_BACKWARD, kDeck);
    ASSERT_TRUE(pumpUntil([&] { return deck->playingBackward(); }));
    deck->PlayPause(true);
    EXPECT_FALSE(deck->IsPlaying());
    EXPECT_FALSE(deck->playingBackward());
    EXPECT_FALSE(mixer.backwardPlaying);
    EXPECT_EQ(mainWindow.count(UWM_ENABLE_REVERSE_BUTTON, -1, 0), 1);
    // Released on a paused deck, the platter starts it.
    postMessage(deck->handle(), UWM_SCRATCH_RELEASE, kDeck);
    ASSERT_TRUE(pumpUntil([&] { return deck->IsPlaying(); }));
    EXPECT_TRUE(mixer.forwardPlaying);
}

// The cue blink belongs to the track it was set on: an unload or another load ends it.
TEST_F(DeckTransportThreadTest, TheCueBlinkEndsWithTheTrackItWasSetOn) {
    const std::string track = wav("ten.wav", 10.0);
    for (int loadAnother = 0; loadAnother < 2; ++loadAnother) {
        ASSERT_TRUE(loadAndWaitReady(track));
        deck->SetCue(true);
        pumpFor(400ms);  // a tick or so into the blink
        if (loadAnother)
            ASSERT_TRUE(loadAndWaitReady(track));
        else
            deck->Unload();
        pumpFor(30ms);  // the posts the stop itself made
        const int blinksBefore = mainWindow.count(UWM_SHOW_TIME_ENABLED);
        pumpFor(700ms);
        EXPECT_EQ(mainWindow.count(UWM_SHOW_TIME_ENABLED), blinksBefore) << loadAnother;
        EXPECT_FALSE(deck->IsShowingCueTime());
        EXPECT_EQ(deck->cueBlinkCount(), 0);
    }
}

TEST(DeckTextsTest, TimeTruncatesAndPadsTempoRoundsTowardZeroWithinItsRangeAndRateTruncates) {
    EXPECT_EQ(deckTimeText(3725.0), "01:02:05");
    EXPECT_EQ(deckTimeText(59.999), "00:00:59");
    EXPECT_EQ(deckTimeText(100 * 3600.0 + 61.5), "100:01:01");
    EXPECT_EQ(deckTimeText(-75.0), "00:00:00");
    EXPECT_EQ(deckTempoText(-2.44), "-2.4%");
    EXPECT_EQ(deckTempoText(-0.05), "0.0%");
    EXPECT_EQ(deckTempoText(2.4), "2.4%");  // the nudge keeps 2.4 from showing 2.3
    EXPECT_EQ(deckTempoText(75.0), "50.0%");
    EXPECT_EQ(deckTempoText(-75.0), "-50.0%");
    EXPECT_EQ(deckPlaybackRate(8.0, 44100), 47628);
    EXPECT_EQ(deckPlaybackRate(-2.44, 44100), 43023);  // 43023.96
}
