// Typed access to elements for hosts and tests: the type table as C++ types.
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>

#include "tamsel/PrimType.h"

namespace tamsel {

constexpr bool IsKnownType(CPrimType type)
{
    return type >= 0 && type < CPrimType::Count;
}

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

} // namespace tamsel
