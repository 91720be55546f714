// Panel placement as a function of the screen: which edges touch, on a wide screen and on one
// narrower and lower than the panels, where edges go negative and nothing is clamped.
#include <gtest/gtest.h>

#include "ui/panel_placement.h"

using namespace quillmix;

TEST(PanelPlacementTest, PanelsTouchAtTheCentreLineTheTopAndTheBottomOnAnyScreen) {
    PanelSizes s;
    s.mixerAtCreation = {321, 345};
    s.deck[0] = s.deck[1] = {423, 345};
    s.equalizer[0] = {210, 179};
    s.equalizer[1] = {200, 170};
    s.effects[0] = {211, 179};
    s.effects[1] = {190, 160};
    s.playList = {522, 309};
    s.analyzer = {500, 300};
    for (const ScreenMetrics screen : {ScreenMetrics{1920, 1050, 30}, ScreenMetrics{801, 200, 20}}) {
        const auto steps = placePanels(screen, s);
        const auto at = [&](Panel p) { return steps[static_cast<std::size_t>(p)]; };
        for (int i = 0; i < 9; ++i) EXPECT_EQ(steps[i].panel, static_cast<Panel>(i)) << "placed in this order";
        const auto right = [&](Panel p) { return at(p).left + at(p).size.width; };
        const auto bottom = [&](Panel p) { return at(p).top + at(p).size.height; };
        const int centre = screen.fullScreenWidth / 2, floor = screen.fullScreenHeight + screen.captionHeight;
        SCOPED_TRACE(screen.fullScreenWidth);
        // Halves truncate, so the mixer's edges may be one pixel off.
        EXPECT_NEAR(at(Panel::mixer).left + right(Panel::mixer), 2 * centre, 1);
        EXPECT_NEAR(right(Panel::deckA), at(Panel::mixer).left, 1);
        EXPECT_NEAR(at(Panel::deckB).left, right(Panel::mixer), 1);
        for (Panel p : {Panel::mixer, Panel::deckA, Panel::deckB}) EXPECT_EQ(at(p).top, 0);
        EXPECT_EQ(right(Panel::effectsA), centre);
        EXPECT_EQ(at(Panel::effectsB).left, centre);
        EXPECT_EQ(right(Panel::equalizerA), at(Panel::effectsA).left);
        EXPECT_EQ(at(Panel::equalizerB).left, right(Panel::effectsB));
        for (Panel p : {Panel::equalizerA, Panel::effectsA}) EXPECT_EQ(at(p).top, bottom(Panel::deckA));
        for (Panel p : {Panel::equalizerB, Panel::effectsB}) EXPECT_EQ(at(p).top, bottom(Panel::deckB));
        EXPECT_EQ(right(Panel::playList), centre);
        EXPECT_EQ(at(Panel::analyzer).left, centre);
        EXPECT_EQ(bottom(Panel::playList), floor);
        EXPECT_EQ(bottom(Panel::analyzer), floor);
        EXPECT_EQ(at(Panel::analyzer).size.width, 500);
    }
}
