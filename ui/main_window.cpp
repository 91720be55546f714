#include "ui/main_window.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QStyle>
#include <QThread>

#include "app/command_line_info.h"
#include "app/cpu_usage_meter.h"
#include "app/message_catalogue.h"
#include "app/settings_store.h"
#include "app/shared_state.h"
#include "app/worker_threads.h"
#include "deck/deck.h"
#include "engine/zan_device_list.h"
#include "engine/zan_mixer.h"
#include "platform/thread_priority.h"
#include "playlist/play_list_reader.h"
#include "playlist/zan_play_list.h"
#include "sound/sound_system.h"
#include "sources/track_length_loader.h"
#include "ui/analyzer_panel.h"
#include "ui/deck_panel.h"
#include "ui/effects_panel.h"
#include "ui/equalizer_panel.h"
#include "ui/mixer_panel.h"
#include "ui/panel_placement.h"
#include "ui/play_list_panel.h"

namespace quillmix {

namespace {
constexpr int kCpuTimer = 0;
constexpr int kCpuTimerPeriodMs = 500;
constexpr int kCloseRetryTimer = 1;
constexpr int kCloseRetryMs = 10;
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
    delete mixerPanel_;
    mixer_.reset();
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

    mixer_ = std::make_unique<CZanMixer>(services_.mixer);
    mixerPanel_ = new MixerPanel(this, *mixer_);
    mixerPanel_->setKeyboard(&services_.keyboardInput);
    mixerPanel_->setOptionsServices(services_.soundDevices, services_.mixer.settings, &services_.mixer.soundSystem);
    mixerPanel_->adjustSize();
    mixerRectAtCreation_ = mixerPanel_->geometry();  // without the frame it has once shown
    openStoredOutputs();

    if (services_.startTrackLengthLoader) startTrackLengthLoader().detach();
    startKeyboardPollThread(services_.keyboardInput);
    setFocus();

