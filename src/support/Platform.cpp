#include "support/Platform.h"

#include <cerrno>
#include <filesystem>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tamsel/Format.h"
#include "tamsel/Path.h"

namespace fennick::platform {

bool EqualsIgnoreCase(const char* a, const char* b)
{
    return ::strcasecmp(a, b) == 0;
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

std::string FindIgnoringCase(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(fs::symlink_status(path, error))) {
        return path;
    }
    const char* name = tamsel::CPath::GetNamePtr(path.c_str());
    const std::string folder = path.substr(0, static_cast<std::size_t>(name - path.c_str()));
    std::string found;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string candidate = it->path().filename().string();
        if (EqualsIgnoreCase(candidate.c_str(), name) && (found.empty() || candidate < found)) {
            found = candidate;
        }
    }
    return found.empty() ? path : folder + found;
}

int RemoveFile(const char* path)
{
    return ::unlink(path);
}

} // namespace fennick::platform
