#include "files/Platform.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tamsel/Format.h"

namespace fennick::platform {

int LastSystemError()
{
    return errno;
}

void SetLastSystemError(int error)
{
    errno = error;
}

std::string UnreadableReason(const char* path, int error)
{
    if (error == ENOENT || error == ENOTDIR) {
        return {};
    }
    if (error == ELOOP) {
        return "it is a symbolic link loop";
    }
    struct stat info {};
    if (::stat(path, &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return "it is a folder";
        }
        if (S_ISFIFO(info.st_mode)) {
            return "it is a FIFO";
        }
        if (S_ISCHR(info.st_mode)) {
            return "it is a character device";
        }
        if (S_ISBLK(info.st_mode)) {
            return "it is a block device";
        }
        if (S_ISSOCK(info.st_mode)) {
            return "it is a socket";
        }
    }
    errno = error;
    return tamsel::FormatSystemErrorMsg();
}

int RemoveFile(const char* path)
{
    return ::unlink(path);
}

std::string NameAsHeld(const std::string& path)
{
    return path;
}

bool CreateNewFile(const char* path)
{
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    ::close(fd); // created all the same: the caller removes it by name
    return true;
}

bool MoveReplacing(const char* from, const char* to)
{
    return std::rename(from, to) == 0;
}

std::string WriteRefusal(const char* path)
{
    if (::access(path, W_OK) == 0) {
        return {};
    }
    return tamsel::FormatSystemErrorMsg();
}

FolderLock::FolderLock(const std::filesystem::path& folder)
    : handle_(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    // A lock that cannot be had (a folder that cannot be read, a file system
    // without locks) leaves the re-check before each rename as the guard.
    while (handle_ >= 0 && ::flock(static_cast<int>(handle_), LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(static_cast<int>(handle_));
            handle_ = -1;
        }
    }
}

FolderLock::~FolderLock()
{
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_)); // closing the folder releases its lock
    }
}

} // namespace fennick::platform
