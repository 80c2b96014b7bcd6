// What bndhost needs of the operating system, in one place: loading the
// module, interrupts and the terminal (files go through the module's support
// layer). SystemPosix.cpp and SystemWindows.cpp implement it.
#pragma once

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

namespace bndhost::sys {

// The module's file name beside the program: fennick.so or fennick.dll.
extern const char* const kModuleFileName;

// The folder of the running program.
std::filesystem::path ProgramFolder();

// The command line as UTF-8 texts (on Windows, from the wide command line).
std::vector<std::string> Arguments(int argc, char** argv);

// Opens a module binding every symbol at once; nullptr with the loader's
// reason when it cannot.
void* OpenModule(const std::string& path, std::string& reason);
// A symbol of an open module, or nullptr.
void* FindSymbol(void* module, const char* name);
void CloseModule(void* module);

// Every signal that ends a program (INT, TERM, HUP, QUIT, PIPE; on Windows
// Ctrl-C, Ctrl-Break, closing the console) calls `stop`, and bndhost then ends
// with EndingStatus(). While the module is at work (ModuleAtWork) that is
// all: the module removes its own files when its progress report sees the
// stop. Otherwise a second Ctrl-C, or any other of these signals, calls
// `abandon` (which removes bndhost's own unfinished file) and ends the process
// at once. Both may only set flags and remove files. A file-size limit fails
// writes instead of ending bndhost.
void HandleInterrupts(void (*stop)(), void (*abandon)());

// 128 + the first ending signal received (130 for Ctrl-C), or 0.
int EndingStatus();
// The status of a write to a pipe whose reader has ended.
inline constexpr int kClosedPipeStatus = 141;

// While one lives, the module is at work (see HandleInterrupts).
class ModuleAtWork {
public:
    ModuleAtWork();
    ~ModuleAtWork();
    ModuleAtWork(const ModuleAtWork&) = delete;
    ModuleAtWork& operator=(const ModuleAtWork&) = delete;
};

// Holds back the interrupts that end bndhost while its own files are created
// or renamed, so that a second Ctrl-C cannot leave a temporary file.
class InterruptsHeld {
public:
    InterruptsHeld();
    ~InterruptsHeld();
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;
};

enum class Stream { Input, Error };
bool IsTerminal(Stream stream);
// Waits until the standard input has something to read (true) or `stop` is
// set (false).
bool WaitForInput(const volatile std::sig_atomic_t& stop);
// Standard output and error carry bytes as they are: no line-end
// translation, so that xyz lines and messages are the same everywhere.
void BinaryStandardStreams();

} // namespace bndhost::sys
