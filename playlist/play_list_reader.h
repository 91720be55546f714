#pragma once
// Reading m3u and pls play list files into records (path, title, length).
//
// Plain C++ (no Qt, no shared state), so that the fuzz targets build it alone. The parse
// functions are pure; ReadPlayListFile reads one file. Any thread.
//
// Both readers tolerate what real play lists contain: UTF-8 with or without a byte-order
// mark, UTF-16, Latin-1, any line ends, blank and comment lines, relative paths and file:
// URLs. Nothing in a file can make them fail; a malformed record costs at most itself.
// A path line that is not UTF-8 is taken as the raw bytes of a file name when that file
// exists (so the parse looks at the file system), else as Latin-1.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmix {

// One entry as a play list file holds it. The deck is not stored in files.
struct PlayListRecord {
    std::string path;       // full path (or a URL or foreign path kept as written)
    std::string title;      // UTF-8; may be empty
    double seconds = -1.0;  // whole seconds; -1 when unknown
    friend bool operator==(const PlayListRecord&, const PlayListRecord&) = default;
};

enum class PlayListFormat { none, m3u, pls };

// By the extension, compared without regard to case: ".m3u" or ".pls"; none otherwise.
PlayListFormat PlayListFormatOf(std::string_view path);

// True for the extensions that adding files hands to the play list reader rather than
// adding as tracks: ".cue", ".ldj", ".m3u" and ".pls", in any case. (Only m3u and pls are
// read; the other two give no entries.)
bool IsPlayListExtension(std::string_view path);

// The largest file the reader takes; anything longer is not a play list.
inline constexpr std::uintmax_t kMaxPlayListBytes = 64u << 20;

// m3u: "#EXTINF:<seconds>,<title>" sets the length and title of the next path line; other
// lines starting with '#' and blank lines are passed over; every other line is a path text
// (FormEntryPath against `listFolder`), the last one included. A seconds field that is not
// a number, or is negative, leaves the length unknown; a missing comma leaves the title
// empty.
std::vector<PlayListRecord> ParseM3u(std::string_view bytes, std::string_view listFolder);

// pls: the first non-blank line must be "[playlist]" (else empty: not a pls file). Each
// "FileN=" line is a record; "TitleN=" and "LengthN=" lines belong to the latest record
// numbered N (or the next one, when they come first). Records are returned in increasing
// N, those sharing a number in file order; a number without a File line gives no entry.
// Keys are compared without regard to case; other lines are passed over.
std::optional<std::vector<PlayListRecord>> ParsePls(std::string_view bytes, std::string_view listFolder);

// Reads the play list file at `path` by its extension (PlayListFormatOf). Empty when the
// file cannot be opened, is not a regular file, is longer than kMaxPlayListBytes, or is a
// pls without its header. A name with any other extension reads as no records, without
// opening the file.
std::optional<std::vector<PlayListRecord>> ReadPlayListFile(const std::string& path);

}  // namespace quillmix
