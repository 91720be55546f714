#include "playlist/play_list_panel.h"

#include <QEvent>

#include "app/quillmix.h"

namespace quillmix {

CZanPlayList2::CZanPlayList2(QWidget* parent) : PanelDialog(parent, "Play List", dialogUnits(348, 190)) {
    setObjectName("playList");
}

void CZanPlayList2::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange)
        keyboardShortcutsEnabled.store(isActiveWindow() ? 0 : 1, std::memory_order_relaxed);
    PanelDialog::changeEvent(event);
}

}  // namespace quillmix
