// Objects that pass between the host and filters.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "HostApi.h"
#include "tamsel/ParamList.h"
#include "tamsel/PrimType.h"
#include "tamsel/TypeInfo.h"

namespace orvo {

// Base of every transferable object. Types are told apart by GetTypeId(), whose
// result is compared by address with a class's GetClassTypeId().
class HOST_API TrBase {
public:
    virtual ~TrBase();
    [[nodiscard]] virtual const tamsel::CTypeInfo* GetTypeId() const = 0;
    [[nodiscard]] virtual const char* GetTypeName() const;
    // A new copy, owned by the caller.
    [[nodiscard]] virtual TrBase* Clone() const = 0;

protected:
    TrBase() = default;
    TrBase(const TrBase&) = default;
    TrBase& operator=(const TrBase&) = default;
};

// A coordinate reference system, carried as its text definition.
class HOST_API TrCRS final : public TrBase {
public:
    explicit TrCRS(std::string text = {}) : definition(std::move(text)) {}
    static const tamsel::CTypeInfo* GetClassTypeId();
    [[nodiscard]] const tamsel::CTypeInfo* GetTypeId() const override;
    [[nodiscard]] TrBase* Clone() const override;

    std::string definition;
};

// A regular grid of nodes, each holding `components` values of `elementType`.
//
// Rows are kept in the order in which they are delivered: with storageOrder 2
// and storageFlags 0 (the only arrangement filters use) row 0 is the northern
// edge (largest y) and the origin (xMin, yMin) is the node of the first column
// in the southern row. Within a row, the value of column c, component b starts
// at byte (c * components + b) * TypeSize[elementType].
//
// Host side, a lattice may own its node values (AllocateValues) so that hosts
// and tests can build real lattices; a lattice that an import filter hands over
// is only described, and its values arrive row by row in scans.
class HOST_API TrLattice : public TrBase {
public:
    TrLattice(tamsel::CPrimType type, int columnCount, int rowCount, int planeCount, int componentCount);

    tamsel::CParamList& GetParams() { return params_; }
    [[nodiscard]] const tamsel::CParamList& GetParams() const { return params_; }

    // Bytes of one row of nodes; throws std::length_error when the sizes are
    // negative, the type is unknown or the product does not fit in memory.
    [[nodiscard]] std::size_t RowBytes() const;

    // Allocates zeroed storage for every value of every plane (throws std::length_error
    // or std::bad_alloc when it cannot).
    void AllocateValues();
    [[nodiscard]] bool HasValues() const { return !values_.empty(); }
    // Row `row` of plane `plane`, in delivery order; requires HasValues().
    unsigned char* RowData(int plane, int row);
    [[nodiscard]] const unsigned char* RowData(int plane, int row) const;

    tamsel::CPrimType elementType;
    int columns;
    int rows;
    int planes;
    int components;
    int storageOrder = 0;
    int storageFlags = 0;
    double xMin = 0.0;
    double yMin = 0.0;
    double zMin = 0.0;
    double dx = 1.0;
    double dy = 1.0;
    double dz = 1.0;

private:
    tamsel::CParamList params_;
    std::vector<unsigned char> values_;
};

class HOST_API TrUniformLattice final : public TrLattice {
public:
    using TrLattice::TrLattice;
    static const tamsel::CTypeInfo* GetClassTypeId();
    [[nodiscard]] const tamsel::CTypeInfo* GetTypeId() const override;
    [[nodiscard]] TrBase* Clone() const override;
};

// One row of a lattice: `rowBuffer` holds RowBytes() bytes in the lattice's row
// arrangement. Whoever fills the buffer may note the row's place in `plane` and `row`.
class HOST_API TrLatticeScan final : public TrBase {
public:
    // Allocates one zeroed row (see TrLattice::RowBytes for what it throws).
    explicit TrLatticeScan(const TrLattice& lattice);
    TrLatticeScan(const TrLatticeScan& other);
    TrLatticeScan& operator=(const TrLatticeScan&) = delete;

    static const tamsel::CTypeInfo* GetClassTypeId();
    [[nodiscard]] const tamsel::CTypeInfo* GetTypeId() const override;
    [[nodiscard]] TrBase* Clone() const override;

    [[nodiscard]] const TrLattice& GetLattice() const { return *lattice_; }
    [[nodiscard]] std::size_t GetRowBytes() const { return storage_.size(); }

    unsigned char* rowBuffer;
    int plane = 0;
    int row = 0;

private:
    const TrLattice* lattice_;
    std::vector<unsigned char> storage_;
};

} // namespace orvo
