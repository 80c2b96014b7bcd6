// The few C-runtime and system services the filters use. Platform.cpp holds
// what is the same everywhere; PlatformPosix.cpp and PlatformWindows.cpp the rest.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

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

// Paths are UTF-8 text in the module; std::filesystem is told so each way,
// since a narrow path means the ANSI code page to it on Windows.
std::filesystem::path PathOf(const std::string& utf8);
std::string TextOf(const std::filesystem::path& path);

// True when the two texts are equal ignoring ASCII case (and nothing of the locale).
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

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
// `path` itself when it exists (under the name it has in its folder, where
// names ignore case); else the file in the same folder whose name equals its
// name ignoring ASCII case, the first in sorted order when several do; else
// `path` unchanged.
std::string FindIgnoringCase(const std::string& path);

// The existing `path` with its file name as its folder holds it, where the
// system's names ignore case; `path` itself elsewhere.
std::string NameAsHeld(const std::string& path);

// Whether anything has the name `path` (a dangling link too).
bool Exists(const std::string& path);

// Whether the two paths name one existing file.
bool SameFile(const std::string& a, const std::string& b);

// Where a rename must put `path` so that a link stays a link: the file it
// leads to; `path` itself when it is no link or leads nowhere.
std::string LinkTarget(const std::string& path);

// Deletes a file; whether that succeeds is the caller's to look at or not.
// Safe in a signal handler.
int RemoveFile(const char* path);

// Creates the file `path` empty, failing when anything has that name; false
// (last system error set) when it cannot.
bool CreateNewFile(const char* path);

// Creates an empty file at a new hidden name beside `path`, in its folder:
// "." + its stem + ".fennick-" + six letters and digits + its extension.
// Returns its path; empty (last system error set) when it cannot.
std::string CreateHiddenFileBeside(const std::string& path);

// Moves `from` over `to` in one step, replacing a file there; false (last
// system error set) when it cannot.
bool MoveReplacing(const char* from, const char* to);

// Gives `path` the permission bits of the file `model`, when it exists.
void CopyPermissions(const std::string& model, const std::string& path);

// Why this process may not write the existing file `path`, as the system's
// text; empty when it may.
std::string WriteRefusal(const char* path);

// An exclusive hold on a folder among every process that runs this module:
// while one export puts its files in place there, another waits. It ends
// with the object, or with the process however it ends. Where the system
// cannot lock the folder, nothing is held.
class FolderLock {
public:
    explicit FolderLock(const std::filesystem::path& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    std::intptr_t handle_;
};

} // namespace fennick::platform
