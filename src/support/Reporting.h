// How the module's layers report what went wrong: the source-file names that
// errors carry, the sharing mode of every file, and the reporter that either
// raises a failure through the host or, for a quiet caller, returns it.
#pragma once

#include <string>

#include "files/Platform.h"
#include "orvo/IoFilter.h"
#include "tamsel/BufferedFile.h"

namespace fennick {

// The source-file names that errors carry: the filter whose work raised them.
inline constexpr const char* kImportSource = "BndImportFilter";
inline constexpr const char* kExportSource = "BndExportFilter";

// Every file is opened with this sharing mode.
inline constexpr auto kShare = tamsel::CBufferedFile::ShareReadWrite;

// A failure is raised through orvo::IoFilter::ThrowError, or, when the caller
// asked to be quiet (a probe), returned as 1 with nothing shown. Every failure
// site is one `return report.Fail(...)`, whichever the caller wanted.
class Reporter {
public:
    explicit Reporter(bool quiet) : quiet_(quiet) {}

    // A message of the import, printf-style.
    int Fail(int sourceLine, const char* format, ...) const FENNICK_PRINTF(3, 4);

    // Line `lineNumber` (from 1) of the text file `path` is malformed: code 23,
    // "<record> at line N of <path>." (the module's own dialect and the side
    // files say "Unknown record format"; the key = value dialect says why).
    int BadRecord(int sourceLine, const char* path, int lineNumber, const char* record = "Unknown record format") const;

    // Reading the text file `path` failed with system error `error`: code 8.
    int ReadFailed(int sourceLine, const char* path, int error) const;

private:
    bool quiet_;
};

} // namespace fennick
