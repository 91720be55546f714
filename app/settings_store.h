#pragma once
// The settings that survive a restart, in a per-user file:
//   $XDG_CONFIG_HOME/Quillworks/Quillmix.conf   (XDG_CONFIG_HOME defaults to ~/.config)
//
// The store is stateless: every read and every write opens the file, handles one value and
// closes it again, so a reader on any thread sees the last write at once and nothing is
// cached. Values are strings or 32-bit words; floats are kept by their bit pattern.
// A typed get with a default tests existence, writes the default when the value is missing
// and reads the value back, so the value returned is what is stored. Where the file cannot
// be written, the typed gets return their defaults. A damaged file never crashes a read:
// lines that make no sense are passed over.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quillmix {

class SettingsStore {
public:
    // The file of the current user, found from the environment at each call.
    SettingsStore() = default;
    // A store over an explicit file (tests).
    explicit SettingsStore(std::filesystem::path file) : fixedFile_(std::move(file)) {}

    std::filesystem::path filePath() const;

    // Primitive operations.
    void writeString(const std::string& name, const std::string& value) const;
    void writeDword(const std::string& name, std::uint32_t value) const;
    std::string readString(const std::string& name) const;   // "" when missing
    std::uint32_t readDword(const std::string& name) const;  // 0 when missing
    bool valueExists(const std::string& name) const;

    // Typed operations. Deck-indexed ones take 0 (deck A) or 1 (deck B).
    std::string getSoundDeviceMain() const;
    void setSoundDeviceMain(const std::string& name) const;
    std::string getSoundDeviceHeadphones() const;
    void setSoundDeviceHeadphones(const std::string& name) const;
    float getLevel(int deck) const;  // default 0.7
    void setLevel(int deck, float level) const;
    float getCrossFaderCurvePosition() const;  // default 0.0
    void setCrossFaderCurvePosition(float position) const;
    std::uint32_t getColor(int deck) const;  // 0x00BBGGRR; defaults 0x00FFABCD, 0x00ABCDFF
    void setColor(int deck, std::uint32_t color) const;

    static constexpr float kDefaultLevel = 0.7f;
    static constexpr std::uint32_t kDefaultColor[2] = {0x00FFABCD, 0x00ABCDFF};

private:
    struct StoredValue;
    std::optional<StoredValue> find(const std::string& name) const;
    void store(const std::string& name, const StoredValue& value) const;
    std::uint32_t getDwordWithDefault(const std::string& name, std::uint32_t fallback) const;

    std::optional<std::filesystem::path> fixedFile_;
};

}  // namespace quillmix
