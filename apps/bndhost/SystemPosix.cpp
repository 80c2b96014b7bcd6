#include "System.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tamsel/Format.h"

namespace bndhost::sys {

const char* const kModuleFileName = "fennick.so";

namespace {

void (*onStop)() = nullptr;
void (*onAbandon)() = nullptr;

void OnSignal(int signal)
{
    static volatile std::sig_atomic_t interrupts = 0;
    if (signal == SIGINT && interrupts == 0) {
        interrupts = 1;
        onStop();
        return;
    }
    onAbandon();
    ::_exit(signal == SIGINT ? 130 : 128 + signal);
}

sigset_t EndingSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&set, signal);
    }
    return set;
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

void* FindSymbol(void* module, const char* name, std::string& reason)
{
    ::dlerror();
    void* symbol = ::dlsym(module, name);
    if (symbol == nullptr) {
        const char* error = ::dlerror();
        reason = error != nullptr ? error : "symbol is null";
    }
    return symbol;
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
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

InterruptsHeld::InterruptsHeld()
{
    if (holdDepth++ == 0) {
        const sigset_t held = EndingSignals();
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
    const int fd = stream == Stream::Input ? STDIN_FILENO : stream == Stream::Output ? STDOUT_FILENO : STDERR_FILENO;
    return ::isatty(fd) == 1;
}

bool WaitForInput(const volatile std::sig_atomic_t& stop)
{
    pollfd input{STDIN_FILENO, POLLIN, 0};
    while (stop == 0 && ::poll(&input, 1, 100) == 0) {
    }
    return stop == 0;
}

void BinaryStandardStreams() {}

bool EqualsIgnoreCase(const std::string& a, const std::string& b)
{
    return ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

std::string CreateTemporary(const std::filesystem::path& folder, const std::string& stem, const std::string& extension)
{
    std::string pattern = TextOf(folder / ("." + stem + ".fennick-XXXXXX")) + extension;
    const int fd = ::mkstemps(pattern.data(), static_cast<int>(extension.size()));
    if (fd < 0) {
        throw std::runtime_error("cannot create a file in " + TextOf(folder) + ": " + tamsel::FormatSystemErrorMsg());
    }
    ::close(fd);
    return pattern;
}

bool CreateNew(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    ::close(fd); // created all the same: the caller removes it by name
    return true;
}

void CopyPermissions(const std::string& model, const std::string& path)
{
    struct stat info {};
    mode_t mode = 0;
    if (::stat(model.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::chmod(path.c_str(), mode);
}

bool MayWrite(const std::string& path, std::string& reason)
{
    if (::access(path.c_str(), W_OK) == 0) {
        return true;
    }
    reason = tamsel::FormatSystemErrorMsg();
    return false;
}

bool Replace(const std::string& from, const std::string& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0;
}

void Remove(const char* path) noexcept
{
    ::unlink(path);
}

std::filesystem::path CreateTemporaryFolder(const std::string& prefix)
{
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a folder under " + std::filesystem::temp_directory_path().string());
    }
    return pattern;
}

} // namespace bndhost::sys
