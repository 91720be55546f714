#pragma once
// The play list panel: the entries of both decks and their hand-over to the decks.

#include "app/panel_dialog.h"

namespace quillmix {

class CZanPlayList2 : public PanelDialog {
public:
    explicit CZanPlayList2(QWidget* parent);

protected:
    // While the play list is the active window, typing goes to it and no shortcut acts.
    void changeEvent(QEvent* event) override;
};

}  // namespace quillmix
