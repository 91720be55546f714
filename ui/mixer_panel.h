#pragma once
// The mixer panel: the window the user sees as the program ("Quillmix"). It shows the
// mixer (CZanMixer) and creates and owns the other panels: the analyser, the play list and
// per deck the deck, effects and equaliser panels. Every panel passes its keys to it.

#include <array>
#include <functional>

#include "ui/panel_dialog.h"

namespace quillmix {

class AnalyzerPanel;
class CZanMixer;
class DeckPanel;
class EffectsPanel;
class EqualizerPanel;
class PlayListPanel;

class MixerPanel : public PanelDialog {
public:
    MixerPanel(QWidget* parent, CZanMixer& mixer);
    ~MixerPanel() override;

    CZanMixer& mixer() const { return mixer_; }
    DeckPanel* deck(int d) const { return decks_[d]; }
    EffectsPanel* effects(int d) const { return effects_[d]; }
    EqualizerPanel* equalizer(int d) const { return equalizers_[d]; }
    PlayListPanel* playList() const { return playList_; }
    AnalyzerPanel* analyzer() const { return analyzer_; }

    // Close order of the panels it owns (the main window's shut-down): per deck the effects,
    // deck and equaliser panels, then the analyser and the play list.
    void destroyOwnedPanels();

    // The question asked before the program closes; tests replace it.
    std::function<bool()> confirmExit;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    CZanMixer& mixer_;
    std::array<DeckPanel*, 2> decks_{};
    std::array<EffectsPanel*, 2> effects_{};
    std::array<EqualizerPanel*, 2> equalizers_{};
    PlayListPanel* playList_ = nullptr;
    AnalyzerPanel* analyzer_ = nullptr;
};

// The about box: "Quillmix V. 1.0.13" and OK.
void showAboutBox(QWidget* parent);

}  // namespace quillmix
