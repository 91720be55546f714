#pragma once
// One track entry of the play list, and how a row shows it: the display name for each
// display mode, the time text and the row icon. Pure functions; any thread.

#include <cstdint>
#include <string>

namespace quillmix {

// What the "Files" column shows ("File Name", "Path", "Tag").
enum class DisplayMode { fileName = 0, path = 1, tag = 2 };

struct PlayListEntry {
    std::uint32_t deck = 0;     // 0 = deck A, 1 = deck B
    std::string title;          // UTF-8; from a play list file, the length loader or an ID3v1 tag
    bool current = false;       // the entry its deck has loaded (at most one per deck)
    bool nextQueued = false;    // opened by its deck behind the audible track, not heard yet
    bool found = false;         // the highlighted entry (at most one in the list)
    bool lengthFailed = false;  // the length loader could not open the file
    double length = -1.0;       // seconds; -1 while not known
    std::string path;           // full path of the sound file
    std::uint64_t id = 0;       // unique in its list, kept across moves; 0 before it is added
};

// Row icons: indices into the panel's image list of nine 16 x 16 icons.
inline constexpr int kIconCurrentDeckA = 0;
inline constexpr int kIconCurrentDeckB = 1;
inline constexpr int kIconDeckA = 2;
inline constexpr int kIconDeckB = 3;
inline constexpr int kIconFoundDeckA = 6;
inline constexpr int kIconFoundDeckB = 7;
inline constexpr int kIconLengthFailed = 8;

// File name: the file name of the path without its extension; Path: the path; Tag: the
// title, or the file name form when the title is empty.
std::string DisplayName(const PlayListEntry& entry, DisplayMode mode);

// "m:ss" of the length truncated to whole seconds ("3:05", "12:34", "75:00"); "???" when
// the length could not be measured; empty while the length is unknown (negative).
std::string TimeText(const PlayListEntry& entry);

// True while the entry waits for its length to be measured (its time text is empty).
bool AwaitsLength(const PlayListEntry& entry);

// kIconLengthFailed when the length failed; else for its deck the current icon when
// current, the found icon when found, the plain icon otherwise.
int RowIcon(const PlayListEntry& entry);

}  // namespace quillmix
