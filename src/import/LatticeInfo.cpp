// The summary text attached to every imported lattice.
#include <cmath>

#include "import/BndImportFilter.h"
#include "tamsel/Format.h"

namespace fennick {

void BndImportFilter::SetLatticeInfo(orvo::TrUniformLattice& lattice, const char* name)
{
    const double xMax = lattice.xMin + static_cast<std::uint32_t>(lattice.columns - 1) * lattice.dx;
    const double yMax = lattice.yMin + static_cast<std::uint32_t>(lattice.rows - 1) * lattice.dy;
    std::string text;
    tamsel::FormatString(text,
                         "Name:\t%s\r\nFormat:\t%s\r\nSize:\t%d rows x %d columns x %d planes\r\n"
                         "Spacing:\tX=%.12G,   Y=%.12G,   Z=%.12G\r\n"
                         "xMin:\t%.12G\txMax:\t%.12G\r\nyMin:\t%.12G\tyMax:\t%.12G\r\nzMin:\t%.12G\tzMax:\t%.12G\r\n"
                         "SW Corner:\t%.12G, %.12G\r\nNW Corner:\t%.12G, %.12G\r\n"
                         "NE Corner:\t%.12G, %.12G\r\nSE Corner:\t%.12G, %.12G\r\n",
                         name, GetIoManager().GetFormatName().c_str(), lattice.rows, lattice.columns, lattice.planes,
                         std::fabs(lattice.dx), std::fabs(lattice.dy), std::fabs(lattice.dz), lattice.xMin, xMax,
                         lattice.yMin, yMax, description.valueMin, description.valueMax, lattice.xMin, lattice.yMin,
                         lattice.xMin, yMax, xMax, yMax, xMax, lattice.yMin);
    lattice.GetParams().Set("LatticeInfo", text);
}

} // namespace fennick
