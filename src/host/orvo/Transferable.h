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
class ORVO_API TrBase {
public:
    virtual ~TrBase();
    [[nodiscard]] virtual const tamsel::CTypeInfo* GetTypeId() const = 0;
    // A new copy, owned by the caller.
    [[nodiscard]] virtual TrBase* Clone() const = 0;

protected:
    TrBase() = default;
    TrBase(const TrBase&) = default;
    TrBase& operator=(const TrBase&) = default;
};

// A coordinate reference system, carried as its text definition.
class ORVO_API TrCRS final : public TrBase {
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
// A lattice only describes the nodes; their values pass row by row in scans
// (hosts that keep them use hostside/Lattices.h).
class ORVO_API TrLattice : public TrBase {
public:
    TrLattice(tamsel::CPrimType type, int columnCount, int rowCount, int planeCount, int componentCount);

    tamsel::CParamList& GetParams() { return params_; }
    [[nodiscard]] const tamsel::CParamList& GetParams() const { return params_; }

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
};

class ORVO_API TrUniformLattice final : public TrLattice {
public:
    using TrLattice::TrLattice;
    static const tamsel::CTypeInfo* GetClassTypeId();
    [[nodiscard]] const tamsel::CTypeInfo* GetTypeId() const override;
    [[nodiscard]] TrBase* Clone() const override;
};

// One row of a lattice: `rowBuffer` holds one row of nodes in the lattice's row
// arrangement.
class ORVO_API TrLatticeScan final : public TrBase {
public:
    // Allocates one zeroed row; throws std::length_error when the lattice's sizes
    // are negative, its type is unknown or a row does not fit in memory.
    explicit TrLatticeScan(const TrLattice& lattice);
    TrLatticeScan(const TrLatticeScan& other);
    TrLatticeScan& operator=(const TrLatticeScan&) = delete;

    static const tamsel::CTypeInfo* GetClassTypeId();
    [[nodiscard]] const tamsel::CTypeInfo* GetTypeId() const override;
    [[nodiscard]] TrBase* Clone() const override;

    unsigned char* rowBuffer;

private:
    friend class LatticeRows;
    const TrLattice* lattice_;
    std::vector<unsigned char> storage_;
};

} // namespace orvo
