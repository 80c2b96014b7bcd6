#include "import/SampleDecoder.h"

#include "import/BandInterleave.h"

#include <cstdint>
#include <cstring>

namespace fennick {

namespace {

template <class T, bool Swap>
T Load(const unsigned char* at)
{
    T value;
    std::memcpy(&value, at, sizeof(T));
    if constexpr (Swap && sizeof(T) == 2) {
        value = __builtin_bswap16(value);
    } else if constexpr (Swap && sizeof(T) == 4) {
        value = __builtin_bswap32(value);
    }
    return value;
}

template <class T, bool Swap>
void Scatter(const unsigned char* source, std::size_t count, unsigned char* target, std::size_t stride)
{
    for (std::size_t i = 0; i < count; ++i) {
        const T value = Load<T, Swap>(source + i * sizeof(T));
        std::memcpy(target + i * stride, &value, sizeof(T));
    }
}

// Reverses the bytes of each of `count` adjacent values, in one pass over the row.
template <class T>
void SwapInPlace(unsigned char* values, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const T value = Load<T, true>(values + i * sizeof(T));
        std::memcpy(values + i * sizeof(T), &value, sizeof(T));
    }
}

// Whole-byte samples: one copy when the cells are adjacent (none when the run
// was read in place), else a strided scatter.
template <class T>
void CopySamples(const unsigned char* source, std::size_t count, bool swapBytes, unsigned char* target,
                 std::size_t stride)
{
    if (stride == sizeof(T)) {
        if (target != source) {
            std::memcpy(target, source, count * sizeof(T));
        }
        if (swapBytes) {
            SwapInPlace<T>(target, count);
        }
        return;
    }
    if (swapBytes) {
        Scatter<T, true>(source, count, target, stride);
    } else {
        Scatter<T, false>(source, count, target, stride);
    }
}

// Cells for every value of a packed byte, first sample first: 8 cells of 0 or
// 1 for 1-bit samples, 2 cells of 0 to 15 for 4-bit samples.
template <int Bits>
struct UnpackTable {
    static constexpr int PerByte = 8 / Bits;
    unsigned char cells[256][PerByte] = {};

    constexpr UnpackTable()
    {
        for (int byte = 0; byte < 256; ++byte) {
            for (int k = 0; k < PerByte; ++k) {
                cells[byte][k] = static_cast<unsigned char>((byte >> (8 - Bits * (k + 1))) & ((1 << Bits) - 1));
            }
        }
    }
};

// 1- and 4-bit samples. Adjacent cells (always so for 1 bit, which has one
// band) take whole bytes from the table; the last byte may be partly used.
template <int Bits>
void UnpackSamples(const unsigned char* source, std::size_t count, unsigned char* target, std::size_t stride)
{
    static constexpr UnpackTable<Bits> table;
    constexpr std::size_t perByte = UnpackTable<Bits>::PerByte;
    const std::size_t wholeBytes = stride == 1 ? count / perByte : 0;
    for (std::size_t j = 0; j < wholeBytes; ++j) {
        std::memcpy(target + j * perByte, table.cells[source[j]], perByte);
    }
    for (std::size_t i = wholeBytes * perByte; i < count; ++i) {
        target[i * stride] = table.cells[source[i / perByte]][i % perByte];
    }
}

} // namespace

void DecodeSamples(const unsigned char* source, std::size_t count, int nbits, bool swapBytes, unsigned char* target,
                   std::size_t stride)
{
    switch (nbits) {
    case 1: UnpackSamples<1>(source, count, target, stride); break;
    case 4: UnpackSamples<4>(source, count, target, stride); break;
    case 16: CopySamples<std::uint16_t>(source, count, swapBytes, target, stride); break;
    case 32: CopySamples<std::uint32_t>(source, count, swapBytes, target, stride); break;
    default: CopySamples<std::uint8_t>(source, count, false, target, stride); break;
    }
}

void DecodeBands(const unsigned char* source, std::size_t runDistance, std::size_t bands, std::size_t count, int nbits,
                 bool swapBytes, unsigned char* target, std::size_t cellSize)
{
    const bool done = nbits >= 8 && InterleaveBands(source, runDistance, bands, count, cellSize, swapBytes, target);
    for (std::size_t b = 0; !done && b < bands; ++b) {
        DecodeSamples(source + b * runDistance, count, nbits, swapBytes, target + b * cellSize, cellSize * bands);
    }
}

} // namespace fennick
