#include "support/BandTranspose.h"

#include "support/Vectors.h"

#ifdef FENNICK_SSSE3
#include <immintrin.h>
#endif

namespace fennick {

#ifdef FENNICK_SSSE3

namespace {

// True when this processor has the byte shuffle (SSSE3) the blocks are built on.
bool HasByteShuffles()
{
    static const bool has = __builtin_cpu_supports("ssse3") != 0;
    return has;
}

// Mask bytes that select nothing: a shuffle turns them into zero.
constexpr signed char kNoByte = -128;

// The permutation between Bands 16-byte blocks of runs and Bands 16-byte
// vectors of cells, as shuffle masks both ways: cell vector v is the OR over
// runs b of run b shuffled by toCells[v][b], and run b the OR over cell
// vectors v shuffled by toRuns[b][v]. Byte k of sample s of run b is byte
// (s x Bands + b) x Size + k of the cells, or Size - 1 - k when Swap is set.
template <std::size_t Size, std::size_t Bands, bool Swap>
struct TransposeMasks {
    signed char toCells[Bands][Bands][16] = {};
    signed char toRuns[Bands][Bands][16] = {};

    constexpr TransposeMasks()
    {
        for (std::size_t o = 0; o < Bands; ++o) {
            for (std::size_t i = 0; i < Bands; ++i) {
                for (std::size_t j = 0; j < 16; ++j) {
                    toCells[o][i][j] = toRuns[o][i][j] = kNoByte;
                }
            }
        }
        for (std::size_t b = 0; b < Bands; ++b) {
            for (std::size_t r = 0; r < 16; ++r) {
                const std::size_t k = r % Size;
                const std::size_t cell = (r / Size * Bands + b) * Size + (Swap ? Size - 1 - k : k);
                toCells[cell / 16][b][cell % 16] = static_cast<signed char>(r);
                toRuns[b][cell / 16][r] = static_cast<signed char>(cell % 16);
            }
        }
    }
};

// Whole blocks in one direction: Bands input vectors, vector k of block i at
// `from` + k x `step` + i x `block`; output vector o of block i goes to
// store(o, i, vector).
template <std::size_t Size, std::size_t Bands, bool Swap, bool ToCells, class Store>
__attribute__((target("ssse3"))) std::size_t TransposeBlocks(const unsigned char* from, std::size_t step,
                                                             std::size_t block, std::size_t count, Store store)
{
    static constexpr TransposeMasks<Size, Bands, Swap> table;
    const auto& chosen = ToCells ? table.toCells : table.toRuns;
    __m128i masks[Bands][Bands];
    for (std::size_t o = 0; o < Bands; ++o) {
        for (std::size_t k = 0; k < Bands; ++k) {
            masks[o][k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chosen[o][k]));
        }
    }
    const std::size_t blocks = count / (16 / Size);
    for (std::size_t i = 0; i < blocks; ++i) {
        __m128i in[Bands];
        for (std::size_t k = 0; k < Bands; ++k) {
            in[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + k * step + i * block));
        }
        for (std::size_t o = 0; o < Bands; ++o) {
            __m128i out = _mm_shuffle_epi8(in[0], masks[o][0]);
            for (std::size_t k = 1; k < Bands; ++k) {
                out = _mm_or_si128(out, _mm_shuffle_epi8(in[k], masks[o][k]));
            }
            store(o, i, out);
        }
    }
    return blocks * (16 / Size);
}

template <std::size_t Size, bool Swap, bool ToCells, class Store>
std::size_t ForBands(std::size_t bands, const unsigned char* from, std::size_t step, std::size_t block,
                     std::size_t count, Store store)
{
    switch (bands) {
    case 2: return TransposeBlocks<Size, 2, Swap, ToCells>(from, step, block, count, store);
    case 3: return TransposeBlocks<Size, 3, Swap, ToCells>(from, step, block, count, store);
    case 4: return TransposeBlocks<Size, 4, Swap, ToCells>(from, step, block, count, store);
    default: return 0;
    }
}

template <std::size_t Size, bool Swap>
std::size_t Interleave(const unsigned char* runs, std::size_t runDistance, std::size_t bands, std::size_t count,
                       unsigned char* cells)
{
    const auto store = [=](std::size_t o, std::size_t i, __m128i vector) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(cells + (i * bands + o) * 16), vector);
    };
    return ForBands<Size, Swap, true>(bands, runs, runDistance, 16, count, store);
}

