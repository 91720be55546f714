#include "ui/equalizer_panel.h"

namespace quillmix {

EqualizerPanel::EqualizerPanel(QWidget* parent, int deck)
    : PanelDialog(parent, deck == 0 ? "Deck A Equalizer" : "Deck B Equalizer", dialogUnits(140, 110)),
      deck_(deck) {
    setObjectName(deck == 0 ? "equalizerA" : "equalizerB");
}

}  // namespace quillmix
