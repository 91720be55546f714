// Entries, the decks' current and queued entries, and lengths.
#include "playlist/play_list_model.h"

#include <algorithm>
#include <cmath>

#include "playlist/play_list_paths.h"

namespace quillmix {
namespace {

bool ValidDeck(int deck) { return deck == 0 || deck == 1; }

}  // namespace

PlayListModel::PlayListModel(PlayListMixerLink& mixer, TrackLengthLoaderLink& loader)
    : mixer_(mixer), loader_(loader) {}

void PlayListModel::SetView(PlayListView* view) { view_ = view ? view : &defaultView_; }

void PlayListModel::SetDisplayMode(DisplayMode mode) {
    mode_ = mode;
    view_->DisplayModeChanged();
}

std::string PlayListModel::RowName(int row) const { return ValidRow(row) ? DisplayName(Entry(row), mode_) : ""; }

std::string PlayListModel::RowTime(int row) const { return ValidRow(row) ? TimeText(Entry(row)) : ""; }

int PlayListModel::RowIconIndex(int row) const { return ValidRow(row) ? RowIcon(Entry(row)) : -1; }

void PlayListModel::RefreshRow(int row) { view_->RowChanged(row); }

int PlayListModel::AppendEntry(int deck, const std::string& path, double length, const std::string& title) {
    PlayListEntry entry;
    entry.deck = static_cast<std::uint32_t>(deck == 1 ? 1 : 0);
    entry.path = AbsoluteEntryPath(path);
    entry.title = title;
    entry.length = std::isfinite(length) && length >= 0.0 ? length : -1.0;
    entry.id = nextId_++;
    entries_.push_back(std::move(entry));
    const int row = EntryCount() - 1;
    view_->RowInserted(row);
    if (lengthWanted_ && AwaitsLength(entries_.back())) lengthWanted_();
    return row;
}

void PlayListModel::AddEntry(int deck, const std::string& path, double length, const std::string& title) {
    AppendEntry(deck, path, length, title);
}

void PlayListModel::SetCurrentFlag(int row, bool current) {
    PlayListEntry& entry = entries_[static_cast<std::size_t>(row)];
    if (entry.current == current) return;
    entry.current = current;
    RefreshRow(row);
}

void PlayListModel::MakeCurrent(int row) {
    if (!ValidRow(row)) return;
    const std::uint32_t deck = Entry(row).deck;
    for (int other = 0; other < EntryCount(); ++other) {
        if (other != row && Entry(other).deck == deck) SetCurrentFlag(other, false);
    }
    SetCurrentFlag(row, true);
    view_->ShowRow(row);
}

void PlayListModel::ClearCurrent(int deck) {
    for (int row = 0; row < EntryCount(); ++row) {
        if (static_cast<int>(Entry(row).deck) == deck) SetCurrentFlag(row, false);
    }
}

int PlayListModel::GetCurrentNumber(int deck) const {
    for (int row = EntryCount() - 1; row >= 0; --row) {
        if (static_cast<int>(Entry(row).deck) == deck && Entry(row).current) return row + 1;
    }
    return -1;
}

std::string PlayListModel::GetCurrentPath(int deck) const {
    const int number = GetCurrentNumber(deck);
    return number > 0 ? Entry(number - 1).path : std::string();
}

void PlayListModel::SetCurrentLength(int deck, double seconds) {
    const int row = GetCurrentNumber(deck) - 1;
    if (row < 0) return;
    PlayListEntry& entry = entries_[static_cast<std::size_t>(row)];
    entry.length = std::isfinite(seconds) && seconds >= 0.0 ? seconds : -1.0;
    // The deck has just opened the file, so an earlier failed measurement no longer holds.
    if (entry.length >= 0.0) entry.lengthFailed = false;
    const bool awaits = AwaitsLength(entry);
    RefreshRow(row);
    if (lengthWanted_ && awaits) lengthWanted_();
}

int PlayListModel::FirstRowOfDeckFrom(int deck, int fromRow) const {
    for (int row = std::max(fromRow, 0); row < EntryCount(); ++row) {
        if (static_cast<int>(Entry(row).deck) == deck) return row;
    }
    return -1;
}

bool PlayListModel::SelectNext(int deck) {
    if (!ValidDeck(deck)) return false;
    const int current = GetCurrentNumber(deck) - 1;  // -2 without one: start at row 0
    if (current == EntryCount() - 1) return false;
    const int next = FirstRowOfDeckFrom(deck, current + 1);
    if (next < 0) return false;
    ForgetHandedOver(deck);
    MakeCurrent(next);
    mixer_.LoadTrackFromPlayList(deck);
    return true;
}

bool PlayListModel::SelectPrevious(int deck) {
    if (!ValidDeck(deck)) return false;
    const int current = GetCurrentNumber(deck) - 1;
    for (int row = current - 1; row >= 0; --row) {
        if (static_cast<int>(Entry(row).deck) == deck) {
            ForgetHandedOver(deck);
            MakeCurrent(row);
            mixer_.LoadTrackFromPlayList(deck);
            return true;
        }
    }
    return false;
}

std::string PlayListModel::GetNextTrackPath(int deck) {
    if (!ValidDeck(deck)) return {};
    for (PlayListEntry& entry : entries_) {
        if (static_cast<int>(entry.deck) == deck) entry.nextQueued = false;
    }
    const int current = GetCurrentNumber(deck) - 1;
    if (current == EntryCount() - 1) return {};
    const int next = FirstRowOfDeckFrom(deck, current + 1);
    if (next < 0) return {};
    entries_[static_cast<std::size_t>(next)].nextQueued = true;
    return Entry(next).path;
}

int PlayListModel::RowOfId(std::uint64_t id) const {
    for (int row = 0; row < EntryCount(); ++row)
        if (Entry(row).id == id) return row;
    return -1;
}

std::string PlayListModel::NextForReader(int deck, bool continuing) {
    if (!ValidDeck(deck)) return {};
    if (!continuing) ForgetHandedOver(deck);
    int from = GetCurrentNumber(deck) - 1;  // -2 without one: from the first row
    if (lastTried_[deck] != 0) {
        const int tried = RowOfId(lastTried_[deck]);
        if (tried >= 0) from = tried;  // an entry taken out meanwhile: from the current one
    }
    const int next = FirstRowOfDeckFrom(deck, from + 1);
    if (next < 0) return {};
    PlayListEntry& entry = entries_[static_cast<std::size_t>(next)];
    entry.nextQueued = true;
    lastTried_[deck] = entry.id;
    handedOver_[deck].push_back(entry.id);
    return entry.path;
}

void PlayListModel::HandOverFailed(int deck) {
    if (!ValidDeck(deck) || handedOver_[deck].empty()) return;
    const int row = RowOfId(handedOver_[deck].back());
    handedOver_[deck].pop_back();
    if (row < 0) return;
    PlayListEntry& entry = entries_[static_cast<std::size_t>(row)];
    entry.nextQueued = false;
    entry.lengthFailed = true;
    RefreshRow(row);
}

void PlayListModel::AdvanceToQueued(int deck) {
    if (!ValidDeck(deck) || handedOver_[deck].empty()) return;
    const int row = RowOfId(handedOver_[deck].front());
    handedOver_[deck].erase(handedOver_[deck].begin());
    if (row < 0) return;  // taken out of the list meanwhile: the current entry stays
    entries_[static_cast<std::size_t>(row)].nextQueued = false;
    if (static_cast<int>(Entry(row).deck) == deck) MakeCurrent(row);
}

void PlayListModel::ForgetHandedOver(int deck) {
    if (!ValidDeck(deck)) return;
    for (std::uint64_t id : handedOver_[deck])
        if (const int row = RowOfId(id); row >= 0) entries_[static_cast<std::size_t>(row)].nextQueued = false;
    handedOver_[deck].clear();
    lastTried_[deck] = 0;
}

bool PlayListModel::RequestNextLength() {
    if (loader_.Busy()) return false;
    for (const PlayListEntry& entry : entries_) {
        if (AwaitsLength(entry)) {
            loader_.Request(entry.path);
            return true;
        }
    }
    return false;
}

bool PlayListModel::LengthsOutstanding() const {
    return loader_.Busy() || std::any_of(entries_.begin(), entries_.end(), AwaitsLength);
}

void PlayListModel::OnTrackLengthLoaded() {
    const std::string path = loader_.LoadedPath();
    const double seconds = loader_.LoadedSeconds();
    const std::string title = loader_.LoadedTitle();
    const bool measured = std::isfinite(seconds) && seconds >= 0.0;
    for (int row = 0; row < EntryCount(); ++row) {
        PlayListEntry& entry = entries_[static_cast<std::size_t>(row)];
        if (entry.path != path) continue;
        if (measured) {
            entry.length = seconds;
            entry.lengthFailed = false;
            // A file without tags keeps the title its play list gave it.
            if (!title.empty()) entry.title = title;
        } else {
            entry.lengthFailed = true;
        }
        RefreshRow(row);
    }
}

void PlayListModel::NotifyChanged() { mixer_.PlayListChanged(); }

}  // namespace quillmix
