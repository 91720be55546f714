#pragma once
// The play list: an ordered list of track entries, each assigned to deck A or B, the
// entry each deck has loaded and the one queued after it, the highlighted ("found") entry
// and the selection. Row i of the panel's list always shows entry i; the model reports
// every row change to its PlayListView.
//
// Window thread only. The model never blocks except in LoadPlayList and SavePlayList
// (file I/O). Requests to the mixer go through PlayListMixerLink; the mixer may call back
// into the model while such a request runs, so no operation holds a reference into the
// entries across one.
//
// Decks are 0 (A) and 1 (B); any other deck number finds nothing and changes nothing.
// Rows are 0-based; out-of-range rows are ignored.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "playlist/deck_choice.h"
#include "playlist/play_list_entry.h"
#include "playlist/play_list_links.h"
#include "playlist/play_list_writer.h"

namespace quillmix {

// Periods of the panel's timers that drive the model.
inline constexpr int kLengthRequestPeriodMs = 500;  // RequestNextLength
inline constexpr int kFolderScanStepMs = 4;         // FolderScanQueue::InsertNext
inline constexpr int kFolderScanProgressMs = 50;    // progress bar
inline constexpr int kRowRebuildPeriodMs = 10;      // one row per tick after a mode change

class PlayListModel {
public:
    PlayListModel(PlayListMixerLink& mixer, TrackLengthLoaderLink& loader);
    PlayListModel(const PlayListModel&) = delete;
    PlayListModel& operator=(const PlayListModel&) = delete;

    void SetView(PlayListView* view);  // nullptr: nobody watches

    // ---- What the rows show ----
    int EntryCount() const { return static_cast<int>(entries_.size()); }
    const PlayListEntry& Entry(int row) const { return entries_.at(static_cast<std::size_t>(row)); }
    DisplayMode Mode() const { return mode_; }
    void SetDisplayMode(DisplayMode mode);
    std::string RowName(int row) const;  // the "Files" column in the current mode
    std::string RowTime(int row) const;  // the "Time" column
    int RowIconIndex(int row) const;
    int SelectedRow() const { return selectedRow_; }  // -1: none

    // ---- Operations the mixer, the decks and the main window use ----
    // Appends an entry. A negative or non-finite length is stored as unknown (-1).
    void AddEntry(int deck, const std::string& path, double length, const std::string& title);
    // Makes `row` its deck's current entry (the deck's other entries lose the mark) and
    // scrolls it into view.
    void MakeCurrent(int row);
    void ClearCurrent(int deck);
    // 1-based row of the deck's current entry (the last one if several), -1 if none.
    int GetCurrentNumber(int deck) const;
    std::string GetCurrentPath(int deck) const;  // empty if none
    // Stores the deck's measured length (seconds) in its current entry.
    void SetCurrentLength(int deck, double seconds);
    // Move the deck to its previous / next entry and ask the mixer to load it. False when
    // there is none: Previous needs a current entry, and Next from the last row stops.
    bool SelectPrevious(int deck);
    bool SelectNext(int deck);
    // The path of the deck's entry after its current one (its first entry when it has no
    // current one), which becomes the deck's only queued entry; empty when there is none.
    std::string GetNextTrackPath(int deck);

    // ---- The hand-over from one track to the next without a gap ----
    // The deck's reader reached the end of its track and asks for the next entry. With
    // `continuing` false the reader held the audible track, and the entry after the deck's
    // current one follows; with it true the reader held a track it had opened behind the
    // audible one (shorter than the read-ahead), and the entry after the last one handed
    // over follows. The entry returned is handed over: it becomes the deck's current entry
    // when it is heard (AdvanceToQueued), however many follow it before. Empty: none.
    std::string NextForReader(int deck, bool continuing);
    // The entry NextForReader just gave does not open: it is marked failed ("???", the
    // failed icon) and taken back, so that the next NextForReader passes over it.
    void HandOverFailed(int deck);
    // The oldest entry handed over became audible: it becomes the deck's current entry.
    void AdvanceToQueued(int deck);
    // The deck's reader went back to the current entry (a load, a seek, the end of play):
    // nothing handed over is coming any more.
    void ForgetHandedOver(int deck);

