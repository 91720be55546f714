#pragma once
// What must hold for any records a play list reader returns, whatever its input: each has
// a path, its text is valid UTF-8, and writing the records in either format and reading
// them back gives the same records. A violation aborts, which libFuzzer reports.
#include <cstdlib>
#include <vector>

#include "playlist/play_list_reader.h"
#include "playlist/play_list_text.h"
#include "playlist/play_list_writer.h"

namespace quillmix::fuzz {

inline constexpr const char* kListFolder = "/lists/fuzz";

inline void Require(bool condition) {
    if (!condition) std::abort();
}

inline void CheckRecords(const std::vector<PlayListRecord>& records) {
    for (const PlayListRecord& record : records) {
        Require(!record.path.empty());
        Require(IsValidUtf8(record.title));
        Require(record.seconds == -1.0 || record.seconds >= 0.0);
    }
    Require(ParseM3u(FormatM3u(records), kListFolder) == records);
    const auto fromPls = ParsePls(FormatPls(records), kListFolder);
    Require(fromPls.has_value() && *fromPls == records);
}

}  // namespace quillmix::fuzz
