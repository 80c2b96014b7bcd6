#include "System.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <mutex>
#include <random>
#include <stdexcept>
#include <windows.h>

#include "hostside/FormatV.h"
#include "tamsel/Format.h"

namespace bndhost::sys {

const char* const kModuleFileName = "fennick.dll";

namespace {

namespace fs = std::filesystem;

void (*onStop)() = nullptr;
void (*onAbandon)() = nullptr;
// Held while files are created or renamed; the console handler waits for it.
std::recursive_mutex filesChanging;

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    static std::atomic<int> interrupts = 0;
    if (event == CTRL_C_EVENT && interrupts++ == 0) {
        onStop();
        return TRUE;
    }
    const std::lock_guard<std::recursive_mutex> waitForFiles(filesChanging);
    onAbandon();
    ::ExitProcess(event == CTRL_C_EVENT ? 130 : 128 + 15);
}

// Six random letters and digits, for new names.
std::string RandomLetters()
{
    static std::mt19937 random(std::random_device{}());
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string text;
    for (int i = 0; i < 6; ++i) {
        text += letters[random() % (sizeof letters - 1)];
    }
    return text;
}

} // namespace

fs::path ProgramFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return fs::path(path).parent_path();
        }
        path.resize(path.size() * 2);
    }
}

std::vector<std::string> Arguments(int /*argc*/, char** /*argv*/)
{
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(TextOf(fs::path(wide[i])));
    }
    ::LocalFree(wide);
    return arguments;
}

void* OpenModule(const std::string& path, std::string& reason)
{
    HMODULE module = ::LoadLibraryW(PathOf(path).c_str());
    if (module == nullptr) {
        reason = tamsel::FormatSystemErrorMsg();
    }
    return reinterpret_cast<void*>(module);
}

void* FindSymbol(void* module, const char* name, std::string& reason)
{
    FARPROC symbol = ::GetProcAddress(static_cast<HMODULE>(module), name);
    if (symbol == nullptr) {
        reason = tamsel::FormatSystemErrorMsg();
    }
    return reinterpret_cast<void*>(symbol);
}

void CloseModule(void* module)
{
    ::FreeLibrary(static_cast<HMODULE>(module));
}

void HandleInterrupts(void (*stop)(), void (*abandon)())
{
    onStop = stop;
    onAbandon = abandon;
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptsHeld::InterruptsHeld()
{
    filesChanging.lock();
}

InterruptsHeld::~InterruptsHeld()
{
    filesChanging.unlock();
}

bool IsTerminal(Stream stream)
{
    const DWORD which = stream == Stream::Input    ? STD_INPUT_HANDLE
                        : stream == Stream::Output ? STD_OUTPUT_HANDLE
                                                   : STD_ERROR_HANDLE;
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(which), &mode) != 0;
}

bool WaitForInput(const volatile std::sig_atomic_t& stop)
{
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    while (stop == 0 && ::WaitForSingleObject(input, 100) == WAIT_TIMEOUT) {
    }
    return stop == 0;
}

void BinaryStandardStreams()
{
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b)
{
    return ::_stricmp(a.c_str(), b.c_str()) == 0;
}

std::string CreateTemporary(const fs::path& folder, const std::string& stem, const std::string& extension)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = TextOf(folder / ("." + stem + ".fennick-" + RandomLetters())) + extension;
        if (CreateNew(path)) {
            return path;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    throw std::runtime_error("cannot create a file in " + TextOf(folder) + ": " + tamsel::FormatSystemErrorMsg());
}

bool CreateNew(const std::string& path)
{
    const HANDLE file =
        ::CreateFileW(PathOf(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(file); // created all the same: the caller removes it by name
    return true;
}

void CopyPermissions(const std::string& model, const std::string& path)
{
    // Windows keeps one permission bit of its own: read-only.
    const DWORD attributes = ::GetFileAttributesW(PathOf(model).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetFileAttributesW(PathOf(path).c_str(), FILE_ATTRIBUTE_READONLY);
    }
}

bool MayWrite(const std::string& path, std::string& reason)
{
    const DWORD attributes = ::GetFileAttributesW(PathOf(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        reason = tamsel::FormatSystemErrorMsg(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

bool Replace(const std::string& from, const std::string& to)
{
    return ::MoveFileExW(PathOf(from).c_str(), PathOf(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void Remove(const char* path) noexcept
{
    ::DeleteFileW(PathOf(path).c_str());
}

fs::path CreateTemporaryFolder(const std::string& prefix)
{
    std::error_code error;
    const fs::path base = fs::temp_directory_path(error);
    for (int attempt = 0; attempt < 100 && !error; ++attempt) {
        const fs::path folder = base / (prefix + RandomLetters());
        if (fs::create_directory(folder, error)) {
            return folder;
        }
    }
    throw std::runtime_error("cannot create a folder under " + TextOf(base));
}

} // namespace bndhost::sys
