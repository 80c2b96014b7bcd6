// Headers of the key = value dialect that many remote-sensing tools write: a
// first line "ENVI", then lines "key = value", keys ignoring case and the
// spacing around "="; a value in braces may span lines.
//
// The keys read (all others only describe, and are read past):
//   samples, lines, bands    columns, rows, bands
//   header offset            bytes before the data
//   data type                1 unsigned 8-bit, 2 signed 16-bit, 3 signed 32-bit,
//                            4 32-bit float, 5 64-bit float, 12 unsigned 16-bit,
//                            13 unsigned 32-bit, 14 signed 64-bit; complex (6, 9)
//                            and unsigned 64-bit (15) samples are refused
//   interleave               bsq (when absent), bil or bip
//   byte order               0 least significant byte first (when absent), 1 most
//   map info                 {projection, reference x, reference y, easting,
//                            northing, x size, y size, ...}: the map position of
//                            a 1-based reference pixel (1.0 is the first cell's
//                            upper-left corner); a rotation=... that is not 0 is
//                            refused, as the lattice has no rotation
//   data ignore value        the nodata value
#pragma once

#include <string>

#include "format/BndHeader.h"
#include "format/TextLines.h"
#include "support/Reporting.h"

namespace fennick {

// Whether `line`, a header's first line, opens this dialect.
bool OpensKeyValueHeader(const std::string& line);

// Reads the lines after the first into `out` (counts, byte order, geometry
// and nodata) and `scratch` (element type and layout). 0 when read; a malformed value of a key
// read, or a brace never closed, is a bad record at the key's line; a header
// of at least two rows and columns without a data type, or with one the
// lattice cannot hold, is refused. Failures go to `report`.
int ParseKeyValueLines(TextLines& lines, const std::string& headerPath, const Reporter& report, BndDescription& out,
                       HeaderScratch& scratch);

} // namespace fennick
