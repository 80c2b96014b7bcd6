#include "import/SampleDecoder.h"

#include <cstdint>
#include <cstring>

#include "pelmo/Pelmo.h"

namespace fennick {

namespace {

template <class T, bool Swap>
void Scatter(const unsigned char* source, std::size_t count, unsigned char* target, std::size_t stride)
{
    for (std::size_t i = 0; i < count; ++i) {
        T value;
        std::memcpy(&value, source + i * sizeof(T), sizeof(T));
        if constexpr (Swap && sizeof(T) == 2) {
            value = __builtin_bswap16(value);
        } else if constexpr (Swap && sizeof(T) == 4) {
            value = __builtin_bswap32(value);
        }
        std::memcpy(target + i * stride, &value, sizeof(T));
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
            pelmo::ByteSwapArray(target, sizeof(T), count);
        }
        return;
    }
    if (swapBytes) {
        Scatter<T, true>(source, count, target, stride);
    } else {
        Scatter<T, false>(source, count, target, stride);
    }
}

} // namespace

void DecodeSamples(const unsigned char* source, std::size_t count, int nbits, bool swapBytes, unsigned char* target,
                   std::size_t stride)
{
    switch (nbits) {
    case 1:
        for (std::size_t i = 0; i < count; ++i) {
            target[i * stride] = static_cast<unsigned char>((source[i / 8] >> (7 - i % 8)) & 1U);
        }
        break;
    case 4:
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char byte = source[i / 2];
            target[i * stride] = static_cast<unsigned char>(i % 2 == 0 ? byte >> 4 : byte & 0x0FU);
        }
        break;
    case 16: CopySamples<std::uint16_t>(source, count, swapBytes, target, stride); break;
    case 32: CopySamples<std::uint32_t>(source, count, swapBytes, target, stride); break;
    default: CopySamples<std::uint8_t>(source, count, false, target, stride); break;
    }
}

} // namespace fennick
