// The optional world (.blw) and statistics (.stx) files beside a data file.
#pragma once

#include <string>

#include "format/HeaderReader.h"
#include "support/Reporting.h"

namespace fennick {

// The refusal of a raster that a world file or a header rotates (the file, and
// where it says so): the lattice has no rotation.
inline constexpr const char* kRotatedRaster =
    "%s rotates the raster (%s). The host's lattice has no rotation, so every node would be in the wrong place.";

// Replaces xdim, ydim, ulxmap and ulymap of `d.header` by the lines 1, 4, 5
// and 6 of the world file `path`, and names the file in `d.worldFile`. A
// positive y step (line 4) means rows that run upward (`d.rowsUpward`): line
// 6 is then the y of the file's first row, and ulymap that of its last. 0 when
// read or when `path` is empty (there is none); a malformed or missing line
// is a bad record, and a rotation (lines 2 and 3) that moves a node by more
// than 1% of a cell is refused.
int ReadWorldFile(const std::string& path, const Reporter& report, BndDescription& d);

// Widens [d.valueMin, d.valueMax] to the smallest minimum and the largest
// maximum of the lines of the statistics file `path`; the first line replaces
// them; names the file in `d.statisticsFile`. 0 when read or when `path` is
// empty; a line that begins
// with a digit but lacks three numbers, or a minimum or maximum that is not
// finite, is a bad record. Failures go to `report`.
int ReadStatisticsFile(const std::string& path, const Reporter& report, BndDescription& d);

} // namespace fennick
