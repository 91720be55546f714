#pragma once
// What the play list model tells the rest of the program, as three narrow interfaces so
// that the model runs (and is tested) without a display, a mixer or a loader thread:
//   - PlayListView: the list control that shows row i = entry i;
//   - PlayListMixerLink: the requests to the mixer panel;
//   - TrackLengthLoaderLink: the hand-over with the track-length loader thread.
// Every call is made on the window thread.

#include <string>

namespace quillmix {

// The rows follow the entries one to one. Every change of an entry's display name, time
// text or icon is reported with RowChanged. Default: ignore everything.
class PlayListView {
public:
    virtual ~PlayListView() = default;
    virtual void RowInserted(int /*row*/) {}
    virtual void RowRemoved(int /*row*/) {}
    virtual void RowChanged(int /*row*/) {}
    virtual void RowsCleared() {}
    // Every row's display name changed: the panel rebuilds its rows (one per
    // kRowRebuildPeriodMs tick, from the model).
    virtual void DisplayModeChanged() {}
    virtual void ShowRow(int /*row*/) {}    // scroll the row into view
    virtual void SelectRow(int /*row*/) {}  // -1: no selection
};

class PlayListMixerLink {
public:
    virtual ~PlayListMixerLink() = default;
    // Load the deck's current entry into the deck (UWM_LOAD_TRACK_FROM_PLAY_LIST). The
    // mixer calls back into the model (GetCurrentPath, SetCurrentLength) before returning.
    virtual void LoadTrackFromPlayList(int deck) = 0;
    // The entries or their order changed (UWM_PLAY_LIST_CHANGED): each deck asks for its
    // next entry again.
    virtual void PlayListChanged() = 0;
};

class TrackLengthLoaderLink {
public:
    virtual ~TrackLengthLoaderLink() = default;
    // True while the loader measures a file or has a request it has not picked up yet.
    virtual bool Busy() const = 0;
    // Hands the loader one file to measure. Only called while not Busy.
    virtual void Request(const std::string& path) = 0;
    // The last measurement, valid when the loader reports it (UWM_TRACK_LENGTH_LOADED):
    virtual std::string LoadedPath() const = 0;   // the file measured
    virtual double LoadedSeconds() const = 0;     // length in seconds; negative: unopenable
    virtual std::string LoadedTitle() const = 0;  // title from its tags; may be empty
};

// The mixer panel's window (mixerWindow), by synchronous sends.
class MixerWindowLink : public PlayListMixerLink {
public:
    void LoadTrackFromPlayList(int deck) override;
    void PlayListChanged() override;
};

// The process-wide loader thread through trackLengthLoadPath, trackLengthLoadEvent,
// trackLengthLoaderBusy, trackLengthLoadResult and trackLengthLoadTitle.
class SharedTrackLengthLoader : public TrackLengthLoaderLink {
public:
    bool Busy() const override;
    void Request(const std::string& path) override;
    std::string LoadedPath() const override;
    double LoadedSeconds() const override;
    std::string LoadedTitle() const override;
};

}  // namespace quillmix
