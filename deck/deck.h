#pragma once
// The transport of one deck: which track is loaded, whether the deck plays forward or
// backward, pauses or seeks, the cue point, the tempo, the position being heard and the
// texts the deck shows. It is a message window without widgets (deckWindow[d]); the deck
// panel shows its fields, and its controls post to it.
//
// The deck makes no sound itself. It drives
//   - the mixer (mixerWindow) with synchronous sends, wParam = deck: start and stop of
//     forward and backward play, tempo, queued-audio reports;
//   - the main window (mainDialogWindow) with refresh posts, wParam = deck: the deck changes
//     one of its fields below, then posts; the main window reads the field back;
//   - its track reader and read-ahead ring, filled by the deck's read-forward thread.
//
// Threads: every member runs on the window thread. Waits for worker threads dispatch
// messages (pumpingWait), so a request may arrive while an operation of the same deck is
// suspended in a wait. Such a request (load, unload, play/pause, seek, backward play,
// Ffwd/Rwnd, scratch) is not nested: it is deferred and runs, in order, once no operation
// of the deck is suspended and no send of its read-forward thread is being handled. The
// start and resume timers (5 and 6) simply retry then. What the mixer tells the deck on
// behalf of its workers (QueueNextTrack, OnReadyToPlay, the position reports) runs at once.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "deck/mixer_deck.h"
#include "platform/messaging.h"
#include "sources/file_read_forward_thread.h"
#include "sources/read_ahead_ring.h"
#include "sources/track_reader.h"

namespace quillmix {

// The process-wide objects a deck works on; they outlive the deck.
struct DeckSources {
    CZanTrackReader& reader;
    CZanReadAheadRing& ring;
};

// The chooser's fixed entry 0.
inline constexpr const char* kNothingLoadedText = "Nothing Loaded";

class CZanDeck2 : public MessageWindow, public MixerDeck {
public:
    CZanDeck2(int deck, DeckSources sources);
    // Runs the unload, so playback stops and the read-forward thread ends before the window.
    ~CZanDeck2() override;

    MessageResult handleMessage(unsigned message, WParam wParam, LParam lParam) override;

    // True while an operation of this deck is suspended in a wait, or the mixer handles a
    // send of its read-forward thread: requests arriving now are deferred.
    bool Busy() const { return suspendedDepth_ > 0 || workerSendDepth_ > 0; }
    std::size_t DeferredCount() const { return deferred_.size(); }
    // Runs `request` now or, while the deck is busy, after the requests already deferred: for
    // a window's request of several steps that must each see the result of the one before.
    void RunWhenFree(std::function<void()> request) {
        if (!deferWhileBusy(request)) request();
    }
    void WorkerSendBegins() override { ++workerSendDepth_; }
    void WorkerSendEnds() override;
    void onTimer(int id) override;

    // ---- Transport (deck_transport.cpp) ----
    // Opens `path` on a file-open thread and starts the read-ahead. False, with the deck
    // left empty, when the file does not open.
    bool LoadTrack(const std::string& path) override;
    void Unload();  // the user chose "Nothing Loaded"
    // Pauses a playing deck (returning to the cue point when Cue is on and noCueReturn is
    // false); otherwise starts forward play through timer 5. No-op when nothing is loaded.
    void PlayPause(bool noCueReturn) override;
    void PlayBackward();
    void PlayResumeAfterBackward();  // through timer 6
    // Moves the reader to positionFraction (clamped to 0..1), restarting the read-ahead.
    void Reposition();
    void SetPositionFraction(double fraction);
    // The position slider while it is dragged (fraction 0..1), and on its release.
    void DragPositionTo(double fraction);
    void EndPositionDrag(double fraction);
    void OnReadyToPlay() override;  // the mixer saw UWM_PREPARE_DECK_OUTPUT for this deck

    // ---- Position, cue, tempo, track hand-over (deck_position.cpp) ----
    void SetCue(bool on);
    void SetTempo(double percent);
    // queuedBytes: chunks queued ahead in the deck's output × kChunkBytes.
    void UpdatePosition(std::int32_t queuedBytes) override;
    void UpdatePositionFraction() override;
    void OnTrackChanged(const std::string& path) override;  // first chunk of `path` became audible
    void OnTrackEnded() override;                           // the output played the ring's first silence
    void BeginNextTrack() override;
    // Inside the mixer's UWM_TRACK_READER_DONE: opens `path` behind the current track.
    // False when it does not open (the reader then stays at the end of its track).
    bool QueueNextTrack(const std::string& path) override;
    void OnChunkPlayed() override;
    void RedrawChart() override;  // asks the main window to redraw the deck's platter

    // Whether the reader has ended the audible track with nothing behind it while that
    // track's last chunk still waits in the ring, so that a next track can still follow it
    // without a gap (ContinueAfterEnd).
    bool CanContinueAfterEnd() const override;
    // Opens `path` behind the ended track, completes the track's last chunk with its start
    // and reads on into the ring. tooLate: the last chunk went to the output meanwhile.
    ContinueResult ContinueAfterEnd(const std::string& path) override;

    // ---- Queries ----
    bool IsPlaying() const override { return playing_; }
    double GetLength() const override { return lengthSeconds_; }
    std::string GetTitle() const override { return trackTitle_; }
    std::string GetCurrentTrackPath() const { return currentTrackPath_; }
    std::string GetExtraBrowsePath() const override { return extraBrowsePath_; }
    // A further file chosen in the deck panel's Browse, which the play list takes next.
    void SetExtraBrowsePath(const std::string& path) { extraBrowsePath_ = path; }
    bool IsNextTrackQueued() const override { return nextTrackQueued_; }
    int SampleRate() const override;
    bool HasTrackLoaded() const override { return IsLoaded(); }
    std::string CurrentTrackPath() const override { return currentTrackPath_; }
    std::string ReaderPath() const override;
    bool IsCueOn() const { return cueOn_; }
    bool IsShowingCueTime() const { return showingCueTime_; }
    bool IsLoaded() const { return !nothingLoaded_; }

