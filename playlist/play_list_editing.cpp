// The panel's operations on the play list: selection and find, deck swap, delete, move,
// and adding entries from dropped files, chosen files, play list files and folder scans.
#include <QString>

#include <algorithm>

#include "playlist/play_list_model.h"
#include "playlist/play_list_paths.h"
#include "playlist/play_list_reader.h"

namespace quillmix {

void PlayListModel::SelectRow(int row) {
    selectedRow_ = ValidRow(row) ? row : -1;
    view_->SelectRow(selectedRow_);
    if (selectedRow_ >= 0) view_->ShowRow(selectedRow_);
}

void PlayListModel::MarkFound(int row) {
    if (!ValidRow(row)) return;
    for (int other = 0; other < EntryCount(); ++other) {
        PlayListEntry& entry = entries_[static_cast<std::size_t>(other)];
        if (entry.found && other != row) {
            entry.found = false;
            RefreshRow(other);
        }
    }
    entries_[static_cast<std::size_t>(row)].found = true;
    RefreshRow(row);
    view_->ShowRow(row);
    selectedRow_ = row;
    view_->SelectRow(row);
}

void PlayListModel::ActivateRow(int row) {
    if (!ValidRow(row)) return;
    ForgetHandedOver(static_cast<int>(Entry(row).deck));
    MakeCurrent(row);
    mixer_.LoadTrackFromPlayList(static_cast<int>(Entry(row).deck));
}

int PlayListModel::FindNext(std::string_view text) {
    const QString needle = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    for (int row = selectedRow_ + 1; row < EntryCount(); ++row) {
        if (QString::fromStdString(RowName(row)).contains(needle, Qt::CaseInsensitive)) {
            MarkFound(row);
            return row;
        }
    }
    return -1;
}

void PlayListModel::SwapDeckOfSelected() {
    if (!ValidRow(selectedRow_)) return;
    PlayListEntry& entry = entries_[static_cast<std::size_t>(selectedRow_)];
    entry.deck = 1 - entry.deck;
    entry.current = false;
    // Queued for its old deck, it must not be taken for the new deck's queued track.
    entry.nextQueued = false;
    RefreshRow(selectedRow_);
    mixer_.PlayListChanged();
}

void PlayListModel::DeleteSelected() {
    if (!ValidRow(selectedRow_)) return;
    const int row = selectedRow_;
    entries_.erase(entries_.begin() + row);
    selectedRow_ = -1;
    view_->RowRemoved(row);
    mixer_.PlayListChanged();
}

void PlayListModel::DeleteAll() {
    entries_.clear();
    selectedRow_ = -1;
    view_->RowsCleared();
    mixer_.PlayListChanged();
}

void PlayListModel::MoveSelected(int to) {
    const int from = selectedRow_;
    PlayListEntry moved = std::move(entries_[static_cast<std::size_t>(from)]);
    entries_.erase(entries_.begin() + from);
    entries_.insert(entries_.begin() + to, std::move(moved));
    view_->RowRemoved(from);
    view_->RowInserted(to);
    MarkFound(to);
}

void PlayListModel::MoveSelectedUp() {
    if (!ValidRow(selectedRow_) || selectedRow_ == 0) return;
    MoveSelected(selectedRow_ - 1);
    mixer_.PlayListChanged();
}

void PlayListModel::MoveSelectedDown() {
    if (!ValidRow(selectedRow_)) return;
    if (selectedRow_ + 2 <= EntryCount()) MoveSelected(selectedRow_ + 1);
    mixer_.PlayListChanged();
}

void PlayListModel::AddDroppedFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) AppendEntry(0, path, -1.0, "");
    // The decks may now have a next entry where they had none.
    if (!paths.empty()) mixer_.PlayListChanged();
}

bool PlayListModel::AppendPlayListFile(const std::string& path) {
    const std::optional<std::vector<PlayListRecord>> records = ReadPlayListFile(path);
    if (!records) return false;
    for (const PlayListRecord& record : *records) AppendEntry(0, record.path, record.seconds, record.title);
    return true;
}

void PlayListModel::AddFiles(const std::vector<std::string>& paths, DeckChoice choice) {
    DeckAssigner assigner(choice);
    for (const std::string& path : paths) {
        const int deck = assigner.NextDeck();
        if (IsPlayListExtension(path)) {
            AppendPlayListFile(path);
        } else {
            AppendEntry(deck, path, -1.0, "");
        }
    }
    mixer_.PlayListChanged();
}

bool PlayListModel::LoadPlayList(const std::string& path) {
    if (!AppendPlayListFile(path)) return false;
    mixer_.PlayListChanged();
    return true;
}

SaveStatus PlayListModel::SavePlayList(const std::string& path) {
    if (PlayListFormatOf(path) == PlayListFormat::none) return SaveStatus::unknownFormat;
    std::vector<PlayListRecord> records;
    records.reserve(entries_.size());
    for (int row = 0; row < EntryCount(); ++row) {
        PlayListEntry& entry = entries_[static_cast<std::size_t>(row)];
        if (std::optional<std::string> tagTitle = ReadId3v1Title(entry.path); tagTitle && *tagTitle != entry.title) {
            entry.title = std::move(*tagTitle);
            RefreshRow(row);
        }
        records.push_back({entry.path, entry.title, entry.length});
    }
    return WritePlayListFile(path, records);
}

int PlayListModel::InsertSorted(int deck, const std::string& typedPath, int fromRow) {
    const std::string path = AbsoluteEntryPath(typedPath);
    int row = std::clamp(fromRow, 0, EntryCount());
    while (row < EntryCount() && !(Entry(row).path > path)) ++row;
    PlayListEntry entry;
    entry.deck = static_cast<std::uint32_t>(deck == 1 ? 1 : 0);
    entry.path = path;
    entry.id = nextId_++;
    entries_.insert(entries_.begin() + row, std::move(entry));
    if (selectedRow_ >= row) ++selectedRow_;  // the selection stays on its entry
    view_->RowInserted(row);
    return row;
}

}  // namespace quillmix
