#include "deck/deck_panel.h"

namespace quillmix {

CZanDeck2::CZanDeck2(QWidget* parent, int deck)
    : PanelDialog(parent, deck == 0 ? "Deck A" : "Deck B", dialogUnits(282, 212)), deck_(deck) {
    setObjectName(deck == 0 ? "deckA" : "deckB");
}

}  // namespace quillmix
