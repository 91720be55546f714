#include "ui/analyzer_panel.h"

namespace quillmix {

AnalyzerPanel::AnalyzerPanel(QWidget* parent) : PanelDialog(parent, "Analyzer", dialogUnits(348, 190)) {
    setObjectName("analyzer");
}

}  // namespace quillmix
