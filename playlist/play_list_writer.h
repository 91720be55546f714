#pragma once
// Writing m3u and pls play list files, and the ID3 version 1 title a save writes.
//
// Plain C++ (no Qt, no shared state). Any thread; a save blocks on file I/O.
//
// Output is UTF-8 with LF line ends. A save goes to a temporary file in the target's
// folder that is renamed over the target only once it is complete, so a failed save leaves
// an existing play list as it was.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "playlist/play_list_reader.h"

namespace quillmix {

// "#EXTM3U", then per record "#EXTINF:<seconds>,<title>" and the path text.
std::string FormatM3u(const std::vector<PlayListRecord>& records);

// "[playlist]", per record k (from 1) "Filek=", "Titlek=" and "Lengthk=", then
// "NumberOfEntries=<n>" and "Version=2".
//
// In both formats: the length is whole seconds truncated toward zero, -1 when unknown;
// titles are made valid UTF-8 with line breaks and NULs turned into blanks; paths go
// through PathTextForWriting, so each reads back as itself.
std::string FormatPls(const std::vector<PlayListRecord>& records);

enum class SaveStatus {
    saved,
    writeError,     // nothing replaced; the panel shows kFileWriteErrorText
    unknownFormat,  // neither ".m3u" nor ".pls" (in any case): nothing written
};

inline constexpr const char* kFileWriteErrorText = "File Write Error";

// Writes the records to `path` in the format its extension names (case ignored). The file
// need not exist. A symbolic link at `path` is followed and its target replaced, or
// created when the link dangles.
SaveStatus WritePlayListFile(const std::string& path, const std::vector<PlayListRecord>& records);

// The title of the ID3 version 1 tag at the end of the file: when the file is at least 129
// bytes long and its last 128 bytes begin with "TAG", the 30 bytes after "TAG", cut at the
// first NUL, trimmed of trailing blanks and read as UTF-8 or else Latin-1. Empty when there
// is no tag, the file cannot be read, or the tag's title is blank.
std::optional<std::string> ReadId3v1Title(const std::string& path);

}  // namespace quillmix
