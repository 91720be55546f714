#include "playlist/play_list_paths.h"

#include <filesystem>

#include "playlist/play_list_text.h"

namespace quillmix {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            const int value = high * 16 + low;
            if (high >= 0 && low >= 0 && value != 0) {
                out += static_cast<char>(value);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// A URL scheme: a letter, then letters, digits, '+', '-' or '.', then "://".
bool HasUrlScheme(std::string_view text) {
    const std::size_t colon = text.find("://");
    if (colon == std::string_view::npos || colon == 0) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = text[i];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!letter && !(i > 0 && other)) return false;
    }
    return true;
}

// A full path from a system with drive letters or "\\server" names.
bool IsForeignFullPath(std::string_view text) {
    if (!text.empty() && text.front() == '\\') return true;
    const bool driveLetter = text.size() >= 2 && text[1] == ':' &&
                             ((text[0] >= 'a' && text[0] <= 'z') || (text[0] >= 'A' && text[0] <= 'Z'));
    return driveLetter;
}

// The local path of a file: URL, or empty when `text` is no such URL.
std::string LocalPathOfFileUrl(std::string_view text) {
    if (!StartsWithNoCase(text, "file:")) return {};
    std::string_view rest = text.substr(5);
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        if (StartsWithNoCase(rest, "localhost/")) rest.remove_prefix(9);
        if (rest.empty() || rest.front() != '/') return {};  // another host's file
    }
    if (rest.empty() || rest.front() != '/') return {};
    return PercentDecode(rest);
}

}  // namespace

std::string FolderOfPath(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return {};
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

std::string_view FileNameOfPath(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string LowerExtension(std::string_view path) {
    const std::string_view name = FileNameOfPath(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : AsciiLower(name.substr(dot));
}

std::string_view FileStemOfPath(std::string_view path) {
    const std::string_view name = FileNameOfPath(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

std::string FormEntryPath(std::string_view text, std::string_view listFolder) {
    if (text.empty()) return {};
    if (std::string local = LocalPathOfFileUrl(text); !local.empty()) return local;
    if (HasUrlScheme(text) || IsForeignFullPath(text) || text.front() == '/' || listFolder.empty()) {
        return std::string(text);
    }
    const std::filesystem::path joined = std::filesystem::path(listFolder) / std::filesystem::path(text);
    return joined.lexically_normal().string();
}

std::string AbsoluteEntryPath(std::string_view path) {
    if (path.empty() || path.front() == '/' || HasUrlScheme(path) || IsForeignFullPath(path)) return std::string(path);
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(std::filesystem::path(path), error);
    return error ? std::string(path) : absolute.lexically_normal().string();
}

std::string EncodeFileUrl(std::string_view absolutePath) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "file://";
    for (char c : absolutePath) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' ||
                           c == '.' || c == '_' || c == '~' || c == '-';
        if (plain) {
            out += c;
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

std::string PathTextForWriting(std::string_view path) {
    const bool breaksLine = path.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
    const bool awkward = breaksLine || !IsValidUtf8(path) || TrimBlanks(path).size() != path.size() ||
                         (!path.empty() && path.front() == '#');
    if (!awkward) return std::string(path);
    if (!path.empty() && path.front() == '/') return EncodeFileUrl(path);
    // A relative or foreign path cannot be a file: URL; keep it on one line at least.
    std::string flattened = ToValidUtf8(path);
    for (char& c : flattened) {
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    }
    return flattened;
}

}  // namespace quillmix
