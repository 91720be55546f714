#include "ui/mixer_panel.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>

#include "app/shared_state.h"
#include "engine/mixer_engine.h"
#include "engine/zan_mixer.h"
#include "ui/analyzer_panel.h"
#include "ui/deck_panel.h"
#include "ui/effects_panel.h"
#include "ui/equalizer_panel.h"
#include "ui/play_list_panel.h"

namespace quillmix {

MixerPanel::MixerPanel(QWidget* parent, CZanMixer& mixer)
    : PanelDialog(parent, "Quillmix", dialogUnits(214, 212)), mixer_(mixer) {
    setObjectName("mixer");
    confirmExit = [this] {
        return QMessageBox::question(this, "Quillmix", "Are you sure you want to exit?",
                                     QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
    };
    // Shown without a nested loop: the notice arrives while decks may be mid-operation.
    mixer.engine().deviceLostNotice = [this](const std::string& text) {
        auto* box = new QMessageBox(QMessageBox::Warning, "Quillmix", QString::fromStdString(text), QMessageBox::Ok, this);
        box->setObjectName("deviceLostBox");
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    };
    analyzer_ = new AnalyzerPanel(parent, mixer.engine().cycle().analysis());
    mixer.engine().cycle().analysisDone = [this](int d) {
        if (analyzer_) analyzer_->showAnalysis(d);
    };
    playList_ = new PlayListPanel(parent, *mixer.playList());
    for (int d = 0; d < kDeckCount; ++d) {
        decks_[d] = new DeckPanel(parent, *mixer.deck(d), d);
        effects_[d] = new EffectsPanel(parent, mixer.engine(), d);
        equalizers_[d] = new EqualizerPanel(parent, mixer.engine(), d);
    }
    for (PanelDialog* p : std::initializer_list<PanelDialog*>{analyzer_, playList_, decks_[0], decks_[1], effects_[0],
                                                              effects_[1], equalizers_[0], equalizers_[1]})
        p->setKeyTarget(this);
}

MixerPanel::~MixerPanel() { destroyOwnedPanels(); }

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

void showAboutBox(QWidget* parent) {
    QMessageBox box(QMessageBox::NoIcon, "Quillmix", "Quillmix V. 1.0.13", QMessageBox::Ok, parent);
    box.setObjectName("aboutBox");
    box.setIconPixmap(parent ? parent->windowIcon().pixmap(32, 32) : QPixmap());
    box.exec();
}

}  // namespace quillmix
