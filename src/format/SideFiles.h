// The optional world (.blw) and statistics (.stx) files beside a data file.
#pragma once

#include <string>
#include <vector>

#include "format/HeaderReader.h"
#include "support/Reporting.h"

namespace fennick {

// Whether `path` names a header: its extension is ".hdr", in any case. Such a
// path is never read or written as a data file.
bool IsHeaderPath(const char* path);

// Whether the export can write a data file at `path`: it has an extension
// (which chooses the layout), and not a header's.
bool IsDataPath(const char* path);

// The header of the data file `dataPath`: the file with ".hdr" in place of its
// extension ("scene.hdr") or, when there is none such, with ".hdr" added
// ("scene.img.hdr"), as found case-blind (SideFilePath); the first name when
// neither exists.
std::string HeaderPathOf(const char* dataPath);

// The file beside `dataPath` with `extension` (".hdr", ".blw", ".stx"): the
// data path with its extension replaced, as found on a system whose file
// names ignore case (so "scene.bil" finds "scene.HDR"); the built name when
// no such file exists.
std::string SideFilePath(const char* dataPath, const char* extension);

// Whether `extension` (".hdr", ".blw", ".stx", in any case) is a side file's.
bool IsSideFileExtension(const char* extension);

// The other files of `path`'s name in its folder, whatever its case: each
// with an extension that is not a side file's, and a name other than
// `path`'s. Their paths start with `path`'s folder as `path` gives it.
std::vector<std::string> OtherFilesOfTheName(const std::string& path);

// The refusal of a raster that a world file or a header rotates (the file, and
// where it says so): the lattice has no rotation.
inline constexpr const char* kRotatedRaster =
    "%s rotates the raster (%s). The host's lattice has no rotation, so every node would be in the wrong place.";

// Replaces xdim, ydim, ulxmap and ulymap of `d.header` by the world file's
// lines 1, 4, 5 and 6, and names the file in `d.worldFile`. 0 when read or
// absent; a malformed or missing line is a bad record, and a rotation (lines 2
// and 3) that moves a node by more than 1% of a cell is refused.
int ReadWorldFile(const char* dataPath, const Reporter& report, BndDescription& d);

// Widens [d.valueMin, d.valueMax] to the smallest minimum and the largest
// maximum of the statistics file's lines; the first line replaces them; names
// the file in `d.statisticsFile`. 0 when read or absent; a line that begins
// with a digit but lacks three numbers, or a minimum or maximum that is not
// finite, is a bad record. Failures go to `report`.
int ReadStatisticsFile(const char* dataPath, const Reporter& report, BndDescription& d);

} // namespace fennick
