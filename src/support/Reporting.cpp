#include "support/Reporting.h"

#include <cstdarg>
#include <cstdio>

#include "files/Platform.h"
#include "tamsel/Format.h"

namespace fennick {

int Reporter::Fail(int sourceLine, const char* format, ...) const
{
    if (quiet_) {
        return 1;
    }
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    orvo::IoFilter::ThrowError(kImportSource, sourceLine, "%s", text.c_str());
}

int Reporter::BadRecord(int sourceLine, const char* path, int lineNumber, const char* record) const
{
    if (quiet_) {
        return 1;
    }
    orvo::IoFilter::ThrowError(kImportSource, sourceLine, orvo::ErrBadRecord, record, lineNumber, path);
}

int Reporter::ReadFailed(int sourceLine, const char* path, int error) const
{
    if (quiet_) {
        return 1;
    }
    platform::SetLastSystemError(error);
    const std::string reason = tamsel::FormatSystemErrorMsg();
    orvo::IoFilter::ThrowError(kImportSource, sourceLine, orvo::ErrReadFailed, path, reason.c_str());
}

} // namespace fennick
