// What the import attaches to every lattice it hands over: the summary text
// and the facts of the files it read.
#include <cmath>
#include <string>

#include "fennick/Facts.h"
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

void BndImportFilter::SetLatticeFacts(orvo::TrUniformLattice& lattice, std::int64_t dataSize,
                                      std::int64_t describedSize) const
{
    tamsel::CParamList& params = lattice.GetParams();
    const BndDescription& d = description;
    params.Set(facts::kLayout, LayoutName(d.layoutCode));
    params.Set(facts::kBits, std::to_string(d.header.nbits));
    params.Set(facts::kByteOrder, d.swapBytes ? "M" : "I");
    // 1- and 4-bit samples, held in 8-bit cells, are 0 to 15.
    params.Set(facts::kPixelType, d.header.nbits < 8 ? "UNSIGNEDINT" : ElementTypeOf(d.sampleType)->pixeltype);
    if (d.nodata) {
        params.Set(facts::kNodata, d.nodataText);
    }
    params.Set(facts::kHeaderDialect, DialectName(d.dialect));
    params.Set(facts::kHeaderFile, d.headerFile);
    if (!d.worldFile.empty()) {
        params.Set(facts::kWorldFile, d.worldFile);
    }
    if (!d.statisticsFile.empty()) {
        params.Set(facts::kStatisticsFile, d.statisticsFile);
    }
    params.Set(facts::kDataSize, std::to_string(dataSize));
    params.Set(facts::kDescribedSize, std::to_string(describedSize));
}

} // namespace fennick
