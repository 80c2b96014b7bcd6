#include "support/BandTranspose.h"

#include "support/Vectors.h"

#ifdef FENNICK_SSE2
#include <emmintrin.h>
#endif
#ifdef FENNICK_SSSE3
#include <immintrin.h>
#endif

namespace fennick {

#ifdef FENNICK_SSE2

namespace {

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

// Interleaves the low (or High) halves of two vectors, Size bytes a value.
template <std::size_t Size, bool High>
__m128i Unpack(__m128i a, __m128i b)
{
    if constexpr (Size == 1) {
        return High ? _mm_unpackhi_epi8(a, b) : _mm_unpacklo_epi8(a, b);
    } else if constexpr (Size == 2) {
        return High ? _mm_unpackhi_epi16(a, b) : _mm_unpacklo_epi16(a, b);
    } else {
        return High ? _mm_unpackhi_epi32(a, b) : _mm_unpacklo_epi32(a, b);
    }
}

// Transposes a square of N = 16 / Size vectors of N values in place: log2 N
// rounds, each interleaving vector j with vector j + N / 2 into vectors 2j
// and 2j + 1.
template <std::size_t Size>
void TransposeSquare(__m128i (&square)[16 / Size])
{
    constexpr std::size_t n = 16 / Size;
    for (std::size_t round = 1; round < n; round *= 2) {
        __m128i next[n];
        for (std::size_t j = 0; j < n / 2; ++j) {
            next[2 * j] = Unpack<Size, false>(square[j], square[j + n / 2]);
            next[2 * j + 1] = Unpack<Size, true>(square[j], square[j + n / 2]);
        }
        for (std::size_t j = 0; j < n; ++j) {
            square[j] = next[j];
        }
    }
}

// Squares of N bands by N samples in one direction. ToCells: from runs (run b
// at `from` + b x runDistance) to cells at `to`, bytes reversed when Swap is
// set. Otherwise from cells to runs, each run vector widened to 32-bit values
// as it is stored (Signed: sign-extended). Runs of more than N bands go
// square by square.
template <std::size_t Size, bool ToCells, bool Signed = false, bool Swap = false>
Squares MoveSquares(const unsigned char* from, unsigned char* to, std::size_t runDistance, std::size_t bands,
                    std::size_t count)
{
    constexpr std::size_t n = 16 / Size;
    const Squares done{bands / n * n, count / n * n};
    const auto cell = [&](std::size_t sample, std::size_t band) { return (sample * bands + band) * Size; };
    for (std::size_t i = 0; i < done.samples; i += n) {
        for (std::size_t b = 0; b < done.bands; b += n) {
            __m128i square[n];
            for (std::size_t k = 0; k < n; ++k) {
                const unsigned char* at = ToCells ? from + (b + k) * runDistance + i * Size : from + cell(i + k, b);
                square[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
            }
            TransposeSquare<Size>(square);
            for (std::size_t k = 0; k < n; ++k) {
                if constexpr (ToCells) {
                    const __m128i cells = Swap ? ReverseBytes<Size>(square[k]) : square[k];
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + cell(i + k, b)), cells);
                } else {
                    StoreWidened<Size, Signed>(square[k], to + (b + k) * runDistance + i * 4);
                }
            }
        }
    }
    return done;
}

} // namespace

Squares InterleaveSquares(const unsigned char* runs, std::size_t runDistance, std::size_t bands, std::size_t count,
                          std::size_t size, bool swapBytes, unsigned char* cells)
{
    switch (size) {
    case 1: return MoveSquares<1, true>(runs, cells, runDistance, bands, count);
    case 2:
        return swapBytes ? MoveSquares<2, true, false, true>(runs, cells, runDistance, bands, count)
                         : MoveSquares<2, true>(runs, cells, runDistance, bands, count);
    case 4:
        return swapBytes ? MoveSquares<4, true, false, true>(runs, cells, runDistance, bands, count)
                         : MoveSquares<4, true>(runs, cells, runDistance, bands, count);
    default: return {};
    }
}

Squares SplitSquares(const unsigned char* cells, std::size_t bands, std::size_t count, std::size_t size, bool isSigned,
                     unsigned char* runs, std::size_t runDistance)
{
    switch (size) {
    case 1:
        return isSigned ? MoveSquares<1, false, true>(cells, runs, runDistance, bands, count)
                        : MoveSquares<1, false, false>(cells, runs, runDistance, bands, count);
    case 2:
        return isSigned ? MoveSquares<2, false, true>(cells, runs, runDistance, bands, count)
                        : MoveSquares<2, false, false>(cells, runs, runDistance, bands, count);
    case 4: return MoveSquares<4, false>(cells, runs, runDistance, bands, count);
    default: return {};
    }
}

#else

