#include "ui/mixer_panel.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "engine/mixer_engine.h"
#include "engine/zan_device_list.h"
#include "engine/zan_mixer.h"
#include "ui/analyzer_panel.h"
#include "ui/deck_panel.h"
#include "ui/dialog_seam.h"
#include "ui/effects_panel.h"
#include "ui/equalizer_panel.h"
#include "ui/keyboard_shortcuts.h"
#include "ui/options_dialog.h"
#include "ui/play_list_panel.h"

namespace quillmix {

MixerPanel::MixerPanel(QWidget* parent, CZanMixer& mixer)
    : PanelDialog(parent, "Quillmix", dialogUnits(214, 212)), mixer_(mixer) {
    setObjectName("mixer");
    // The layout is in dialog units of the 8-point dialog font.
    QFont dialogFont = font();
    dialogFont.setPointSize(8);
    setFont(dialogFont);
    confirmExit = [this] { return dialogSeam().askOkCancel(this, "Quillmix", "Are you sure you want to exit?"); };
    runOptionsDialog = [](OptionsDialog& dialog) { return dialog.exec() == QDialog::Accepted; };
    // Shown without a nested loop: the notice arrives while decks may be mid-operation.
    mixer.engine().deviceLostNotice = [this](const std::string& text) {
        auto* box =
            new QMessageBox(QMessageBox::Warning, "Quillmix", QString::fromStdString(text), QMessageBox::Ok, this);
        box->setObjectName("deviceLostBox");
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    };
    createPanels(parent);
    createControls();
    shortcuts_ = std::make_unique<KeyboardShortcuts>(*this);
    mixer.keyPressed = [this](std::uint8_t code) { shortcuts_->onHeldKey(code); };
    // A key released while another application has the focus never reaches us.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive) shortcuts_->releaseHeldButtons();
    });
}

MixerPanel::~MixerPanel() {
    mixer_.keyPressed = nullptr;
    destroyOwnedPanels();
}

void MixerPanel::onWindowKey(QKeyEvent* event) { shortcuts_->onWindowKey(*event); }

void MixerPanel::setKeyboard(const KeyboardReader* reader) { shortcuts_->setModifierSource(reader); }

void MixerPanel::createPanels(QWidget* parent) {
    analyzer_ = new AnalyzerPanel(parent, mixer_.engine().cycle().analysis());
    mixer_.engine().cycle().analysisDone = [this](int d) {
        if (analyzer_) analyzer_->showAnalysis(d);
    };
    playList_ = new PlayListPanel(parent, *mixer_.playList());
    for (int d = 0; d < kDeckCount; ++d) {
        decks_[d] = new DeckPanel(parent, *mixer_.deck(d), d);
        decks_[d]->setChartSource(mixer_.analysis());
        effects_[d] = new EffectsPanel(parent, mixer_.engine(), d);
        equalizers_[d] = new EqualizerPanel(parent, mixer_.engine(), d);
    }
    for (PanelDialog* p : std::initializer_list<PanelDialog*>{analyzer_, playList_, decks_[0], decks_[1], effects_[0],
                                                              effects_[1], equalizers_[0], equalizers_[1]})
        p->setKeyTarget(this);
}

void MixerPanel::destroyOwnedPanels() {
    mixer_.engine().cycle().analysisDone = nullptr;
    for (int d = 0; d < kDeckCount; ++d) {
        delete effects_[d];
        effects_[d] = nullptr;
        delete decks_[d];
        decks_[d] = nullptr;
        delete equalizers_[d];
        equalizers_[d] = nullptr;
    }
    delete analyzer_;
    analyzer_ = nullptr;
    delete playList_;
    playList_ = nullptr;
}

void MixerPanel::setOptionsServices(CZanSoundDeviceLists* lists, SettingsStore* settings, SoundSystem* system) {
    soundDevices_ = lists;
    settings_ = settings;
    soundSystem_ = system;
}

