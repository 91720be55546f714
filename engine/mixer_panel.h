#pragma once
// The mixer panel: the window the user sees as the program. It creates and owns the other
// panels, owns both outputs and the play-forward cycle (through its engine), and is the
// message hub that workers and panels send engine requests to (mixerWindow). Its mix
// controls come with the panel work; the engine's setters are what they will call.

#include <array>
#include <functional>
#include <memory>

#include "app/panel_dialog.h"
#include "engine/deck_link.h"
#include "engine/mixer_engine.h"
#include "engine/mixer_services.h"

namespace quillmix {

class CZanAnalyzer;
class CZanDeck2;
class CZanEffects;
class CZanEqualizer2;
class CZanPlayList2;

class CZanMixer : public PanelDialog {
public:
    CZanMixer(QWidget* parent, MixerServices services);
    ~CZanMixer() override;

    CZanDeck2* deck(int d) const { return decks_[d]; }
    CZanEffects* effects(int d) const { return effects_[d]; }
    CZanEqualizer2* equalizer(int d) const { return equalizers_[d]; }
    CZanPlayList2* playList() const { return playList_; }
    CZanAnalyzer* analyzer() const { return analyzer_; }
    MixerEngine& engine() { return *engine_; }

    // Close order of the panels it owns (the main window's shut-down): per deck the effects,
    // deck and equaliser panels, then the analyser and the play list.
    void destroyOwnedPanels();

    MessageResult handleMessage(unsigned message, WParam wParam, LParam lParam) override;

    // The question asked before the program closes; tests replace it.
    std::function<bool()> confirmExit;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    MixerServices services_;
    std::unique_ptr<MixerEngine> engine_;
    std::array<CZanDeck2*, 2> decks_{};
    std::array<std::unique_ptr<DeckPanelLink>, 2> deckLinks_;
    std::array<CZanEffects*, 2> effects_{};
    std::array<CZanEqualizer2*, 2> equalizers_{};
    CZanPlayList2* playList_ = nullptr;
    CZanAnalyzer* analyzer_ = nullptr;
};

// The about box: "Quillmix V. 1.0.13" and OK.
void showAboutBox(QWidget* parent);

}  // namespace quillmix
