// The play list model: the decks' current and next entries, find, editing and lengths.
#include <gtest/gtest.h>

#include "app/shared_state.h"
#include "playlist/play_list_model.h"
#include "support/playlist_fakes.h"

using namespace quillmix;
using quillmix::test::ManualLoader;
using quillmix::test::MirrorView;
using quillmix::test::RecordingMixer;

namespace {

class PlayListModelTest : public ::testing::Test {
protected:
    PlayListModelTest() { model.SetView(&view); }

    // Rows: a0 b1 a2 b3 a4 (letter = deck).
    void AddFiveAlternating() {
        for (int i = 0; i < 5; ++i) model.AddEntry(i % 2, "/m/t" + std::to_string(i) + ".mp3", -1, "");
    }

    RecordingMixer mixer;
    ManualLoader loader;
    PlayListModel model{mixer, loader};
    MirrorView view{model};
};

TEST(PlayListEntryTest, TimeTextNamesAndIcons) {
    PlayListEntry entry;
    entry.path = "/music/Deep Beats.final.mp3";
    EXPECT_EQ(TimeText(entry), "");
    entry.length = 185.9;
    EXPECT_EQ(TimeText(entry), "3:05");
    entry.length = 4500;
    EXPECT_EQ(TimeText(entry), "75:00");

    EXPECT_EQ(DisplayName(entry, DisplayMode::fileName), "Deep Beats.final");
    EXPECT_EQ(DisplayName(entry, DisplayMode::path), entry.path);
    EXPECT_EQ(DisplayName(entry, DisplayMode::tag), "Deep Beats.final");
    entry.title = "Tagged";
    EXPECT_EQ(DisplayName(entry, DisplayMode::tag), "Tagged");

    entry.deck = 1;
    entry.found = true;
    EXPECT_EQ(RowIcon(entry), kIconFoundDeckB);
    entry.current = true;  // current wins over found
    EXPECT_EQ(RowIcon(entry), kIconCurrentDeckB);
    entry.deck = 0;
    entry.current = entry.found = false;
    EXPECT_EQ(RowIcon(entry), kIconDeckA);
}

TEST_F(PlayListModelTest, NextWalksTheDecksOwnEntriesAndStopsAtTheLastRow) {
    AddFiveAlternating();
    EXPECT_FALSE(model.SelectPrevious(0));  // no current entry
    EXPECT_TRUE(model.SelectNext(0));       // none current: the deck's first entry
    EXPECT_EQ(model.GetCurrentNumber(0), 1);
    EXPECT_TRUE(model.SelectNext(0));  // passes over deck B's row 1
    EXPECT_EQ(model.GetCurrentNumber(0), 3);
    EXPECT_TRUE(model.SelectNext(0));
    EXPECT_EQ(model.GetCurrentPath(0), "/m/t4.mp3");
    EXPECT_FALSE(model.SelectNext(0));  // current on the last row
    EXPECT_EQ(model.GetCurrentNumber(0), 5);
    EXPECT_TRUE(model.SelectPrevious(0));
    EXPECT_EQ(model.GetCurrentNumber(0), 3);
    EXPECT_EQ(mixer.loads, (std::vector<int>{0, 0, 0, 0}));

    EXPECT_TRUE(model.SelectNext(1));
    EXPECT_TRUE(model.SelectNext(1));
    EXPECT_EQ(model.GetCurrentNumber(1), 4);
    EXPECT_FALSE(model.SelectNext(1));        // no later B entry, though not the last row
    EXPECT_EQ(model.GetCurrentNumber(0), 3);  // deck A untouched
    EXPECT_TRUE(view.MatchesModel());
}

TEST_F(PlayListModelTest, MakeCurrentKeepsOneCurrentEntryPerDeck) {
    AddFiveAlternating();
    model.MakeCurrent(0);
    model.MakeCurrent(3);
    model.MakeCurrent(4);
    EXPECT_FALSE(model.Entry(0).current);
    EXPECT_TRUE(model.Entry(3).current);
    EXPECT_EQ(model.GetCurrentNumber(0), 5);
    EXPECT_EQ(model.RowIconIndex(4), kIconCurrentDeckA);
    EXPECT_TRUE(view.MatchesModel());
    model.ClearCurrent(1);
    EXPECT_EQ(model.GetCurrentNumber(1), -1);
    EXPECT_EQ(model.GetCurrentPath(1), "");
    EXPECT_EQ(model.GetCurrentNumber(0), 5);
    EXPECT_EQ(model.GetCurrentNumber(7), -1);  // not a deck
}

TEST_F(PlayListModelTest, NextTrackIsQueuedAfterTheCurrentOne) {
    AddFiveAlternating();
    EXPECT_EQ(model.GetNextTrackPath(0), "/m/t0.mp3");  // no current: the first entry
    model.MakeCurrent(0);
    EXPECT_EQ(model.GetNextTrackPath(0), "/m/t2.mp3");
    EXPECT_FALSE(model.Entry(0).nextQueued);  // asking again moves the single mark
    EXPECT_TRUE(model.Entry(2).nextQueued);
    model.MakeCurrent(4);
    EXPECT_EQ(model.GetNextTrackPath(0), "");  // the last row
    model.MakeCurrent(3);
    EXPECT_EQ(model.GetNextTrackPath(1), "");  // B's current is its last entry
    model.AdvanceToQueued(1);                  // nothing handed over: nothing changes
    EXPECT_EQ(model.GetCurrentNumber(1), 4);
}

// Tracks shorter than the read-ahead are opened, and ended, before they are heard; each
// must still become current when heard, and an entry that does not open is passed over.
TEST_F(PlayListModelTest, EveryHandedOverEntryBecomesCurrentWhenHeard) {
    for (int i = 0; i < 6; ++i) model.AddEntry(0, "/m/t" + std::to_string(i) + ".mp3", -1, "");
    model.AddEntry(1, "/m/b.mp3", -1, "");
    EXPECT_EQ(model.NextForReader(0, false), "/m/t0.mp3");  // no current: the first entry
    model.AdvanceToQueued(0);
    EXPECT_EQ(model.NextForReader(0, false), "/m/t1.mp3");
    EXPECT_EQ(model.NextForReader(0, true), "/m/t2.mp3");  // t1 ended before it was heard
    model.AdvanceToQueued(0);
    EXPECT_EQ(model.GetCurrentNumber(0), 2);  // t1 heard
    EXPECT_TRUE(model.SelectPrevious(0));     // Prev goes back from the track heard
    EXPECT_EQ(model.GetCurrentNumber(0), 1);
    model.AdvanceToQueued(0);  // what was handed over before Prev is forgotten
    EXPECT_EQ(model.GetCurrentNumber(0), 1);

    EXPECT_EQ(model.NextForReader(0, false), "/m/t1.mp3");
    EXPECT_EQ(model.NextForReader(0, true), "/m/t2.mp3");
    model.HandOverFailed(0);  // t2 does not open
    EXPECT_EQ(model.RowTime(2), "???");
    EXPECT_EQ(model.RowIconIndex(2), kIconLengthFailed);
    EXPECT_EQ(model.NextForReader(0, true), "/m/t3.mp3");
    model.MarkFound(5);
    model.DeleteSelected();  // the list changes meanwhile
    model.AdvanceToQueued(0);
    model.AdvanceToQueued(0);
    EXPECT_EQ(model.GetCurrentPath(0), "/m/t3.mp3");
    EXPECT_EQ(model.NextForReader(0, false), "/m/t4.mp3");
    EXPECT_EQ(model.NextForReader(0, true), "");  // the deck's last entry
    EXPECT_TRUE(model.SelectNext(0));
    EXPECT_EQ(model.GetCurrentPath(0), "/m/t4.mp3");
}

TEST_F(PlayListModelTest, SwappedEntryIsNotTakenAsTheOtherDecksQueuedTrack) {
    AddFiveAlternating();
    model.MakeCurrent(0);
    ASSERT_EQ(model.GetNextTrackPath(0), "/m/t2.mp3");
    model.MarkFound(2);
    model.SwapDeckOfSelected();
    EXPECT_EQ(model.Entry(2).deck, 1u);
    EXPECT_EQ(mixer.changes, 1);
    model.AdvanceToQueued(1);
    EXPECT_EQ(model.GetCurrentNumber(1), -1);
    model.MarkFound(0);
    model.SwapDeckOfSelected();  // a current entry loses its mark when it changes deck
    EXPECT_EQ(model.GetCurrentNumber(0), -1);
    EXPECT_EQ(model.GetCurrentNumber(1), -1);
    EXPECT_TRUE(view.MatchesModel());
}

TEST_F(PlayListModelTest, FindIgnoresCaseStartsBelowTheSelectionAndNeverWraps) {
    model.AddEntry(0, "/m/Deep Beats.mp3", -1, "");
    model.AddEntry(0, "/m/Other.mp3", -1, "");
    model.AddEntry(1, "/m/beat it.mp3", -1, "");
    model.AddEntry(0, "/m/ÄRGER.mp3", -1, "");
    EXPECT_EQ(model.FindNext("beat"), 0);
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(model.FindNext("BEAT"), 2);
    EXPECT_FALSE(model.Entry(0).found);
    EXPECT_EQ(model.RowIconIndex(2), kIconFoundDeckB);
    EXPECT_EQ(model.FindNext("beat"), -1);  // no wrap to row 0
    EXPECT_EQ(model.SelectedRow(), 2);
    model.MarkFound(0);
    EXPECT_EQ(model.FindNext("ärger"), 3);  // case folding beyond ASCII
    model.SetDisplayMode(DisplayMode::path);
    model.MarkFound(0);
    EXPECT_EQ(model.FindNext("/m/"), 1);  // searches what the mode shows
    EXPECT_TRUE(view.MatchesModel());
}

TEST_F(PlayListModelTest, DeleteAndMoveKeepRowsAndEntriesInStep) {
    AddFiveAlternating();
    model.DeleteSelected();  // no selection: nothing
    model.SwapDeckOfSelected();
    EXPECT_EQ(model.EntryCount(), 5);
    EXPECT_EQ(mixer.changes, 0);
    model.SelectRow(2);
    EXPECT_FALSE(model.Entry(2).found);  // selecting alone does not highlight
    EXPECT_EQ(model.FindNext("t"), 3);   // but find starts below it
    model.MarkFound(0);
    model.MoveSelectedUp();  // row 0 cannot go up, and says nothing
    EXPECT_EQ(mixer.changes, 0);
    model.MoveSelectedDown();
    EXPECT_EQ(model.Entry(1).path, "/m/t0.mp3");
    EXPECT_EQ(model.SelectedRow(), 1);
    EXPECT_TRUE(model.Entry(1).found);
    model.MarkFound(4);
    model.MoveSelectedDown();  // the last row stays
    EXPECT_EQ(model.SelectedRow(), 4);
    model.MoveSelectedUp();
    EXPECT_EQ(model.Entry(3).path, "/m/t4.mp3");
    model.DeleteSelected();
    EXPECT_EQ(model.EntryCount(), 4);
    EXPECT_EQ(model.SelectedRow(), -1);
    EXPECT_TRUE(view.MatchesModel());
    model.DeleteAll();
    EXPECT_EQ(model.EntryCount(), 0);
    EXPECT_TRUE(view.MatchesModel());
    EXPECT_EQ(mixer.changes, 5);
}

// Every entry of one file filled by one measurement, failures shown and never retried: the
// length thread test, with the real loader.
TEST_F(PlayListModelTest, LengthsAreMeasuredOneFileAtATimeInRowOrder) {
    model.AddEntry(0, "/m/known.mp3", 200, "");
    model.AddEntry(1, "/m/a.mp3", -1, "");
    model.AddEntry(0, "/m/b.mp3", -7, "");  // a nonsense length counts as unknown
    model.AddEntry(0, "/m/a.mp3", -1, "");
    loader.busy = true;
    EXPECT_FALSE(model.RequestNextLength());
    loader.busy = false;
    EXPECT_TRUE(model.RequestNextLength());
    EXPECT_EQ(loader.requests, (std::vector<std::string>{"/m/a.mp3"}));

    loader.path = "/m/a.mp3";
    loader.seconds = 65;
    model.OnTrackLengthLoaded();
    EXPECT_EQ(model.RowTime(1), "1:05");
    EXPECT_TRUE(model.RequestNextLength());
    EXPECT_EQ(loader.requests.back(), "/m/b.mp3");
    EXPECT_TRUE(view.MatchesModel());

    model.MakeCurrent(2);  // the deck opened it
    model.SetCurrentLength(0, 30);
    EXPECT_EQ(model.RowTime(2), "0:30");
}

// The panel's length timer runs only while a length is outstanding: the model says when
// one is, and calls for the timer whenever an entry comes to await one.
TEST_F(PlayListModelTest, LengthsOutstandingOnlyWhileSomethingIsUnmeasured) {
    int wanted = 0;
    model.SetLengthWantedHandler([&] { ++wanted; });
    model.AddEntry(0, "/m/known.mp3", 200, "");
    EXPECT_EQ(wanted, 0);
    EXPECT_FALSE(model.LengthsOutstanding());
    model.AddEntry(1, "/m/a.mp3", -1, "");
    EXPECT_EQ(wanted, 1);
    EXPECT_TRUE(model.LengthsOutstanding());
    EXPECT_TRUE(model.RequestNextLength());
    loader.busy = true;
    loader.path = "/m/a.mp3";
    loader.seconds = 10;
    model.OnTrackLengthLoaded();
    EXPECT_TRUE(model.LengthsOutstanding()) << "the loader is still busy";
    loader.busy = false;
    EXPECT_FALSE(model.LengthsOutstanding());
    model.MakeCurrent(0);
    model.SetCurrentLength(0, -1);  // the deck could not tell: measure it again
    EXPECT_EQ(wanted, 2);
    EXPECT_TRUE(model.LengthsOutstanding());
}

TEST(PlayListLoaderLinkTest, SharedLoaderRequestPublishesPathThenWakesLoaderOnce) {
    createSharedEvents();
    SharedTrackLengthLoader loader;
    writeFlag(trackLengthLoaderBusy, 0);
    EXPECT_FALSE(loader.Busy());
    loader.Request("/m/x.mp3");
    EXPECT_EQ(trackLengthLoadPath, "/m/x.mp3");
    EXPECT_TRUE(loader.Busy());  // not picked up yet: no second request may overwrite the path
    // Woken, the loader reads the path: still busy, though it has not raised its flag yet.
    EXPECT_EQ(trackLengthLoadEvent.wait(std::chrono::milliseconds(0)), WaitResult::signaled);
    EXPECT_TRUE(loader.Busy());
    writeFlag(trackLengthLoaderBusy, 0);  // the loader's answer has been handled
    EXPECT_FALSE(loader.Busy());
}

TEST_F(PlayListModelTest, DroppedAndChosenFilesTakeTheirDecks) {
    model.AddDroppedFiles({"/d/1.mp3", "/d/2.mp3"});
    EXPECT_EQ(model.Entry(1).deck, 0u);
    EXPECT_EQ(mixer.changes, 1);
    model.AddFiles({"/f/1.mp3", "/f/2.ogg", "/f/3.wav"}, DeckChoice::alternate);
    EXPECT_EQ(model.Entry(2).deck, 0u);
    EXPECT_EQ(model.Entry(3).deck, 1u);
    EXPECT_EQ(model.Entry(4).deck, 0u);
    model.AddFiles({"/f/4.mp3", "/missing/list.cue"}, DeckChoice::deckB);
    EXPECT_EQ(model.EntryCount(), 6);  // a play list file is never added as a track
    EXPECT_EQ(model.Entry(5).deck, 1u);
    EXPECT_TRUE(view.MatchesModel());
}

}  // namespace
