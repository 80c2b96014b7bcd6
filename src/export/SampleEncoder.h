// Turning lattice values into written samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <type_traits>

#include "tamsel/PrimType.h"

namespace fennick {

// Bytes of one written sample: a 32-bit whole number, least significant byte first.
inline constexpr std::size_t kWrittenSampleSize = 4;

// Whether a written sample holds `value` saturated to the signed 32-bit range:
// a floating-point or 64-bit value beyond it. (NaN, written as 0, is not.)
template <class T>
constexpr bool Saturates(T value)
{
    if constexpr (std::is_floating_point_v<T>) {
        return value >= static_cast<T>(0x1p31) || value < static_cast<T>(-0x1p31);
    } else if constexpr (sizeof(T) == 8) {
        return value > std::numeric_limits<std::int32_t>::max() || value < std::numeric_limits<std::int32_t>::min();
    } else {
        return false;
    }
}

// True for the element types EncodeSamples knows (ids 0 to 8).
bool IsEncodable(tamsel::CPrimType type);

// Encodes `count` values of `type`, `stride` bytes apart from `source`, as
// written samples one after another at `target`: whole numbers keep their
// value (an unsigned 32-bit one its exact bits), and those beyond the signed
// 32-bit range (64-bit ones) saturate to it; floating-point values truncate
// toward zero and saturate beyond that range, NaN is written as 0. Values
// need not be aligned. `type` must be encodable.
void EncodeSamples(tamsel::CPrimType type, const unsigned char* source, std::size_t stride, std::size_t count,
                   unsigned char* target);

// Encodes a row of `count` cells of `bands` values of `type` (value b of
// cell i at `cells` + (i x bands + b) x the type's size) as band rows of
// written samples, band b's at `target` + b x `bandDistance`. `type` must be
// encodable.
void EncodeBands(tamsel::CPrimType type, const unsigned char* cells, std::size_t bands, std::size_t count,
                 unsigned char* target, std::size_t bandDistance);

} // namespace fennick