// Widens the 16 / Size values of `values` to 32 bits, by their own
// signedness, and stores them at `target`: the high halves of an unpack with
// the value itself, shifted down, extend the sign; an unpack with zero does not.
template <std::size_t Size, bool Signed>
void StoreWidened(__m128i values, unsigned char* target)
{
    const auto store = [&](std::size_t at, __m128i four) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + at * 16), four);
    };
    const auto widen16 = [](__m128i eight, bool high) {
        if constexpr (Signed) {
            return _mm_srai_epi32(high ? _mm_unpackhi_epi16(eight, eight) : _mm_unpacklo_epi16(eight, eight), 16);
        } else {
            const __m128i zero = _mm_setzero_si128();
            return high ? _mm_unpackhi_epi16(eight, zero) : _mm_unpacklo_epi16(eight, zero);
        }
    };
    if constexpr (Size == 4) {
        store(0, values);
    } else if constexpr (Size == 2) {
        store(0, widen16(values, false));
        store(1, widen16(values, true));
    } else {
        __m128i low;
        __m128i high;
        if constexpr (Signed) {
            low = _mm_srai_epi16(_mm_unpacklo_epi8(values, values), 8);
            high = _mm_srai_epi16(_mm_unpackhi_epi8(values, values), 8);
        } else {
            low = _mm_unpacklo_epi8(values, _mm_setzero_si128());
            high = _mm_unpackhi_epi8(values, _mm_setzero_si128());
        }
        store(0, widen16(low, false));
        store(1, widen16(low, true));
        store(2, widen16(high, false));
        store(3, widen16(high, true));
    }
}

template <std::size_t Size, bool Signed>
std::size_t Split(const unsigned char* cells, std::size_t bands, std::size_t count, unsigned char* runs,
                  std::size_t runDistance)
{
    const auto store = [=](std::size_t o, std::size_t i, __m128i vector) {
        StoreWidened<Size, Signed>(vector, runs + o * runDistance + i * (16 / Size) * 4);
    };
    return ForBands<Size, false, false>(bands, cells, 16, bands * 16, count, store);
}

} // namespace

std::size_t InterleaveBlocks(const unsigned char* runs, std::size_t runDistance, std::size_t bands, std::size_t count,
                             std::size_t size, bool swapBytes, unsigned char* cells)
{
    if (!HasByteShuffles()) {
        return 0;
    }
    switch (size) {
    case 1: return Interleave<1, false>(runs, runDistance, bands, count, cells);
    case 2:
        return swapBytes ? Interleave<2, true>(runs, runDistance, bands, count, cells)
                         : Interleave<2, false>(runs, runDistance, bands, count, cells);
    case 4:
        return swapBytes ? Interleave<4, true>(runs, runDistance, bands, count, cells)
                         : Interleave<4, false>(runs, runDistance, bands, count, cells);
    default: return 0;
    }
}

std::size_t SplitBlocks(const unsigned char* cells, std::size_t bands, std::size_t count, std::size_t size,
                        bool isSigned, unsigned char* runs, std::size_t runDistance)
{
    if (!HasByteShuffles()) {
        return 0;
    }
    switch (size) {
    case 1:
        return isSigned ? Split<1, true>(cells, bands, count, runs, runDistance)
                        : Split<1, false>(cells, bands, count, runs, runDistance);
    case 2:
        return isSigned ? Split<2, true>(cells, bands, count, runs, runDistance)
                        : Split<2, false>(cells, bands, count, runs, runDistance);
    case 4: return Split<4, false>(cells, bands, count, runs, runDistance);
    default: return 0;
    }
}

#else

std::size_t InterleaveBlocks(const unsigned char* /*runs*/, std::size_t /*runDistance*/, std::size_t /*bands*/,
                             std::size_t /*count*/, std::size_t /*size*/, bool /*swapBytes*/, unsigned char* /*cells*/)
{
    return 0;
}

std::size_t SplitBlocks(const unsigned char* /*cells*/, std::size_t /*bands*/, std::size_t /*count*/,
                        std::size_t /*size*/, bool /*isSigned*/, unsigned char* /*runs*/, std::size_t /*runDistance*/)
{
    return 0;
}

#endif

} // namespace fennick
