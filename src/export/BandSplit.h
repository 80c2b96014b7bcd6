// Splitting a row of interleaved cells into written band rows in one pass.
#pragma once

#include <cstddef>

#include "tamsel/PrimType.h"

namespace fennick {

// Encodes a row of `count` cells of `bands` values of `type` (cell i's value
// b at `cells` + (i x bands + b) x the type's size) as written samples, band
// b's at `target` + b x `bandDistance`, exactly as EncodeSamples would band by
// band. Returns false, and does nothing, unless the processor has byte
// shuffles, there are 2 to 4 bands, and the type is a whole number of at most
// 32 bits.
bool SplitBands(tamsel::CPrimType type, const unsigned char* cells, std::size_t bands, std::size_t count,
                unsigned char* target, std::size_t bandDistance);

} // namespace fennick
