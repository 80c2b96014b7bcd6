#include "format/LatticeGeometry.h"

#include <cmath>

namespace fennick {

// The spacing is the magnitude of ydim: a world file gives the y step as a
// negative number (rows go south), a header as a positive one.
void PlaceLattice(const BndHeader& header, orvo::TrLattice& lattice)
{
    const double dy = std::fabs(header.ydim);
    lattice.xMin = header.ulxmap;
    lattice.yMin = header.ulymap - (header.nrows - 1) * dy;
    lattice.dx = header.xdim;
    lattice.dy = dy;
}

bool HasFiniteExtent(const BndHeader& header)
{
    const double east = header.ulxmap + (header.ncols - 1.0) * header.xdim;
    const double south = header.ulymap - (header.nrows - 1.0) * std::fabs(header.ydim);
    return std::isfinite(header.ulxmap) && std::isfinite(header.ulymap) && std::isfinite(east) && std::isfinite(south);
}

void DescribeLattice(const orvo::TrLattice& lattice, BndHeader& header)
{
    header.nrows = lattice.rows;
    header.ncols = lattice.columns;
    header.nbands = lattice.components;
    header.ulxmap = lattice.xMin;
    header.ulymap = lattice.yMin + (lattice.rows - 1.0) * lattice.dy; // in double: the rows are not checked yet
    header.xdim = lattice.dx;
    header.ydim = lattice.dy;
}

} // namespace fennick
