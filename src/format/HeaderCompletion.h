// What the import reads: one check of a header record that the completion
// of either dialect, the export's lattice and the header writer all pass
// through, and the completion that fills what a header leaves out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "format/BndHeader.h"
#include "support/Reporting.h"

namespace fennick {

// Why the import would not read a raster of a header record.
struct HeaderFault {
    enum Kind {
        TooFewCells, // fewer than 2 rows or columns: no raster at all
        Invalid,     // `field` (a keyword of the module's dialect) holds `value`, which no file can have
        OneBitBands, // 1-bit samples come in one band only
    };
    Kind kind = Invalid;
    const char* field = "";
    std::int64_t value = 0;
};

// Checks the record `header` of `layout`, whose samples the lattice holds as
// `sampleType`: at least 2 rows and columns, at least 1 band, a sample width
// of that type (1 and 4 bits in 8-bit cells), no negative offsets or gaps,
// row sizes absent (-1) or given, and those absent fitting their 32-bit
// fields (a size too large is blamed on the count that makes it so).
std::optional<HeaderFault> CheckHeader(const BndHeader& header, BndLayout layout, tamsel::CPrimType sampleType);

// The lattice's element type of a keyword header's nbits and pixeltype
// (ignoring case): FLOAT is 32-bit float, at any nbits, which the check then
// refuses unless it is 32; 8-bit samples are unsigned unless it says SIGNEDINT
// (they are imagery and class maps), 16- and 32-bit ones signed unless it
// says UNSIGNEDINT (elevations often carry no pixeltype); 1 and 4 bits
// unpack into 8-bit cells. Other widths give 8-bit cells too, which the check
// refuses.
tamsel::CPrimType SampleTypeOf(std::int32_t nbits, const char* pixeltype);

// Completes `out` as its dialect's parser left it, with `scratch`: the
// element type and layout, a check (a header of fewer than 2 rows or columns
// is no raster: 1, quietly), the grid geometry, the default upper-left y and
// row sizes, the byte order. A refused value names the dialect's own key
// (`samples` for `ncols` in a key = value header).
int CompleteHeader(const std::string& headerPath, const Reporter& report, const HeaderScratch& scratch,
                   BndDescription& out);

} // namespace fennick
