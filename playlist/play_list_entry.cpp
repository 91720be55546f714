#include "playlist/play_list_entry.h"

#include <cmath>
#include <cstdio>

#include "playlist/play_list_paths.h"

namespace quillmix {

std::string DisplayName(const PlayListEntry& entry, DisplayMode mode) {
    switch (mode) {
        case DisplayMode::path: return entry.path;
        case DisplayMode::tag:
            if (!entry.title.empty()) return entry.title;
            break;
        case DisplayMode::fileName: break;
    }
    return std::string(FileStemOfPath(entry.path));
}

bool AwaitsLength(const PlayListEntry& entry) {
    return !entry.lengthFailed && !(entry.length >= 0.0);  // NaN awaits too
}

std::string TimeText(const PlayListEntry& entry) {
    if (entry.lengthFailed) return "???";
    if (AwaitsLength(entry)) return {};
    // Lengths beyond any real track are shown, not wrapped: minutes grow as needed.
    const double whole = std::trunc(std::fmin(entry.length, 1e15));
    const long long total = static_cast<long long>(whole);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", total / 60, total % 60);
    return text;
}

int RowIcon(const PlayListEntry& entry) {
    if (entry.lengthFailed) return kIconLengthFailed;
    const bool deckB = entry.deck == 1;
    if (entry.current) return deckB ? kIconCurrentDeckB : kIconCurrentDeckA;
    if (entry.found) return deckB ? kIconFoundDeckB : kIconFoundDeckA;
    return deckB ? kIconDeckB : kIconDeckA;
}

}  // namespace quillmix
