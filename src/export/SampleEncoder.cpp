#include "export/SampleEncoder.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace fennick {

namespace {

// A value as a signed 64-bit integer, as the host widens elements: integers
// by their own signedness, floating-point values truncated toward zero, NaN
// as 0 and values beyond the 64-bit range saturated, so that no input has
// undefined behaviour.
template <class T>
std::int64_t Widen(T value)
{
    if constexpr (std::is_floating_point_v<T>) {
        if (std::isnan(value)) {
            return 0;
        }
        if (value >= static_cast<T>(0x1p63)) {
            return INT64_MAX;
        }
        if (value < static_cast<T>(-0x1p63)) {
            return INT64_MIN;
        }
    }
    return static_cast<std::int64_t>(value);
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
        auto sample = static_cast<std::uint32_t>(Widen(value));
        if constexpr (std::endian::native == std::endian::big) {
            sample = __builtin_bswap32(sample);
        }
        std::memcpy(target + i * kWrittenSampleSize, &sample, kWrittenSampleSize);
    }
}

template <class T>
void EncodeTyped(const unsigned char* source, std::size_t stride, std::size_t count, unsigned char* target)
{
    if (stride == sizeof(T)) {
        EncodeRun<T, true>(source, stride, count, target);
    } else {
        EncodeRun<T, false>(source, stride, count, target);
    }
}

} // namespace

bool IsEncodable(tamsel::CPrimType type)
{
    return type >= tamsel::CPrimType::Int8 && type <= tamsel::CPrimType::Float64;
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

} // namespace fennick
