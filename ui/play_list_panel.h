#pragma once
// The "Play List" window: shows the play list's entries (CZanPlayList2). While it is the
// active window, typing goes to it and no keyboard shortcut acts.

#include "ui/panel_dialog.h"

namespace quillmix {

class CZanPlayList2;

class PlayListPanel : public PanelDialog {
public:
    PlayListPanel(QWidget* parent, CZanPlayList2& playList);

    CZanPlayList2& playList() const { return playList_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    CZanPlayList2& playList_;
};

}  // namespace quillmix