    // ---- Lengths, measured one file at a time by the track-length loader ----
    // The periodic request (every kLengthRequestPeriodMs): while the loader is idle, hands
    // it the first entry still waiting for a length. True when a request was made.
    bool RequestNextLength();
    // The loader finished a file: every entry with that path gets the length (and the
    // loader's title, when it found one), or is marked failed ("???").
    void OnTrackLengthLoaded();
    // True while the loader is measuring or some entry still awaits a length: the panel
    // runs its request timer only then. `handler` (may be empty) is called whenever an
    // entry comes to await a length, so that the panel can start the timer again.
    bool LengthsOutstanding() const;
    void SetLengthWantedHandler(std::function<void()> handler) { lengthWanted_ = std::move(handler); }

    // ---- The panel's own operations ----
    // Moves the selection alone (-1: none), as when the mixer adds a deck's track.
    void SelectRow(int row);
    // Highlights the row (the only found entry), selects it and scrolls it into view.
    void MarkFound(int row);
    // Double-click: the row becomes current and the mixer loads it into its deck.
    void ActivateRow(int row);
    // Searches the rows below the selection (all rows without one) for the first whose
    // "Files" text contains `text`, ignoring case; never wraps. Marks it found and returns
    // its row, or -1.
    int FindNext(std::string_view text);
    void SwapDeckOfSelected();  // "A <-> B"
    void DeleteSelected();      // "Delete"
    void DeleteAll();           // "Delete All", once the user has confirmed
    void MoveSelectedUp();      // "Up"
    void MoveSelectedDown();    // "Down"; tells the mixer even when the last row stays
    // Dropped files, in drop order, for deck A.
    void AddDroppedFiles(const std::vector<std::string>& paths);
    // "+ File" confirmed: each path gets the next deck of the choice; play list files
    // (IsPlayListExtension) are read instead, their entries going to deck A.
    void AddFiles(const std::vector<std::string>& paths, DeckChoice choice);
    // Appends the entries of a play list file for deck A and tells the mixer. False when
    // the file could not be read (nothing added, mixer not told).
    bool LoadPlayList(const std::string& path);
    // Writes every entry to `path` (m3u or pls by its extension, case ignored). Entries
    // whose file carries an ID3v1 title take that title first.
    SaveStatus SavePlayList(const std::string& path);

    // Inserts an entry (length unknown, no title) in path order: before the first entry
    // from `fromRow` on whose path compares greater, or at the end. Returns its row.
    int InsertSorted(int deck, const std::string& path, int fromRow);
    // Tells the mixer the list changed (after a batch of InsertSorted, say).
    void NotifyChanged();

private:
    bool ValidRow(int row) const { return row >= 0 && row < EntryCount(); }
    int FirstRowOfDeckFrom(int deck, int fromRow) const;
    void SetCurrentFlag(int row, bool current);
    void RefreshRow(int row);
    int AppendEntry(int deck, const std::string& path, double length, const std::string& title);
    bool AppendPlayListFile(const std::string& path);
    void MoveSelected(int to);
    int RowOfId(std::uint64_t id) const;  // -1 when the entry is gone

    PlayListMixerLink& mixer_;
    TrackLengthLoaderLink& loader_;
    PlayListView defaultView_;
    PlayListView* view_ = &defaultView_;
    std::vector<PlayListEntry> entries_;
    std::uint64_t nextId_ = 1;
    // Per deck: entries handed to the reader behind the audible track, oldest first, and the
    // last entry tried (0: the hand-over starts from the current entry).
    std::array<std::vector<std::uint64_t>, 2> handedOver_;
    std::array<std::uint64_t, 2> lastTried_{};
    DisplayMode mode_ = DisplayMode::fileName;
    int selectedRow_ = -1;
    std::function<void()> lengthWanted_;
};

}  // namespace quillmix
