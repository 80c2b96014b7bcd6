// The values of one banded-raster header file, shared by import and export:
// the record, its tables, what the import makes of it, and what the header
// parsers gather for completion.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "fennick/Facts.h"
#include "tamsel/PrimType.h"

namespace fennick {

inline const char* LayoutName(BndLayout layout)
{
    return kLayouts[static_cast<int>(layout)].name;
}

// The layout a name (header word) or an extension gives, ignoring case:
// BIL for any other.
BndLayout LayoutOfName(const char* name);
BndLayout LayoutOfExtension(const char* extension);

// Marks `ulymap` as not given: the most negative finite double.
inline constexpr double NoValue = std::numeric_limits<double>::lowest();

// Fields are named after the header keywords. The initial values are what a
// header that leaves a keyword out means; -1 marks the row and size fields as absent.
struct BndHeader {
    std::int32_t nrows = -1;
    std::int32_t ncols = -1;
    std::int32_t nbands = 1;
    std::int32_t nbits = 8;
    char byteorder[2] = "I";
    char layout[4] = "BIL";
    std::int32_t skipbytes = 0;
    double ulxmap = 0.0;
    double ulymap = NoValue;
    double xdim = 1.0;
    double ydim = 1.0;
    std::int32_t bandrowbytes = -1;
    std::int32_t totalrowbytes = -1;
    std::int32_t bandgapbytes = 0;
    char Projection[80] = {};
    char Datum[80] = {};
    char Units[40] = {};

    bool operator==(const BndHeader&) const = default;
};

// The two header dialects: the module's own keyword lines ("nrows 512"), and
// "key = value" lines after a first line "ENVI" (KeyValueHeader.h).
enum class HeaderDialect : std::int32_t { Keywords = 0, KeyValue = 1 };

inline const char* DialectName(HeaderDialect dialect)
{
    return dialect == HeaderDialect::KeyValue ? "key-value" : "keywords";
}

// A completed header with what the import derives from it, the value range
// of the statistics file and the files read.
struct BndDescription {
    HeaderDialect dialect = HeaderDialect::Keywords;
    BndHeader header;
    std::optional<double> nodata; // the header's nodata (not used by the import, which hands it to the host)
    std::string nodataText;       // the nodata value as the header writes it
    BndLayout layoutCode = BndLayout::BIL;
    tamsel::CPrimType sampleType = tamsel::CPrimType::Int8; // the lattice's element type
    bool swapBytes = false;                                 // samples are most significant byte first
    bool rowsUpward = false; // the file's first row is the southernmost (a world file's positive y step)
    double valueMin = 0.0;
    double valueMax = 1.0;
    // The files read: the header always, the world and statistics files when they exist.
    std::string headerFile;
    std::string worldFile;
    std::string statisticsFile;

    bool operator==(const BndDescription&) const = default;
};

// Scans the nodata value of either dialect into `d`, kept also as written.
bool ScanNodata(const char*& text, BndDescription& d);

// What a header's lines say beyond the record, for completion to resolve.
//
// Headers that other tools write in the keyword dialect carry a sample kind
// and grid-style geometry:
// - pixeltype SIGNEDINT, UNSIGNEDINT or FLOAT (HeaderCompletion.h), and
//   datatype R32, which mapping and planning tools write for FLOAT;
// - cellsize, xllcorner/yllcorner (the lower-left cell's corner) and
//   xllcenter/yllcenter (its centre), used only where xdim, ydim, ulxmap and
//   ulymap are absent; a world file still overrides them.
// A key = value header's data type and interleave decide the element type
// and the layout themselves.
struct HeaderScratch {
    char pixeltype[16] = {};
    char datatype[8] = {}; // R32: 32-bit float samples, as pixeltype FLOAT says
    std::optional<double> cellsize;
    std::optional<double> xllcorner;
    std::optional<double> yllcorner;
    std::optional<double> xllcenter;
    std::optional<double> yllcenter;
    bool givenXdim = false;
    bool givenYdim = false;
    bool givenUlxmap = false;
    bool givenMapInfo = false;
    std::optional<tamsel::CPrimType> sampleType;
    std::optional<BndLayout> layout;
};

} // namespace fennick
