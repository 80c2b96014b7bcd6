#include "plugin/Platform.h"

#include <strings.h>
#include <unistd.h>

namespace fennick::platform {

bool EqualsIgnoreCase(const char* a, const char* b)
{
    return ::strcasecmp(a, b) == 0;
}

int RemoveFile(const char* path)
{
    return ::unlink(path);
}

} // namespace fennick::platform
