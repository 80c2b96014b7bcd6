// The rule that keeps every raster but the output as it was: no write
// writes, writes through, replaces, hides or unhides a file that another
// raster reads. The module's export and every host's own outputs check
// their writes against it, before creating anything and again when they
// put their files in place.
#pragma once

#include <functional>
#include <string>

namespace fennick {

// What a write puts in place: a raster (its data file and the header beside
// it) or a host's single output (no header).
struct PlannedWrite {
    std::string output;
    std::string header; // empty for a single output
};

// Whether the data file `path` reads as a raster: the import opens it, at
// the size its header describes or one that only makes it ask.
using ReadsAsRaster = std::function<bool(const std::string& path)>;

// Why `write` may not go ahead, as a sentence; empty when it may. The rasters
// a write could change are the data files beside each file it writes, under
// the name it is given and the one a link leads to (DataFilesBeside). Each
// of them that reads as a raster, other than the output itself, must
// afterwards read the same files (RasterFiles::Of with the names the write
// creates), none of which it writes. A raster output must also read no
// world or statistics file, which would override its new header.
std::string RefusalOf(const PlannedWrite& write, const ReadsAsRaster& readsAsRaster);

// Why the existing file `path` may not be replaced, as a sentence: it is
// not a regular file, or this process may not write it; empty when it may
// or when nothing has that name.
std::string ReplaceRefusal(const std::string& path);

} // namespace fennick
