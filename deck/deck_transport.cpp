// Load, unload, play, pause, backward play and repositioning of a deck; the read-ahead.
#include <algorithm>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "deck/deck_texts.h"
#include "sources/file_open_thread.h"

namespace quillmix {

// A load that has to wait for the deck reports success; it runs once the deck is free.
bool CZanDeck2::LoadTrack(const std::string& path) {
    if (deferWhileBusy([this, path] { LoadTrack(path); })) return true;
    if (playing_) PlayPause(true);
    cancelPendingStart();
    if (!nothingLoaded_) {
        stopReading(true);
        reader_.close();
    }
    openedTracks_.clear();
    if (!openInReader(path)) {
        chooserOnNothingLoaded_ = true;
        comboTrackPath_ = kNothingLoadedText;
        nothingLoaded_ = true;
        return false;
    }
    OnTrackChanged(path);
    showTime(lengthSeconds_);  // the length, until the first position report
    setWindowTimer(kReportQueuedTimer, kReportQueuedMs);
    nothingLoaded_ = false;
    positionFraction_ = 0.0;
    positionSeconds_ = 0.0;  // a cue set before the first report takes the start, not the old track's place
    refresh(UWM_SHOW_POSITION_SLIDER);
    startReading();
    return true;
}

void CZanDeck2::Unload() {
    if (deferWhileBusy([this] { Unload(); })) return;
    cueOn_ = false;
    stopCueBlink();
    if (playing_) PlayPause(true);
    cancelPendingStart();
    killWindowTimer(kReportQueuedTimer);  // a report now would show the unloaded track's place
    if (!nothingLoaded_) {
        stopReading(true);
        reader_.close();
    }
    openedTracks_.clear();
    nothingLoaded_ = true;
    chooserOnNothingLoaded_ = true;
    comboTrackPath_ = kNothingLoadedText;
    timeText_ = deckTimeText(0.0);
    refresh(UWM_SHOW_TIME_TEXT);
    positionFraction_ = 0.0;
    refresh(UWM_SHOW_POSITION_SLIDER);
    toMixer(UWM_PLAY_LIST_SELECT);
}

void CZanDeck2::PlayPause(bool noCueReturn) {
    if (deferWhileBusy([this, noCueReturn] { PlayPause(noCueReturn); })) return;
    if (nothingLoaded_) return;
    if (playing_) {
        pause(noCueReturn);
        return;
    }
    startPending_ = true;
    setWindowTimer(kStartForwardTimer, 1);
}

void CZanDeck2::pause(bool noCueReturn) {
    pausing_ = true;
    refreshNow(UWM_ENABLE_REVERSE_BUTTON, 0);
    toMixer(UWM_STOP_FORWARD);
    // Forward output is already stopped during backward play; the backward output would
    // otherwise go on under a paused deck, and Rev would stay locked out.
    if (playingBackward_) {
        toMixer(UWM_STOP_BACKWARD);
        playingBackward_ = false;
    }
    playing_ = false;
    if (!noCueReturn && cueOn_) returnToCuePoint();
    pausing_ = false;
}

void CZanDeck2::returnToCuePoint() {
    seeking_ = true;
    positionFraction_ = lengthSeconds_ > 0.0 ? cuePointSeconds_ / lengthSeconds_ : 0.0;
    refresh(UWM_SHOW_POSITION_SLIDER);
    Reposition();
    setShowingCueTime(true);
    showTime(cuePointSeconds_);
}

// Timer 5. A start that meets a pause still sending its messages waits for the next tick,
// and so does one met while a file opens: the open may be the read-ahead's hand-over of a
// short track that has not reported readiness yet, and the mixer's wait for readiness,
// nested inside it, would never end.
void CZanDeck2::startForwardPlayTick() {
    if (pausing_ || Busy()) return;
    cancelPendingStart();
    if (nothingLoaded_ || playing_) return;
    trackEnded_ = false;
    toMixer(UWM_PLAY_FORWARD);  // returns once the mixer has seen the deck ready
    playing_ = true;
    refresh(UWM_ENABLE_REVERSE_BUTTON, 1);
    setShowingCueTime(false);
}

void CZanDeck2::cancelPendingStart() {
    killWindowTimer(kStartForwardTimer);
    startPending_ = false;
}

void CZanDeck2::PlayBackward() {
    if (deferWhileBusy([this] { PlayBackward(); })) return;
    // Backward play is a variant of playing: a paused or empty deck has nothing to mirror.
    if (playingBackward_ || !playing_) return;
    backwardStarting_ = true;
    toMixer(UWM_STOP_FORWARD);
    toMixer(UWM_PLAY_BACKWARD);
    playingBackward_ = true;
    backwardStarting_ = false;
}

void CZanDeck2::PlayResumeAfterBackward() { setWindowTimer(kEndBackwardTimer, 1); }

// Timer 6. A resume that meets PlayBackward still sending its messages, or a file being
// opened (as timer 5), waits a tick.
void CZanDeck2::endBackwardPlayTick() {
    if (backwardStarting_ || Busy()) return;
    killWindowTimer(kEndBackwardTimer);
    if (!playingBackward_) return;
    toMixer(UWM_STOP_BACKWARD);
    toMixer(UWM_RESUME_AFTER_BACKWARD);
    playingBackward_ = false;
}

// Timers 2 and 7: one second of track per tick, kept within the track.
void CZanDeck2::seekStepTick(int direction) {
    if (lengthSeconds_ > 0.0) positionFraction_ = std::clamp(positionFraction_ + direction / lengthSeconds_, 0.0, 1.0);
    refresh(UWM_SHOW_POSITION_SLIDER);
}

void CZanDeck2::Reposition() {
    if (deferWhileBusy([this] { Reposition(); })) return;
    // A start still waiting for its timer would otherwise fire inside the waits below and
    // ask the mixer to play a deck whose read-ahead is stopped; it restarts at the end.
    const bool wasPlaying = playing_ || startPending_;
    cancelPendingStart();
    if (playing_) PlayPause(true);
    positionFraction_ = std::clamp(positionFraction_, 0.0, 1.0);
    if (!nothingLoaded_) {
        // The read-ahead uses the reader until it is stopped, so it stops before a reopen.
        stopReading(true);
        // The reader closes itself when the read-ahead reaches the end of the file, which
        // happens up to a ring's length before the end is heard.
        const bool readerMovedOn =
            nextTrackQueued_ || trackEnded_ || !reader_.isOpen() || reader_.path() != currentTrackPath_;
        nextTrackQueued_ = false;
        if (readerMovedOn && !reopenCurrentTrack()) {
            // The file went away since it was loaded: the deck is empty, as after a failed load.
            seeking_ = false;
            Unload();
            return;
        }
        seekInReader(positionFraction_);
        startReading();
    }
    positionSeconds_ = positionFraction_ * lengthSeconds_;
    if (wasPlaying) PlayPause(true);
    seeking_ = false;
}

bool CZanDeck2::reopenCurrentTrack() {
    openedTracks_.clear();
    return openInReader(currentTrackPath_);
}

void CZanDeck2::SetPositionFraction(double fraction) {
    if (deferWhileBusy([this, fraction] { SetPositionFraction(fraction); })) return;
    seeking_ = true;
    positionFraction_ = fraction;
    refresh(UWM_SHOW_POSITION_SLIDER);
    Reposition();
}

void CZanDeck2::DragPositionTo(double fraction) {
    if (!seeking_) return;
    positionFraction_ = fraction;
    showTime(fraction * lengthSeconds_);
}

void CZanDeck2::EndPositionDrag(double fraction) {
    if (deferWhileBusy([this, fraction] { EndPositionDrag(fraction); })) return;
    positionFraction_ = fraction;
    Reposition();
}

void CZanDeck2::startReading() { readThread_.start(); }

void CZanDeck2::stopReading(bool disableButtons) {
    if (!readThread_.joinable()) return;
    {
        Suspended suspended(*this);
        readThread_.stop();
    }
    if (disableButtons) refreshNow(UWM_ENABLE_TRANSPORT_BUTTONS, 0);
}

void CZanDeck2::OnReadyToPlay() {
    readThread_.lowerPriority();
    refreshNow(UWM_ENABLE_TRANSPORT_BUTTONS, 1);
    deckReadyToPlayEvent[deck_].set();
}

void CZanDeck2::seekInReader(double fraction) {
    Suspended suspended(*this);
    openingFile_ = true;
    seekTrackOnFileOpenThread(deck_, reader_, fraction);
    openingFile_ = false;
}

bool CZanDeck2::openInReader(const std::string& path) {
    Suspended suspended(*this);
    openingFile_ = true;
    const bool opened = openTrackOnFileOpenThread(deck_, reader_, path);
    openingFile_ = false;
    return opened;
}

}  // namespace quillmix
