#pragma once
// The effects panel of one deck: the effect and its two parameters.

#include "ui/panel_dialog.h"

namespace quillmix {

class EffectsPanel : public PanelDialog {
public:
    EffectsPanel(QWidget* parent, int deck);

private:
    int deck_;
};

}  // namespace quillmix