    {
        const std::string missing = checkSoundLayer ? checkSoundLayer() : defaultSoundLayerCheck();
        if (!missing.empty()) {
            QMessageBox::critical(nullptr, "Quillmix", QString::fromStdString(missing));
            stopKeyboardPollThread(services_.keyboardInput);
            delete mixerPanel_;
            mixerPanel_ = nullptr;
            mixer_.reset();
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
    const std::string& main = services_.mainDeviceForRun;
    const std::string& monitor = services_.monitorDeviceForRun;
    lists->Refresh(services_.mixer.soundSystem, main.empty() ? settings->getSoundDeviceMain() : main,
                   monitor.empty() ? settings->getSoundDeviceHeadphones() : monitor);
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

// A command-line track goes into deck A and into the play list for deck A; a play list
// file (m3u, pls) is read into the play list instead, its entries for deck A.
bool CZanAudioDlg::defaultCommandLineLoad(const std::string& path) {
    if (IsPlayListExtension(path)) return mixer_->playList()->model().LoadPlayList(path);
    return loadStartUpTrack(0, path);
}

// Loads a sound file into the deck and adds its play list entry for that deck.
bool CZanAudioDlg::loadStartUpTrack(int deck, const std::string& path) {
    CZanDeck2* target = mixer_->deck(deck);
    if (!target->LoadTrack(path)) return false;
    PlayListModel& playList = mixer_->playList()->model();
    playList.AddEntry(deck, path, target->GetLength(), target->GetTitle());
    // The deck now holds this track: its entry is the current one, so that Next goes on from
    // it rather than back to the deck's first entry.
    playList.MakeCurrent(playList.EntryCount() - 1);
    return true;
}

// Each command-line argument is loaded into deck A in turn; one that cannot be loaded is
// passed over without a message.
void CZanAudioDlg::runStartUpLoading() {
    bool done = !services_.commandLine.hasArguments();
    while (!done) {
        const std::string path = services_.commandLine.next(done);
        if (loadCommandLineTrack)
            loadCommandLineTrack(path);
        else
            defaultCommandLineLoad(path);
    }
    // The file asked for deck B (--deck-b) comes last; one that cannot be loaded is passed
    // over without a message, like the others.
    if (!services_.deckBTrack.empty()) loadStartUpTrack(1, services_.deckBTrack);
}

void CZanAudioDlg::placePanels() {
    if (!mixerPanel_) return;
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const int caption = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    ScreenMetrics metrics{available.width(), available.height() - caption, caption};

    MixerPanel* m = mixerPanel_;
    const std::initializer_list<QWidget*> panels{m,
                                                 m->deck(0),
                                                 m->deck(1),
                                                 m->equalizer(0),
                                                 m->equalizer(1),
                                                 m->effects(0),
                                                 m->effects(1),
                                                 m->playList(),
                                                 m->analyzer()};
    // A window has its frame only once shown; the sizes are those of the framed windows, or
    // panels would overlap by their frames.
    for (QWidget* w : panels)
        if (!w->isVisible()) w->show();
    auto sizeOf = [](const QWidget* w) { return PanelSize{w->frameGeometry().width(), w->frameGeometry().height()}; };
    PanelSizes sizes;
    const QSize mixerFrame = m->frameGeometry().size() - m->geometry().size();
    sizes.mixerAtCreation = {mixerRectAtCreation_.width() + mixerFrame.width(),
                             mixerRectAtCreation_.height() + mixerFrame.height()};
    for (int d = 0; d < kDeckCount; ++d) {
        sizes.deck[d] = sizeOf(mixerPanel_->deck(d));
        sizes.equalizer[d] = sizeOf(mixerPanel_->equalizer(d));
        sizes.effects[d] = sizeOf(mixerPanel_->effects(d));
    }
    sizes.playList = sizeOf(mixerPanel_->playList());
    sizes.analyzer = sizeOf(mixerPanel_->analyzer());

    auto panelWidget = [m](Panel p) -> QWidget* {
        switch (p) {
            case Panel::mixer: return m;
            case Panel::deckA: return m->deck(0);
            case Panel::deckB: return m->deck(1);
            case Panel::equalizerA: return m->equalizer(0);
            case Panel::equalizerB: return m->equalizer(1);
            case Panel::effectsA: return m->effects(0);
            case Panel::effectsB: return m->effects(1);
            case Panel::playList: return m->playList();
            case Panel::analyzer: return m->analyzer();
        }
        return nullptr;
    };
    for (const PlacementStep& step : quillmix::placePanels(metrics, sizes)) {
        QWidget* w = panelWidget(step.panel);
        w->move(available.left() + step.left, available.top() + step.top);
        w->show();
    }
}

// A close that arrives inside a wait (a file open, a fade, a thread stop) or a modal
// dialog's loop would destroy the mixer and decks under the frames still on the stack: it
// runs once they have returned.
void CZanAudioDlg::requestClose() {
    const int loopLevelOfMine = modalLoop_ ? 1 : 0;
    if (pumpingWaitDepth() == 0 && QThread::currentThread()->loopLevel() <= loopLevelOfMine) {
        killWindowTimer(kCloseRetryTimer);
        onClose();
        return;
    }
    closePending_ = true;
    setWindowTimer(kCloseRetryTimer, kCloseRetryMs);
}

void CZanAudioDlg::onTimer(int id) {
    if (id == kCloseRetryTimer) {
        requestClose();
        return;
    }
    if (id != kCpuTimer) return;
    cpuUsage_ = services_.cpuUsageMeter.sample();
    cpuUsageText_ = std::to_string(static_cast<int>(cpuUsage_)) + " %";
    postMessage(mainDialogWindow, UWM_SHOW_CPU_USAGE);
}

void CZanAudioDlg::showCpuUsage() {
    cpuUsageBar_->setValue(static_cast<int>(cpuUsage_));
    cpuUsageLabel_->setText(QString::fromStdString(cpuUsageText_));
    // This window is never seen: the mixer panel shows the meter to the user.
    if (mixerPanel_) mixerPanel_->showCpuUsage(static_cast<int>(cpuUsage_), cpuUsageLabel_->text());
}

// The refresh requests only copy a value that its panel already holds into one of that
// panel's controls. A request whose control does not exist yet changes nothing.
MessageResult CZanAudioDlg::handleMessage(unsigned message, WParam wParam, LParam lParam) {
    switch (message) {
        case WM_CLOSE: requestClose(); break;
        case UWM_SHOW_CPU_USAGE: showCpuUsage(); break;
        case UWM_RELAYOUT_PANELS: placePanels(); break;
        default:
            if (PanelDialog* panel = refreshTarget(message, wParam)) panel->onRefresh(message, lParam);
            break;
    }
    return 0;
}

// Which panel shows what a refresh request names: the mixer panel's own controls, or the
// deck or effects panel of deck wParam.
PanelDialog* CZanAudioDlg::refreshTarget(unsigned message, WParam wParam) const {
    if (!mixerPanel_) return nullptr;
    const int d = wParam < 2 ? static_cast<int>(wParam) : -1;
    switch (message) {
        case UWM_REFRESH_CROSS_FADE_CURVE_GRAPH:
        case UWM_SHOW_CROSS_FADE_CURVE_POSITION:
        case UWM_SHOW_MONITOR_CROSS_FADER:
        case UWM_SHOW_MAIN_CROSS_FADER:
        case UWM_SHOW_DECK_METER:
        case UWM_SHOW_DECK_LEVEL:
        case UWM_SHOW_MAIN_LEVEL: return mixerPanel_;
        case UWM_SHOW_CUE_BUTTON:
        case UWM_SHOW_TIME_ENABLED:
        case UWM_SHOW_TIME_TEXT:
        case UWM_SHOW_LENGTH_TEXT:
        case UWM_SHOW_TRACK_NAME:
        case UWM_ENABLE_REVERSE_BUTTON:
        case UWM_ENABLE_TRANSPORT_BUTTONS:
        case UWM_REDRAW_CIRCULAR_CHART:
        case UWM_SHOW_TEMPO_TEXT:
        case UWM_SHOW_TEMPO_SLIDER:
        case UWM_SHOW_POSITION_SLIDER: return d < 0 ? nullptr : mixerPanel_->deck(d);
        case UWM_SHOW_EFFECT_PARAMETER_NAMES:
        case UWM_SHOW_EFFECT_PARAMETER_VALUE:
        case UWM_SHOW_EFFECT_PARAMETER_SLIDER: return d < 0 ? nullptr : mixerPanel_->effects(d);
        default: return nullptr;
    }
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
    if (mixerPanel_) mixerPanel_->destroyOwnedPanels();
    delete mixerPanel_;
    mixerPanel_ = nullptr;
    if (mixer_) mixer_->destroyOwned();
    mixer_.reset();
    if (modalLoop_) modalLoop_->exit(0);
}

}  // namespace quillmix
