#include "System.h"

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <mutex>
#include <windows.h>

#include "files/Platform.h"
#include "tamsel/Format.h"

namespace bndhost::sys {

const char* const kModuleFileName = "fennick.dll";

namespace {

namespace fs = std::filesystem;

void (*onStop)() = nullptr;
void (*onAbandon)() = nullptr;
std::atomic<int> endingSignal = 0;
std::atomic<int> modulesAtWork = 0;
// Held while bndhost's own files are created or renamed; the console handler waits for it.
std::recursive_mutex filesChanging;

// Runs on a thread of its own. Ctrl-C and Ctrl-Break are answered at once;
// after closing the console (or logging off) the process ends when this
// returns, so it waits a few seconds for the module to see the stop first.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    int none = 0;
    const bool first = endingSignal.compare_exchange_strong(none, interrupt ? 2 : 15);
    onStop();
    if (interrupt && (first || modulesAtWork > 0)) {
        return TRUE;
    }
    for (int waited = 0; modulesAtWork > 0 && waited < 40; ++waited) {
        ::Sleep(100);
    }
    const std::lock_guard<std::recursive_mutex> waitForFiles(filesChanging);
    onAbandon();
    ::ExitProcess(static_cast<UINT>(128 + endingSignal));
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
        arguments.push_back(fennick::platform::TextOf(fs::path(wide[i])));
    }
    ::LocalFree(wide);
    return arguments;
}

void* OpenModule(const std::string& path, std::string& reason)
{
    HMODULE module = ::LoadLibraryW(fennick::platform::PathOf(path).c_str());
    if (module == nullptr) {
        reason = tamsel::FormatSystemErrorMsg();
    }
    return reinterpret_cast<void*>(module);
}

void* FindSymbol(void* module, const char* name)
{
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
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

int EndingStatus()
{
    return endingSignal == 0 ? 0 : 128 + endingSignal;
}

ModuleAtWork::ModuleAtWork()
{
    ++modulesAtWork;
}

ModuleAtWork::~ModuleAtWork()
{
    --modulesAtWork;
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
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(stream == Stream::Input ? STD_INPUT_HANDLE : STD_ERROR_HANDLE), &mode) != 0;
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

} // namespace bndhost::sys
