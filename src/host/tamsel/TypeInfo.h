// Type identities of transferable objects, and the host's warning styles.
#pragma once

#include "HostApi.h"

namespace tamsel {

// Identifies a type by its address: each type owns exactly one CTypeInfo, defined
// in the shared library of that type, so ids from different modules compare equal.
class TAMSEL_API CTypeInfo {
public:
    // `name` says which type the id stands for when a debugger shows it.
    explicit constexpr CTypeInfo(const char* name) : name_(name) {}
    CTypeInfo(const CTypeInfo&) = delete;
    CTypeInfo& operator=(const CTypeInfo&) = delete;

    [[nodiscard]] const char* GetName() const { return name_; }

private:
    const char* name_;
};

struct IError {
    enum WarnStyle : int {
        Notice = 0, // a message to acknowledge
        YesNo = 1,  // a yes/no question; the answer 1 means yes
    };
};

} // namespace tamsel
