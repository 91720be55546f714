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
    Unload();
}

MessageResult CZanDeck2::handleMessage(unsigned message, WParam, LParam) {
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
        case UWM_REVERSE_BEGIN:
            PlayBackward();
            break;
        case UWM_REVERSE_END:
            PlayResumeAfterBackward();
            break;
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
        case UWM_POSITION_DRAG_BEGIN:
            seeking_ = true;
            break;
        default:
            break;
    }
    return 0;
}

void CZanDeck2::onTimer(int id) {
    switch (id) {
        case kCueBlinkTimer:
            cueBlinkTick();
            break;
        case kFastForwardTimer:
            seekStepTick(+1);
            break;
        case kStartForwardTimer:
            startForwardPlayTick();
            break;
        case kEndBackwardTimer:
            endBackwardPlayTick();
            break;
        case kRewindTimer:
            seekStepTick(-1);
            break;
        case kReportQueuedTimer:
            killWindowTimer(kReportQueuedTimer);
            toMixer(UWM_REPORT_QUEUED_AUDIO);
            break;
        default:
            break;
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

MessageResult CZanDeck2::toMixer(unsigned message, LParam lParam) const {
    return sendMessage(mixerWindow, message, static_cast<WParam>(deck_), lParam);
}

}  // namespace quillmix
