#pragma once
// The analyser panel: scope, octave and chart graphs of what the decks play.

#include "app/panel_dialog.h"

namespace quillmix {

class CZanAnalyzer : public PanelDialog {
public:
    explicit CZanAnalyzer(QWidget* parent);
};

}  // namespace quillmix
