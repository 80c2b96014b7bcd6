// Headers of the module's own dialect: a keyword and a value a line
// ("nrows 512"), keywords ignoring case; lines of other words are read past.
#pragma once

#include <string>

#include "format/BndHeader.h"
#include "support/Reporting.h"
#include "tamsel/BufferedFile.h"

namespace fennick {

// Reads `file` from its start into `out` (the record and nodata) and
// `scratch` (other tools' words). 0 when read; a known keyword whose value
// does not read is a bad record at its line. Failures go to `report`.
int ParseKeywordLines(tamsel::CBufferedFile& file, const std::string& headerPath, const Reporter& report,
                      BndDescription& out, HeaderScratch& scratch);

} // namespace fennick
