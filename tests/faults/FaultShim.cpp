// A preloaded library that makes one file operation of a program fail, to see
// what the program does when the system gives it an error.
//
// It counts the read, pread, write, pwrite and close calls on descriptors
// above 2 (the standard streams pass untouched), and the rename and unlink
// calls, and, at the call numbered $FENNICK_FAULT_CALL (from 1), does what
// $FENNICK_FAULT_KIND says:
//   eio, enospc  the call fails with that error (close still closes);
//   short        a read or write transfers about half of what was asked;
//   interrupt    the program gets SIGINT, and the call goes on;
//   interrupt2   the program gets SIGINT twice;
//   terminate, quit, pipe  the program gets SIGTERM, SIGQUIT, SIGPIPE.
// At exit the number of counted calls is written to $FENNICK_FAULT_REPORT.
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

namespace {

std::atomic<long> calls{0};

// The call to fault and what to do to it, from the environment.
const char* Setting(const char* name)
{
    const char* text = std::getenv(name);
    return text != nullptr ? text : "";
}

enum class Act { Pass, Fail, Shorten };

// Counts a call on `fd` and says what to do with it; sets errno for Fail.
Act Decide(int fd, bool transfers)
{
    static const long target = std::atol(Setting("FENNICK_FAULT_CALL"));
    static const char* const kind = Setting("FENNICK_FAULT_KIND");
    if (fd <= 2 || ++calls != target) {
        return Act::Pass;
    }
    if (std::strcmp(kind, "eio") == 0 || std::strcmp(kind, "enospc") == 0) {
        errno = kind[1] == 'i' ? EIO : ENOSPC;
        return Act::Fail;
    }
    if (std::strcmp(kind, "short") == 0) {
        return transfers ? Act::Shorten : Act::Pass;
    }
    if (std::strcmp(kind, "terminate") == 0 || std::strcmp(kind, "quit") == 0 || std::strcmp(kind, "pipe") == 0) {
        std::raise(kind[0] == 't' ? SIGTERM : kind[0] == 'q' ? SIGQUIT : SIGPIPE);
    }
    if (std::strncmp(kind, "interrupt", 9) == 0) {
        std::raise(SIGINT);
        if (kind[9] == '2') {
            std::raise(SIGINT);
        }
    }
    return Act::Pass;
}

template <typename F>
F Next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

// A read or write through `next`, failed or shortened when its turn comes.
template <typename Call, typename Buffer, typename... Offset>
ssize_t Transfer(Call next, int fd, Buffer buffer, std::size_t count, Offset... offset)
{
    switch (Decide(fd, true)) {
    case Act::Fail: return -1;
    case Act::Shorten: return next(fd, buffer, count > 1 ? count / 2 : count, offset...);
    case Act::Pass: break;
    }
    return next(fd, buffer, count, offset...);
}

// A call on a path: counted as one on a descriptor that is not a standard stream.
template <typename Call, typename... Paths>
int OnPaths(Call next, Paths... paths)
{
    return Decide(3, false) == Act::Fail ? -1 : next(paths...);
}

__attribute__((destructor)) void Report()
{
    if (const char* path = std::getenv("FENNICK_FAULT_REPORT"); path != nullptr) {
        if (FILE* file = std::fopen(path, "w"); file != nullptr) {
            std::fprintf(file, "%ld\n", calls.load());
            std::fclose(file);
        }
    }
}

} // namespace

extern "C" {

ssize_t read(int fd, void* buffer, std::size_t count)
{
    static auto next = Next<ssize_t (*)(int, void*, std::size_t)>("read");
    return Transfer(next, fd, buffer, count);
}

ssize_t write(int fd, const void* buffer, std::size_t count)
{
    static auto next = Next<ssize_t (*)(int, const void*, std::size_t)>("write");
    return Transfer(next, fd, buffer, count);
}

ssize_t pread(int fd, void* buffer, std::size_t count, off_t offset)
{
    static auto next = Next<ssize_t (*)(int, void*, std::size_t, off_t)>("pread");
    return Transfer(next, fd, buffer, count, offset);
}

ssize_t pwrite(int fd, const void* buffer, std::size_t count, off_t offset)
{
    static auto next = Next<ssize_t (*)(int, const void*, std::size_t, off_t)>("pwrite");
    return Transfer(next, fd, buffer, count, offset);
}

int rename(const char* from, const char* to)
{
    static auto next = Next<int (*)(const char*, const char*)>("rename");
    return OnPaths(next, from, to);
}

int unlink(const char* path)
{
    static auto next = Next<int (*)(const char*)>("unlink");
    return OnPaths(next, path);
}

int close(int fd)
{
    static auto next = Next<int (*)(int)>("close");
    const Act act = Decide(fd, false);
    const int error = errno;
    const int result = next(fd);
    if (act == Act::Fail) {
        errno = error;
        return -1; // the descriptor is closed all the same, as Linux does
    }
    return result;
}

} // extern "C"
