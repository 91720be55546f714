// Panel placement as a function of the screen, checked against hand-worked layouts.
#include <gtest/gtest.h>

#include "ui/panel_placement.h"

using namespace quillmix;

namespace {
PanelSizes typicalSizes() {
    PanelSizes s;
    s.mixerAtCreation = {321, 345};
    s.deck[0] = s.deck[1] = {423, 345};
    s.equalizer[0] = {210, 179};
    s.equalizer[1] = {200, 170};
    s.effects[0] = {211, 179};
    s.effects[1] = {190, 160};
    s.playList = {522, 309};
    s.analyzer = {500, 300};
    return s;
}
}  // namespace

TEST(PanelPlacementTest, WideScreenPutsEveryPanelInItsPlace) {
    const auto steps = placePanels({1920, 1050, 30}, typicalSizes());
    const Panel order[] = {Panel::mixer,    Panel::deckA,    Panel::deckB,    Panel::equalizerA, Panel::equalizerB,
                           Panel::effectsA, Panel::effectsB, Panel::playList, Panel::analyzer};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(steps[i].panel, order[i]) << i;
    auto at = [&](int i) { return std::make_pair(steps[i].left, steps[i].top); };
    EXPECT_EQ(at(0), std::make_pair((1920 - 321) / 2, 0));   // 799: the odd pixel truncates
    EXPECT_EQ(at(1), std::make_pair(960 - 160 - 423, 0));    // deck A left of the mixer
    EXPECT_EQ(at(2), std::make_pair(960 + 160, 0));          // deck B right of it
    EXPECT_EQ(at(3), std::make_pair(960 - 211 - 210, 345));  // equaliser A outside effects A
    EXPECT_EQ(at(4), std::make_pair(960 + 190, 345));        // equaliser B outside effects B
    EXPECT_EQ(at(5), std::make_pair(960 - 211, 345));        // effects touch the centre line
    EXPECT_EQ(at(6), std::make_pair(960, 345));
    EXPECT_EQ(at(7), std::make_pair(960 - 522, 1050 + 30 - 309));  // bottom of the available area
    EXPECT_EQ(at(8), std::make_pair(960, 1050 + 30 - 300));
    EXPECT_EQ(steps[0].size.width, 321);
}

TEST(PanelPlacementTest, NarrowScreenGivesNegativeLeftEdges) {
    const auto steps = placePanels({801, 570, 20}, typicalSizes());
    EXPECT_EQ(steps[0].left, (801 - 321) / 2);
    EXPECT_EQ(steps[1].left, 400 - 160 - 423);  // -183: placed there all the same
    EXPECT_LT(steps[3].left, 0);
    EXPECT_EQ(steps[7].left, 400 - 522);
    EXPECT_EQ(steps[7].top, 570 + 20 - 309);
    // A screen lower than the play list puts it above the top.
    EXPECT_LT(placePanels({640, 200, 20}, typicalSizes())[7].top, 0);
}
