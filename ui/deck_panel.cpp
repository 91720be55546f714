#include "ui/deck_panel.h"

#include "deck/deck.h"

namespace quillmix {

DeckPanel::DeckPanel(QWidget* parent, CZanDeck2& deck, int deckIndex)
    : PanelDialog(parent, deckIndex == 0 ? "Deck A" : "Deck B", dialogUnits(282, 212)),
      deck_(deck),
      deckIndex_(deckIndex) {
    setObjectName(deckIndex == 0 ? "deckA" : "deckB");
}

}  // namespace quillmix
