#include "export/SampleEncoder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>

#include "fennick/Facts.h"
#include "support/BandTranspose.h"
#include "support/ByteOrder.h"
#include "support/Vectors.h"

#ifdef FENNICK_SSE2
#include <emmintrin.h>
#endif

namespace fennick {

namespace {

// A value as a written sample. Whole numbers keep their value, an unsigned
// 32-bit one its exact bits; 64-bit ones beyond the signed 32-bit range
// saturate. Floating-point values truncate toward zero and saturate beyond
// that range; NaN gives 0. No input has undefined behaviour.
template <class T>
std::uint32_t Sample(T value)
{
    constexpr std::int32_t low = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t high = std::numeric_limits<std::int32_t>::max();
    if constexpr (std::is_floating_point_v<T> || sizeof(T) == 8) {
        if (Saturates(value)) {
            return static_cast<std::uint32_t>(value > 0 ? high : low);
        }
        if constexpr (std::is_floating_point_v<T>) {
            if (std::isnan(value)) {
                return 0;
            }
        }
        return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
    } else {
        return static_cast<std::uint32_t>(value);
    }
}

// One typed run; `Adjacent` runs have stride sizeof(T), known at compile time
// so that the loop can be vectorised.
template <class T, bool Adjacent>
void EncodeRun(const unsigned char* source, std::size_t stride, std::size_t count, unsigned char* target)
{
    const std::size_t step = Adjacent ? sizeof(T) : stride;
    for (std::size_t i = 0; i < count; ++i) {
        T value;
        std::memcpy(&value, source + i * step, sizeof(T));
        std::uint32_t sample = Sample(value);
        if constexpr (std::endian::native == std::endian::big) {
            sample = SwapBytes(sample);
        }
        std::memcpy(target + i * kWrittenSampleSize, &sample, kWrittenSampleSize);
    }
}

#ifdef FENNICK_SSE2

// Adjacent floating-point values, 4 at a time: where all 4 lie within the
// signed 32-bit range (which NaN does not) the truncating conversion gives
// exactly their samples; other vectors go value by value. Returns the values done.
template <class T>
std::size_t EncodeFloatVectors(const unsigned char* source, std::size_t count, unsigned char* target)
{
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        __m128i whole;
        int inRange = 0;
        if constexpr (sizeof(T) == 4) {
            const __m128 v = _mm_loadu_ps(reinterpret_cast<const float*>(source + i * 4));
            const __m128 fits =
                _mm_and_ps(_mm_cmpge_ps(v, _mm_set1_ps(-0x1p31F)), _mm_cmplt_ps(v, _mm_set1_ps(0x1p31F)));
            inRange = _mm_movemask_ps(fits) == 0xF;
            whole = _mm_cvttps_epi32(v);
        } else {
            const __m128d low = _mm_loadu_pd(reinterpret_cast<const double*>(source + i * 8));
            const __m128d high = _mm_loadu_pd(reinterpret_cast<const double*>(source + i * 8 + 16));
            const auto fits = [](__m128d v) {
                return _mm_movemask_pd(
                    _mm_and_pd(_mm_cmpge_pd(v, _mm_set1_pd(-0x1p31)), _mm_cmplt_pd(v, _mm_set1_pd(0x1p31))));
            };
            inRange = fits(low) == 3 && fits(high) == 3;
            whole = _mm_unpacklo_epi64(_mm_cvttpd_epi32(low), _mm_cvttpd_epi32(high));
        }
        if (inRange) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target + i * kWrittenSampleSize), whole);
        } else {
            EncodeRun<T, true>(source + i * sizeof(T), sizeof(T), 4, target + i * kWrittenSampleSize);
        }
    }
    return i;
}

#endif

template <class T>
void EncodeTyped(const unsigned char* source, std::size_t stride, std::size_t count, unsigned char* target)
{
#ifdef FENNICK_SSE2
    if constexpr (std::is_floating_point_v<T>) {
        if (stride == sizeof(T)) {
            const std::size_t done = EncodeFloatVectors<T>(source, count, target);
            source += done * sizeof(T);
            target += done * kWrittenSampleSize;
            count -= done;
        }
    }
#endif
    if (stride == sizeof(T)) {
        EncodeRun<T, true>(source, stride, count, target);
    } else {
        EncodeRun<T, false>(source, stride, count, target);
    }
}

} // namespace

bool IsEncodable(tamsel::CPrimType type)
{
    const ElementType* entry = ElementTypeOf(type);
    return entry != nullptr && entry->exported;
}

void EncodeSamples(tamsel::CPrimType type, const unsigned char* source, std::size_t stride, std::size_t count,
                   unsigned char* target)
{
    switch (static_cast<int>(type)) {
    case tamsel::CPrimType::Int8: EncodeTyped<std::int8_t>(source, stride, count, target); break;
    case tamsel::CPrimType::UInt8: EncodeTyped<std::uint8_t>(source, stride, count, target); break;
    case tamsel::CPrimType::Int16: EncodeTyped<std::int16_t>(source, stride, count, target); break;
    case tamsel::CPrimType::UInt16: EncodeTyped<std::uint16_t>(source, stride, count, target); break;
    case tamsel::CPrimType::Int32: EncodeTyped<std::int32_t>(source, stride, count, target); break;
    case tamsel::CPrimType::UInt32: EncodeTyped<std::uint32_t>(source, stride, count, target); break;
    case tamsel::CPrimType::Int64: EncodeTyped<std::int64_t>(source, stride, count, target); break;
    case tamsel::CPrimType::Float32: EncodeTyped<float>(source, stride, count, target); break;
    case tamsel::CPrimType::Float64: EncodeTyped<double>(source, stride, count, target); break;
    default: break;
    }
}

void EncodeBands(tamsel::CPrimType type, const unsigned char* cells, std::size_t bands, std::size_t count,
                 unsigned char* target, std::size_t bandDistance)
{
    const auto size = static_cast<std::size_t>(tamsel::CPrimType::TypeSize[type]);
    // Whole numbers of at most 32 bits: 2 to 4 bands split in whole blocks,
    // more in whole squares. Everything else, and what the blocks or squares
    // leave, band by band.
    std::size_t done = 0;
    Squares squares;
    // The vector paths widen integers of at most 32 bits; a signed one narrower
    // than its written sample is sign-extended.
    const ElementType& entry = *ElementTypeOf(type);
    if (entry.kind != SampleKind::Float && entry.bytes <= 4) {
        const bool isSigned = entry.kind == SampleKind::Signed && entry.bytes < 4;
        done = SplitBlocks(cells, bands, count, size, isSigned, target, bandDistance);
        if (done == 0 && bands * size >= 16) { // a square's bands at least
            squares = SplitSquares(cells, bands, count, size, isSigned, target, bandDistance);
        }
    }
    for (std::size_t b = 0; b < bands; ++b) {
        const std::size_t skip = std::max(done, b < squares.bands ? squares.samples : 0);
        EncodeSamples(type, cells + (skip * bands + b) * size, bands * size, count - skip,
                      target + b * bandDistance + skip * kWrittenSampleSize);
    }
}

} // namespace fennick
