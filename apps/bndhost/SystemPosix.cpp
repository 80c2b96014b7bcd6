#include "System.h"

#include <dlfcn.h>
#include <poll.h>
#include <unistd.h>

#include "tamsel/Format.h"

namespace bndhost::sys {

const char* const kModuleFileName = "fennick.so";

namespace {

void (*onStop)() = nullptr;
void (*onAbandon)() = nullptr;
volatile std::sig_atomic_t endingSignal = 0;
volatile std::sig_atomic_t modulesAtWork = 0;

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

void OnSignal(int signal)
{
    const bool first = endingSignal == 0;
    endingSignal = first ? signal : endingSignal;
    onStop();
    if (modulesAtWork > 0 || (first && signal == SIGINT)) {
        return; // the operation stops at its next progress report
    }
    onAbandon();
    ::_exit(128 + endingSignal);
}

int holdDepth = 0;
sigset_t heldFrom;

} // namespace

std::filesystem::path ProgramFolder()
{
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
}

std::vector<std::string> Arguments(int argc, char** argv)
{
    return {argv, argv + argc};
}

void* OpenModule(const std::string& path, std::string& reason)
{
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        reason = ::dlerror();
    }
    return module;
}

void* FindSymbol(void* module, const char* name)
{
    return ::dlsym(module, name);
}

void CloseModule(void* module)
{
    ::dlclose(module);
}

void HandleInterrupts(void (*stop)(), void (*abandon)())
{
    onStop = stop;
    onAbandon = abandon;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kEndingSignals) {
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

int EndingStatus()
{
    return endingSignal == 0 ? 0 : 128 + endingSignal;
}

ModuleAtWork::ModuleAtWork()
{
    modulesAtWork = modulesAtWork + 1;
}

ModuleAtWork::~ModuleAtWork()
{
    modulesAtWork = modulesAtWork - 1;
}

InterruptsHeld::InterruptsHeld()
{
    if (holdDepth++ == 0) {
        sigset_t held;
        sigemptyset(&held);
        for (const int signal : kEndingSignals) {
            sigaddset(&held, signal);
        }
        sigprocmask(SIG_BLOCK, &held, &heldFrom);
    }
}

InterruptsHeld::~InterruptsHeld()
{
    if (--holdDepth == 0) {
        sigprocmask(SIG_SETMASK, &heldFrom, nullptr);
    }
}

bool IsTerminal(Stream stream)
{
    return ::isatty(stream == Stream::Input ? STDIN_FILENO : STDERR_FILENO) == 1;
}

bool WaitForInput(const volatile std::sig_atomic_t& stop)
{
    pollfd input{STDIN_FILENO, POLLIN, 0};
    while (stop == 0 && ::poll(&input, 1, 100) == 0) {
    }
    return stop == 0;
}

void BinaryStandardStreams() {}

} // namespace bndhost::sys
