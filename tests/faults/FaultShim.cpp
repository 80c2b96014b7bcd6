// A preloaded library that makes one file operation of a program go wrong, to
// see what the program does then. It counts read, pread, write, pwrite and
// close on descriptors above 2 (the standard streams pass), and rename and
// unlink; the call numbered $FENNICK_FAULT_CALL (from 1) fails with EIO
// ("eio"; a close still closes), transfers half of what was asked ("short"),
// or is met by a signal: "interrupt" (SIGINT; "interrupt2" twice),
// "terminate", "quit" or "pipe". At exit the count goes to $FENNICK_FAULT_REPORT.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <string>
#include <unistd.h>

namespace {

std::atomic<long> calls{0};

std::string Setting(const char* name)
{
    const char* text = std::getenv(name);
    return text != nullptr ? text : "";
}

enum class Act { Pass, Fail, Shorten };

// Counts a call on `fd` and says what to do with it (errno set to fail it).
Act Decide(int fd)
{
    static const long target = std::atol(Setting("FENNICK_FAULT_CALL").c_str());
    static const std::string kind = Setting("FENNICK_FAULT_KIND");
    if (fd <= 2 || ++calls != target) {
        return Act::Pass;
    }
    const int signal = kind.starts_with("interrupt") ? SIGINT
                       : kind == "terminate"         ? SIGTERM
                       : kind == "quit"              ? SIGQUIT
                       : kind == "pipe"              ? SIGPIPE
                                                     : 0;
    for (int i = signal == 0 ? 0 : kind == "interrupt2" ? 2 : 1; i > 0; --i) {
        std::raise(signal);
    }
    errno = kind == "eio" ? EIO : errno;
    return kind == "eio" ? Act::Fail : kind == "short" ? Act::Shorten : Act::Pass;
}

template <typename F>
F Next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// A read or write, failed or shortened when its turn comes.
template <typename Call, typename Buffer, typename... Offset>
ssize_t Transfer(const char* name, int fd, Buffer buffer, std::size_t count, Offset... offset)
{
    const Act act = Decide(fd);
    const std::size_t asked = act == Act::Shorten && count > 1 ? count / 2 : count;
    return act == Act::Fail ? -1 : Next<Call>(name)(fd, buffer, asked, offset...);
}

__attribute__((destructor)) void Report()
{
    if (FILE* file = std::fopen(Setting("FENNICK_FAULT_REPORT").c_str(), "w"); file != nullptr) {
        std::fprintf(file, "%ld\n", calls.load());
        std::fclose(file);
    }
}

} // namespace

extern "C" {

ssize_t read(int fd, void* buffer, std::size_t count)
{
    return Transfer<decltype(&read)>("read", fd, buffer, count);
}

ssize_t write(int fd, const void* buffer, std::size_t count)
{
    return Transfer<decltype(&write)>("write", fd, buffer, count);
}

ssize_t pread(int fd, void* buffer, std::size_t count, off_t offset)
{
    return Transfer<decltype(&pread)>("pread", fd, buffer, count, offset);
}

ssize_t pwrite(int fd, const void* buffer, std::size_t count, off_t offset)
{
    return Transfer<decltype(&pwrite)>("pwrite", fd, buffer, count, offset);
}

int rename(const char* from, const char* to)
{
    return Decide(3) == Act::Fail ? -1 : Next<decltype(&rename)>("rename")(from, to);
}

int unlink(const char* path)
{
    return Decide(3) == Act::Fail ? -1 : Next<decltype(&unlink)>("unlink")(path);
}

int close(int fd)
{
    const Act act = Decide(fd);
    const int error = errno;
    const int result = Next<decltype(&close)>("close")(fd);
    errno = act == Act::Fail ? error : errno;
    return act == Act::Fail ? -1 : result; // the descriptor is closed all the same, as Linux does
}

} // extern "C"
