#include "playlist/play_list_panel.h"

#include <QEvent>

#include "app/quillmix.h"

namespace quillmix {

CZanPlayList2::CZanPlayList2(QWidget* parent) : PanelDialog(parent, "Play List", dialogUnits(348, 190)) {
    setObjectName("playList");
    // Entries whose length is unknown are measured one at a time in the background, on a
    // timer that runs only while some length is outstanding.
    model_.SetLengthWantedHandler([this] { startLengthTimer(); });
}

void CZanPlayList2::startLengthTimer() {
    if (lengthTimerRunning_) return;
    setWindowTimer(kLengthTimer, kLengthRequestPeriodMs);
    lengthTimerRunning_ = true;
}

void CZanPlayList2::onTimer(int id) {
    if (id != kLengthTimer || model_.RequestNextLength() || model_.LengthsOutstanding()) return;
    killWindowTimer(kLengthTimer);
    lengthTimerRunning_ = false;
}

void CZanPlayList2::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange)
        keyboardShortcutsEnabled.store(isActiveWindow() ? 0 : 1, std::memory_order_relaxed);
    PanelDialog::changeEvent(event);
}

}  // namespace quillmix
