#include "format/ByteShuffles.h"

namespace fennick {

bool HasByteShuffles()
{
#ifdef FENNICK_BYTE_SHUFFLES
    static const bool has = __builtin_cpu_supports("ssse3") != 0;
    return has;
#else
    return false;
#endif
}

} // namespace fennick
