// The few C-runtime and system services the filters use. Platform.cpp holds
// what is the same everywhere; PlatformPosix.cpp and PlatformWindows.cpp the rest.
#pragma once

#include <string>

// Marks the module's two factories as its only exported symbols.
#if defined(_WIN32)
#define FENNICK_EXPORT extern "C" __declspec(dllexport)
#elif defined(__GNUC__)
#define FENNICK_EXPORT extern "C" __attribute__((visibility("default")))
#else
#define FENNICK_EXPORT extern "C"
#endif

// printf-style arguments, checked against C99's formats (on mingw-w64, its
// own printf rather than the old Windows runtime's) where the compiler can.
#if defined(__MINGW32__)
#define FENNICK_PRINTF(formatIndex, firstArgument) __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#elif defined(__GNUC__)
#define FENNICK_PRINTF(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define FENNICK_PRINTF(formatIndex, firstArgument)
#endif

namespace fennick::platform {

// True when the two texts are equal ignoring ASCII case.
bool EqualsIgnoreCase(const char* a, const char* b);

// The calling thread's last system error (errno, or the thread's last error
// on Windows), as the host's FormatSystemErrorMsg reads it.
int LastSystemError();
// Sets it, so that FormatSystemErrorMsg describes `error`.
void SetLastSystemError(int error);

// Why a file that could not be opened for reading (with system error
// `error`) cannot be read, as a phrase such as "it is a FIFO"; empty when it
// does not exist.
std::string UnreadableReason(const char* path, int error);

// The file `path` names, found as on a system whose file names ignore case:
// `path` itself when it exists; else the file in the same folder whose name
// equals its name ignoring ASCII case, the first in sorted order when several
// do; else `path` unchanged.
std::string FindIgnoringCase(const std::string& path);

// Deletes a file; whether that succeeds is the caller's to look at or not.
int RemoveFile(const char* path);

} // namespace fennick::platform
