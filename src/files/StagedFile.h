// One file replaced whole or not at all: written under a hidden temporary
// name beside the file it becomes (beside the file a link leads to, so that
// the link stays a link) and moved over it in one step.
#pragma once

#include <string>

namespace fennick {

class StagedFile {
public:
    // Nothing is created yet.
    explicit StagedFile(const std::string& path) { Retarget(path); }
    // Removes the temporary unless it was put in place.
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary, empty; false (last system error set) when it cannot.
    bool Create();
    // Gives the temporary the permission bits of the file it replaces and
    // moves it over that file; false (last system error set) when it cannot.
    bool Place();
    // Stands for `path` from now on; the temporary stays where it is.
    void Retarget(const std::string& path);

    [[nodiscard]] const std::string& Path() const { return path_; }               // as given
    [[nodiscard]] const std::string& Destination() const { return destination_; } // what a rename replaces
    [[nodiscard]] const std::string& Temporary() const { return temporary_; }     // empty before Create
    [[nodiscard]] bool Placed() const { return placed_; }

private:
    std::string path_;
    std::string destination_;
    std::string temporary_;
    bool placed_ = false;
};

// Replaces the file `path` whole by `bytes`; false when it cannot.
bool ReplaceWhole(const std::string& path, const std::string& bytes);

} // namespace fennick
