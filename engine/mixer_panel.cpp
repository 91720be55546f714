#include "engine/mixer_panel.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>

#include "app/quillmix.h"
#include "deck/deck_panel.h"
#include "dsp/analyzer_panel.h"
#include "dsp/effects_panel.h"
#include "dsp/equalizer_panel.h"
#include "playlist/play_list_panel.h"

namespace quillmix {

CZanMixer::CZanMixer(QWidget* parent, MixerServices services)
    : PanelDialog(parent, "Quillmix", dialogUnits(214, 212)), services_(services),
      engine_(std::make_unique<MixerEngine>(services)) {
    setObjectName("mixer");
    mixerWindow = handle();
    services.soundSystem.setLossNotice({handle(), UWM_SOUND_DEVICE_LOST});
    // Shown without a nested loop: the notice arrives while decks may be mid-operation.
    engine_->deviceLostNotice = [this](const std::string& text) {
        auto* box = new QMessageBox(QMessageBox::Warning, "Quillmix", QString::fromStdString(text), QMessageBox::Ok, this);
        box->setObjectName("deviceLostBox");
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    };
    confirmExit = [this] {
        return QMessageBox::question(this, "Quillmix", "Are you sure you want to exit?",
                                     QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    };
    analyzer_ = new CZanAnalyzer(parent);
    playList_ = new CZanPlayList2(parent);
    engine_->SetPlayList(&playList_->model());
    for (int d = 0; d < kDeckCount; ++d) {
        decks_[d] = new CZanDeck2(parent, d, DeckSources{*services.trackReaders[d], *services.readForwardRings[d]});
        deckWindow[d] = decks_[d]->handle();
        deckLinks_[d] = std::make_unique<DeckPanelLink>(*decks_[d], *services.trackReaders[d], &playList_->model());
        engine_->SetDeck(d, deckLinks_[d].get());
        effects_[d] = new CZanEffects(parent, d);
        equalizers_[d] = new CZanEqualizer2(parent, d);
    }
    for (PanelDialog* p : std::initializer_list<PanelDialog*>{analyzer_, playList_, decks_[0], decks_[1], effects_[0],
                                                              effects_[1], equalizers_[0], equalizers_[1]})
        p->setKeyTarget(this);
}

CZanMixer::~CZanMixer() {
    destroyOwnedPanels();
    engine_.reset();
    if (mixerWindow == handle()) mixerWindow = WindowHandle{};
}

void CZanMixer::destroyOwnedPanels() {
    for (int d = 0; d < kDeckCount; ++d) {
        if (engine_) engine_->SetDeck(d, nullptr);
        deckLinks_[d].reset();
        delete effects_[d];
        effects_[d] = nullptr;
        if (decks_[d]) deckWindow[d] = WindowHandle{};
        delete decks_[d];
        decks_[d] = nullptr;
        delete equalizers_[d];
        equalizers_[d] = nullptr;
    }
    delete analyzer_;
    analyzer_ = nullptr;
    if (engine_) engine_->SetPlayList(nullptr);
    delete playList_;
    playList_ = nullptr;
}

MessageResult CZanMixer::handleMessage(unsigned message, WParam wParam, LParam lParam) {
    MessageResult result = 0;
    if (engine_) engine_->handleMessage(message, wParam, lParam, result);
    return result;
}

void CZanMixer::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (!confirmExit || !confirmExit()) return;
    postMessage(mainDialogWindow, WM_CLOSE);
    hide();
}

void CZanMixer::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction("&About Quillmix...", this, [this] { showAboutBox(this); });
    menu.exec(event->globalPos());
}

void showAboutBox(QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, "Quillmix", "Quillmix V. 1.0.13", QMessageBox::Ok, parent);
    box.setObjectName("aboutBox");
    box.setIconPixmap(parent ? parent->windowIcon().pixmap(32, 32) : QPixmap());
    box.exec();
}

}  // namespace quillmix
