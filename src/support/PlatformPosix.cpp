#include "support/Platform.h"

#include <cerrno>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tamsel/Format.h"

namespace fennick::platform {

bool EqualsIgnoreCase(const char* a, const char* b)
{
    return ::strcasecmp(a, b) == 0;
}

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

} // namespace fennick::platform
