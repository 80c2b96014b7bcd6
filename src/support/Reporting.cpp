#include "support/Reporting.h"

#include <cerrno>

#include "tamsel/Format.h"

namespace fennick {

int Reporter::BadRecord(int sourceLine, const char* path, int lineNumber) const
{
    if (quiet_) {
        return 1;
    }
    orvo::IoFilter::ThrowError(kImportSource, sourceLine, orvo::ErrBadRecord, "Unknown record format", lineNumber,
                               path);
}

int Reporter::ReadFailed(int sourceLine, const char* path, int error) const
{
    if (quiet_) {
        return 1;
    }
    errno = error;
    const std::string reason = tamsel::FormatSystemErrorMsg();
    orvo::IoFilter::ThrowError(kImportSource, sourceLine, orvo::ErrReadFailed, path, reason.c_str());
}

} // namespace fennick
