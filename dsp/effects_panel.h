#pragma once
// The effects panel of one deck: the effect and its two parameters.

#include "app/panel_dialog.h"

namespace quillmix {

class CZanEffects : public PanelDialog {
public:
    CZanEffects(QWidget* parent, int deck);

private:
    int deck_;
};

}  // namespace quillmix
