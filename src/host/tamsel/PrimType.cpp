#include "tamsel/PrimType.h"

#include <cstring>

#include "hostside/PrimValues.h"

namespace tamsel {

CPrimData::CPrimData(CPrimType type, const void* element) : type_(type)
{
    if (IsKnownType(type) && element != nullptr) {
        std::memcpy(bytes_, element, static_cast<std::size_t>(CPrimType::TypeSize[type]));
    }
}

std::int64_t CPrimData::GetWideInt(CPrimType type, const void* data)
{
    std::int64_t result = 0;
    VisitPrimType(type, [&](auto zero) {
        decltype(zero) value;
        std::memcpy(&value, data, sizeof value);
        result = WideInt(value);
    });
    return result;
}

} // namespace tamsel
