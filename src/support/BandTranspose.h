// Moving samples between band runs and interleaved cells 16 bytes at a time
// with byte shuffles, for 2 to 4 bands: one permutation, applied forward by
// the import and backward by the export.
//
// Both functions do whole blocks only and return the samples of each run they
// did, a multiple of 16 / size; 0 when they cannot help (a processor without
// byte shuffles, a portable build, another band count or size). The callers'
// own loops do the rest, and everything on other processors.
#pragma once

#include <cstddef>

namespace fennick {

// Interleaves `bands` runs of `count` samples of `size` bytes (1, 2 or 4),
// run b at `runs` + b x `runDistance`, into cells at `cells`: sample i of run
// b becomes cell i x bands + b, its bytes reversed when `swapBytes` is set.
std::size_t InterleaveBlocks(const unsigned char* runs, std::size_t runDistance, std::size_t bands, std::size_t count,
                             std::size_t size, bool swapBytes, unsigned char* cells);

// The reverse, widening each value to 32 bits as it is stored (sign-extended
// when `isSigned`): cell i x bands + b becomes the 4-byte value i of the run
// at `runs` + b x `runDistance`.
std::size_t SplitBlocks(const unsigned char* cells, std::size_t bands, std::size_t count, std::size_t size,
                        bool isSigned, unsigned char* runs, std::size_t runDistance);

} // namespace fennick
