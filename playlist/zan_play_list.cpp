#include "playlist/zan_play_list.h"

namespace quillmix {

CZanPlayList2::CZanPlayList2() {
    // Entries whose length is unknown are measured one at a time in the background, on a
    // timer that runs only while some length is outstanding.
    model_.SetLengthWantedHandler([this] { startLengthTimer(); });
}

void CZanPlayList2::startLengthTimer() {
    if (lengthTimerRunning_) return;
    setWindowTimer(kLengthTimer, kLengthRequestPeriodMs);
    lengthTimerRunning_ = true;
}

MessageResult CZanPlayList2::handleMessage(unsigned, WParam, LParam) { return 0; }

void CZanPlayList2::onTimer(int id) {
    if (id != kLengthTimer || model_.RequestNextLength() || model_.LengthsOutstanding()) return;
    killWindowTimer(kLengthTimer);
    lengthTimerRunning_ = false;
}

}  // namespace quillmix
