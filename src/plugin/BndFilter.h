// The operations that the import and export filters share (slots 2 to 5).
#pragma once

#include <cstdint>
#include <string>

#include "orvo/IoFilter.h"
#include "orvo/Transferable.h"
#include "pelmo/Pelmo.h"

namespace fennick {

// Implements the shared slots once over either filter base. The filters have
// no options: SetOptions ignores its value and GetOptions returns empty text.
template <class Base>
class BndFilter : public Base {
public:
    void SetOptions(std::uint32_t /*value*/) override {}

    std::string GetOptions() override { return {}; }

    bool IsTypeSupported(const tamsel::CTypeInfo* type) override
    {
        return type != nullptr &&
               (type == orvo::TrCRS::GetClassTypeId() || type == orvo::TrUniformLattice::GetClassTypeId() ||
                type == orvo::TrLatticeScan::GetClassTypeId());
    }

    bool GetStringOption(const char* options, const char* key, std::string& value) override
    {
        return pelmo::CommonGetStringOption(options, key, ',', value);
    }

protected:
    explicit BndFilter(orvo::IoManager& manager) : Base(manager) {}
};

} // namespace fennick
