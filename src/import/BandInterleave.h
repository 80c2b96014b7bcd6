// Interleaving 2, 3 or 4 band runs of whole-byte samples into cells.
#pragma once

#include <cstddef>

namespace fennick {

// Interleaves `bands` runs of `count` samples of `size` bytes (1, 2 or 4),
// run b at `source` + b x `runDistance`, into cells at `target`: sample i of
// run b goes to cell i x bands + b. Each sample's bytes are reversed when
// `swapBytes` is set. Returns false, and does nothing, for other band counts.
bool InterleaveBands(const unsigned char* source, std::size_t runDistance, std::size_t bands, std::size_t count,
                     std::size_t size, bool swapBytes, unsigned char* target);

} // namespace fennick
