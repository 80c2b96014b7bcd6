// The two mappings between a header's map position and a lattice's geometry.
//
// The first row of a data file is the lattice's northernmost row; the lattice
// origin is the node of the first column in the southernmost row; ulxmap and
// ulymap place the upper-left node.
#pragma once

#include "format/BndHeader.h"
#include "orvo/Transferable.h"

namespace fennick {

// Import: origin and spacing of `lattice` from a completed header.
void PlaceLattice(const BndHeader& header, orvo::TrLattice& lattice);

// Whether every node of a completed header lies at a finite position: the
// upper-left node, and it plus the spacing times the columns or rows.
bool HasFiniteExtent(const BndHeader& header);

// The refusal of a geometry that `HasFiniteExtent` refuses, naming the file
// (and where in it) that gives the geometry.
inline constexpr const char* kInfiniteExtent =
    "%s places nodes beyond the range of numbers: the origin plus the spacing times the columns or rows is not "
    "finite.";

// Export: the size, bands and map position of `header` from `lattice`.
void DescribeLattice(const orvo::TrLattice& lattice, BndHeader& header);

} // namespace fennick
