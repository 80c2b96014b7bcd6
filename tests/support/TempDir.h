// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/Platform.h"

namespace fennick::test {

// Paths are UTF-8 texts in the tests, as in the programs they run.
using platform::PathOf;
using platform::TextOf;

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
    // Path of `name` inside the folder.
    [[nodiscard]] std::string File(std::string_view name) const { return TextOf(path_ / PathOf(std::string(name))); }

    // Writes `content` to `name` inside the folder and returns its path.
    std::string Write(std::string_view name, std::string_view content) const;
    // As Write, but "<folder>" lays a folder, "<missing>" nothing, and a
    // POSIX fixture (support/Posix.h) such a thing.
    void Lay(std::string_view name, const std::string& content) const;

private:
    std::filesystem::path path_;
};

std::vector<unsigned char> ReadAll(const std::string& path);
std::string ReadText(const std::string& path);

// Writes a sparse file of `length` bytes, zeros but for each part's bytes at
// its offset; false when it cannot.
bool WriteSparse(const std::string& path, std::int64_t length,
                 const std::vector<std::pair<std::int64_t, std::string>>& parts);

} // namespace fennick::test
