#include "BandStatistics.h"

#include <limits>

namespace bndhost {

void BandStatistics::Begin(const orvo::TrLattice& lattice, std::optional<double> nodata)
{
    bands_.assign(static_cast<std::size_t>(lattice.components), Band{});
    nodata_ = nodata;
    // Beyond float's range no float sample can equal it, and the cast would be undefined.
    if (nodata_ && lattice.elementType == tamsel::CPrimType::Float32 &&
        std::fabs(*nodata_) <= std::numeric_limits<float>::max()) {
        nodata_ = static_cast<double>(static_cast<float>(*nodata_));
    }
}

void BandStatistics::Add(const orvo::TrLatticeScan& scan)
{
    ForEachValue(scan, [&](std::size_t /*column*/, std::size_t band, double value) {
        Band& b = bands_[band];
        if (std::isnan(value)) {
            ++b.nan;
        } else if (nodata_ && value == *nodata_) {
            ++b.nodata;
        } else {
            b.Add(value);
        }
    });
}

} // namespace bndhost
