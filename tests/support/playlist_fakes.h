#pragma once
// Stand-ins for what the play list model talks to: a mixer that records its requests, a
// track-length loader driven by hand, and a view that mirrors the rows.
#include <string>
#include <vector>

#include "playlist/play_list_links.h"
#include "playlist/play_list_model.h"

namespace quillmix::test {

class RecordingMixer : public PlayListMixerLink {
public:
    void LoadTrackFromPlayList(int deck) override { loads.push_back(deck); }
    void PlayListChanged() override { ++changes; }
    std::vector<int> loads;
    int changes = 0;
};

class ManualLoader : public TrackLengthLoaderLink {
public:
    bool Busy() const override { return busy; }
    void Request(const std::string& path) override { requests.push_back(path); }
    std::string LoadedPath() const override { return path; }
    double LoadedSeconds() const override { return seconds; }
    std::string LoadedTitle() const override { return title; }

    bool busy = false;
    std::vector<std::string> requests;
    std::string path, title;
    double seconds = -1.0;
};

// Keeps one text per row, built from the model as the notifications arrive, so that a
// test can check that row i still shows entry i.
class MirrorView : public PlayListView {
public:
    explicit MirrorView(const PlayListModel& model) : model_(model) {}
    void RowInserted(int row) override { rows.insert(rows.begin() + row, Text(row)); }
    void RowRemoved(int row) override { rows.erase(rows.begin() + row); }
    void RowChanged(int row) override { rows.at(static_cast<std::size_t>(row)) = Text(row); }
    void RowsCleared() override { rows.clear(); }
    void DisplayModeChanged() override {
        rows.clear();
        for (int row = 0; row < model_.EntryCount(); ++row) rows.push_back(Text(row));
    }
    void SelectRow(int row) override { selected = row; }

    bool MatchesModel() const {
        if (static_cast<int>(rows.size()) != model_.EntryCount()) return false;
        for (int row = 0; row < model_.EntryCount(); ++row) {
            if (rows[static_cast<std::size_t>(row)] != Text(row)) return false;
        }
        return true;
    }

    std::vector<std::string> rows;
    int selected = -1;

private:
    std::string Text(int row) const {
        return model_.RowName(row) + "|" + model_.RowTime(row) + "|" + std::to_string(model_.RowIconIndex(row));
    }
    const PlayListModel& model_;
};

}  // namespace quillmix::test
