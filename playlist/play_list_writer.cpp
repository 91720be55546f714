#include "playlist/play_list_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "playlist/play_list_paths.h"
#include "playlist/play_list_text.h"

namespace quillmix {
namespace {

std::string TitleForWriting(std::string_view title) {
    std::string text = ToValidUtf8(title);
    for (char& c : text) {
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    }
    return text;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Creates a fresh file next to `target` (mode 0666 less the umask, as a plain create
// would give). Returns its descriptor, or -1.
int CreateSiblingTemp(const std::filesystem::path& target, std::string& tempPath) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = (target.parent_path() / ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                                            std::to_string(counter++) + ".tmp"))
                       .string();
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The file a save replaces: `path` itself, or the end of its chain of symbolic links,
// followed one link at a time so that a link to a file not yet there names that file (a
// save then creates it) instead of being replaced by a plain file.
std::filesystem::path SaveTarget(const std::string& path) {
    std::error_code error;
    std::filesystem::path target = std::filesystem::absolute(path, error);
    for (int hop = 0; hop < 40 && std::filesystem::is_symlink(target, error); ++hop) {
        const std::filesystem::path link = std::filesystem::read_symlink(target, error);
        if (error) break;
        target = (link.is_absolute() ? link : target.parent_path() / link).lexically_normal();
    }
    return target;
}

}  // namespace

std::string FormatM3u(const std::vector<PlayListRecord>& records) {
    std::string out = "#EXTM3U\n";
    for (const PlayListRecord& record : records) {
        out +=
            "#EXTINF:" + std::to_string(SecondsForWriting(record.seconds)) + "," + TitleForWriting(record.title) + "\n";
        out += PathTextForWriting(record.path) + "\n";
    }
    return out;
}

std::string FormatPls(const std::vector<PlayListRecord>& records) {
    std::string out = "[playlist]\n";
    int number = 0;
    for (const PlayListRecord& record : records) {
        const std::string k = std::to_string(++number);
        out += "File" + k + "=" + PathTextForWriting(record.path) + "\n";
        out += "Title" + k + "=" + TitleForWriting(record.title) + "\n";
        out += "Length" + k + "=" + std::to_string(SecondsForWriting(record.seconds)) + "\n";
    }
    out += "NumberOfEntries=" + std::to_string(number) + "\n";
    out += "Version=2\n";
    return out;
}

SaveStatus WritePlayListFile(const std::string& path, const std::vector<PlayListRecord>& records) {
    const PlayListFormat format = PlayListFormatOf(path);
    if (format == PlayListFormat::none) return SaveStatus::unknownFormat;
    const std::string text = format == PlayListFormat::m3u ? FormatM3u(records) : FormatPls(records);

    const std::filesystem::path target = SaveTarget(path);
    std::string tempPath;
    const int fd = CreateSiblingTemp(target, tempPath);
    if (fd < 0) return SaveStatus::writeError;

    // Keep the permissions of the list being replaced.
    struct stat existing {};
    bool ok = WriteAll(fd, text);
    if (ok && ::stat(target.c_str(), &existing) == 0) ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tempPath.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(tempPath.c_str());
        return SaveStatus::writeError;
    }
    return SaveStatus::saved;
}

std::optional<std::string> ReadId3v1Title(const std::string& path) {
    constexpr std::streamoff kTagBytes = 128;
    constexpr std::size_t kTitleBytes = 30;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error || size <= static_cast<std::uintmax_t>(kTagBytes)) return std::nullopt;

    std::ifstream file(path, std::ios::binary);
    char tag[3 + kTitleBytes] = {};
    if (!file.seekg(-kTagBytes, std::ios::end) || !file.read(tag, sizeof tag)) return std::nullopt;
    if (std::string_view(tag, 3) != "TAG") return std::nullopt;

    std::string_view title(tag + 3, kTitleBytes);
    title = title.substr(0, title.find('\0'));
    while (!title.empty() && (title.back() == ' ' || title.back() == '\t')) title.remove_suffix(1);
    if (title.empty()) return std::nullopt;
    return ToValidUtf8(title);
}

}  // namespace quillmix
