// The forms of tamsel's formatting that the host libraries build on.
#pragma once

#include <cstdarg>
#include <string>

#include "HostApi.h"

namespace tamsel {

// FormatString over an argument list.
TAMSEL_API bool FormatStringV(std::string& out, const char* format, va_list args) HOST_PRINTF(2, 0);

// The text of system error `errorCode`.
TAMSEL_API std::string FormatSystemErrorMsg(int errorCode);

} // namespace tamsel
