#pragma once
// The window of one deck: track chooser, transport, position, time, tempo and cue. Its
// controls and transport come with the deck work; for now it is the window that exists,
// is placed, and receives its deck's messages.

#include "app/panel_dialog.h"

namespace quillmix {

class CZanDeck2 : public PanelDialog {
public:
    CZanDeck2(QWidget* parent, int deck);
    int deckIndex() const { return deck_; }

private:
    int deck_;
};

}  // namespace quillmix
