// Where an export writes: its data file and header under hidden temporary
// names beside the files they become, put in place together or not at all.
#pragma once

#include <string>

#include "files/StagedFile.h"

namespace fennick {

// A banded raster is its data file with the header, world and statistics
// files the import finds for it (RasterFiles). An export replaces its output
// raster whole or changes nothing, and changes no other raster
// (RasterGuard.h). Failures are raised through the host's error path,
// naming the paths the host gave.
class StagedRaster final {
public:
    // Checks that the raster `dataPath` may be written (see Check), then
    // creates the two temporaries; nothing is created when it raises.
    explicit StagedRaster(std::string dataPath);
    StagedRaster(const StagedRaster&) = delete;
    StagedRaster& operator=(const StagedRaster&) = delete;

    [[nodiscard]] const std::string& DataTemporary() const { return data_.Temporary(); }
    [[nodiscard]] const std::string& HeaderTemporary() const { return header_.Temporary(); }
    // The header as the import will find it: an existing one under its own name.
    [[nodiscard]] const std::string& HeaderPath() const { return header_.Path(); }

    // Under the folder's lock, checks again (another export may have put a
    // raster of the same name in place meanwhile), then moves the header,
    // then the data file, into place. When it raises, the previous raster
    // is as it was.
    void Commit();

    // `text` with the temporaries' paths replaced by the paths they stand for.
    [[nodiscard]] std::string AsGiven(std::string text) const;

private:
    // Raises when a file the raster replaces is not a regular one or may not
    // be written, when its header is one this format does not read, or when
    // the write would change another raster. Returns the header's path.
    [[nodiscard]] std::string Check() const;
    // Puts the header in place, then the data file; when the data file
    // cannot follow, puts the previous header (`previous`, or none) back
    // and raises.
    void PlaceBoth(const std::string* previous);

    std::string dataPath_;
    StagedFile data_;
    StagedFile header_;
};

} // namespace fennick
