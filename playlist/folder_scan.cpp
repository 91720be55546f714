#include "playlist/folder_scan.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>

#include "playlist/play_list_model.h"
#include "playlist/play_list_paths.h"
#include "playlist/play_list_text.h"

namespace quillmix {
namespace {

namespace fs = std::filesystem;

struct FolderScanner {
    std::string filter;  // lower-cased
    std::set<std::pair<dev_t, ino_t>> visited;
    std::vector<std::string> tracks;

    // The names in one folder, sorted; empty when it cannot be listed.
    static std::vector<std::string> SortedNames(const std::string& folder) {
        std::vector<std::string> names;
        std::error_code error;
        fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
        for (; !error && it != fs::directory_iterator(); it.increment(error)) {
            names.push_back(it->path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void Scan(const std::string& folder, int depth) {
        struct stat info {};
        if (depth > kMaxScanDepth || ::stat(folder.c_str(), &info) != 0) return;
        if (!visited.insert({info.st_dev, info.st_ino}).second) return;  // seen: a link loop
        for (const std::string& name : SortedNames(folder)) {
            if (name.empty() || name == "." || name == "..") continue;
            const std::string path = folder == "/" ? "/" + name : folder + "/" + name;
            struct stat entry {};
            if (::stat(path.c_str(), &entry) != 0) continue;  // dangling link, vanished
            if (S_ISDIR(entry.st_mode)) {
                Scan(path, depth + 1);
            } else if (S_ISREG(entry.st_mode) && filter.find(LowerExtension(name)) != std::string::npos) {
                tracks.push_back(path);
            }
        }
    }
};

}  // namespace

std::vector<std::string> ScanFolderForTracks(const std::string& folder, std::string_view audioFilter) {
    FolderScanner scanner;
    scanner.filter = AsciiLower(audioFilter);
    std::string start = folder;
    while (start.size() > 1 && start.back() == '/') start.pop_back();
    scanner.Scan(start, 0);
    return std::move(scanner.tracks);
}

void FolderScanQueue::Begin(std::vector<std::string> paths, DeckChoice choice, int insertionPoint) {
    queue_.assign(std::make_move_iterator(paths.begin()), std::make_move_iterator(paths.end()));
    assigner_ = DeckAssigner(choice);
    insertionPoint_ = insertionPoint;
    total_ = static_cast<int>(queue_.size());
    active_ = true;
}

void FolderScanQueue::Clear() {
    queue_.clear();
    total_ = 0;
    active_ = false;
}

bool FolderScanQueue::InsertNext(PlayListModel& model) {
    if (queue_.empty()) {
        if (active_) {
            active_ = false;
            model.NotifyChanged();
        }
        return false;
    }
    const std::string path = std::move(queue_.front());
    queue_.pop_front();
    model.InsertSorted(assigner_.NextDeck(), path, insertionPoint_);
    return true;
}

}  // namespace quillmix
