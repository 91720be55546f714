// The deck panel's track chooser: its fixed entries, the entry of the loaded track, and
// "Browse...".
#include <QComboBox>
#include <QPointer>

#include <string>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "deck/deck.h"
#include "ui/deck_panel.h"
#include "ui/dialog_seam.h"

namespace quillmix {

namespace {
constexpr int kNothingLoadedEntry = 0;
constexpr int kBrowseEntry = 1;
constexpr int kTrackEntry = 2;
const QString kBrowseText = "Browse...";
// Formats we decode beyond the classic four.
const QString kMoreFormats = "*.flac *.opus *.m4a *.aac";
}  // namespace

// The file dialog separates patterns by spaces; the stored filter by "; ".
QString DeckPanel::browseFilter() {
    QString patterns = QString::fromStdString(audioFileFilter);
    patterns.replace(';', ' ');
    patterns = patterns.simplified() + ' ' + kMoreFormats;
    return "Files (" + patterns + ");;All Files (*)";
}

void DeckPanel::resetChooser() {
    const QSignalBlocker quiet(chooser_);
    chooser_->clear();
    chooser_->addItem(kNothingLoadedText, 0);
    chooser_->addItem(kBrowseText, 1);
    chooser_->setCurrentIndex(kNothingLoadedEntry);
}

// One track entry at most: the path the transport has loaded, selected.
void DeckPanel::syncChooser() {
    const QString path = QString::fromStdString(deck_.comboTrackPath());
    if (!deck_.IsLoaded() || path.isEmpty() || path == kNothingLoadedText) {
        if (chooser_->count() != 2 || chooser_->currentIndex() != kNothingLoadedEntry) resetChooser();
        return;
    }
    const QSignalBlocker quiet(chooser_);
    if (chooser_->count() <= kTrackEntry)
        chooser_->addItem(path, -1);
    else if (chooser_->itemText(kTrackEntry) != path)
        chooser_->setItemText(kTrackEntry, path);
    while (chooser_->count() > kTrackEntry + 1) chooser_->removeItem(kTrackEntry + 1);
    chooser_->setCurrentIndex(kTrackEntry);
}

void DeckPanel::onChooserActivated(int index) {
    if (index == kNothingLoadedEntry)
        deck_.Unload();
    else if (index == kBrowseEntry)
        browse();
}

void DeckPanel::browse() {
    sendMessage(mixerWindow, UWM_BUFFER_AHEAD_LONG);
    const QStringList paths = dialogSeam().openFiles(this, "Open", browseFilter());
    if (paths.isEmpty()) {
        const int previous = chooser_->findText(QString::fromStdString(deck_.comboTrackPath()));
        const QSignalBlocker quiet(chooser_);
        chooser_->setCurrentIndex(previous > kBrowseEntry ? previous : kNothingLoadedEntry);
    } else {
        // Chosen inside a wait of the deck, the load is deferred; the play list entry must
        // then name the track it loads, not the one it replaces, so the steps wait together.
        deck_.RunWhenFree([panel = QPointer<DeckPanel>(this), paths] {
            if (panel) panel->loadChosen(paths);
        });
    }
    setFocus();
    sendMessage(mixerWindow, UWM_BUFFER_AHEAD_NORMAL);
}

void DeckPanel::loadChosen(const QStringList& paths) {
    const WParam d = static_cast<WParam>(deckIndex_);
    if (deck_.LoadTrack(paths.front().toStdString())) {
        sendMessage(mixerWindow, UWM_PLAY_LIST_ADD_DECK_TRACK, d);
        syncChooser();
    } else {
        dialogSeam().showMessage(this, "Quillmix", "File Not Recognized");
        resetChooser();
    }
    for (qsizetype i = 1; i < paths.size(); ++i) {
        deck_.SetExtraBrowsePath(paths[i].toStdString());
        sendMessage(mixerWindow, UWM_PLAY_LIST_ADD_EMPTY, d);
    }
}

}  // namespace quillmix
