// The operating system under tamsel: files, error codes and path separators.
// SystemPosix.cpp and SystemWindows.cpp implement it; nothing here is part of
// the library's interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tamsel::sys {

// A descriptor on POSIX, a HANDLE on Windows.
using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Error codes the file class reports itself, in the system's own numbering.
extern const int kBadFile; // the file is not open, or not for this
extern const int kInvalid; // an argument or position is not valid
extern const int kNoSpace; // a write stored nothing

// True for the characters that end a folder in a path.
bool IsSeparator(char c);

// The calling thread's last system error, and setting it.
int LastError();
void SetLastError(int error);
// The system's text for an error code.
std::string ErrorText(int error);

// Opens a regular file to read, or to write (created, and truncated only once
// known to be a regular file). A FIFO or device is refused without blocking:
// then `kind` says what it is ("a FIFO") and the last error is kInvalid.
// Returns kNoFile with the last error set on failure.
FileHandle OpenRegular(const char* path, bool writing, const char*& kind);
// Reads up to `count` bytes at `offset` in one call: the bytes read, 0 with
// last error 0 at the end of the file, or -1 with the last error set.
std::int64_t ReadAt(FileHandle file, unsigned char* destination, std::size_t count, std::int64_t offset);
// Writes up to `count` bytes at `offset` in one call: the bytes written, or -1.
std::int64_t WriteAt(FileHandle file, const unsigned char* data, std::size_t count, std::int64_t offset);
// The file's length, or -1 with the last error set.
std::int64_t FileLength(FileHandle file);
bool CloseFile(FileHandle file);
void RemoveFile(const char* path);

} // namespace tamsel::sys
