#include "app/shell/audio_dialog.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>

#include "app/quillmix.h"
#include "app/shell/panel_placement.h"
#include "app/command_line_info.h"
#include "app/cpu_usage_meter.h"
#include "app/settings_store.h"
#include "app/worker_threads.h"
#include "deck/deck_panel.h"
#include "dsp/analyzer_panel.h"
#include "dsp/effects_panel.h"
#include "dsp/equalizer_panel.h"
#include "engine/mixer_panel.h"
#include "engine/zan_device_list.h"
#include "platform/sound_system.h"
#include "platform/thread_priority.h"
#include "playlist/play_list_panel.h"
#include "sources/track_length_loader.h"

namespace quillmix {

namespace {
constexpr int kCpuTimer = 0;
constexpr int kCpuTimerPeriodMs = 500;
}  // namespace

CZanAudioDlg::CZanAudioDlg(ShellServices services, QWidget* parent) : QDialog(parent), services_(services) {
    setObjectName("mainDialog");
    setWindowTitle("Audio Mixer");
    cpuUsageBar_ = new QProgressBar(this);
    cpuUsageBar_->setObjectName("1018");
    cpuUsageBar_->setRange(0, 100);
    cpuUsageLabel_ = new QLabel("0 %", this);
    cpuUsageLabel_->setObjectName("1019");
}

CZanAudioDlg::~CZanAudioDlg() {
    delete mixer_;
    if (mainDialogWindow == handle()) mainDialogWindow = WindowHandle{};
}

void CZanAudioDlg::DoModal() {
    if (!OnInitDialog()) return;  // cancelled during start-up
    QEventLoop loop;
    modalLoop_ = &loop;
    if (!closed_) loop.exec();
    modalLoop_ = nullptr;
}

bool CZanAudioDlg::OnInitDialog() {
    setWindowIcon(QGuiApplication::windowIcon());
    mainDialogWindow = handle();
    // Never shown: the window sits at the origin with no size.
    setGeometry(0, 0, 0, 0);
    hide();
    setWindowTitle("Quillmix");

    mixer_ = new CZanMixer(this, services_.mixer);
    mixer_->adjustSize();
    mixerRectAtCreation_ = mixer_->frameGeometry();
    openStoredOutputs();

    if (services_.startTrackLengthLoader) startTrackLengthLoader().detach();
    startKeyboardPollThread(services_.keyboardInput);
    setFocus();

    {
        const std::string missing = checkSoundLayer ? checkSoundLayer() : defaultSoundLayerCheck();
        if (!missing.empty()) {
            QMessageBox::critical(nullptr, "Quillmix", QString::fromStdString(missing));
            stopKeyboardPollThread(services_.keyboardInput);
            delete mixer_;
            mixer_ = nullptr;
            return false;
        }
    }

    runStartUpLoading();
    placePanels();
    setWindowTimer(kCpuTimer, kCpuTimerPeriodMs);
    raiseProcessPriority();
    mainWindowReady = 1;
    return true;
}

// The outputs open on the devices chosen last time, as the options dialog would open them.
void CZanAudioDlg::openStoredOutputs() {
    CZanSoundDeviceLists* lists = services_.soundDevices;
    SettingsStore* settings = services_.mixer.settings;
    if (!lists || !settings) return;
    lists->Refresh(services_.mixer.soundSystem, settings->getSoundDeviceMain(), settings->getSoundDeviceHeadphones());
    lists->Confirm();
    mixer_->engine().OpenOutputs(lists->GetMainDeviceGuid(), lists->mainDeviceText, lists->GetMonitorDeviceGuid(),
                                 lists->monitorDeviceText);
}

// Without a device of any kind (not even the built-in recorder) nothing could play.
std::string CZanAudioDlg::defaultSoundLayerCheck() const {
    if (services_.mixer.soundSystem.enumerate().empty())
        return "No sound device can be opened, not even the built-in recorder. Quillmix cannot run.";
    return {};
}

// A command-line track goes into deck A and into the play list for deck A.
bool CZanAudioDlg::defaultCommandLineLoad(const std::string& path) {
    CZanDeck2* deckA = mixer_->deck(0);
    if (!deckA->LoadTrack(path)) return false;
    PlayListModel& playList = mixer_->playList()->model();
    playList.AddEntry(0, path, deckA->GetLength(), deckA->GetTitle());
    playList.ClearCurrent(playList.Entry(0).deck);
    return true;
}

// Each command-line argument is loaded into deck A in turn; one that cannot be loaded is
// passed over without a message.
void CZanAudioDlg::runStartUpLoading() {
    if (!services_.commandLine.hasArguments()) return;
    bool done = false;
    while (!done) {
        const std::string path = services_.commandLine.next(done);
        if (loadCommandLineTrack) loadCommandLineTrack(path);
        else defaultCommandLineLoad(path);
    }
}

void CZanAudioDlg::placePanels() {
    if (!mixer_) return;
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    ScreenMetrics metrics{available.width(), available.height() - caption, caption};

    auto sizeOf = [](const QWidget* w) { return PanelSize{w->frameGeometry().width(), w->frameGeometry().height()}; };
    PanelSizes sizes;
    sizes.mixerAtCreation = {mixerRectAtCreation_.width(), mixerRectAtCreation_.height()};
    for (int d = 0; d < kDeckCount; ++d) {
        sizes.deck[d] = sizeOf(mixer_->deck(d));
        sizes.equalizer[d] = sizeOf(mixer_->equalizer(d));
        sizes.effects[d] = sizeOf(mixer_->effects(d));
    }
    sizes.playList = sizeOf(mixer_->playList());
    sizes.analyzer = sizeOf(mixer_->analyzer());

    auto panelWidget = [this](Panel p) -> QWidget* {
        switch (p) {
            case Panel::mixer: return mixer_;
            case Panel::deckA: return mixer_->deck(0);
            case Panel::deckB: return mixer_->deck(1);
            case Panel::equalizerA: return mixer_->equalizer(0);
            case Panel::equalizerB: return mixer_->equalizer(1);
            case Panel::effectsA: return mixer_->effects(0);
            case Panel::effectsB: return mixer_->effects(1);
            case Panel::playList: return mixer_->playList();
            case Panel::analyzer: return mixer_->analyzer();
        }
        return nullptr;
    };
    for (const PlacementStep& step : quillmix::placePanels(metrics, sizes)) {
        QWidget* w = panelWidget(step.panel);
        w->move(available.left() + step.left, available.top() + step.top);
        w->show();
    }
}

void CZanAudioDlg::onTimer(int id) {
    if (id != kCpuTimer) return;
    cpuUsage_ = services_.cpuUsageMeter.sample();
    cpuUsageText_ = std::to_string(static_cast<int>(cpuUsage_)) + " %";
    postMessage(mainDialogWindow, UWM_SHOW_CPU_USAGE);
}

void CZanAudioDlg::showCpuUsage() {
    cpuUsageBar_->setValue(static_cast<int>(cpuUsage_));
    cpuUsageLabel_->setText(QString::fromStdString(cpuUsageText_));
}

// The refresh requests only copy a value that its panel already holds into one of that
// panel's controls. A request whose control does not exist yet changes nothing.
MessageResult CZanAudioDlg::handleMessage(unsigned message, WParam, LParam) {
    switch (message) {
        case WM_CLOSE: onClose(); break;
        case UWM_SHOW_CPU_USAGE: showCpuUsage(); break;
        case UWM_RELAYOUT_PANELS: placePanels(); break;
        default: break;
    }
    return 0;
}

// The orderly shut-down, in its fixed order.
void CZanAudioDlg::onClose() {
    if (closed_) return;
    closed_ = true;
    killWindowTimer(kCpuTimer);
    for (int d = 0; mixer_ && d < kDeckCount; ++d)
        if (mixer_->deck(d)->IsPlaying()) mixer_->deck(d)->PlayPause(true);
    letWindowThreadRun(100);  // workers blocked in a send to the mixer can finish
    stopKeyboardPollThread(services_.keyboardInput);
    writeFlag(trackLengthLoaderRunning, 0);
    trackLengthLoadEvent.set();
    letWindowThreadRun(100);
    if (mixer_) mixer_->destroyOwnedPanels();
    delete mixer_;
    mixer_ = nullptr;
    if (modalLoop_) modalLoop_->exit(0);
}

}  // namespace quillmix
