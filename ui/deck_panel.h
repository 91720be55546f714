#pragma once
// The window of one deck ("Deck A", "Deck B"): shows the fields of the deck's transport
// (CZanDeck2) and turns the user's clicks and drags into the transport's operations.
//
// Controls are named by their numeric ids. The transport buttons (Ffwd, Rwnd, Rev), the
// position slider and the platter post their begin/end, drag and scratch messages to the
// transport's window; Next, Prev and the play list additions go to the mixer (mixerWindow)
// as sends. A refresh the transport posts to the main window arrives at onRefresh, which
// reads the named field back from the transport and sets its control.
//
// The track chooser (1038) holds "Nothing Loaded", "Browse..." and, while a track is
// loaded, that track's full path; it follows the transport's comboTrackPath on every
// refresh that can follow a load, unload or track hand-over. "Browse..." opens the file
// dialog through the dialog seam (several files): the first file loads, the others go to
// the play list for this deck in the dialog's order; a cancelled dialog selects again what
// was selected before.
//
// Threads: window thread only.

#include <QString>

#include "ui/keyboard_map.h"
#include "ui/panel_dialog.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSlider;
class QAbstractSpinBox;

namespace quillmix {

class CZanAnalysis;
class CZanButtonCtrl;
class CZanCircularChartGraph;
class CZanDeck2;
class CZanNeedle;
class CZanSliderCtrl;
class CZanTrackNameIndicator;

class DeckPanel : public PanelDialog {
public:
    DeckPanel(QWidget* parent, CZanDeck2& deck, int deckIndex);

    CZanDeck2& transport() const { return deck_; }
    int deckIndex() const { return deckIndex_; }

    // Where the platter reads the deck's chart ring from; without one the ring stays empty.
    void setChartSource(const CZanAnalysis* analysis) { analysis_ = analysis; }

    void onRefresh(unsigned message, LParam lParam) override;

    // The dialog's filter: our decodable formats, then every file.
    static QString browseFilter();
    // Slider units per step of the tempo spin control (0.08 % each).
    static constexpr int kTempoSpinStep = 10;
    // The tempo slider's ends: +8 % (faster) at the top, -8 % at the bottom.
    static constexpr double kTempoLimitPercent = 8.0;

    // The button a shortcut of that kind presses (Rev, Ffwd, Rwnd, Play); null for others.
    CZanButtonCtrl* keyButton(WindowKeyKind kind) const;
    // Moves the tempo slider to the deck's tempo without applying the slider's position,
    // which is coarser than the tempo a held key sets.
    void showTempo();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void setUpControls();
    void addToolTips();
    void resetChooser();
    void syncChooser();  // the chooser shows the transport's comboTrackPath
    void onChooserActivated(int index);
    void browse();
    void loadChosen(const QStringList& paths);
    void applyTempo();  // the tempo slider's position becomes the deck's tempo
    void stepTempo(int delta);
    void onPositionMoved(int value);
    void showTrackName();
    void redrawPlatter();

    CZanDeck2& deck_;
    const int deckIndex_;
    const CZanAnalysis* analysis_ = nullptr;

    QComboBox* chooser_ = nullptr;
    CZanSliderCtrl* position_ = nullptr;
    QLabel* timeText_ = nullptr;
    QLabel* lengthText_ = nullptr;
    CZanTrackNameIndicator* trackName_ = nullptr;
    CZanButtonCtrl* play_ = nullptr;
    CZanButtonCtrl* next_ = nullptr;
    CZanButtonCtrl* prev_ = nullptr;
    CZanButtonCtrl* ffwd_ = nullptr;
    CZanButtonCtrl* rwnd_ = nullptr;
    CZanButtonCtrl* rev_ = nullptr;
    QCheckBox* cue_ = nullptr;
    QSlider* tempo_ = nullptr;
    QLabel* tempoText_ = nullptr;
    QAbstractSpinBox* tempoSpin_ = nullptr;
    CZanCircularChartGraph* platter_ = nullptr;
    CZanNeedle* needle_ = nullptr;
};

}  // namespace quillmix
