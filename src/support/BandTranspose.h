// Moving samples between band runs and interleaved cells 16 bytes at a time:
// one permutation, applied forward by the import and backward by the export.
// 2 to 4 bands go through byte shuffles, whole blocks of every band at once;
// more bands through squares of 16 / size bands by 16 / size samples.
//
// Every function does whole blocks or squares only and says what it did;
// nothing when it cannot help (a processor without byte shuffles, a portable
// build, another band count or size). The callers' own loops do the rest, and
// everything on other processors.
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

// The bands and the samples of each of those bands that a square function
// moved: the first bands - bands % (16 / size), and the first count - count %
// (16 / size) samples of each.
struct Squares {
    std::size_t bands = 0;
    std::size_t samples = 0;
};

// As InterleaveBlocks, for any number of bands.
Squares InterleaveSquares(const unsigned char* runs, std::size_t runDistance, std::size_t bands, std::size_t count,
                          std::size_t size, bool swapBytes, unsigned char* cells);

// As SplitBlocks, for any number of bands.
Squares SplitSquares(const unsigned char* cells, std::size_t bands, std::size_t count, std::size_t size, bool isSigned,
                     unsigned char* runs, std::size_t runDistance);

} // namespace fennick
