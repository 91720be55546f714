#pragma once
// "+ Folder": finding the tracks below a folder, and adding them to the play list a few at
// a time so that the window thread stays responsive.

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "playlist/deck_choice.h"

namespace quillmix {

class PlayListModel;

// The tracks below `folder`, depth first: each folder's names in byte order, a subfolder's
// tracks in its place among the files. A regular file is a track when the lower-cased
// `audioFilter` ("*.mp3; *.ogg; ...") contains its lower-cased extension (LowerExtension)
// as a substring, so a file without extension is one too.
//
// Robust against what a file system holds: unreadable folders and entries are passed
// over, a folder reached again through a symbolic link is not entered twice (so link
// loops end), nesting deeper than kMaxScanDepth is not followed, and FIFOs, sockets and
// devices are never queued. Blocks on file-system I/O; any thread.
std::vector<std::string> ScanFolderForTracks(const std::string& folder, std::string_view audioFilter);

inline constexpr int kMaxScanDepth = 128;

// The paths of one folder scan waiting to be added. Window thread.
class FolderScanQueue {
public:
    // Starts a scan's insertion: the paths in queue order, the deck choice, and the row
    // from which they are inserted in path order (the entry count when the scan began).
    void Begin(std::vector<std::string> paths, DeckChoice choice, int insertionPoint);
    void Clear();

    bool Active() const { return active_; }
    int Total() const { return total_; }
    int Remaining() const { return static_cast<int>(queue_.size()); }
    int Progress() const { return total_ - Remaining(); }  // the progress bar's position

    // One step of the scan timer: inserts the first queued path into `model`
    // (PlayListModel::InsertSorted from the insertion point, deck by the choice). When the
    // queue is empty instead, ends the scan, tells the mixer the list changed and returns
    // false; the panel then shows its buttons again and rebuilds the rows.
    bool InsertNext(PlayListModel& model);

private:
    std::deque<std::string> queue_;
    DeckAssigner assigner_;
    int insertionPoint_ = 0;
    int total_ = 0;
    bool active_ = false;
};

}  // namespace quillmix
