#include "tamsel/Format.h"
#include "hostside/FormatV.h"

#include <cstdio>

#include "tamsel/System.h"

namespace tamsel {

bool FormatStringV(std::string& out, const char* format, va_list args)
{
    va_list probe;
    va_copy(probe, args);
    const int length = std::vsnprintf(nullptr, 0, format, probe);
    va_end(probe);
    if (length < 0) {
        out.clear();
        return false;
    }
    out.resize(static_cast<std::size_t>(length));
    std::vsnprintf(out.data(), out.size() + 1, format, args);
    return true;
}

bool FormatString(std::string& out, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const bool ok = FormatStringV(out, format, args);
    va_end(args);
    return ok;
}

std::string FormatSystemErrorMsg(int errorCode)
{
    return sys::ErrorText(errorCode);
}

std::string FormatSystemErrorMsg()
{
    return sys::ErrorText(sys::LastError());
}

std::string& TrimLeft(std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n\f\v");
    text.erase(0, first == std::string::npos ? text.size() : first);
    return text;
}

} // namespace tamsel
