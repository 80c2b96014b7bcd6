#include "BandStatistics.h"

#include <limits>

namespace bndhost {

void BandStatistics::Begin(const orvo::TrLattice& lattice, std::optional<double> nodata)
{
    bands_.assign(static_cast<std::size_t>(lattice.components), Band{});
    nodata_ = nodata;
    // A float lattice's samples are compared with the float the value rounds
    // to ("-3.4028235e+38" is the lowest float); a value that rounds to
    // infinity matches no sample, and is never cast.
    constexpr double roundsToInfinity = 0x1.ffffffp127; // the largest float plus half its last unit
    constexpr float largest = std::numeric_limits<float>::max();
    if (nodata_ && lattice.elementType == tamsel::CPrimType::Float32 && std::fabs(*nodata_) < roundsToInfinity) {
        nodata_ = std::fabs(*nodata_) >= largest ? std::copysign(largest, *nodata_)
                                                 : static_cast<double>(static_cast<float>(*nodata_));
    }
}

void BandStatistics::Add(const orvo::TrLatticeScan& scan)
{
    ForEachValue(scan, [&](std::size_t /*column*/, std::size_t band, auto sample) {
        const auto value = static_cast<double>(sample);
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
