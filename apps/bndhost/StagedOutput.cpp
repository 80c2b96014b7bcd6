#include "StagedOutput.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace bndhost {

namespace fs = std::filesystem;

namespace {

// The temporary pair in progress, in fixed storage that a signal handler may read.
constexpr std::size_t kPathCapacity = 4096;
char pendingData[kPathCapacity];
char pendingHeader[kPathCapacity];
volatile std::sig_atomic_t pending = 0;

std::string HeaderOf(const std::string& path)
{
    return fs::path(path).replace_extension(".hdr").string();
}

// Blocks the signals that end bndhost while the pair is renamed, so that a
// second Ctrl-C cannot leave new data beside an old header.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGINT);
        sigaddset(&held, SIGTERM);
        sigaddset(&held, SIGHUP);
        sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t previous_{};
};

[[noreturn]] void Fail(const std::string& what, int error)
{
    throw std::runtime_error(what + ": " + std::strerror(error));
}

} // namespace

StagedOutput::StagedOutput(const std::string& out, Files files)
{
    const SignalsHeld held; // until the new files are known to the signal handler
    std::error_code error;
    fs::path target = out;
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        target = fs::canonical(target, error);
        if (error) {
            throw std::runtime_error(out + ": " + error.message());
        }
    }
    finalData_ = target.string();
    finalHeader_ = files == Files::DataOnly ? std::string() : HeaderOf(finalData_);
    for (const std::string& path : {finalData_, finalHeader_}) {
        const fs::file_status status = fs::status(path, error);
        if (!path.empty() && fs::exists(status) && !fs::is_regular_file(status)) {
            throw std::runtime_error(path + " exists and is not a regular file; it is not replaced");
        }
    }

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string extension = target.extension().string();
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string pattern = (folder / ("." + target.stem().string() + ".fennick-XXXXXX")).string() + extension;
        const int fd = ::mkstemps(pattern.data(), static_cast<int>(extension.size()));
        if (fd < 0) {
            Fail("cannot create a file in " + folder.string(), errno);
        }
        ::fchmod(fd, 0666 & ~mask);
        ::close(fd);
        if (files == Files::DataOnly) {
            tempData_ = pattern;
            Announce();
            return;
        }
        const std::string header = HeaderOf(pattern);
        const int headerFd = ::open(header.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (headerFd < 0) {
            const int reason = errno;
            ::unlink(pattern.c_str());
            if (reason == EEXIST) {
                continue;
            }
            Fail("cannot create a file in " + folder.string(), reason);
        }
        ::close(headerFd);
        tempData_ = pattern;
        tempHeader_ = header;
        Announce();
        return;
    }
    throw std::runtime_error("cannot find a free temporary name in " + folder.string());
}

void StagedOutput::Announce()
{
    if (tempData_.size() < kPathCapacity && tempHeader_.size() < kPathCapacity) {
        pending = 0;
        std::memcpy(pendingData, tempData_.c_str(), tempData_.size() + 1);
        std::memcpy(pendingHeader, tempHeader_.c_str(), tempHeader_.size() + 1);
        pending = 1;
    }
}

StagedOutput::~StagedOutput()
{
    const SignalsHeld held;
    pending = 0;
    if (!tempData_.empty()) {
        ::unlink(tempData_.c_str());
    }
    if (!tempHeader_.empty()) {
        ::unlink(tempHeader_.c_str());
    }
}

void StagedOutput::Commit()
{
    const SignalsHeld held;
    if (::rename(tempData_.c_str(), finalData_.c_str()) != 0) {
        Fail("cannot replace " + finalData_, errno);
    }
    tempData_.clear();
    if (!tempHeader_.empty() && ::rename(tempHeader_.c_str(), finalHeader_.c_str()) != 0) {
        // The complete data is in place; say plainly that its header is not.
        Fail(finalData_ + " was replaced, but its header " + finalHeader_ + " could not be", errno);
    }
    tempHeader_.clear();
    pending = 0;
}

void StagedOutput::RemoveInSignalHandler() noexcept
{
    if (pending != 0) {
        ::unlink(pendingData);
        if (pendingHeader[0] != '\0') {
            ::unlink(pendingHeader);
        }
    }
}

} // namespace bndhost
