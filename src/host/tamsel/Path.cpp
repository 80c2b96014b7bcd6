#include "tamsel/Path.h"

#include <cstring>

#include "tamsel/System.h"

namespace tamsel {

const char* CPath::GetNamePtr(const char* path)
{
    const char* name = path;
    for (const char* at = path; *at != '\0'; ++at) {
        if (sys::IsSeparator(*at)) {
            name = at + 1;
        }
    }
    return name;
}

const char* CPath::GetExtensionPtr(const char* path)
{
    const char* name = GetNamePtr(path);
    const char* end = name + std::strlen(name);
    const char* dot = std::strrchr(name, '.');
    if (dot == nullptr || dot == name || dot + 1 == end) {
        return end;
    }
    return dot;
}

bool CPath::HasExtension(const char* path)
{
    return *GetExtensionPtr(path) != '\0';
}

std::string CPath::ChangeExtension(const char* path, const char* ext)
{
    const char* dot = GetExtensionPtr(path);
    std::string result(path, static_cast<std::size_t>(dot - path));
    result += ext;
    return result;
}

} // namespace tamsel
