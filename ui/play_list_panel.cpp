#include "ui/play_list_panel.h"

#include <QEvent>

#include "app/shared_state.h"
#include "playlist/zan_play_list.h"

namespace quillmix {

PlayListPanel::PlayListPanel(QWidget* parent, CZanPlayList2& playList)
    : PanelDialog(parent, "Play List", dialogUnits(348, 190)), playList_(playList) {
    setObjectName("playList");
}

void PlayListPanel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange)
        keyboardShortcutsEnabled.store(isActiveWindow() ? 0 : 1, std::memory_order_relaxed);
    PanelDialog::changeEvent(event);
}

}  // namespace quillmix