Squares InterleaveSquares(const unsigned char* /*runs*/, std::size_t /*runDistance*/, std::size_t /*bands*/,
                          std::size_t /*count*/, std::size_t /*size*/, bool /*swapBytes*/, unsigned char* /*cells*/)
{
    return {};
}

Squares SplitSquares(const unsigned char* /*cells*/, std::size_t /*bands*/, std::size_t /*count*/, std::size_t /*size*/,
                     bool /*isSigned*/, unsigned char* /*runs*/, std::size_t /*runDistance*/)
{
    return {};
}

#endif

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

// Whole blocks of 16 / Size samples of each run, in one direction. ToCells:
// from Bands runs (run b at `from` + b x runDistance) to cells at `to`.
// Otherwise from cells to runs, each run vector widened to 32-bit values as
// it is stored (Signed: sign-extended). Returns the samples of each run done.
template <std::size_t Size, std::size_t Bands, bool Swap, bool ToCells, bool Signed = false>
__attribute__((target("ssse3"))) std::size_t TransposeBlocks(const unsigned char* from, unsigned char* to,
                                                             std::size_t runDistance, std::size_t count)
{
    static constexpr TransposeMasks<Size, Bands, Swap> table;
    const auto& chosen = ToCells ? table.toCells : table.toRuns;
    __m128i masks[Bands][Bands];
    for (std::size_t o = 0; o < Bands; ++o) {
        for (std::size_t k = 0; k < Bands; ++k) {
            masks[o][k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chosen[o][k]));
        }
    }
    constexpr std::size_t perBlock = 16 / Size;
    const std::size_t blocks = count / perBlock;
    for (std::size_t i = 0; i < blocks; ++i) {
        __m128i in[Bands];
        for (std::size_t k = 0; k < Bands; ++k) {
            const unsigned char* at = ToCells ? from + k * runDistance + i * 16 : from + (i * Bands + k) * 16;
            in[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        }
        for (std::size_t o = 0; o < Bands; ++o) {
            __m128i out = _mm_shuffle_epi8(in[0], masks[o][0]);
            for (std::size_t k = 1; k < Bands; ++k) {
                out = _mm_or_si128(out, _mm_shuffle_epi8(in[k], masks[o][k]));
            }
            if constexpr (ToCells) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(to + (i * Bands + o) * 16), out);
            } else {
                StoreWidened<Size, Signed>(out, to + o * runDistance + i * perBlock * 4);
            }
        }
    }
    return blocks * perBlock;
}

template <std::size_t Size, bool Swap, bool ToCells, bool Signed = false>
std::size_t ForBands(std::size_t bands, const unsigned char* from, unsigned char* to, std::size_t runDistance,
                     std::size_t count)
{
    switch (bands) {
    case 2: return TransposeBlocks<Size, 2, Swap, ToCells, Signed>(from, to, runDistance, count);
    case 3: return TransposeBlocks<Size, 3, Swap, ToCells, Signed>(from, to, runDistance, count);
    case 4: return TransposeBlocks<Size, 4, Swap, ToCells, Signed>(from, to, runDistance, count);
    default: return 0;
    }
}

} // namespace

std::size_t InterleaveBlocks(const unsigned char* runs, std::size_t runDistance, std::size_t bands, std::size_t count,
                             std::size_t size, bool swapBytes, unsigned char* cells)
{
    if (!HasByteShuffles()) {
        return 0; // the loops do it all (other band counts, and runs of less than a block, do 0 below)
    }
    switch (size) {
    case 1: return ForBands<1, false, true>(bands, runs, cells, runDistance, count);
    case 2:
        return swapBytes ? ForBands<2, true, true>(bands, runs, cells, runDistance, count)
                         : ForBands<2, false, true>(bands, runs, cells, runDistance, count);
    case 4:
        return swapBytes ? ForBands<4, true, true>(bands, runs, cells, runDistance, count)
                         : ForBands<4, false, true>(bands, runs, cells, runDistance, count);
    default: return 0;
    }
}

std::size_t SplitBlocks(const unsigned char* cells, std::size_t bands, std::size_t count, std::size_t size,
                        bool isSigned, unsigned char* runs, std::size_t runDistance)
{
    if (!HasByteShuffles()) {
        return 0; // the loops do it all (other band counts, and runs of less than a block, do 0 below)
    }
    switch (size) {
    case 1:
        return isSigned ? ForBands<1, false, false, true>(bands, cells, runs, runDistance, count)
                        : ForBands<1, false, false, false>(bands, cells, runs, runDistance, count);
    case 2:
        return isSigned ? ForBands<2, false, false, true>(bands, cells, runs, runDistance, count)
                        : ForBands<2, false, false, false>(bands, cells, runs, runDistance, count);
    case 4: return ForBands<4, false, false>(bands, cells, runs, runDistance, count);
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
