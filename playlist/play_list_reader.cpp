#include "playlist/play_list_reader.h"

#include <filesystem>
#include <fstream>
#include <map>

#include "playlist/play_list_paths.h"
#include "playlist/play_list_text.h"

namespace quillmix {
namespace {

constexpr std::string_view kExtInf = "#EXTINF:";

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
    std::string path;
    std::string title;
    double seconds = -1.0;
};

void ReadPlsLine(std::string_view line, std::string_view listFolder, std::map<int, PlsRecord>& records) {
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view key = TrimBlanks(line.substr(0, equals));
    const std::string_view value = line.substr(equals + 1);
    if (const auto number = RecordNumber(key, "File")) {
        records[*number].path = FormEntryPath(TrimBlanks(value), listFolder);
    } else if (const auto number = RecordNumber(key, "Title")) {
        records[*number].title = std::string(value);
    } else if (const auto number = RecordNumber(key, "Length")) {
        records[*number].seconds = SecondsFromText(value);
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
            pending.title = comma == std::string_view::npos ? std::string() : std::string(info.substr(comma + 1));
            continue;
        }
        if (text.front() == '#') continue;
        pending.path = FormEntryPath(text, listFolder);
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

    std::map<int, PlsRecord> byNumber;
    for (++index; index < lines.size(); ++index) ReadPlsLine(lines[index], listFolder, byNumber);

    std::vector<PlayListRecord> records;
    records.reserve(byNumber.size());
    for (auto& [number, record] : byNumber) {
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
