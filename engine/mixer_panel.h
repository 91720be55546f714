#pragma once
// The mixer panel: the window the user sees as the program. It creates and owns the other
// panels and is the message hub that workers and panels send engine requests to
// (mixerWindow). Its mix controls and engine handlers come with the engine work; for now it
// creates the panels, answers the close with a confirmation, and relays keys.

#include <array>
#include <functional>
#include <memory>

#include "app/panel_dialog.h"
#include "sources/read_ahead_ring.h"
#include "sources/track_reader.h"

namespace quillmix {

class CZanAnalyzer;
class CZanDeck2;
class CZanEffects;
class CZanEqualizer2;
class CZanPlayList2;

class CZanMixer : public PanelDialog {
public:
    explicit CZanMixer(QWidget* parent);
    ~CZanMixer() override;

    CZanDeck2* deck(int d) const { return decks_[d]; }
    CZanEffects* effects(int d) const { return effects_[d]; }
    CZanEqualizer2* equalizer(int d) const { return equalizers_[d]; }
    CZanPlayList2* playList() const { return playList_; }
    CZanAnalyzer* analyzer() const { return analyzer_; }
    CZanTrackReader& trackReader(int d) { return trackReaders_[d]; }
    CZanReadAheadRing& readForwardRing(int d) { return readForwardRings_[d]; }

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
    // Declared before the panels: the decks use them until they are destroyed.
    std::array<CZanTrackReader, 2> trackReaders_;
    std::array<CZanReadAheadRing, 2> readForwardRings_;
    std::array<CZanDeck2*, 2> decks_{};
    std::array<CZanEffects*, 2> effects_{};
    std::array<CZanEqualizer2*, 2> equalizers_{};
    CZanPlayList2* playList_ = nullptr;
    CZanAnalyzer* analyzer_ = nullptr;
};

// The about box: "Quillmix V. 1.0.13" and OK.
void showAboutBox(QWidget* parent);

}  // namespace quillmix
