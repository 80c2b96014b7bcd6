// Named text parameters attached to transferable objects.
#pragma once

#include <map>
#include <string>

#include "HostApi.h"

namespace tamsel {

class HOST_API CParamList {
public:
    // Stores `value` under `key`, replacing an earlier value.
    void Set(const char* key, const std::string& value) { entries_[key] = value; }
    // The value stored under `key`, or null.
    [[nodiscard]] const std::string* Find(const char* key) const
    {
        const auto it = entries_.find(key);
        return it == entries_.end() ? nullptr : &it->second;
    }
    [[nodiscard]] std::size_t Size() const { return entries_.size(); }

private:
    std::map<std::string, std::string, std::less<>> entries_;
};

} // namespace tamsel
