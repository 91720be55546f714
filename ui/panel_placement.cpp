#include "ui/panel_placement.h"

namespace quillmix {

std::array<PlacementStep, 9> placePanels(const ScreenMetrics& screen, const PanelSizes& s) {
    const int W = screen.fullScreenWidth;
    const int H = screen.fullScreenHeight;
    const int cap = screen.captionHeight;
    const int mixerWidth = s.mixerAtCreation.width;
    return {{
        {Panel::mixer, (W - mixerWidth) / 2, 0, s.mixerAtCreation},
        {Panel::deckA, W / 2 - mixerWidth / 2 - s.deck[0].width, 0, s.deck[0]},
        {Panel::deckB, W / 2 + mixerWidth / 2, 0, s.deck[1]},
        {Panel::equalizerA, W / 2 - s.effects[0].width - s.equalizer[0].width, s.deck[0].height, s.equalizer[0]},
        {Panel::equalizerB, W / 2 + s.effects[1].width, s.deck[1].height, s.equalizer[1]},
        {Panel::effectsA, W / 2 - s.effects[0].width, s.deck[0].height, s.effects[0]},
        {Panel::effectsB, W / 2, s.deck[1].height, s.effects[1]},
        {Panel::playList, W / 2 - s.playList.width, H + cap - s.playList.height, s.playList},
        {Panel::analyzer, W / 2, H + cap - s.analyzer.height, s.analyzer},
    }};
}

}  // namespace quillmix
