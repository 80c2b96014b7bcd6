// Named text parameters attached to transferable objects.
#pragma once

#include <map>
#include <string>

#include "HostApi.h"

namespace tamsel {

class TAMSEL_API CParamList {
public:
    // Stores `value` under `key`, replacing an earlier value.
    void Set(const char* key, const std::string& value) { entries_[key] = value; }

private:
    friend class CParamReader;
    std::map<std::string, std::string, std::less<>> entries_;
};

} // namespace tamsel
