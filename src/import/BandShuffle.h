// Interleaving band runs into cells with byte shuffles, 16 bytes of each run
// at a time.
#pragma once

#include <cstddef>

namespace fennick {

// Interleaves the whole 16-byte blocks of `bands` runs of samples of `size`
// bytes (1, 2 or 4), run b at `source` + b x `runDistance`, into cells at
// `target`: sample i of run b goes to cell i x bands + b, its bytes reversed
// when `swapBytes` is set. Returns the samples of each run done: a multiple
// of 16 / `size`, and 0 when the processor has no byte shuffles or `bands`
// is not 2, 3 or 4. The caller interleaves the rest.
std::size_t ShuffleBands(const unsigned char* source, std::size_t runDistance, std::size_t bands, std::size_t count,
                         std::size_t size, bool swapBytes, unsigned char* target);

} // namespace fennick
