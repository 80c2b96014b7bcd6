// Byte-shuffle masks that move samples between band runs and interleaved
// cells 16 bytes at a time, for processors that shuffle bytes (x86 SSSE3).
#pragma once

#include <cstddef>

#if defined(__x86_64__)
#define FENNICK_BYTE_SHUFFLES 1
#endif

namespace fennick {

// True when this processor has the byte shuffle the kernels are built on.
bool HasByteShuffles();

// Bytes that no mask entry selects are -128, which a shuffle turns into zero.
inline constexpr signed char kNoByte = -128;

// From 16 bytes of each of Bands runs of Size-byte samples to Bands x 16 bytes
// of cells: cell vector v is the OR over runs b of run b shuffled by
// masks[v][b]. Swap reverses each sample's bytes in the same shuffle.
template <std::size_t Size, bool Swap, std::size_t Bands>
struct CellMasks {
    signed char masks[Bands][Bands][16] = {};

    constexpr CellMasks()
    {
        for (std::size_t v = 0; v < Bands; ++v) {
            for (std::size_t j = 0; j < 16; ++j) {
                const std::size_t cell = (16 * v + j) / Size;
                const std::size_t byte = (16 * v + j) % Size;
                for (std::size_t b = 0; b < Bands; ++b) {
                    const std::size_t from = cell / Bands * Size + (Swap ? Size - 1 - byte : byte);
                    masks[v][b][j] = b == cell % Bands ? static_cast<signed char>(from) : kNoByte;
                }
            }
        }
    }
};

// The reverse: run vector b is the OR over cell vectors v shuffled by masks[b][v].
template <std::size_t Size, std::size_t Bands>
struct RunMasks {
    signed char masks[Bands][Bands][16] = {};

    constexpr RunMasks()
    {
        for (std::size_t b = 0; b < Bands; ++b) {
            for (std::size_t j = 0; j < 16; ++j) {
                const std::size_t from = (j / Size * Bands + b) * Size + j % Size;
                for (std::size_t v = 0; v < Bands; ++v) {
                    masks[b][v][j] = from / 16 == v ? static_cast<signed char>(from % 16) : kNoByte;
                }
            }
        }
    }
};

} // namespace fennick
