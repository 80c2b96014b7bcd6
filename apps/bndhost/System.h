// What bndhost needs of the operating system, in one place: loading the
// module, interrupts, the terminal, and creating, replacing and removing
// files. SystemPosix.cpp and SystemWindows.cpp implement it.
#pragma once

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace bndhost::sys {

// Paths are UTF-8 texts in bndhost. std::filesystem is told so each way,
// since a narrow path means the ANSI code page to it on Windows.
inline std::filesystem::path PathOf(const std::string& utf8)
{
    return {std::u8string(utf8.begin(), utf8.end())};
}

inline std::string TextOf(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

// The module's file name beside the program: fennick.so or fennick.dll.
extern const char* const kModuleFileName;

// The folder of the running program.
std::filesystem::path ProgramFolder();

// The command line as UTF-8 texts (on Windows, from the wide command line).
std::vector<std::string> Arguments(int argc, char** argv);

// Opens a module binding every symbol at once; nullptr with the loader's
// reason when it cannot.
void* OpenModule(const std::string& path, std::string& reason);
// A symbol of an open module; nullptr with the reason when it has none.
void* FindSymbol(void* module, const char* name, std::string& reason);
void CloseModule(void* module);

// Ctrl-C calls `stop` the first time; a second one, or a request to end
// (SIGTERM, SIGHUP, closing the console), calls `abandon` and ends the process
// at once with 130 for Ctrl-C and 128 + the signal otherwise. Both run in a
// signal handler or the console's handler thread: they may only set flags and
// remove files. A file-size limit fails writes instead of ending bndhost.
void HandleInterrupts(void (*stop)(), void (*abandon)());

// Holds back the interrupts that end bndhost while files are created or
// renamed, so that a second Ctrl-C cannot leave a temporary file, or new
// data beside an old header.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};

enum class Stream { Input, Output, Error };
bool IsTerminal(Stream stream);
// Waits until the standard input has something to read (true) or `stop` is
// set (false).
bool WaitForInput(const volatile std::sig_atomic_t& stop);
// Standard output and error carry bytes as they are: no line-end
// translation, so that xyz lines and messages are the same everywhere.
void BinaryStandardStreams();

bool EqualsIgnoreCase(const std::string& a, const std::string& b);

// Creates an empty file at a new hidden name in `folder`: "." + `stem` +
// ".fennick-XXXXXX" + `extension`; returns its path or throws.
std::string CreateTemporary(const std::filesystem::path& folder, const std::string& stem, const std::string& extension);
// Creates `path`, which must not exist; false (last error set) when it cannot.
bool CreateNew(const std::string& path);
// Gives `path` the permissions of `model`, or those a new file gets when
// `model` does not exist.
void CopyPermissions(const std::string& model, const std::string& path);
// True when the user may write the existing file `path`; else false with
// the reason.
bool MayWrite(const std::string& path, std::string& reason);
// Moves `from` over `to`, replacing it in one step; false (last error set)
// when it cannot.
bool Replace(const std::string& from, const std::string& to);
// Removes a file; safe in a signal handler. A missing file is no error.
void Remove(const char* path) noexcept;
// Creates a new folder under the system's temporary folder, "<prefix>XXXXXX".
std::filesystem::path CreateTemporaryFolder(const std::string& prefix);

} // namespace bndhost::sys
