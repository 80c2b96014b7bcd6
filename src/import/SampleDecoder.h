// Turning one run of packed file samples into lattice cells.
#pragma once

#include <cstddef>

namespace fennick {

// Decodes `count` samples of `nbits` bits (1, 4, 8, 16, 32 or 64) from `source`
// into cells `stride` bytes apart at `target`.
//
// - 1 bit: 8 samples a byte, most significant bit first; cells get 0 or 1.
// - 4 bits: 2 samples a byte, high half first; cells get 0 to 15.
// - 8, 16, 32, 64 bits: the sample's bytes, reversed when `swapBytes` is set
//   (the file is most significant byte first) for 16 bits and more.
// Cells are 1 byte for 1, 4 and 8 bits, else as wide as the sample, in the
// machine's (little-endian) order. `source` holds the packed bytes of the run;
// for whole-byte samples with adjacent cells it may be `target` itself.
void DecodeSamples(const unsigned char* source, std::size_t count, int nbits, bool swapBytes, unsigned char* target,
                   std::size_t stride);

// Decodes `bands` runs of `count` samples each, run b at `source` + b x
// `runDistance`, into interleaved cells at `target`: cell (i, b) is cell
// i x bands + b of `cellSize` bytes. Whole-byte samples of 2, 3 or 4 bands go
// through one interleaving pass; others through DecodeEachBand.
void DecodeBands(const unsigned char* source, std::size_t runDistance, std::size_t bands, std::size_t count, int nbits,
                 bool swapBytes, unsigned char* target, std::size_t cellSize);

// As DecodeBands, for any samples and band count: whole-byte samples in
// squares of 16 / size bands where there are any, then band by band what
// they leave. (Apart from DecodeBands, so that its rows of few bands, often
// short, do not pay for this one's registers.)
void DecodeEachBand(const unsigned char* source, std::size_t runDistance, std::size_t bands, std::size_t count,
                    int nbits, bool swapBytes, unsigned char* target, std::size_t cellSize);

} // namespace fennick
