#include "format/Reporting.h"

#include <cerrno>
#include <string>

#include "orvo/IoFilter.h"
#include "tamsel/Format.h"

namespace fennick {

int RecordError(const char* sourceFile, int sourceLine, const char* path, bool quiet, int lineNumber)
{
    if (quiet) {
        return 1;
    }
    orvo::IoFilter::ThrowError(sourceFile, sourceLine, orvo::ErrBadRecord, "Unknown record format", lineNumber, path);
}

int TextReadFailed(const char* path, int error, bool quiet)
{
    if (quiet) {
        return 1;
    }
    errno = error;
    const std::string reason = tamsel::FormatSystemErrorMsg();
    orvo::IoFilter::ThrowError(kImportSource, __LINE__, orvo::ErrReadFailed, path, reason.c_str());
}

} // namespace fennick
