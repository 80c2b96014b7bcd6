// Reading back the parameters attached to an object, for hosts and tests.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "tamsel/ParamList.h"

namespace tamsel {

class CParamReader {
public:
    // The value stored under `key`, or null.
    static const std::string* Find(const CParamList& params, const char* key)
    {
        const auto it = params.entries_.find(key);
        return it == params.entries_.end() ? nullptr : &it->second;
    }
    // Every key and its value, in key order.
    static const std::map<std::string, std::string, std::less<>>& Items(const CParamList& params)
    {
        return params.entries_;
    }
};

} // namespace tamsel
