#pragma once
// The analyser panel: scope, octave and chart graphs of what the decks play.

#include "ui/panel_dialog.h"

namespace quillmix {

class AnalyzerPanel : public PanelDialog {
public:
    explicit AnalyzerPanel(QWidget* parent);
};

}  // namespace quillmix
