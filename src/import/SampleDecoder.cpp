#include "import/SampleDecoder.h"

#include <cstdint>
#include <cstring>

#include "support/BandTranspose.h"
#include "support/ByteOrder.h"
#include "support/Vectors.h"

#ifdef FENNICK_SSE2
#include <emmintrin.h>
#endif

namespace fennick {

namespace {

template <class T, bool Swap>
T Load(const unsigned char* at)
{
    T value;
    std::memcpy(&value, at, sizeof(T));
    if constexpr (Swap && sizeof(T) == 2) {
        value = static_cast<T>(SwapBytes(static_cast<std::uint16_t>(value)));
    } else if constexpr (Swap && sizeof(T) == 4) {
        value = static_cast<T>(SwapBytes(static_cast<std::uint32_t>(value)));
    } else if constexpr (Swap && sizeof(T) == 8) {
        value = static_cast<T>(SwapBytes(static_cast<std::uint64_t>(value)));
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

// Reverses the bytes of each of `count` adjacent values, in one pass over the
// row, 16 bytes a vector where there are whole vectors: a 16-bit value's
// halves trade places by shifts, and a 32-bit value's 16-bit halves first.
template <class T>
void SwapInPlace(unsigned char* values, std::size_t count)
{
    std::size_t i = 0;
#ifdef FENNICK_SSE2
    for (; i + 16 / sizeof(T) <= count; i += 16 / sizeof(T)) {
        auto* at = reinterpret_cast<__m128i*>(values + i * sizeof(T));
        _mm_storeu_si128(at, ReverseBytes<sizeof(T)>(_mm_loadu_si128(at)));
    }
#endif
    for (; i < count; ++i) {
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

// Interleaves Bands runs into cells with a fixed band count, which the
// compiler turns into vector loads, shuffles and stores.
template <class T, std::size_t Bands>
void Interleave(const unsigned char* source, std::size_t runDistance, std::size_t count, unsigned char* target)
{
    const unsigned char* runs[Bands];
    for (std::size_t b = 0; b < Bands; ++b) {
        runs[b] = source + b * runDistance;
    }
    for (std::size_t i = 0; i < count; ++i) {
        T cells[Bands];
        for (std::size_t b = 0; b < Bands; ++b) {
            cells[b] = Load<T, false>(runs[b] + i * sizeof(T));
        }
        std::memcpy(target + i * Bands * sizeof(T), cells, sizeof cells);
    }
}

// Interleaves 2, 3 or 4 runs: whole blocks with byte shuffles where the
// processor has them, the rest with the loop above, then reverses those
// cells' bytes in one pass (both loops vectorise, where a swapping
// interleave does not).
template <class T>
bool InterleaveFew(const unsigned char* source, std::size_t runDistance, std::size_t bands, std::size_t count,
                   bool swapBytes, unsigned char* target)
{
    if (bands < 2 || bands > 4) {
        return false;
    }
    const std::size_t done = InterleaveBlocks(source, runDistance, bands, count, sizeof(T), swapBytes, target);
    source += done * sizeof(T);
    target += done * bands * sizeof(T);
    count -= done;
    switch (bands) {
    case 2: Interleave<T, 2>(source, runDistance, count, target); break;
    case 3: Interleave<T, 3>(source, runDistance, count, target); break;
    default: Interleave<T, 4>(source, runDistance, count, target); break;
    }
    if (swapBytes && sizeof(T) > 1) {
        SwapInPlace<T>(target, count * bands);
    }
    return true;
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

#ifdef FENNICK_SSE2

// Unpacks `blocks` blocks of 16 packed bytes into adjacent cells, 16 cells a
// vector. 4 bits: the high and low halves, interleaved. 1 bit: each byte
// repeated 8 times, then each cell tests its own bit, first bit first.
template <int Bits>
void UnpackBlocks(const unsigned char* source, std::size_t blocks, unsigned char* target)
{
    const auto store = [&](std::size_t at, __m128i cells) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target + at * 16), cells);
    };
    for (std::size_t i = 0; i < blocks; ++i, source += 16, target += 16 * 8 / Bits) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
        if constexpr (Bits == 4) {
            const __m128i nibble = _mm_set1_epi8(0x0F);
            const __m128i high = _mm_and_si128(_mm_srli_epi16(bytes, 4), nibble);
            const __m128i low = _mm_and_si128(bytes, nibble);
            store(0, _mm_unpacklo_epi8(high, low));
            store(1, _mm_unpackhi_epi8(high, low));
        } else {
            const __m128i bits = _mm_set_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
            const __m128i one = _mm_set1_epi8(1);
            const auto test = [&](__m128i repeated) { return _mm_min_epu8(_mm_and_si128(repeated, bits), one); };
            const __m128i twice[2] = {_mm_unpacklo_epi8(bytes, bytes), _mm_unpackhi_epi8(bytes, bytes)};
            for (std::size_t h = 0; h < 2; ++h) {
                const __m128i four[2] = {_mm_unpacklo_epi16(twice[h], twice[h]),
                                         _mm_unpackhi_epi16(twice[h], twice[h])};
                for (std::size_t q = 0; q < 2; ++q) {
                    store(h * 4 + q * 2, test(_mm_unpacklo_epi32(four[q], four[q])));
                    store(h * 4 + q * 2 + 1, test(_mm_unpackhi_epi32(four[q], four[q])));
                }
            }
        }
    }
}

#endif

// 1- and 4-bit samples. Adjacent cells (always so for 1 bit, which has one
// band) take whole blocks of bytes in vectors where there are any, then whole
// bytes from the table; the last byte may be partly used.
template <int Bits>
void UnpackSamples(const unsigned char* source, std::size_t count, unsigned char* target, std::size_t stride)
{
    static constexpr UnpackTable<Bits> table;
    constexpr std::size_t perByte = UnpackTable<Bits>::PerByte;
    const std::size_t wholeBytes = stride == 1 ? count / perByte : 0;
    std::size_t j = 0;
#ifdef FENNICK_SSE2
    UnpackBlocks<Bits>(source, wholeBytes / 16, target);
    j = wholeBytes / 16 * 16;
#endif
    for (; j < wholeBytes; ++j) {
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
    case 64: CopySamples<std::uint64_t>(source, count, swapBytes, target, stride); break;
    default: CopySamples<std::uint8_t>(source, count, false, target, stride); break;
    }
}

void DecodeBands(const unsigned char* source, std::size_t runDistance, std::size_t bands, std::size_t count, int nbits,
                 bool swapBytes, unsigned char* target, std::size_t cellSize)
{
    bool done = false;
    switch (nbits) {
    case 8: done = InterleaveFew<std::uint8_t>(source, runDistance, bands, count, false, target); break;
    case 16: done = InterleaveFew<std::uint16_t>(source, runDistance, bands, count, swapBytes, target); break;
    case 32: done = InterleaveFew<std::uint32_t>(source, runDistance, bands, count, swapBytes, target); break;
    default: break;
    }
    if (!done) {
        DecodeEachBand(source, runDistance, bands, count, nbits, swapBytes, target, cellSize);
    }
}

void DecodeEachBand(const unsigned char* source, std::size_t runDistance, std::size_t bands, std::size_t count,
                    int nbits, bool swapBytes, unsigned char* target, std::size_t cellSize)
{
    const Squares squares =
        nbits >= 8 ? InterleaveSquares(source, runDistance, bands, count, cellSize, swapBytes, target) : Squares{};
    for (std::size_t b = 0; b < bands; ++b) {
        const std::size_t skip = b < squares.bands ? squares.samples : 0;
        DecodeSamples(source + b * runDistance + skip * cellSize, count - skip, nbits, swapBytes,
                      target + (skip * bands + b) * cellSize, cellSize * bands);
    }
}

} // namespace fennick
