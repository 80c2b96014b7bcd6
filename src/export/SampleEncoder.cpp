#include "export/SampleEncoder.h"

#include <cstdint>
#include <cstring>

namespace fennick {

void EncodeSamples(tamsel::CPrimType type, const unsigned char* source, std::size_t stride, std::size_t count,
                   unsigned char* target)
{
    // The type is resolved once per run, then the loop runs on typed values.
    tamsel::VisitPrimType(type, [&](auto zero) {
        using T = decltype(zero);
        for (std::size_t i = 0; i < count; ++i) {
            T value;
            std::memcpy(&value, source + i * stride, sizeof(T));
            const auto sample = static_cast<std::uint32_t>(tamsel::WideInt(value));
            unsigned char* out = target + i * kWrittenSampleSize;
            out[0] = static_cast<unsigned char>(sample);
            out[1] = static_cast<unsigned char>(sample >> 8);
            out[2] = static_cast<unsigned char>(sample >> 16);
            out[3] = static_cast<unsigned char>(sample >> 24);
        }
    });
}

} // namespace fennick
