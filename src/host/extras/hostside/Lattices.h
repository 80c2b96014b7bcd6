// What hosts and tests need of lattices and scans beyond the filter contract:
// row sizes, the lattice a scan belongs to, and owned node values.
#pragma once

#include <cstddef>
#include <vector>

#include "HostApi.h"
#include "orvo/Transferable.h"

namespace orvo {

class ORVO_API LatticeRows {
public:
    // Bytes of one row of nodes; throws std::length_error when the sizes are
    // negative, the type is unknown or the product does not fit in memory.
    static std::size_t RowBytes(const TrLattice& lattice);
    static std::size_t RowBytes(const TrLatticeScan& scan) { return scan.storage_.size(); }
    static const TrLattice& LatticeOf(const TrLatticeScan& scan) { return *scan.lattice_; }
};

// Every value of every plane of a lattice, zeroed; rows in delivery order.
class ORVO_API LatticeValues {
public:
    // Throws std::length_error or std::bad_alloc when the values cannot be held.
    explicit LatticeValues(const TrLattice& lattice);

    [[nodiscard]] std::size_t RowBytes() const { return rowBytes_; }
    unsigned char* Row(int plane, int row) { return values_.data() + Offset(plane, row); }
    [[nodiscard]] const unsigned char* Row(int plane, int row) const { return values_.data() + Offset(plane, row); }

private:
    [[nodiscard]] std::size_t Offset(int plane, int row) const
    {
        return (static_cast<std::size_t>(plane) * rows_ + static_cast<std::size_t>(row)) * rowBytes_;
    }

    std::size_t rows_;
    std::size_t rowBytes_;
    std::vector<unsigned char> values_;
};

} // namespace orvo
