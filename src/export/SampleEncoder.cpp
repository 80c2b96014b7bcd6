#include "export/SampleEncoder.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace fennick {

namespace {

// One typed run; `Adjacent` runs have stride sizeof(T), known at compile time
// so that the loop can be vectorised.
template <class T, bool Adjacent>
void EncodeRun(const unsigned char* source, std::size_t stride, std::size_t count, unsigned char* target)
{
    const std::size_t step = Adjacent ? sizeof(T) : stride;
    for (std::size_t i = 0; i < count; ++i) {
        T value;
        std::memcpy(&value, source + i * step, sizeof(T));
        auto sample = static_cast<std::uint32_t>(tamsel::WideInt(value));
        if constexpr (std::endian::native == std::endian::big) {
            sample = __builtin_bswap32(sample);
        }
        std::memcpy(target + i * kWrittenSampleSize, &sample, kWrittenSampleSize);
    }
}

} // namespace

void EncodeSamples(tamsel::CPrimType type, const unsigned char* source, std::size_t stride, std::size_t count,
                   unsigned char* target)
{
    tamsel::VisitPrimType(type, [&](auto zero) {
        using T = decltype(zero);
        if (stride == sizeof(T)) {
            EncodeRun<T, true>(source, stride, count, target);
        } else {
            EncodeRun<T, false>(source, stride, count, target);
        }
    });
}

} // namespace fennick
