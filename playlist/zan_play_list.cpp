#include "playlist/zan_play_list.h"

namespace quillmix {

CZanPlayList2::CZanPlayList2() {
    // Entries whose length is unknown are measured one at a time in the background.
    setWindowTimer(kLengthTimer, kLengthRequestPeriodMs);
}

MessageResult CZanPlayList2::handleMessage(unsigned, WParam, LParam) { return 0; }

void CZanPlayList2::onTimer(int id) {
    if (id == kLengthTimer) model_.RequestNextLength();
}

}  // namespace quillmix
