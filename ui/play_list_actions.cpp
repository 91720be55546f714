// The play list panel's operations: adding files, folders and drops, the folder scan's
// ticks, deleting, saving, the find and the display mode.
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressBar>
#include <QRadioButton>

#include "app/message_catalogue.h"
#include "app/shared_state.h"
#include "playlist/play_list_model.h"
#include "playlist/play_list_writer.h"
#include "ui/dialog_seam.h"
#include "ui/play_list_controls.h"
#include "ui/play_list_panel.h"
#include "ui/widgets/zan_button_ctrl.h"

namespace quillmix {

namespace {

// The mixer keeps more sound queued ahead while a modal dialog holds the window thread.
class BufferAheadLong {
public:
    BufferAheadLong() { sendMessage(mixerWindow, UWM_BUFFER_AHEAD_LONG); }
    ~BufferAheadLong() { sendMessage(mixerWindow, UWM_BUFFER_AHEAD_NORMAL); }
    BufferAheadLong(const BufferAheadLong&) = delete;
    BufferAheadLong& operator=(const BufferAheadLong&) = delete;
};

std::vector<std::string> toStdPaths(const QStringList& list) {
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(list.size()));
    for (const QString& path : list) paths.push_back(path.toStdString());
    return paths;
}

// "*.mp3; *.ogg" as the dialog's space-separated pattern list.
QString dialogPatterns(const std::string& patterns) {
    return QString::fromStdString(patterns).split(';', Qt::SkipEmptyParts).replaceInStrings(" ", "").join(' ');
}

}  // namespace

std::string PlayListPanel::trackPatterns() { return audioFileFilter + "; *.flac; *.opus; *.m4a; *.aac"; }

QString PlayListPanel::addFileFilter() {
    const QString patterns = dialogPatterns(trackPatterns() + "; *.m3u; *.pls");
    return "Files (" + patterns + ");;All Files (*)";
}

void PlayListPanel::addFiles() {
    BufferAheadLong ahead;
    const QStringList files = dialogSeam().openFiles(this, "Add File", addFileFilter());
    if (files.isEmpty()) return;
    const std::optional<DeckChoice> choice = dialogSeam().selectDeck(this);
    if (!choice) return;
    model().AddFiles(toStdPaths(files), *choice);
}

void PlayListPanel::addFolder() {
    {
        BufferAheadLong ahead;
        scan_.Clear();
        const QString folder = dialogSeam().chooseFolder(this, "Select a folder of tracks.");
        if (folder.isEmpty()) return;
        const std::optional<DeckChoice> choice = dialogSeam().selectDeck(this);
        if (!choice) return;
        scan_.Begin(ScanFolderForTracks(folder.toStdString(), trackPatterns()), *choice, model().EntryCount());
    }
    progress_->setRange(0, scan_.Total());
    progress_->setValue(0);
    setButtonsVisible(false);
    progress_->show();
    scanTimer_.start();
    progressTimer_.start();
    setFocus();
}

// One tick of the scan: paths go in until the tick's budget is spent, so a large folder
// takes a few hundred ticks instead of one per path, and the window still answers between
// them.
void PlayListPanel::scanStep() {
    QElapsedTimer spent;
    spent.start();
    do {
        if (!scan_.InsertNext(model())) {
            endScan();
            return;
        }
    } while (spent.nsecsElapsed() < qint64{kScanBudgetMs} * 1'000'000);
}

void PlayListPanel::endScan() {
    scanTimer_.stop();
    progressTimer_.stop();
    progress_->hide();
    setButtonsVisible(true);
}

void PlayListPanel::setButtonsVisible(bool visible) {
    for (CZanButtonCtrl* button : buttons_) button->setVisible(visible);
}

void PlayListPanel::dropPaths(const std::vector<std::string>& dropped) {
    std::vector<std::string> paths;
    for (const std::string& path : dropped) {
        if (QFileInfo(QString::fromStdString(path)).isDir()) {
            for (std::string& track : ScanFolderForTracks(path, trackPatterns())) paths.push_back(std::move(track));
        } else {
            paths.push_back(path);
        }
    }
    model().AddDroppedFiles(paths);
}

void PlayListPanel::deleteSelected() { model().DeleteSelected(); }

void PlayListPanel::deleteAll() {
    BufferAheadLong ahead;
    if (dialogSeam().askOkCancel(this, "Play List", "Are You Sure?")) model().DeleteAll();
}

void PlayListPanel::save() {
    BufferAheadLong ahead;
    const QString path = dialogSeam().saveFile(this, "Save", "Files (*.m3u *.pls);;All Files (*)", QString());
    if (path.isEmpty()) return;
    const SaveStatus status = model().SavePlayList(path.toStdString());
    if (status != SaveStatus::saved) {
        // A name that is neither .m3u nor .pls writes nothing, which the user must hear of too.
        dialogSeam().showMessage(this, "Play List", kFileWriteErrorText);
    } else {
        // The title names the file the list is saved in, once it really is.
        setWindowTitle(path);
    }
}

void PlayListPanel::findNext() { model().FindNext(findText_->text().toStdString()); }

void PlayListPanel::setDisplayMode(DisplayMode mode) {
    modes_[static_cast<std::size_t>(mode)]->setChecked(true);
    model().SetDisplayMode(mode);
}

}  // namespace quillmix
