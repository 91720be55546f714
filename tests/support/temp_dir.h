#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes away.
#include <filesystem>
#include <string>

namespace quillmix::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path file(const std::string& name) const { return path_ / name; }
    // Creates the file `name` (with the folders it needs) holding one byte; returns its path.
    std::filesystem::path touch(const std::string& name) const;

private:
    std::filesystem::path path_;
};

}  // namespace quillmix::test
