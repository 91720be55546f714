#include "deck/deck.h"

#include "app/message_catalogue.h"
#include "app/shared_state.h"

namespace quillmix {

CZanDeck2::CZanDeck2(int deck, DeckSources sources)
    : deck_(deck), reader_(sources.reader), ring_(sources.ring), readThread_(deck, sources.reader, sources.ring) {}

CZanDeck2::~CZanDeck2() {
    // The same handling as choosing "Nothing Loaded": nothing may keep playing or reading
    // for a deck whose window is gone.
    for (int timer : {kCueBlinkTimer, kFastForwardTimer, kEndBackwardTimer, kRewindTimer, kReportQueuedTimer})
        killWindowTimer(timer);
    // The program closes only once no wait is on the stack, so nothing of the deck is
    // suspended here; what was deferred is dropped with the deck.
    deferred_.clear();
    suspendedDepth_ = workerSendDepth_ = 0;
    Unload();
}

MessageResult CZanDeck2::handleMessage(unsigned message, WParam, LParam) {
    switch (message) {
        case UWM_RUN_DEFERRED_DECK_OPERATIONS:
            deferredPosted_ = false;
            runDeferred();
            break;
        case UWM_FADER_START:
        case UWM_FAST_FORWARD_BEGIN:
        case UWM_FAST_FORWARD_END:
        case UWM_REWIND_BEGIN:
        case UWM_REWIND_END:
        case UWM_REVERSE_BEGIN:
        case UWM_REVERSE_END:
        case UWM_SCRATCH_BACKWARD:
        case UWM_SCRATCH_FORWARD:
        case UWM_SCRATCH_RELEASE:
        case UWM_POSITION_DRAG_BEGIN:
            if (!deferWhileBusy([this, message] { handleControlMessage(message); })) handleControlMessage(message);
            break;
        default: break;
    }
    return 0;
}

// What the deck's own controls post, run when no operation of the deck is suspended.
void CZanDeck2::handleControlMessage(unsigned message) {
    switch (message) {
        case UWM_FADER_START:
            if (!playing_) PlayPause(false);
            break;
        case UWM_FAST_FORWARD_BEGIN:
            seeking_ = true;
            setWindowTimer(kFastForwardTimer, kSeekStepMs);
            break;
        case UWM_FAST_FORWARD_END:
            killWindowTimer(kFastForwardTimer);
            Reposition();
            break;
        case UWM_REWIND_BEGIN:
            seeking_ = true;
            setWindowTimer(kRewindTimer, kSeekStepMs);
            break;
        case UWM_REWIND_END:
            killWindowTimer(kRewindTimer);
            Reposition();
            break;
        case UWM_REVERSE_BEGIN: PlayBackward(); break;
        case UWM_REVERSE_END: PlayResumeAfterBackward(); break;
        case UWM_SCRATCH_BACKWARD:
            if (playing_) PlayBackward();
            break;
        case UWM_SCRATCH_FORWARD:
        case UWM_SCRATCH_RELEASE:
            if (playing_)
                PlayResumeAfterBackward();
            else
                PlayPause(true);
            break;
        case UWM_POSITION_DRAG_BEGIN: seeking_ = true; break;
        default: break;
    }
}

bool CZanDeck2::deferWhileBusy(std::function<void()> request) {
    if (!Busy()) return false;
    deferred_.push_back(std::move(request));
    return true;
}

// Posted rather than run here: the frame that ends a wait may itself be nested in a wait
// of another window, and the deferred requests must start from a frame that is not.
void CZanDeck2::scheduleDeferred() {
    if (Busy() || deferred_.empty() || deferredPosted_) return;
    deferredPosted_ = postMessage(handle(), UWM_RUN_DEFERRED_DECK_OPERATIONS, static_cast<WParam>(deck_));
}

void CZanDeck2::WorkerSendEnds() {
    --workerSendDepth_;
    scheduleDeferred();
}

// Each request runs as if it had just arrived: one that finds the deck busy again (a
// request before it is now suspended in a wait) goes back to the front of the queue.
void CZanDeck2::runDeferred() {
    while (!deferred_.empty() && !Busy()) {
        std::function<void()> request = std::move(deferred_.front());
        deferred_.pop_front();
        request();
    }
    scheduleDeferred();
}

void CZanDeck2::onTimer(int id) {
    switch (id) {
        case kCueBlinkTimer: cueBlinkTick(); break;
        case kFastForwardTimer: seekStepTick(+1); break;
        case kStartForwardTimer: startForwardPlayTick(); break;
        case kEndBackwardTimer: endBackwardPlayTick(); break;
        case kRewindTimer: seekStepTick(-1); break;
        case kReportQueuedTimer:
            killWindowTimer(kReportQueuedTimer);
            toMixer(UWM_REPORT_QUEUED_AUDIO);
            break;
        default: break;
    }
}

int CZanDeck2::SampleRate() const { return reader_.sampleRate(); }

std::string CZanDeck2::ReaderPath() const { return reader_.path(); }

void CZanDeck2::RedrawChart() { refresh(UWM_REDRAW_CIRCULAR_CHART); }

void CZanDeck2::refresh(unsigned message, LParam lParam) const {
    postMessage(mainDialogWindow, message, static_cast<WParam>(deck_), lParam);
}

void CZanDeck2::refreshNow(unsigned message, LParam lParam) const {
    sendMessage(mainDialogWindow, message, static_cast<WParam>(deck_), lParam);
}

MessageResult CZanDeck2::toMixer(unsigned message, LParam lParam) {
    Suspended suspended(*this);
    return sendMessage(mixerWindow, message, static_cast<WParam>(deck_), lParam);
}

}  // namespace quillmix
