#pragma once
// The equaliser panel of one deck: band count, band gains, on/off and the response graph.

#include "ui/panel_dialog.h"

namespace quillmix {

class EqualizerPanel : public PanelDialog {
public:
    EqualizerPanel(QWidget* parent, int deck);

private:
    int deck_;
};

}  // namespace quillmix
