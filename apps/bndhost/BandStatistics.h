// Per-band minimum, maximum and mean of lattice rows, gathered as they pass.
// Values equal to the header's nodata value, and NaN, are left out and counted.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "hostside/Lattices.h"
#include "hostside/PrimValues.h"
#include "orvo/Transferable.h"

namespace bndhost {

// The nodata value as the module writes it (the fact's text): a whole
// number exactly, or a floating-point one.
struct Nodata {
    std::optional<std::int64_t> whole; // when the text is a whole number within 64 bits
    std::optional<double> real;        // when the text is a number at all

    static Nodata Of(const std::optional<std::string>& text);
};

class BandStatistics {
public:
    struct Band {
        double minimum = 0.0;
        double maximum = 0.0;
        // A whole-number lattice's extremes exactly (64-bit ones beyond 2^53 too).
        std::int64_t wholeMinimum = 0;
        std::int64_t wholeMaximum = 0;
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
        void AddWhole(std::int64_t value)
        {
            wholeMinimum = count == 0 || value < wholeMinimum ? value : wholeMinimum;
            wholeMaximum = count == 0 || value > wholeMaximum ? value : wholeMaximum;
            Add(static_cast<double>(value));
        }
    };

    // Starts over for the rows of `lattice`, leaving out `nodata`. A whole
    // number lattice's nodata is compared as a whole number, exactly; a float
    // lattice's as a float, as its samples are stored.
    void Begin(const orvo::TrLattice& lattice, const Nodata& nodata = {});
    // Adds one row in the lattice's row arrangement.
    void Add(const orvo::TrLatticeScan& scan);

    [[nodiscard]] const std::vector<Band>& Bands() const { return bands_; }
    // Whether the lattice holds whole numbers: each band's whole extremes are exact.
    [[nodiscard]] bool Whole() const { return whole_; }

    // True when `value` is the nodata value or NaN: no statistic includes it.
    template <class T>
    [[nodiscard]] bool IsMissing(T value) const
    {
        if constexpr (std::is_integral_v<T>) {
            return wholeNodata_ && static_cast<std::int64_t>(value) == *wholeNodata_;
        } else {
            return std::isnan(value) || (nodata_ && static_cast<double>(value) == *nodata_);
        }
    }

private:
    std::vector<Band> bands_;
    bool whole_ = false;
    std::optional<double> nodata_;            // a float lattice's
    std::optional<std::int64_t> wholeNodata_; // a whole-number lattice's
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
