#include "app/settings_store.h"

#include <bit>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quillmix {

// One value as kept in the file: "name=s:<escaped text>" or "name=d:<hex word>".
struct SettingsStore::StoredValue {
    bool isString = false;
    std::string text;
    std::uint32_t word = 0;
};

namespace {

constexpr const char* kSection = "[Settings]";

// Read-modify-write cycles of this process are serialised, as the platform store would be.
std::mutex& fileMutex() {
    static std::mutex m;
    return m;
}

// Holds an exclusive lock on "<file>.lock" beside the settings file, so that the
// read-modify-write cycles of other processes (a second instance, the render tool) do not
// interleave with ours and lose values. Where the lock file cannot be made (a read-only
// folder), nothing can be written either, and the cycle goes on unguarded.
class InterProcessLock {
public:
    explicit InterProcessLock(const std::filesystem::path& file) {
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
        const std::string lockPath = file.string() + ".lock";
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {}
    }
    ~InterProcessLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    InterProcessLock(const InterProcessLock&) = delete;
    InterProcessLock& operator=(const InterProcessLock&) = delete;

private:
    int fd_ = -1;
};

std::string escape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c < 0x20) {
            char buf[5];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else
            out += static_cast<char>(c);
    }
    return out;
}

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        char n = text[++i];
        if (n == 'n')
            out += '\n';
        else if (n == 'r')
            out += '\r';
        else if (n == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else
            out += n;
    }
    return out;
}

using ValueMap = std::map<std::string, std::string>;  // name -> encoded value

ValueMap readFile(const std::filesystem::path& file) {
    ValueMap values;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    bool inSection = false;
    while (in && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inSection = line == kSection;
            continue;
        }
        auto eq = line.find('=');
        if (!inSection || eq == std::string::npos || eq == 0) continue;
        values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

// Writes through a temporary file and a rename, so a failed write leaves the old file whole.
bool writeFile(const std::filesystem::path& file, const ValueMap& values) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    auto temp = file;
    temp += ".tmp" + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << kSection << '\n';
        for (const auto& [name, encoded] : values) out << name << '=' << encoded << '\n';
        out.flush();
        if (!out) {
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::filesystem::rename(temp, file, ec);
    if (ec) std::filesystem::remove(temp, ec);
    return !ec;
}

std::string valueName(const char* stem, int deck) { return std::string(stem) + (deck == 0 ? "DeckA" : "DeckB"); }

}  // namespace

std::filesystem::path SettingsStore::filePath() const {
    if (fixedFile_) return *fixedFile_;
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        base = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        base = std::filesystem::path(home) / ".config";
    else
        base = ".";
    return base / "Quillworks" / "Quillmix.conf";
}

std::optional<SettingsStore::StoredValue> SettingsStore::find(const std::string& name) const {
    std::lock_guard lock(fileMutex());
    auto values = readFile(filePath());
    auto it = values.find(name);
    if (it == values.end() || it->second.size() < 2 || it->second[1] != ':') return std::nullopt;
    StoredValue v;
    const std::string body = it->second.substr(2);
    if (it->second[0] == 's') {
        v.isString = true;
        v.text = unescape(body);
    } else if (it->second[0] == 'd') {
        char* end = nullptr;
        unsigned long word = std::strtoul(body.c_str(), &end, 16);
        if (body.empty() || *end != '\0') return std::nullopt;
        v.word = static_cast<std::uint32_t>(word);
    } else {
        return std::nullopt;
    }
    return v;
}

void SettingsStore::store(const std::string& name, const StoredValue& value) const {
    if (name.empty() || name.find_first_of("=\n\r[") != std::string::npos) return;
    std::lock_guard lock(fileMutex());
    const InterProcessLock processLock(filePath());
    auto values = readFile(filePath());
    if (value.isString) {
        values[name] = "s:" + escape(value.text);
    } else {
        char buf[16];
        std::snprintf(buf, sizeof buf, "d:%08x", value.word);
        values[name] = buf;
    }
    writeFile(filePath(), values);  // a failed write does nothing and reports nothing
}

void SettingsStore::writeString(const std::string& name, const std::string& value) const {
    store(name, StoredValue{true, value, 0});
}

void SettingsStore::writeDword(const std::string& name, std::uint32_t value) const {
    store(name, StoredValue{false, {}, value});
}

std::string SettingsStore::readString(const std::string& name) const {
    auto v = find(name);
    if (!v) return {};
    if (v->isString) return v->text;
    // A word read as text: its bytes up to the first zero, as the platform store does.
    std::string text;
    for (int i = 0; i < 4; ++i) {
        char c = static_cast<char>((v->word >> (8 * i)) & 0xFF);
        if (c == '\0') break;
        text += c;
    }
    return text;
}

std::uint32_t SettingsStore::readDword(const std::string& name) const {
    auto v = find(name);
    if (!v) return 0;
    if (!v->isString) return v->word;
    // A string read as a word: whatever its first four bytes hold.
    std::uint32_t word = 0;
    for (size_t i = 0; i < 4 && i < v->text.size(); ++i)
        word |= static_cast<std::uint32_t>(static_cast<unsigned char>(v->text[i])) << (8 * i);
    return word;
}

bool SettingsStore::valueExists(const std::string& name) const { return find(name).has_value(); }

std::uint32_t SettingsStore::getDwordWithDefault(const std::string& name, std::uint32_t fallback) const {
    if (!valueExists(name)) {
        writeDword(name, fallback);
        // Where the default could not be stored, answer with it rather than with 0: a
        // read-only configuration must not leave the decks silent and black.
        if (!valueExists(name)) return fallback;
    }
    return readDword(name);
}

std::string SettingsStore::getSoundDeviceMain() const {
    return valueExists("soundDeviceMain") ? readString("soundDeviceMain") : std::string();
}
void SettingsStore::setSoundDeviceMain(const std::string& name) const { writeString("soundDeviceMain", name); }

std::string SettingsStore::getSoundDeviceHeadphones() const {
    return valueExists("soundDeviceHeadphones") ? readString("soundDeviceHeadphones") : std::string();
}
void SettingsStore::setSoundDeviceHeadphones(const std::string& name) const {
    writeString("soundDeviceHeadphones", name);
}

float SettingsStore::getLevel(int deck) const {
    return std::bit_cast<float>(
        getDwordWithDefault(valueName("level", deck), std::bit_cast<std::uint32_t>(kDefaultLevel)));
}
void SettingsStore::setLevel(int deck, float level) const {
    writeDword(valueName("level", deck), std::bit_cast<std::uint32_t>(level));
}

float SettingsStore::getCrossFaderCurvePosition() const {
    return std::bit_cast<float>(getDwordWithDefault("crossFaderCurvePosition", 0));
}
void SettingsStore::setCrossFaderCurvePosition(float position) const {
    writeDword("crossFaderCurvePosition", std::bit_cast<std::uint32_t>(position));
}

std::uint32_t SettingsStore::getColor(int deck) const {
    return getDwordWithDefault(valueName("color", deck), kDefaultColor[deck == 0 ? 0 : 1]);
}
void SettingsStore::setColor(int deck, std::uint32_t color) const { writeDword(valueName("color", deck), color); }

}  // namespace quillmix
