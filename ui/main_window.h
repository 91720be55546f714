#pragma once
// The hidden main window. It is never shown: it owns the mixer and, through the mixer panel,
// the panels that show it,
// places them on the screen, samples the CPU meter every 500 ms, turns posted refresh
// requests into control updates, and its close is the program's orderly shut-down.

#include <QDialog>

#include <functional>
#include <memory>
#include <string>

#include "platform/messaging.h"
#include "ui/shell_services.h"

class QEventLoop;
class QLabel;
class QProgressBar;

namespace quillmix {

class CZanMixer;
class MixerPanel;
class PanelDialog;

class CZanAudioDlg : public QDialog, public MessageWindow {
public:
    explicit CZanAudioDlg(ShellServices services, QWidget* parent = nullptr);
    ~CZanAudioDlg() override;

    // Runs the window modally for the life of the program, without ever showing it: start-up,
    // then the message loop until the close has run.
    void DoModal();
    bool OnInitDialog();

    MessageResult handleMessage(unsigned message, WParam wParam, LParam lParam) override;
    void onTimer(int id) override;

    CZanMixer* mixer() const { return mixer_.get(); }
    MixerPanel* mixerPanel() const { return mixerPanel_; }
    double cpuUsagePercent() const { return cpuUsage_; }
    const std::string& cpuUsageText() const { return cpuUsageText_; }
    bool closePending() const { return closePending_ && !closed_; }

    // Whether the sound layer can start: what is missing, or "" when it can. By default, a
    // device of any kind must exist; tests replace it to see the failure path.
    std::function<std::string()> checkSoundLayer;
    // Loads one command-line argument (by default into deck A and the play list); false when
    // it fails.
    std::function<bool(const std::string& path)> loadCommandLineTrack;

    void placePanels();

private:
    void openStoredOutputs();
    std::string defaultSoundLayerCheck() const;
    bool defaultCommandLineLoad(const std::string& path);
    bool loadStartUpTrack(int deck, const std::string& path);
    void runStartUpLoading();
    PanelDialog* refreshTarget(unsigned message, WParam wParam) const;
    void requestClose();
    void onClose();
    void showCpuUsage();

    ShellServices services_;
    std::string cpuUsageText_ = "0 %";
    double cpuUsage_ = 0.0;
    QRect mixerRectAtCreation_;
    QProgressBar* cpuUsageBar_ = nullptr;  // control 1018
    QLabel* cpuUsageLabel_ = nullptr;      // control 1019
    std::unique_ptr<CZanMixer> mixer_;
    MixerPanel* mixerPanel_ = nullptr;
    QEventLoop* modalLoop_ = nullptr;
    bool closed_ = false;
    bool closePending_ = false;  // asked for inside a wait; runs when the stack has unwound
};

}  // namespace quillmix
