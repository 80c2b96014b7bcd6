// The few C-runtime and system services the filters use, in their POSIX form.
#pragma once

#include <string>

namespace fennick::platform {

// True when the two texts are equal ignoring ASCII case.
bool EqualsIgnoreCase(const char* a, const char* b);

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
