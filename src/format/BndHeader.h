// The values of one banded-raster header file, shared by import and export.
#pragma once

#include <cstdint>
#include <limits>

#include "fennick/Facts.h"

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

} // namespace fennick