// "Show": after OK both decks unload (their buffers belong to the old outputs), their
// equalisers and effects switch off, the outputs reopen on the chosen devices, and what
// shows the deck colours is redrawn. Cancel changes
// nothing.
void MixerPanel::onOptions() {
    if (!soundDevices_ || !soundSystem_) return;
    OptionsDialog dialog(this, *soundDevices_, *soundSystem_, settings_);
    if (!runOptionsDialog || !runOptionsDialog(dialog)) return;
    *soundDevices_ = dialog.lists();
    for (int d = 0; d < kDeckCount; ++d) {
        mixer_.deck(d)->Unload();
        equalizers_[d]->switchOff();
        effects_[d]->switchOff();
    }
    const CZanSoundDeviceLists& lists = *soundDevices_;
    mixer_.engine().OpenOutputs(lists.GetMainDeviceGuid(), lists.mainDeviceText, lists.GetMonitorDeviceGuid(),
                                lists.monitorDeviceText);
    showMonitorVolume();
    refreshCurveGraph();
    for (int d = 0; d < kDeckCount; ++d)
        postMessage(mainDialogWindow, UWM_REDRAW_CIRCULAR_CHART, static_cast<WParam>(d));
}

void MixerPanel::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (!confirmExit || !confirmExit()) return;
    postMessage(mainDialogWindow, WM_CLOSE);
    hide();
}

void MixerPanel::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction("&About Quillmix...", this, [this] { showAboutBox(this); });
    menu.exec(event->globalPos());
}

// Minimising hides the other panels and restoring shows them; maximising places every
// panel again. Only once the main window has placed them.
void MixerPanel::changeEvent(QEvent* event) {
    PanelDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !mainWindowReady) return;
    setWindowTitle("Quillmix");
    if (windowState() & Qt::WindowMinimized)
        showOtherPanels(false);
    else if (windowState() & Qt::WindowMaximized)
        postMessage(mainDialogWindow, UWM_RELAYOUT_PANELS);
    else
        showOtherPanels(true);
}

void MixerPanel::showOtherPanels(bool visible) {
    for (QWidget* p : std::initializer_list<QWidget*>{analyzer_, playList_, decks_[0], decks_[1], effects_[0],
                                                      effects_[1], equalizers_[0], equalizers_[1]})
        if (p) p->setVisible(visible);
}

void MixerPanel::moveEvent(QMoveEvent* event) {
    PanelDialog::moveEvent(event);
    if (mainWindowReady) followMixer();
}

// The deck panels stand either side of the mixer, the equaliser and effects panels under
// them; deck B, equaliser B and effects B take the sizes of their deck A counterparts.
void MixerPanel::followMixer() {
    if (!decks_[0] || !equalizers_[0] || !effects_[0]) return;
    const QRect m = frameGeometry();
    const int deckWidth = decks_[0]->frameGeometry().width();
    const int eqWidth = equalizers_[0]->frameGeometry().width();
    const int fxWidth = effects_[0]->frameGeometry().width();
    const int right = m.x() + m.width();
    const int bottom = m.y() + m.height();
    decks_[1]->resize(decks_[0]->size());
    equalizers_[1]->resize(equalizers_[0]->size());
    effects_[1]->resize(effects_[0]->size());
    decks_[0]->move(m.left() - deckWidth, m.top());
    decks_[1]->move(right, m.top());
    equalizers_[0]->move(m.left() - deckWidth, bottom);
    equalizers_[1]->move(right + deckWidth - eqWidth, bottom);
    effects_[0]->move(m.left() - deckWidth + eqWidth, bottom);
    effects_[1]->move(right + deckWidth - eqWidth - fxWidth, bottom);
}

void showAboutBox(QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, "Quillmix", "Quillmix V. 1.0.13", QMessageBox::Ok, parent);
    box.setObjectName("aboutBox");
    box.setIconPixmap(parent ? parent->windowIcon().pixmap(32, 32) : QPixmap());
    box.exec();
}

}  // namespace quillmix
