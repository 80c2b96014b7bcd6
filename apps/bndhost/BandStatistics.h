// Per-band minimum, maximum and mean of lattice rows, gathered as they pass.
// Values equal to the header's nodata value, and NaN, are left out and counted.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "hostside/Lattices.h"
#include "hostside/PrimValues.h"
#include "orvo/Transferable.h"

namespace bndhost {

class BandStatistics {
public:
    struct Band {
        double minimum = 0.0;
        double maximum = 0.0;
        double sum = 0.0;
        std::uint64_t count = 0;  // values in the statistics
        std::uint64_t nodata = 0; // values equal to the nodata value
        std::uint64_t nan = 0;    // NaN values
        [[nodiscard]] double Mean() const { return count > 0 ? sum / static_cast<double>(count) : 0.0; }
        void Add(double value)
        {
            minimum = count == 0 || value < minimum ? value : minimum;
            maximum = count == 0 || value > maximum ? value : maximum;
            sum += value;
            ++count;
        }
    };

    // Starts over for the rows of `lattice`, leaving out `nodata` if given. A
    // float lattice's nodata value is compared as a float, as its samples are stored.
    void Begin(const orvo::TrLattice& lattice, std::optional<double> nodata = std::nullopt);
    // Adds one row in the lattice's row arrangement.
    void Add(const orvo::TrLatticeScan& scan);

    [[nodiscard]] const std::vector<Band>& Bands() const { return bands_; }

    // True when `value` is the nodata value or NaN: no statistic includes it.
    [[nodiscard]] bool IsMissing(double value) const { return std::isnan(value) || (nodata_ && value == *nodata_); }

private:
    std::vector<Band> bands_;
    std::optional<double> nodata_;
};

// Calls visit(column, band, value) for every value of one row, each value of
// the C++ type of the lattice's element type.
template <class Visit>
void ForEachValue(const orvo::TrLatticeScan& scan, Visit&& visit)
{
    const orvo::TrLattice& lattice = orvo::LatticeRows::LatticeOf(scan);
    const auto columns = static_cast<std::size_t>(lattice.columns);
    const auto bands = static_cast<std::size_t>(lattice.components);
    tamsel::VisitPrimType(lattice.elementType, [&](auto zero) {
        using T = decltype(zero);
        const unsigned char* cell = scan.rowBuffer;
        for (std::size_t column = 0; column < columns; ++column) {
            for (std::size_t band = 0; band < bands; ++band, cell += sizeof(T)) {
                T value;
                std::memcpy(&value, cell, sizeof(T));
                visit(column, band, value);
            }
        }
    });
}

} // namespace bndhost
