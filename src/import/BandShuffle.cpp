#include "import/BandShuffle.h"

#include "format/ByteShuffles.h"

#ifdef FENNICK_BYTE_SHUFFLES
#include <immintrin.h>
#endif

namespace fennick {

namespace {

#ifdef FENNICK_BYTE_SHUFFLES

template <std::size_t Size, bool Swap, std::size_t Bands>
__attribute__((target("ssse3"))) std::size_t ShuffleBlocks(const unsigned char* source, std::size_t runDistance,
                                                           std::size_t count, unsigned char* target)
{
    static constexpr CellMasks<Size, Swap, Bands> shuffle;
    __m128i masks[Bands][Bands];
    for (std::size_t v = 0; v < Bands; ++v) {
        for (std::size_t b = 0; b < Bands; ++b) {
            masks[v][b] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffle.masks[v][b]));
        }
    }
    const std::size_t blocks = count / (16 / Size);
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
    return blocks * (16 / Size);
}

template <std::size_t Size, bool Swap>
std::size_t ShuffleSized(const unsigned char* source, std::size_t runDistance, std::size_t bands, std::size_t count,
                         unsigned char* target)
{
    switch (bands) {
    case 2: return ShuffleBlocks<Size, Swap, 2>(source, runDistance, count, target);
    case 3: return ShuffleBlocks<Size, Swap, 3>(source, runDistance, count, target);
    case 4: return ShuffleBlocks<Size, Swap, 4>(source, runDistance, count, target);
    default: return 0;
    }
}

#endif

} // namespace

std::size_t ShuffleBands(const unsigned char* source, std::size_t runDistance, std::size_t bands, std::size_t count,
                         std::size_t size, bool swapBytes, unsigned char* target)
{
#ifdef FENNICK_BYTE_SHUFFLES
    if (!HasByteShuffles()) {
        return 0;
    }
    switch (size) {
    case 1: return ShuffleSized<1, false>(source, runDistance, bands, count, target);
    case 2:
        return swapBytes ? ShuffleSized<2, true>(source, runDistance, bands, count, target)
                         : ShuffleSized<2, false>(source, runDistance, bands, count, target);
    case 4:
        return swapBytes ? ShuffleSized<4, true>(source, runDistance, bands, count, target)
                         : ShuffleSized<4, false>(source, runDistance, bands, count, target);
    default: return 0;
    }
#else
    (void)source, (void)runDistance, (void)bands, (void)count, (void)size, (void)swapBytes, (void)target;
    return 0;
#endif
}

} // namespace fennick
