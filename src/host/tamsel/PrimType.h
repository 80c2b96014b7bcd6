// Element types of lattice values, and one element held by value.
#pragma once

#include <cstdint>

#include "HostApi.h"

namespace tamsel {

// An element type id. The ids and their sizes are fixed by the host's type table.
class CPrimType {
public:
    enum Id : int { Int8 = 0, UInt8, Int16, UInt16, Int32, UInt32, Int64, Float32, Float64, Count };

    static constexpr int TypeSize[Count] = {1, 1, 2, 2, 4, 4, 8, 4, 8};

    constexpr CPrimType() = default;
    constexpr CPrimType(int id) : id_(id) {} // NOLINT(google-explicit-constructor): ids are plain ints

    constexpr operator int() const { return id_; } // NOLINT(google-explicit-constructor)

private:
    int id_ = Int8;
};

// One element of a given type, held by value.
class TAMSEL_API CPrimData {
public:
    // Copies TypeSize[type] bytes from `element`; an invalid type holds nothing.
    CPrimData(CPrimType type, const void* element);

    [[nodiscard]] std::int64_t GetWideInt() const { return GetWideInt(type_, bytes_); }

    // The element at `data` (which need not be aligned) as a signed 64-bit
    // integer: integers by their own signedness, floating-point values truncated
    // toward zero (NaN gives 0, values beyond the range saturate); 0 for an id
    // outside the type table.
    static std::int64_t GetWideInt(CPrimType type, const void* data);

private:
    CPrimType type_;
    alignas(8) unsigned char bytes_[8] = {};
};

} // namespace tamsel