    // ---- The fields the main window reads back on a refresh post ----
    int deckIndex() const { return deck_; }
    const std::string& timeText() const { return timeText_; }
    const std::string& lengthText() const { return lengthText_; }
    const std::string& tempoText() const { return tempoText_; }
    const std::string& trackTitle() const { return trackTitle_; }
    const std::string& comboTrackPath() const { return comboTrackPath_; }
    double positionFraction() const { return positionFraction_; }  // 0 start .. 1 end
    double positionSeconds() const { return positionSeconds_; }
    double cuePointSeconds() const { return cuePointSeconds_; }
    double lengthSeconds() const { return lengthSeconds_; }
    double tempoPercent() const { return tempoPercent_; }
    bool playingBackward() const { return playingBackward_; }
    bool seeking() const { return seeking_; }
    bool pausing() const { return pausing_; }
    bool backwardStarting() const { return backwardStarting_; }
    bool trackEnded() const { return trackEnded_; }
    bool nextTrackQueued() const { return nextTrackQueued_; }
    int cueBlinkCount() const { return cueBlinkCount_; }

    // Timer ids and periods (ms) of the deck window.
    static constexpr int kCueBlinkTimer = 1, kCueBlinkMs = 300;
    static constexpr int kFastForwardTimer = 2, kSeekStepMs = 200;
    static constexpr int kStartForwardTimer = 5;
    static constexpr int kEndBackwardTimer = 6;
    static constexpr int kRewindTimer = 7;
    static constexpr int kReportQueuedTimer = 10, kReportQueuedMs = 3000;

private:
    // deck_transport.cpp
    void startForwardPlayTick();       // timer 5
    void endBackwardPlayTick();        // timer 6
    void seekStepTick(int direction);  // timers 2 (+1) and 7 (-1)
    void cancelPendingStart();
    void pause(bool noCueReturn);
    void returnToCuePoint();
    bool reopenCurrentTrack();
    // Opens `path` in the reader on the file-open thread, waiting with dispatch. While it
    // runs, handlers nested in the wait must not read the reader (openingFile_).
    bool openInReader(const std::string& path);
    // Seeks the reader on the file-open thread, with the same wait and the same rule.
    void seekInReader(double fraction);
    void startReading();
    void stopReading(bool disableButtons);

    // deck_position.cpp
    void cueBlinkTick();  // timer 1
    void stopCueBlink();  // the cue time has nothing left to show: unload, load, track change
    void setShowingCueTime(bool showing);
    void showTime(double seconds);
    double readerSeconds() const;

    // deck.cpp
    void refresh(unsigned message, LParam lParam = 0) const;  // post to the main window
    void refreshNow(unsigned message, LParam lParam) const;   // send to the main window
    // A send to the mixer: the deck counts as suspended while the mixer handles it.
    MessageResult toMixer(unsigned message, LParam lParam = 0);
    void handleControlMessage(unsigned message);

    // The nesting discipline. deferWhileBusy queues `request` and returns true when the deck
    // is busy; the caller then returns. Suspended marks a wait of this deck's own.
    bool deferWhileBusy(std::function<void()> request);
    void scheduleDeferred();
    void runDeferred();
    struct Suspended {
        explicit Suspended(CZanDeck2& d) : deck(d) { ++deck.suspendedDepth_; }
        ~Suspended() {
            --deck.suspendedDepth_;
            deck.scheduleDeferred();
        }
        CZanDeck2& deck;
    };

    const int deck_;
    CZanTrackReader& reader_;
    bool openingFile_ = false;  // the file-open thread is writing the reader
    CZanReadAheadRing& ring_;
    FileReadForwardThread readThread_;

    bool nothingLoaded_ = true;
    bool playing_ = false;
    bool playingBackward_ = false;
    bool backwardStarting_ = false;
    bool pausing_ = false;
    bool trackEnded_ = false;
    bool seeking_ = false;
    bool cueOn_ = false;
    bool showingCueTime_ = false;
    bool nextTrackQueued_ = false;
    bool chooserOnNothingLoaded_ = true;  // the chooser's entry 0 is selected
    bool startPending_ = false;           // timer 5 runs: Play was asked for, not yet sent
    int cueBlinkCount_ = 0;
    double cuePointSeconds_ = 0.0;
    double positionSeconds_ = 0.0;
    double positionFraction_ = 0.0;
    double lengthSeconds_ = 0.0;
    double tempoPercent_ = 0.0;
    std::string comboTrackPath_;
    std::string currentTrackPath_;
    std::string trackTitle_;
    std::string extraBrowsePath_;
    std::string timeText_;
    std::string lengthText_;
    std::string tempoText_;

    // Tracks opened behind the current one and not yet audible, oldest first. Their title
    // and length are taken when they open: by the time one becomes audible, the reader may
    // have closed it or moved on to a later one.
    struct OpenedTrack {
        std::string path;
        std::string title;
        double lengthSeconds;
    };
    std::vector<OpenedTrack> openedTracks_;

    int suspendedDepth_ = 0;   // waits of this deck on the stack
    int workerSendDepth_ = 0;  // sends of its read-forward thread being handled
    bool deferredPosted_ = false;
    std::deque<std::function<void()>> deferred_;
};

}  // namespace quillmix
