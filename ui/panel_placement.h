#pragma once
// Where the panels go on the screen: the mixer centred at the top with the decks on either
// side; under each deck its effects panel touching the screen's centre line and its
// equaliser panel outside it; the play list and the analyser side by side on the centre
// line at the bottom of the available area. A pure function of the screen metrics and the
// panel sizes, so it can be checked for any screen. Halves truncate; on a screen narrower
// than the panels the left edges go negative, and the panels are placed there all the same.

#include <array>

namespace quillmix {

struct PanelSize {
    int width = 0;
    int height = 0;
};

struct ScreenMetrics {
    int fullScreenWidth = 0;   // W: width available to a full-screen window
    int fullScreenHeight = 0;  // H: its height, below the caption
    int captionHeight = 0;     // Cap: height of a window caption
};

enum class Panel { mixer, deckA, deckB, equalizerA, equalizerB, effectsA, effectsB, playList, analyzer };

struct PanelSizes {
    PanelSize mixerAtCreation;  // the mixer is always placed with the size it was created with
    PanelSize deck[2];
    PanelSize equalizer[2];
    PanelSize effects[2];
    PanelSize playList;
    PanelSize analyzer;
};

struct PlacementStep {
    Panel panel;
    int left = 0;
    int top = 0;
    PanelSize size;
};

// The nine steps, in the order they are carried out.
std::array<PlacementStep, 9> placePanels(const ScreenMetrics& screen, const PanelSizes& sizes);

}  // namespace quillmix
