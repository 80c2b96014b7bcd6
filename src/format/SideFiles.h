// The optional world (.blw) and statistics (.stx) files beside a data file.
#pragma once

#include "format/BndHeader.h"

namespace fennick {

// Replaces xdim, ydim, ulxmap and ulymap of `header` by the world file's
// lines 1, 4, 5 and 6. 0 when read or absent; a malformed or missing line is
// a bad record (1 when `quiet`).
int ReadWorldFile(const char* dataPath, bool quiet, BndHeader& header);

// Widens [valueMin, valueMax] to the smallest minimum and the largest maximum
// of the statistics file's lines; the first line replaces them. 0 when read
// or absent; a line that begins with a digit but lacks three numbers is a bad
// record (1 when `quiet`).
int ReadStatisticsFile(const char* dataPath, bool quiet, double& valueMin, double& valueMax);

} // namespace fennick
