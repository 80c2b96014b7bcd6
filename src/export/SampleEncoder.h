// Turning lattice values into written samples.
#pragma once

#include <cstddef>

#include "tamsel/PrimType.h"

namespace fennick {

// Bytes of one written sample: a 32-bit whole number, least significant byte first.
inline constexpr std::size_t kWrittenSampleSize = 4;

// Encodes `count` values of `type`, `stride` bytes apart from `source`, as
// written samples one after another at `target`: each value is widened as
// tamsel::CPrimData::GetWideInt does and its low 32 bits are kept. Values need
// not be aligned. `type` must be a valid type id.
void EncodeSamples(tamsel::CPrimType type, const unsigned char* source, std::size_t stride, std::size_t count,
                   unsigned char* target);

} // namespace fennick
