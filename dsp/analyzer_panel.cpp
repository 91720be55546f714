#include "dsp/analyzer_panel.h"

namespace quillmix {

CZanAnalyzer::CZanAnalyzer(QWidget* parent) : PanelDialog(parent, "Analyzer", dialogUnits(348, 190)) {
    setObjectName("analyzer");
}

}  // namespace quillmix
