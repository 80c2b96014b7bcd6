#include "tamsel/System.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tamsel::sys {

const int kBadFile = EBADF;
const int kInvalid = EINVAL;
const int kNoSpace = ENOSPC;

namespace {

// What a path that is not a regular file is, for the refusal's message.
const char* KindOf(mode_t mode)
{
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(mode)) {
        return "a character device";
    }
    if (S_ISBLK(mode)) {
        return "a block device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "not a regular file";
}

} // namespace

bool IsSeparator(char c)
{
    return c == '/';
}

int LastError()
{
    return errno;
}

void SetLastError(int error)
{
    errno = error;
}

std::string ErrorText(int error)
{
    char buffer[256];
    // The GNU strerror_r may return a static string instead of filling the buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

FileHandle OpenRegular(const char* path, bool writing, const char*& kind)
{
    kind = nullptr;
    // Non-blocking, so that opening a FIFO cannot wait for a peer; and not
    // truncating until the file is known to be a regular one.
    const int flags = (writing ? O_WRONLY | O_CREAT : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
    const int fd = ::open(path, flags, 0666);
    if (fd < 0) {
        if (errno == ENXIO) { // a FIFO opened to write with no reader
            struct stat info {};
            kind = ::stat(path, &info) == 0 ? KindOf(info.st_mode) : nullptr;
            errno = kind != nullptr ? EINVAL : ENXIO;
        }
        return kNoFile;
    }
    struct stat info {};
    int error = ::fstat(fd, &info) != 0 ? errno : 0;
    if (error == 0 && S_ISDIR(info.st_mode)) {
        error = EISDIR;
    } else if (error == 0 && !S_ISREG(info.st_mode)) {
        kind = KindOf(info.st_mode);
        error = EINVAL; // only regular files: devices and FIFOs have no length
    } else if (error == 0 && writing &&
               (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)) {
        error = errno;
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return kNoFile;
    }
    return fd;
}

std::int64_t ReadAt(FileHandle file, unsigned char* destination, std::size_t count, std::int64_t offset)
{
    for (;;) {
        const ssize_t n = ::pread(static_cast<int>(file), destination, count, offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n == 0) {
            errno = 0;
        }
        return n;
    }
}

std::int64_t WriteAt(FileHandle file, const unsigned char* data, std::size_t count, std::int64_t offset)
{
    for (;;) {
        const ssize_t n = ::pwrite(static_cast<int>(file), data, count, offset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        return n;
    }
}

std::int64_t FileLength(FileHandle file)
{
    struct stat info {};
    return ::fstat(static_cast<int>(file), &info) == 0 ? info.st_size : -1;
}

bool CloseFile(FileHandle file)
{
    return ::close(static_cast<int>(file)) == 0;
}

void RemoveFile(const char* path)
{
    ::unlink(path);
}

} // namespace tamsel::sys
