// The few C-runtime and system services the filters use, in their POSIX form.
#pragma once

namespace fennick::platform {

// True when the two texts are equal ignoring ASCII case.
bool EqualsIgnoreCase(const char* a, const char* b);

// Deletes a file; whether that succeeds is the caller's to look at or not.
int RemoveFile(const char* path);

} // namespace fennick::platform
