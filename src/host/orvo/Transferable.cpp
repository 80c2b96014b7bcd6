#include "orvo/Transferable.h"

#include <stdexcept>

#include "hostside/Lattices.h"
#include "hostside/PrimValues.h"

namespace orvo {

namespace {

constexpr tamsel::CTypeInfo crsType("TrCRS");
constexpr tamsel::CTypeInfo uniformLatticeType("TrUniformLattice");
constexpr tamsel::CTypeInfo latticeScanType("TrLatticeScan");

// a * b, or throws std::length_error when a negative factor or the product does not fit.
std::size_t CheckedProduct(std::size_t a, long long b)
{
    std::size_t result = 0;
    if (b < 0 || __builtin_mul_overflow(a, static_cast<std::size_t>(b), &result) ||
        result > static_cast<std::size_t>(PTRDIFF_MAX)) {
        throw std::length_error("lattice sizes out of range");
    }
    return result;
}

} // namespace

TrBase::~TrBase() = default;

const tamsel::CTypeInfo* TrCRS::GetClassTypeId()
{
    return &crsType;
}

const tamsel::CTypeInfo* TrCRS::GetTypeId() const
{
    return &crsType;
}

TrBase* TrCRS::Clone() const
{
    return new TrCRS(*this);
}

TrLattice::TrLattice(tamsel::CPrimType type, int columnCount, int rowCount, int planeCount, int componentCount)
    : elementType(type), columns(columnCount), rows(rowCount), planes(planeCount), components(componentCount)
{
}

const tamsel::CTypeInfo* TrUniformLattice::GetClassTypeId()
{
    return &uniformLatticeType;
}

const tamsel::CTypeInfo* TrUniformLattice::GetTypeId() const
{
    return &uniformLatticeType;
}

TrBase* TrUniformLattice::Clone() const
{
    return new TrUniformLattice(*this);
}

TrLatticeScan::TrLatticeScan(const TrLattice& lattice)
    : rowBuffer(nullptr), lattice_(&lattice), storage_(LatticeRows::RowBytes(lattice))
{
    rowBuffer = storage_.data();
}

TrLatticeScan::TrLatticeScan(const TrLatticeScan& other)
    : TrBase(other), rowBuffer(nullptr), lattice_(other.lattice_), storage_(other.storage_)
{
    rowBuffer = storage_.data();
}

const tamsel::CTypeInfo* TrLatticeScan::GetClassTypeId()
{
    return &latticeScanType;
}

const tamsel::CTypeInfo* TrLatticeScan::GetTypeId() const
{
    return &latticeScanType;
}

TrBase* TrLatticeScan::Clone() const
{
    return new TrLatticeScan(*this);
}

std::size_t LatticeRows::RowBytes(const TrLattice& lattice)
{
    if (!tamsel::IsKnownType(lattice.elementType)) {
        throw std::length_error("unknown lattice element type");
    }
    const auto size = static_cast<std::size_t>(tamsel::CPrimType::TypeSize[lattice.elementType]);
    return CheckedProduct(CheckedProduct(size, lattice.columns), lattice.components);
}

LatticeValues::LatticeValues(const TrLattice& lattice)
    : rows_(CheckedProduct(1, lattice.rows)), rowBytes_(LatticeRows::RowBytes(lattice)),
      values_(CheckedProduct(CheckedProduct(rowBytes_, lattice.rows), lattice.planes), 0)
{
}

} // namespace orvo
