// Where an export writes: its data file and header under hidden temporary
// names beside the files they become, put in place together or not at all.
#pragma once

#include <string>

namespace fennick {

// A banded raster is its data file with the header, world and statistics
// files the import finds for it. An export replaces its output raster whole
// or changes nothing, and never writes, replaces or shadows another raster's
// file. Failures are raised through the host's error path, naming the paths
// the host gave.
class StagedRaster final {
public:
    // Checks that the raster `dataPath` may be written (see Check), then
    // creates the two temporaries; nothing is created when it raises.
    explicit StagedRaster(std::string dataPath);
    // Removes the temporaries that were not put in place.
    ~StagedRaster();
    StagedRaster(const StagedRaster&) = delete;
    StagedRaster& operator=(const StagedRaster&) = delete;

    [[nodiscard]] const std::string& DataTemporary() const { return data_.temporary; }
    [[nodiscard]] const std::string& HeaderTemporary() const { return header_.temporary; }
    // The header as the import will find it: an existing one under its own name.
    [[nodiscard]] const std::string& HeaderPath() const { return header_.path; }

    // Under the folder's lock, checks again (another export may have put a
    // raster of the same name in place meanwhile), gives each temporary the
    // permission bits of the file it replaces, and moves the header, then the
    // data file, into place. When it raises, the previous raster is as it was.
    void Commit();

    // `text` with the temporaries' paths replaced by the paths they stand for.
    [[nodiscard]] std::string AsGiven(std::string text) const;

private:
    // One file of the raster: the path the import knows it by, where a
    // rename puts it (the file a link leads to, so that the link stays),
    // and its temporary beside that, which it removes unless it was put in
    // place.
    struct Slot {
        Slot() = default;
        ~Slot();
        Slot(const Slot&) = delete;
        Slot& operator=(const Slot&) = delete;

        // Creates the temporary, or raises.
        void Stage(int line);

        std::string path;
        std::string destination;
        std::string temporary;
        bool placed = false;
    };

    // Raises when writing the raster would replace a file that is not a
    // regular one or that the user may not write, a header this format does
    // not read, or a header that also describes another data file of the
    // same name (what a probe would answer 1 for), or would write through a
    // link into another raster's data file. Returns the header's path.
    [[nodiscard]] std::string Check() const;
    // Puts the header in place, then the data file; when the data file
    // cannot follow, puts the previous header (`previous`, or none) back
    // and raises.
    void PlaceBoth(const std::string* previous);

    std::string dataPath_;
    Slot data_;
    Slot header_;
};

} // namespace fennick
