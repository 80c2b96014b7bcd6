#include "export/BandSplit.h"

#include <cstdint>

#include "export/SampleEncoder.h"
#include "format/ByteShuffles.h"

#ifdef FENNICK_BYTE_SHUFFLES
#include <immintrin.h>
#endif

namespace fennick {

namespace {

#ifdef FENNICK_BYTE_SHUFFLES

// Widens 16 / Size values to 32 bits, by their own signedness, and stores
// them at `target`: the high halves of an unpack with the value itself,
// shifted down, extend the sign; an unpack with zero does not.
template <std::size_t Size, bool Signed>
__attribute__((target("ssse3"))) void StoreWidened(__m128i values, unsigned char* target)
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

// Whole blocks of 16 / Size cells: Bands vectors of cells in, one vector of
// each band's values out, widened into its band row. Returns the cells done.
template <std::size_t Size, bool Signed, std::size_t Bands>
__attribute__((target("ssse3"))) std::size_t SplitBlocks(const unsigned char* cells, std::size_t count,
                                                         unsigned char* target, std::size_t bandDistance)
{
    static constexpr RunMasks<Size, Bands> shuffle;
    constexpr std::size_t perBlock = 16 / Size;
    __m128i masks[Bands][Bands];
    for (std::size_t b = 0; b < Bands; ++b) {
        for (std::size_t v = 0; v < Bands; ++v) {
            masks[b][v] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffle.masks[b][v]));
        }
    }
    const std::size_t blocks = count / perBlock;
    for (std::size_t i = 0; i < blocks; ++i) {
        __m128i in[Bands];
        for (std::size_t v = 0; v < Bands; ++v) {
            in[v] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells + (i * Bands + v) * 16));
        }
        for (std::size_t b = 0; b < Bands; ++b) {
            __m128i run = _mm_shuffle_epi8(in[0], masks[b][0]);
            for (std::size_t v = 1; v < Bands; ++v) {
                run = _mm_or_si128(run, _mm_shuffle_epi8(in[v], masks[b][v]));
            }
            StoreWidened<Size, Signed>(run, target + b * bandDistance + i * perBlock * kWrittenSampleSize);
        }
    }
    return blocks * perBlock;
}

template <std::size_t Size, bool Signed>
std::size_t SplitSized(const unsigned char* cells, std::size_t bands, std::size_t count, unsigned char* target,
                       std::size_t bandDistance)
{
    switch (bands) {
    case 2: return SplitBlocks<Size, Signed, 2>(cells, count, target, bandDistance);
    case 3: return SplitBlocks<Size, Signed, 3>(cells, count, target, bandDistance);
    default: return SplitBlocks<Size, Signed, 4>(cells, count, target, bandDistance);
    }
}

#endif

} // namespace

bool SplitBands(tamsel::CPrimType type, const unsigned char* cells, std::size_t bands, std::size_t count,
                unsigned char* target, std::size_t bandDistance)
{
#ifdef FENNICK_BYTE_SHUFFLES
    if (bands < 2 || bands > 4 || !HasByteShuffles()) {
        return false;
    }
    std::size_t done = 0;
    switch (static_cast<int>(type)) {
    case tamsel::CPrimType::Int8: done = SplitSized<1, true>(cells, bands, count, target, bandDistance); break;
    case tamsel::CPrimType::UInt8: done = SplitSized<1, false>(cells, bands, count, target, bandDistance); break;
    case tamsel::CPrimType::Int16: done = SplitSized<2, true>(cells, bands, count, target, bandDistance); break;
    case tamsel::CPrimType::UInt16: done = SplitSized<2, false>(cells, bands, count, target, bandDistance); break;
    case tamsel::CPrimType::Int32:
    case tamsel::CPrimType::UInt32: done = SplitSized<4, false>(cells, bands, count, target, bandDistance); break;
    default: return false;
    }
    // The cells after the last whole block, band by band.
    const auto size = static_cast<std::size_t>(tamsel::CPrimType::TypeSize[type]);
    for (std::size_t b = 0; b < bands && done < count; ++b) {
        EncodeSamples(type, cells + (done * bands + b) * size, bands * size, count - done,
                      target + b * bandDistance + done * kWrittenSampleSize);
    }
    return true;
#else
    (void)type, (void)cells, (void)bands, (void)count, (void)target, (void)bandDistance;
    return false;
#endif
}

} // namespace fennick
