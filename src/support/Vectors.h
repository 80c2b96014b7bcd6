// Which hand-written vector code the module compiles. A build configured with
// FENNICK_PORTABLE compiles none, so that its portable loops are built and
// tested; elsewhere x86-64 always has SSE2, and SSSE3 is looked for at run time.
// Also the vector helpers that more than one row loop uses.
#pragma once

#if !defined(FENNICK_PORTABLE) && defined(__SSE2__)
#define FENNICK_SSE2 1
#endif

#if defined(FENNICK_SSE2) && defined(__x86_64__)
#define FENNICK_SSSE3 1
#endif

#ifdef FENNICK_SSE2
#include <cstddef>
#include <emmintrin.h>

namespace fennick {

// Reverses the bytes of each Size-byte value (2, 4 or 8) of a vector: the
// 16-bit words of a wider value trade places first, then each word's bytes.
template <std::size_t Size>
__m128i ReverseBytes(__m128i v)
{
    if constexpr (Size == 4) {
        v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0xB1), 0xB1);
    } else if constexpr (Size == 8) {
        v = _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0x1B), 0x1B);
    }
    return _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8));
}

} // namespace fennick
#endif
