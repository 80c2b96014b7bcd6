#include "tamsel/PrimType.h"

namespace tamsel {

CPrimData::CPrimData(CPrimType type, const void* element) : type_(type)
{
    if (type.IsValid() && element != nullptr) {
        std::memcpy(bytes_, element, static_cast<std::size_t>(CPrimType::TypeSize[type]));
    }
}

} // namespace tamsel
