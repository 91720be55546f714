#pragma once
// Paths as play list files hold them: forming an entry's path from a path text read from a
// file, and writing a path so that it reads back as itself.
//
// Plain C++ (no Qt, no shared state); pure and thread-safe. Paths are byte strings in the
// file system's encoding (UTF-8 in practice); '/' is the only folder separator.

#include <string>
#include <string_view>

namespace quillmix {

// The folder a play list file lies in ("" for a bare file name).
std::string FolderOfPath(std::string_view path);

// The file name of a path: everything after its last '/'.
std::string_view FileNameOfPath(std::string_view path);

// The extension of the file name, from its last '.', lower-cased (ASCII), dot included:
// ".m3u" for "/a/List.M3U"; "" when the name has no dot. A leading dot counts, so
// ".hidden" has the extension ".hidden".
std::string LowerExtension(std::string_view path);

// The file name without its extension: "Song" for "/music/Song.mp3".
std::string_view FileStemOfPath(std::string_view path);

// The path of an entry read from a play list in `listFolder`, from its path text (already
// stripped of surrounding blanks):
//   - "file:" URLs ("file:///a%20b.mp3", "file://localhost/...", "file:/...") give their
//     decoded local path; %-escapes that do not form a byte, and %00, stay as written;
//   - other URLs ("http://...") and full paths ("/...", "C:\..." or "\\..." from another
//     system) stand as they are;
//   - any other text is relative to the play list's folder and is joined to it, with "."
//     and ".." folded away.
// Empty text gives "".
std::string FormEntryPath(std::string_view text, std::string_view listFolder);

// The path an entry keeps: a relative local path made absolute against the current
// folder (with "." and ".." folded away), so that it names the same file wherever the list
// is saved and read back; full paths, URLs and foreign full paths stand as they are.
std::string AbsoluteEntryPath(std::string_view path);

// A path text for writing `path` into a play list. Paths that would not read back as
// themselves (with line breaks or NULs, blanks at either end, bytes that are not UTF-8,
// or a leading '#') are written as file: URLs; other paths as they are.
std::string PathTextForWriting(std::string_view path);

// "file://" + the path with every byte outside [A-Za-z0-9/._~-] written as %XX.
std::string EncodeFileUrl(std::string_view absolutePath);

}  // namespace quillmix
