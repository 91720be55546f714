#pragma once
// The mixer panel: the window the user sees as the program ("Quillmix"). It shows the
// mixer (CZanMixer) and creates and owns the other panels: the analyser, the play list and
// per deck the deck, effects and equaliser panels. Every panel passes its keys to it.
//
// Its controls carry their numeric ids as object names. A slider applies its value through
// the mixer engine's setters whenever its position changes, whoever moved it: the user, or
// a refresh request (UWM_SHOW_...) the main window routed here after the keyboard or the
// engine changed a value. The CPU meter of the hidden main window is shown here too (1018,
// 1019), where the user sees it.
//
// Window thread only.

#include <array>
#include <functional>
#include <memory>

#include "engine/fader_cueing.h"
#include "ui/panel_dialog.h"

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSlider;

namespace quillmix {

class AnalyzerPanel;
class CZanCrossFadeCurveGraph;
class CZanCrossFaderCtrl;
class CZanLevelMeter;
class CZanMixer;
class CZanSoundDeviceLists;
class DeckPanel;
class EffectsPanel;
class EqualizerPanel;
class KeyboardReader;
class KeyboardShortcuts;
class OptionsDialog;
class PlayListPanel;
class SettingsStore;
class SoundSystem;

class MixerPanel : public PanelDialog {
public:
    static constexpr int kLevelRange = 65535;  // level and volume sliders: top 0 = full
    static constexpr int kFaderRange = 1000;   // faders, curve and cue mark: -1000 .. 1000

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

    // What the options dialog ("Show", 1101) works with: the device choice shared with the
    // start-up run, the settings (may be null) and the sound system it enumerates. Without
    // device lists the button does nothing.
    void setOptionsServices(CZanSoundDeviceLists* lists, SettingsStore* settings, SoundSystem* system);

    // The question asked before the program closes; by default the dialog seam's OK/Cancel
    // question "Are you sure you want to exit?". Tests may replace it.
    std::function<bool()> confirmExit;
    // Runs the options dialog; true when the user confirmed it with OK. By default modal
    // (exec); tests replace it to drive the dialog's controls without a nested loop.
    std::function<bool(OptionsDialog&)> runOptionsDialog;

    void onRefresh(unsigned message, LParam lParam) override;
    // Key presses and releases of every panel: the window-key shortcuts.
    void onWindowKey(QKeyEvent* event) override;
    // Where the held-key shortcuts read Shift and Ctrl (the process's keyboard reader).
    void setKeyboard(const KeyboardReader* reader);
    KeyboardShortcuts& shortcuts() const { return *shortcuts_; }
    // The CPU meter sampled by the main window: percent and its text ("12 %").
    void showCpuUsage(int percent, const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void createPanels(QWidget* parent);
    void createControls();
    void createBalanceControls();
    void createLevelControls();
    void createFaderControls();
    void showInitialValues();
    void connectControls();
    void connectFaders();
    void showLevels();
    void showMonitorVolume();
    void refreshCurveGraph();
    void onOptions();
    void showOtherPanels(bool visible);
    void followMixer();

    CZanMixer& mixer_;
    std::array<DeckPanel*, 2> decks_{};
    std::array<EffectsPanel*, 2> effects_{};
    std::array<EqualizerPanel*, 2> equalizers_{};
    PlayListPanel* playList_ = nullptr;
    AnalyzerPanel* analyzer_ = nullptr;

    // Controls, named by id.
    QSlider* mainBalance_ = nullptr;                 // 1107
    QPushButton* mainBalanceReset_ = nullptr;        // 1078
    std::array<QSlider*, 2> deckPan_{};              // 1108, 1110
    QPushButton* leftRight_ = nullptr;               // 1112
    QPushButton* panReset_ = nullptr;                // 1079
    std::array<QSlider*, 2> level_{};                // 1021, 1022
    std::array<CZanLevelMeter*, 2> meter_{};         // 1005, 1014
    QSlider* mainVolume_ = nullptr;                  // 1039
    QSlider* monitorVolume_ = nullptr;               // 1027
    QSlider* curve_ = nullptr;                       // 1015
    CZanCrossFadeCurveGraph* curveGraph_ = nullptr;  // 1086
    QSlider* monitorFader_ = nullptr;                // 1044
    CZanCrossFaderCtrl* mainFader_ = nullptr;        // 1043
    QSlider* cueMark_ = nullptr;                     // 1091
    QCheckBox* faderCueingEnabled_ = nullptr;        // 1048
    QPushButton* options_ = nullptr;                 // 1101
    QProgressBar* cpuBar_ = nullptr;                 // 1018
    QLabel* cpuText_ = nullptr;                      // 1019
    CZanFaderCueing faderCueing_;
    std::unique_ptr<KeyboardShortcuts> shortcuts_;

    CZanSoundDeviceLists* soundDevices_ = nullptr;
    SettingsStore* settings_ = nullptr;
    SoundSystem* soundSystem_ = nullptr;
};

// The about box: "Quillmix V. 1.0.13" and OK.
void showAboutBox(QWidget* parent);

}  // namespace quillmix
