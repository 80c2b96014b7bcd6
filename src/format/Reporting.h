// What the format readers and writers share when they open files and report
// errors: the source-file names given to ThrowError and the sharing mode.
#pragma once

#include "tamsel/BufferedFile.h"

namespace fennick {

// The source-file names that errors carry: the filter whose work raised them.
inline constexpr const char* kImportSource = "BndImportFilter";
inline constexpr const char* kExportSource = "BndExportFilter";

// Every file is opened with this sharing mode.
inline constexpr auto kShare = tamsel::CBufferedFile::ShareReadWrite;

// Reports a malformed line `lineNumber` (from 1) of the text file `path`:
// returns 1 when `quiet`, else raises code 23 "Unknown record format".
int RecordError(const char* sourceFile, int sourceLine, const char* path, bool quiet, int lineNumber);

// Reports the failed read (system error `error`) of the text file `path`:
// returns 1 when `quiet`, else raises code 8 with the system's reason.
int TextReadFailed(const char* path, int error, bool quiet);

} // namespace fennick
