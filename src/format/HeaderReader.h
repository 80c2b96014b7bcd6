// Reading what a header file and its side files say about a data file.
#pragma once

#include <optional>
#include <string>

#include "format/BndHeader.h"
#include "tamsel/PrimType.h"

namespace fennick {

// The two header dialects: the module's own keyword lines ("nrows 512"), and
// "key = value" lines after a first line "ENVI" (KeyValueHeader.h).
enum class HeaderDialect : std::int32_t { Keywords = 0, KeyValue = 1 };

inline const char* DialectName(HeaderDialect dialect)
{
    return dialect == HeaderDialect::KeyValue ? "key-value" : "keywords";
}

// A completed header with the values derived from it, and the value range
// of the statistics file.
//
// Besides the keywords of BndHeader, headers that other tools write carry a
// sample type and grid-style geometry:
// - pixeltype SIGNEDINT (the default), UNSIGNEDINT (unsigned 8-, 16-, 32-bit
//   lattices) or FLOAT (32-bit float lattices; nbits must be 32); any other
//   word changes nothing;
// - cellsize, xllcorner/yllcorner (the lower-left cell's corner) and
//   xllcenter/yllcenter (its centre), used only where xdim, ydim, ulxmap and
//   ulymap are absent; a world file still overrides them;
// - nodata or nodata_value, kept here (and as written) but not used by the
//   import, which hands it to the host.
struct BndDescription {
    HeaderDialect dialect = HeaderDialect::Keywords;
    BndHeader header;
    char pixeltype[16] = {};
    std::optional<double> cellsize;
    std::optional<double> xllcorner;
    std::optional<double> yllcorner;
    std::optional<double> xllcenter;
    std::optional<double> yllcenter;
    std::optional<double> nodata;
    std::string nodataText; // the nodata value as the header writes it
    BndLayout layoutCode = BndLayout::BIL;
    tamsel::CPrimType sampleType = tamsel::CPrimType::Int8; // the lattice's element type
    bool swapBytes = false;                                 // samples are most significant byte first
    double valueMin = 0.0;
    double valueMax = 1.0;
    // The files read: the header always, the world and statistics files when they exist.
    std::string headerFile;
    std::string worldFile;
    std::string statisticsFile;

    bool operator==(const BndDescription&) const = default;
};

// Reads the header file of `dataPath` (RasterFiles) in either dialect,
// completes and checks it, then reads the world (".blw") and statistics
// (".stx") files if they exist. Starts from a default description. 0 when all
// was read; 1 when not: a header's own path (".hdr") or a header with fewer
// than two rows or columns always, every failure when `quiet`. Other failures
// raise through orvo::IoFilter::ThrowError.
int ReadDescription(const char* dataPath, bool quiet, BndDescription& out);

// The nodata value of either dialect's header, kept also as written.
bool ScanNodata(const char*& text, BndDescription& d);

// Whether the header file `headerPath` reads as a header of this format: a
// text of the module's own dialect whose known keywords all read and which
// gives nrows and ncols.
// `described` gets its completed description when it has one (the import
// reads it: at least two rows and columns, every value usable).
bool ReadOwnHeader(const std::string& headerPath, std::optional<BndDescription>& described);

} // namespace fennick
