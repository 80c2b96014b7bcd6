#include "BandStatistics.h"

namespace bndhost {

void BandStatistics::Begin(const orvo::TrLattice& lattice)
{
    bands_.assign(static_cast<std::size_t>(lattice.components), Band{});
}

void BandStatistics::Add(const orvo::TrLatticeScan& scan)
{
    ForEachValue(scan, [&](std::size_t /*column*/, std::size_t band, double value) {
        Band& b = bands_[band];
        if (b.count == 0 || value < b.minimum) {
            b.minimum = value;
        }
        if (b.count == 0 || value > b.maximum) {
            b.maximum = value;
        }
        b.sum += value;
        ++b.count;
    });
}

} // namespace bndhost
