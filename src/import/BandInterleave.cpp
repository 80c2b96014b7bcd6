#include "import/BandInterleave.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "format/ByteShuffles.h"

#ifdef FENNICK_BYTE_SHUFFLES
#include <immintrin.h>
#endif

namespace fennick {

namespace {

template <std::size_t Size>
using Sample = std::conditional_t<Size == 1, std::uint8_t, std::conditional_t<Size == 2, std::uint16_t, std::uint32_t>>;

template <std::size_t Size, bool Swap>
Sample<Size> Load(const unsigned char* at)
{
    Sample<Size> value;
    std::memcpy(&value, at, Size);
    if constexpr (Swap && Size == 2) {
        value = __builtin_bswap16(value);
    } else if constexpr (Swap && Size == 4) {
        value = __builtin_bswap32(value);
    }
    return value;
}

// The portable loop: cell by cell, with a fixed band count.
template <std::size_t Size, bool Swap, std::size_t Bands>
void InterleavePlain(const unsigned char* source, std::size_t runDistance, std::size_t count, unsigned char* target)
{
    for (std::size_t i = 0; i < count; ++i) {
        Sample<Size> cells[Bands];
        for (std::size_t b = 0; b < Bands; ++b) {
            cells[b] = Load<Size, Swap>(source + b * runDistance + i * Size);
        }
        std::memcpy(target + i * Bands * Size, cells, sizeof cells);
    }
}

// Plain interleave, then one byte-reversing pass over the row: both loops
// vectorise, where a swapping interleave does not.
template <std::size_t Size, std::size_t Bands>
void InterleaveThenSwap(const unsigned char* source, std::size_t runDistance, std::size_t count, bool swapBytes,
                        unsigned char* target)
{
    InterleavePlain<Size, false, Bands>(source, runDistance, count, target);
    if (Size > 1 && swapBytes) {
        for (std::size_t i = 0; i < count * Bands; ++i) {
            const Sample<Size> value = Load<Size, true>(target + i * Size);
            std::memcpy(target + i * Size, &value, Size);
        }
    }
}

#ifdef FENNICK_BYTE_SHUFFLES

template <std::size_t Size, bool Swap, std::size_t Bands>
__attribute__((target("ssse3"))) void InterleaveShuffled(const unsigned char* source, std::size_t runDistance,
                                                         std::size_t count, unsigned char* target)
{
    static constexpr CellMasks<Size, Swap, Bands> shuffle;
    constexpr std::size_t perBlock = 16 / Size;
    __m128i masks[Bands][Bands];
    for (std::size_t v = 0; v < Bands; ++v) {
        for (std::size_t b = 0; b < Bands; ++b) {
            masks[v][b] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffle.masks[v][b]));
        }
    }
    const std::size_t blocks = count / perBlock;
    for (std::size_t i = 0; i < blocks; ++i) {
        __m128i runs[Bands];
        for (std::size_t b = 0; b < Bands; ++b) {
            runs[b] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + b * runDistance + i * 16));
        }
        for (std::size_t v = 0; v < Bands; ++v) {
            __m128i cells = _mm_shuffle_epi8(runs[0], masks[v][0]);
            for (std::size_t b = 1; b < Bands; ++b) {
                cells = _mm_or_si128(cells, _mm_shuffle_epi8(runs[b], masks[v][b]));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target + (i * Bands + v) * 16), cells);
        }
    }
    const std::size_t done = blocks * perBlock;
    InterleavePlain<Size, Swap, Bands>(source + done * Size, runDistance, count - done, target + done * Bands * Size);
}

#endif

template <std::size_t Size, std::size_t Bands>
void Interleave(const unsigned char* source, std::size_t runDistance, std::size_t count, bool swapBytes,
                unsigned char* target)
{
#ifdef FENNICK_BYTE_SHUFFLES
    if (HasByteShuffles()) {
        if (swapBytes) {
            InterleaveShuffled<Size, true, Bands>(source, runDistance, count, target);
        } else {
            InterleaveShuffled<Size, false, Bands>(source, runDistance, count, target);
        }
        return;
    }
#endif
    InterleaveThenSwap<Size, Bands>(source, runDistance, count, swapBytes, target);
}

template <std::size_t Size>
bool InterleaveSized(const unsigned char* source, std::size_t runDistance, std::size_t bands, std::size_t count,
                     bool swapBytes, unsigned char* target)
{
    switch (bands) {
    case 2: Interleave<Size, 2>(source, runDistance, count, swapBytes, target); return true;
    case 3: Interleave<Size, 3>(source, runDistance, count, swapBytes, target); return true;
    case 4: Interleave<Size, 4>(source, runDistance, count, swapBytes, target); return true;
    default: return false;
    }
}

} // namespace

bool InterleaveBands(const unsigned char* source, std::size_t runDistance, std::size_t bands, std::size_t count,
                     std::size_t size, bool swapBytes, unsigned char* target)
{
    switch (size) {
    case 1: return InterleaveSized<1>(source, runDistance, bands, count, false, target);
    case 2: return InterleaveSized<2>(source, runDistance, bands, count, swapBytes, target);
    case 4: return InterleaveSized<4>(source, runDistance, bands, count, swapBytes, target);
    default: return false;
    }
}

} // namespace fennick
