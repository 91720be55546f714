// The position heard, the cue point, the tempo and the hand-over to the next track.
#include <algorithm>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "deck/deck_texts.h"
#include "sources/file_open_thread.h"

namespace quillmix {

void CZanDeck2::showTime(double seconds) {
    timeText_ = deckTimeText(seconds);
    refresh(UWM_SHOW_TIME_TEXT);
}

// The time display is greyed while it shows the cue time; the main window learns of every
// change, not only of those the blink makes.
void CZanDeck2::setShowingCueTime(bool showing) {
    if (showingCueTime_ == showing) return;
    showingCueTime_ = showing;
    refresh(UWM_SHOW_TIME_ENABLED);
}

void CZanDeck2::SetCue(bool on) {
    cueOn_ = on;
    if (!on) {
        cuePointSeconds_ = 0.0;
        killWindowTimer(kCueBlinkTimer);
        setShowingCueTime(false);
        return;
    }
    if (chooserOnNothingLoaded_) {
        cueOn_ = false;  // the box unchecks itself
        refresh(UWM_SHOW_CUE_BUTTON);
        return;
    }
    cuePointSeconds_ = positionSeconds_;
    showTime(cuePointSeconds_);
    setWindowTimer(kCueBlinkTimer, kCueBlinkMs);
}

// Timer 1. The count is cleared only when it passes 10, so Cue turned off and on again in
// the middle of a blink continues it; a full blink is 11 ticks.
void CZanDeck2::cueBlinkTick() {
    showingCueTime_ = !showingCueTime_;
    refresh(UWM_SHOW_TIME_ENABLED);
    showTime(cuePointSeconds_);
    if (++cueBlinkCount_ <= 10) return;
    killWindowTimer(kCueBlinkTimer);
    cueBlinkCount_ = 0;
    if (!playing_ && cueOn_) {
        setShowingCueTime(true);
        showTime(cuePointSeconds_);
    } else {
        setShowingCueTime(false);
    }
}

void CZanDeck2::stopCueBlink() {
    killWindowTimer(kCueBlinkTimer);
    cueBlinkCount_ = 0;
    setShowingCueTime(false);
}

void CZanDeck2::SetTempo(double percent) {
    tempoPercent_ = percent;
    const int rate = openingFile_ ? kSampleRate : reader_.sampleRate();
    toMixer(UWM_SET_DECK_FREQUENCY, static_cast<LParam>(deckPlaybackRate(percent, rate)));
    tempoText_ = deckTempoText(percent);
    refresh(UWM_SHOW_TEMPO_TEXT);
}

// Seconds of the current track the reader has decoded, in the decoder's own format. The
// count survives the reader closing itself at the end of the track.
double CZanDeck2::readerSeconds() const {
    const double bytesPerSecond =
        static_cast<double>(reader_.sampleRate()) * reader_.channels() * (reader_.bitsPerSample() / 8.0);
    return bytesPerSecond > 0.0 ? static_cast<double>(reader_.positionBytes()) / bytesPerSecond : 0.0;
}

void CZanDeck2::UpdatePosition(std::int32_t queuedBytes) {
    // A report that arrives while the reader is being opened waits for the next one.
    if (showingCueTime_ || seeking_ || openingFile_) return;
    // While the next track is queued the reader counts that track, so the current one is
    // counted back from its end.
    double readSeconds = lengthSeconds_;
    if (!nextTrackQueued_ && !nothingLoaded_) readSeconds = readerSeconds();
    std::int64_t ringBytes = 0;
    if (!nextTrackQueued_)
        ringBytes = ring_.filledByteCount();
    else if (!nothingLoaded_)
        ringBytes = ring_.filledByteCountOf(currentTrackPath_);
    // Ring slots and output queue both hold chunks: 16-bit stereo whatever the file's own
    // width and channel count, so both convert at four bytes per frame.
    const double waitingBytes = static_cast<double>(ringBytes) + queuedBytes;
    const double waitingSeconds = waitingBytes / (static_cast<double>(kSampleRate) * 4.0);
    positionSeconds_ = readSeconds - waitingSeconds;
    showTime(positionSeconds_);
}

void CZanDeck2::UpdatePositionFraction() {
    if (seeking_) return;
    if (lengthSeconds_ > 0.0) positionFraction_ = std::clamp(positionSeconds_ / lengthSeconds_, 0.0, 1.0);
    refresh(UWM_SHOW_POSITION_SLIDER);
}

// Title and length come from what is heard: a track opened behind the previous one took
// them when it opened (inside the reader's hand-over send), since by now the read-ahead may
// be past it or closing the reader. The reader itself is read only while no read-ahead runs
// (a load).
void CZanDeck2::OnTrackChanged(const std::string& path) {
    if (cueOn_) {
        cueOn_ = false;
        refresh(UWM_SHOW_CUE_BUTTON);
    }
    stopCueBlink();
    if (path.empty()) return;
    chooserOnNothingLoaded_ = false;
    comboTrackPath_ = path;
    const auto opened =
        std::find_if(openedTracks_.begin(), openedTracks_.end(), [&](const OpenedTrack& t) { return t.path == path; });
    if (opened != openedTracks_.end()) {
        trackTitle_ = opened->title;
        lengthSeconds_ = opened->lengthSeconds;
        openedTracks_.erase(openedTracks_.begin(), opened + 1);
    } else if (!openingFile_ && !readThread_.joinable()) {
        trackTitle_ = reader_.title();
        lengthSeconds_ = reader_.lengthSeconds();
    }
    // The reader may already hold a track opened behind this one (this one was short).
    nextTrackQueued_ = !openedTracks_.empty();
    refresh(UWM_SHOW_TRACK_NAME);
    lengthText_ = deckTimeText(lengthSeconds_);
    refresh(UWM_SHOW_LENGTH_TEXT);
    currentTrackPath_ = path;
}

void CZanDeck2::OnTrackEnded() {
    // Posted, not sent: this runs inside the mixer's handling of the forward notify thread's
    // send, and a sent stop waits for that thread to end. A post fails only when the mixer
    // window is gone, and then there is nothing left to stop.
    while (!postMessage(mixerWindow, UWM_STOP_FORWARD, static_cast<WParam>(deck_), 0)) {
        if (!quillmix::isWindow(mixerWindow)) break;
    }
    playing_ = false;
    nextTrackQueued_ = false;
    trackEnded_ = true;
    openedTracks_.clear();
    refresh(UWM_ENABLE_REVERSE_BUTTON, 0);  // stopped like a pause: Rev only while playing
}

void CZanDeck2::BeginNextTrack() { nextTrackQueued_ = true; }

bool CZanDeck2::QueueNextTrack(const std::string& path) {
    const bool opened = openInReader(path);
    // The read-forward thread, blocked in its end-of-track send, goes on into the new file
    // only when this flag is set.
    reader_.setTrackLoaded(opened);
    if (opened) openedTracks_.push_back({path, reader_.title(), reader_.lengthSeconds()});
    // Nothing behind the audible track: the reader stays at the end of it.
    nextTrackQueued_ = !openedTracks_.empty();
    return opened;
}

void CZanDeck2::OnChunkPlayed() { refresh(UWM_REDRAW_CIRCULAR_CHART); }

bool CZanDeck2::CanContinueAfterEnd() const {
    if (nothingLoaded_ || trackEnded_ || nextTrackQueued_ || openingFile_ || !readThread_.endedAtTrackEnd())
        return false;
    const int slot = ring_.writeIndex();
    return ring_.isFilled(slot) && ring_.sourcePath(slot) == currentTrackPath_;
}

ContinueResult CZanDeck2::ContinueAfterEnd(const std::string& path) {
    if (!CanContinueAfterEnd()) return ContinueResult::tooLate;
    const int slot = ring_.writeIndex();
    if (!openInReader(path)) return ContinueResult::notOpened;
    // The open dispatched messages: the cycle may have taken the chunk meanwhile.
    if (!CanContinueAfterEnd() || !reader_.continueEndChunk(ring_.chunk(slot))) {
        reader_.close();
        return ContinueResult::tooLate;
    }
    ring_.relabel(slot, path);
    openedTracks_.push_back({path, reader_.title(), reader_.lengthSeconds()});
    nextTrackQueued_ = true;
    readThread_.startContinuing();
    return ContinueResult::continued;
}

}  // namespace quillmix
