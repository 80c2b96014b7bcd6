// printf-style formatting into strings, system error texts, white-space trimming.
#pragma once

#include <string>

#include "HostApi.h"

namespace tamsel {

// Formats into `out` (replacing its content); false when the format is invalid.
TAMSEL_API bool FormatString(std::string& out, const char* format, ...) HOST_PRINTF(2, 3);

// The text of the calling thread's last system error (errno, or the thread's last error on Windows).
TAMSEL_API std::string FormatSystemErrorMsg();

// Removes leading white space (blank, tab, CR, LF, FF, VT) and returns `text`.
TAMSEL_API std::string& TrimLeft(std::string& text);

} // namespace tamsel
