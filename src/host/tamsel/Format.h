// printf-style formatting into strings, system error texts, white-space trimming.
#pragma once

#include <cstdarg>
#include <string>

#include "HostApi.h"

namespace tamsel {

// Formats into `out` (replacing its content); false when the format is invalid.
HOST_API bool FormatString(std::string& out, const char* format, ...) __attribute__((format(printf, 2, 3)));
HOST_API bool FormatStringV(std::string& out, const char* format, va_list args) __attribute__((format(printf, 2, 0)));

// The text of the calling thread's last system error (errno).
HOST_API std::string FormatSystemErrorMsg();
HOST_API std::string FormatSystemErrorMsg(int errorCode);

// Removes leading white space (blank, tab, CR, LF, FF, VT) and returns `text`.
HOST_API std::string& TrimLeft(std::string& text);

} // namespace tamsel
