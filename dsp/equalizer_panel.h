#pragma once
// The equaliser panel of one deck: band count, band gains, on/off and the response graph.

#include "app/panel_dialog.h"

namespace quillmix {

class CZanEqualizer2 : public PanelDialog {
public:
    CZanEqualizer2(QWidget* parent, int deck);

private:
    int deck_;
};

}  // namespace quillmix
