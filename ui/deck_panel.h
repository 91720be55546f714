#pragma once
// The window of one deck ("Deck A", "Deck B"): shows the fields of the deck's transport
// (CZanDeck2); its controls post to the transport's window.

#include "ui/panel_dialog.h"

namespace quillmix {

class CZanDeck2;

class DeckPanel : public PanelDialog {
public:
    DeckPanel(QWidget* parent, CZanDeck2& deck, int deckIndex);

    CZanDeck2& transport() const { return deck_; }
    int deckIndex() const { return deckIndex_; }

private:
    CZanDeck2& deck_;
    const int deckIndex_;
};

}  // namespace quillmix
