#include "playlist/play_list_reader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "playlist/play_list_paths.h"
#include "playlist/play_list_text.h"

namespace quillmix {
namespace {

constexpr std::string_view kExtInf = "#EXTINF:";

// File names are bytes: a path line that is not UTF-8 names the file with exactly those
// bytes when such a file exists; otherwise it was written in Latin-1.
std::string EntryPathFromLine(std::string_view text, std::string_view listFolder) {
    if (IsValidUtf8(text)) return FormEntryPath(text, listFolder);
    std::string raw = FormEntryPath(text, listFolder);
    std::error_code error;
    if (std::filesystem::exists(raw, error)) return raw;
    return FormEntryPath(Latin1ToUtf8(text), listFolder);
}

// The record number after a pls key name: 1 to 9 digits and nothing else.
std::optional<int> RecordNumber(std::string_view key, std::string_view name) {
    if (!StartsWithNoCase(key, name)) return std::nullopt;
    const std::string_view digits = key.substr(name.size());
    if (digits.empty() || digits.size() > 9) return std::nullopt;
    for (char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    return LeadingInteger(digits);
}

struct PlsRecord {
    int number = 0;
    std::string path;
    std::string title;
    double seconds = -1.0;
};

// Every "FileN=" line starts a record of its own, so that lists pasted together or
// numbered twice lose nothing. "TitleN=" and "LengthN=" go to the latest record numbered
// N; met before any such record, they wait for the next "FileN=".
struct PlsGathering {
    std::vector<PlsRecord> records;
    std::map<int, PlsRecord> pending;  // Title/Length lines seen before their File line

    PlsRecord& recordFor(int number) {
        for (auto it = records.rbegin(); it != records.rend(); ++it)
            if (it->number == number) return *it;
        PlsRecord& waiting = pending[number];
        waiting.number = number;
        return waiting;
    }

    void addFile(int number, std::string path) {
        PlsRecord record;
        if (auto waiting = pending.find(number); waiting != pending.end()) {
            record = std::move(waiting->second);
            pending.erase(waiting);
        }
        record.number = number;
        record.path = std::move(path);
        records.push_back(std::move(record));
    }
};

void ReadPlsLine(std::string_view line, std::string_view listFolder, PlsGathering& gathering) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view key = TrimBlanks(line.substr(0, equals));
    const std::string_view value = line.substr(equals + 1);
    if (const auto number = RecordNumber(key, "File")) {
        gathering.addFile(*number, EntryPathFromLine(TrimBlanks(value), listFolder));
    } else if (const auto number = RecordNumber(key, "Title")) {
        gathering.recordFor(*number).title = ToValidUtf8(value);
    } else if (const auto number = RecordNumber(key, "Length")) {
        gathering.recordFor(*number).seconds = SecondsFromText(value);
    }
}

}  // namespace

PlayListFormat PlayListFormatOf(std::string_view path) {
    const std::string extension = LowerExtension(path);
    if (extension == ".m3u") return PlayListFormat::m3u;
    if (extension == ".pls") return PlayListFormat::pls;
    return PlayListFormat::none;
}

bool IsPlayListExtension(std::string_view path) {
    const std::string extension = LowerExtension(path);
    return extension == ".cue" || extension == ".ldj" || extension == ".m3u" || extension == ".pls";
}

std::vector<PlayListRecord> ParseM3u(std::string_view bytes, std::string_view listFolder) {
    std::vector<PlayListRecord> records;
    PlayListRecord pending;
    for (const std::string& line : PlayListLines(bytes)) {
        const std::string_view text = TrimBlanks(line);
        if (text.empty()) continue;
        if (StartsWithNoCase(text, kExtInf)) {
            // Only the start is trimmed: the title keeps what follows the comma as written.
            const std::string_view info = std::string_view(line).substr(line.find('#') + kExtInf.size());
            const std::size_t comma = info.find(',');
            pending.seconds = SecondsFromText(info.substr(0, comma));
            pending.title = comma == std::string_view::npos ? std::string() : ToValidUtf8(info.substr(comma + 1));
            continue;
        }
        if (text.front() == '#') continue;
        pending.path = EntryPathFromLine(text, listFolder);
        records.push_back(std::move(pending));
        pending = PlayListRecord{};
    }
    return records;
}

std::optional<std::vector<PlayListRecord>> ParsePls(std::string_view bytes, std::string_view listFolder) {
    const std::vector<std::string> lines = PlayListLines(bytes);
    std::size_t index = 0;
    while (index < lines.size() && TrimBlanks(lines[index]).empty()) ++index;
    if (index == lines.size() || !StartsWithNoCase(TrimBlanks(lines[index]), "[playlist]")) return std::nullopt;

    PlsGathering gathering;
    for (++index; index < lines.size(); ++index) ReadPlsLine(lines[index], listFolder, gathering);
    // By number where numbers differ; records that share a number keep their file order.
    std::stable_sort(gathering.records.begin(), gathering.records.end(),
                     [](const PlsRecord& a, const PlsRecord& b) { return a.number < b.number; });

    std::vector<PlayListRecord> records;
    records.reserve(gathering.records.size());
    for (PlsRecord& record : gathering.records) {
        if (record.path.empty()) continue;
        records.push_back({std::move(record.path), std::move(record.title), record.seconds});
    }
    return records;
}

std::optional<std::vector<PlayListRecord>> ReadPlayListFile(const std::string& path) {
    const PlayListFormat format = PlayListFormatOf(path);
    if (format == PlayListFormat::none) return std::vector<PlayListRecord>{};

    // Only regular files: a FIFO or device named *.m3u would block or never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size > kMaxPlayListBytes) return std::nullopt;

    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));

    // Relative path texts are relative to the list's own folder, wherever we run from.
    const std::string folder = FolderOfPath(std::filesystem::absolute(path, error).lexically_normal().string());
    if (format == PlayListFormat::m3u) return ParseM3u(bytes, folder);
    return ParsePls(bytes, folder);
}

}  // namespace quillmix
