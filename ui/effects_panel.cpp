#include "ui/effects_panel.h"

namespace quillmix {

EffectsPanel::EffectsPanel(QWidget* parent, int deck)
    : PanelDialog(parent, deck == 0 ? "Deck A Effects" : "Deck B Effects", dialogUnits(140, 110)), deck_(deck) {
    setObjectName(deck == 0 ? "effectsA" : "effectsB");
}

}  // namespace quillmix
