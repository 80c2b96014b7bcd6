// Element types of lattice values, and widening of one element to a 64-bit integer.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

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
    [[nodiscard]] constexpr bool IsValid() const { return id_ >= 0 && id_ < Count; }

private:
    int id_ = Int8;
};

// Widens one value to a signed 64-bit integer.
//
// Integers widen by their own signedness. Floating-point values truncate toward
// zero; NaN gives 0 and values beyond the 64-bit range saturate, so no input has
// undefined behaviour.
template <class T>
constexpr std::int64_t WideInt(T value)
{
    if constexpr (std::is_floating_point_v<T>) {
        if (std::isnan(value)) {
            return 0;
        }
        if (value >= static_cast<T>(0x1p63)) {
            return INT64_MAX;
        }
        if (value < static_cast<T>(-0x1p63)) {
            return INT64_MIN;
        }
        return static_cast<std::int64_t>(value);
    } else {
        return static_cast<std::int64_t>(value);
    }
}

// Calls f with a value-initialised object of the C++ type that stands for `type`.
// Returns false (and does not call f) for an id outside the type table.
template <class F>
constexpr bool VisitPrimType(CPrimType type, F&& f)
{
    switch (static_cast<int>(type)) {
    case CPrimType::Int8: f(std::int8_t{}); return true;
    case CPrimType::UInt8: f(std::uint8_t{}); return true;
    case CPrimType::Int16: f(std::int16_t{}); return true;
    case CPrimType::UInt16: f(std::uint16_t{}); return true;
    case CPrimType::Int32: f(std::int32_t{}); return true;
    case CPrimType::UInt32: f(std::uint32_t{}); return true;
    case CPrimType::Int64: f(std::int64_t{}); return true;
    case CPrimType::Float32: f(float{}); return true;
    case CPrimType::Float64: f(double{}); return true;
    default: return false;
    }
}

// One element of a given type, held by value.
class HOST_API CPrimData {
public:
    // Copies TypeSize[type] bytes from `element`; an invalid type holds nothing.
    CPrimData(CPrimType type, const void* element);

    [[nodiscard]] CPrimType GetType() const { return type_; }
    [[nodiscard]] const void* GetData() const { return bytes_; }
    [[nodiscard]] std::int64_t GetWideInt() const { return GetWideInt(type_, bytes_); }

    // The element at `data` (which need not be aligned) widened by WideInt;
    // 0 for an id outside the type table.
    static std::int64_t GetWideInt(CPrimType type, const void* data)
    {
        std::int64_t result = 0;
        VisitPrimType(type, [&](auto zero) {
            decltype(zero) value;
            std::memcpy(&value, data, sizeof value);
            result = WideInt(value);
        });
        return result;
    }

private:
    CPrimType type_;
    alignas(8) unsigned char bytes_[8] = {};
};

} // namespace tamsel
