// How a data file fits the raster its header describes: what the import's
// probe answers, and what the export's guard counts as a raster to keep.
#pragma once

#include "format/HeaderReader.h"

namespace fennick {

enum class RasterFit {
    None,    // not a raster the import reads: no usable header, or an empty file
    Exact,   // the size the header describes
    Longer,  // larger: the import asks whether to go on
    Shorter, // smaller: the import refuses it as incomplete
};

// Reads the header of the data file `path` quietly into `description`, and
// compares the file's size with the one it describes.
RasterFit FitOf(const char* path, BndDescription& description);

// Whether the import reads `path` as a raster: exactly, or after asking.
bool ReadsAsRasterFile(const std::string& path);

} // namespace fennick
