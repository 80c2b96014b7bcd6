// Operations on zero-terminated file paths ('/' separates folders).
#pragma once

#include <string>

#include "HostApi.h"

namespace tamsel {

// The name part of a path is what follows its last '/'. Its extension is the
// text from the name's last '.' on, dot included, provided that dot is neither
// the name's first character (".profile" has none) nor its last ("scene." has none).
struct TAMSEL_API CPath {
    static bool HasExtension(const char* path);
    // Points at the extension's dot inside `path`, or at its terminating zero when it has none.
    static const char* GetExtensionPtr(const char* path);
    // Points at the name part inside `path`.
    static const char* GetNamePtr(const char* path);
    // `path` with its extension replaced by `ext` (or `ext` appended when it has none).
    static std::string ChangeExtension(const char* path, const char* ext);
};

} // namespace tamsel
