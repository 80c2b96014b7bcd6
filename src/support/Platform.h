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

// Deletes a file; whether that succeeds is the caller's to look at or not.
int RemoveFile(const char* path);

} // namespace fennick::platform
