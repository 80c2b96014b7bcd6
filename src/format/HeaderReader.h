// Reading what a header file and its side files say about a data file:
// opening the header, telling its dialect, and the order of the steps.
#pragma once

#include <optional>
#include <string>

#include "format/BndHeader.h"

namespace fennick {

// Reads the header file of `dataPath` (RasterFiles) in either dialect,
// completes and checks it, then reads the world (".blw") and statistics
// (".stx") files if they exist. Starts from a default description. 0 when all
// was read; 1 when not: a header's own path (".hdr") or a header with fewer
// than two rows or columns always, every failure when `quiet`. Other failures
// raise through orvo::IoFilter::ThrowError.
int ReadDescription(const char* dataPath, bool quiet, BndDescription& out);

// Whether the header file `headerPath` reads as a header of this format: a
// text of the module's own dialect whose known keywords all read and which
// gives nrows and ncols.
// `described` gets its completed description when it has one (the import
// reads it: at least two rows and columns, every value usable).
bool ReadOwnHeader(const std::string& headerPath, std::optional<BndDescription>& described);

} // namespace fennick
