#include "tamsel/BufferedFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "hostside/FileError.h"

namespace tamsel {

namespace {

// Largest count handed to one read or write call (Linux transfers at most this).
constexpr std::size_t kMaxTransfer = 0x7ffff000;

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

CBufferedFile::CBufferedFile() : buffer_(new unsigned char[BufferSize]) {}

CBufferedFile::CBufferedFile(const char* path, const char* mode, Sharing sharing, bool flag) : CBufferedFile()
{
    Open(path, mode, sharing, flag);
}

CBufferedFile::~CBufferedFile()
{
    if (fd_ < 0) {
        return;
    }
    if (writing_) {
        try {
            Flush();
        } catch (const CFileError&) {
            // A destructor cannot report; callers that care call Close.
        }
    }
    ::close(fd_);
}

void CBufferedFile::Open(const char* path, const char* mode, Sharing sharing, bool flag)
{
    if (OpenNoThrow(path, mode, sharing, flag)) {
        return;
    }
    const int error = errno;
    struct stat info {};
    if ((error == EINVAL || error == ENXIO) && ::stat(path, &info) == 0 && !S_ISREG(info.st_mode) &&
        !S_ISDIR(info.st_mode)) {
        throw CFileError(path_, error, std::string("not a regular file (it is ") + KindOf(info.st_mode) + ")");
    }
    Fail(error);
}

bool CBufferedFile::OpenNoThrow(const char* path, const char* mode, Sharing /*sharing*/, bool /*flag*/)
{
    if (IsOpen()) {
        try {
            Close();
        } catch (const CFileError& error) {
            Abort(false);
            errno = error.GetErrorCode();
            return false;
        }
    }
    path_ = path;
    int flags = 0;
    bool writing = false;
    if (mode[0] == 'r') {
        // Non-blocking, so that opening a FIFO cannot wait for a writer; it is refused below.
        flags = O_RDONLY | O_NONBLOCK;
    } else if (mode[0] == 'w') {
        // Non-blocking and not truncating until the file is known to be a
        // regular one: a FIFO or device must neither block nor be written.
        flags = O_WRONLY | O_CREAT | O_NONBLOCK;
        writing = true;
    } else {
        errno = EINVAL;
        return false;
    }
    if (std::strspn(mode + 1, "bt") != std::strlen(mode + 1)) {
        errno = EINVAL;
        return false;
    }
    const int fd = ::open(path, flags | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    int error = ::fstat(fd, &info) != 0 ? errno : 0;
    if (error == 0 && S_ISDIR(info.st_mode)) {
        error = EISDIR;
    } else if (error == 0 && !S_ISREG(info.st_mode)) {
        error = EINVAL; // only regular files: devices and FIFOs have no length
    } else if (error == 0 && writing &&
               (::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)) {
        error = errno;
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return false;
    }
    ResetState();
    fd_ = fd;
    writing_ = writing;
    writeEnd_ = writing ? BufferSize : 0;
    return true;
}

void CBufferedFile::Close()
{
    if (!IsOpen()) {
        return;
    }
    if (closeFailed_) {
        Fail(EBADF);
    }
    if (writing_) {
        Flush();
    }
    const int result = ::close(fd_);
    const int error = errno;
    if (result != 0 && writing_) {
        // The descriptor is gone but the file may be incomplete: it stays
        // open to IsOpen, so that Abort can still remove it.
        fd_ = -1;
        closeFailed_ = true;
        Fail(error);
    }
    ResetState();
}

void CBufferedFile::Abort(bool removeFile) noexcept
{
    if (!IsOpen()) {
        return;
    }
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (removeFile && writing_) {
        ::unlink(path_.c_str());
    }
    ResetState();
}

void CBufferedFile::ResetState()
{
    fd_ = -1;
    closeFailed_ = false;
    writing_ = false;
    windowStart_ = 0;
    readPos_ = readEnd_ = 0;
    writePos_ = writeEnd_ = 0;
    refillSize_ = BufferSize;
}

void CBufferedFile::Fail(int errorCode) const
{
    throw CFileError(path_, errorCode);
}

std::size_t CBufferedFile::ReadAt(unsigned char* destination, std::size_t count, std::int64_t offset)
{
    std::size_t done = 0;
    while (done < count) {
        const std::size_t chunk = std::min(count - done, kMaxTransfer);
        const ssize_t n = ::pread(fd_, destination + done, chunk, offset + static_cast<std::int64_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return done;
        }
        if (n == 0) {
            errno = 0;
            return done;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::size_t CBufferedFile::Refill(std::size_t wanted)
{
    windowStart_ += static_cast<std::int64_t>(readEnd_);
    readPos_ = readEnd_ = 0;
    const std::size_t size = std::min(BufferSize, std::max(wanted, refillSize_));
    readEnd_ = ReadAt(buffer_.get(), size, windowStart_);
    refillSize_ = std::min(BufferSize, refillSize_ * 2);
    return readEnd_;
}

unsigned int CBufferedFile::ReadSlow(unsigned char* destination, unsigned int count)
{
    if (!IsOpen() || writing_) {
        errno = EBADF;
        return 0;
    }
    std::size_t done = readEnd_ - readPos_;
    if (done > 0) {
        std::memcpy(destination, buffer_.get() + readPos_, done);
        readPos_ = readEnd_;
    }
    while (done < count) {
        const std::size_t remaining = count - done;
        if (remaining >= BufferSize) {
            windowStart_ += static_cast<std::int64_t>(readEnd_);
            readPos_ = readEnd_ = 0;
            const std::size_t n = ReadAt(destination + done, remaining, windowStart_);
            windowStart_ += static_cast<std::int64_t>(n);
            done += n;
            if (n < remaining) {
                break;
            }
            continue;
        }
        const std::size_t held = Refill(remaining);
        if (held == 0) {
            break;
        }
        const std::size_t take = std::min(held, remaining);
        std::memcpy(destination + done, buffer_.get(), take);
        readPos_ = take;
        done += take;
    }
    return static_cast<unsigned int>(done);
}

bool CBufferedFile::ReadString(std::string& line)
{
    line.clear();
    if (!IsOpen() || writing_) {
        Fail(EBADF);
    }
    for (;;) {
        if (readPos_ == readEnd_ && Refill(1) == 0) {
            if (errno != 0) {
                Fail(errno);
            }
            return !line.empty();
        }
        const unsigned char* start = buffer_.get() + readPos_;
        const std::size_t available = readEnd_ - readPos_;
        const auto* newline = static_cast<const unsigned char*>(std::memchr(start, '\n', available));
        if (newline == nullptr) {
            line.append(reinterpret_cast<const char*>(start), available);
            readPos_ = readEnd_;
            continue;
        }
        line.append(reinterpret_cast<const char*>(start), static_cast<std::size_t>(newline - start));
        readPos_ += static_cast<std::size_t>(newline - start) + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return true;
    }
}

void CBufferedFile::WriteAt(const unsigned char* data, std::size_t count, std::int64_t offset)
{
    std::size_t done = 0;
    while (done < count) {
        const std::size_t chunk = std::min(count - done, kMaxTransfer);
        const ssize_t n = ::pwrite(fd_, data + done, chunk, offset + static_cast<std::int64_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            Fail(n < 0 ? errno : ENOSPC);
        }
        done += static_cast<std::size_t>(n);
    }
}

void CBufferedFile::Flush()
{
    if (writePos_ == 0) {
        return;
    }
    WriteAt(buffer_.get(), writePos_, windowStart_);
    windowStart_ += static_cast<std::int64_t>(writePos_);
    writePos_ = 0;
}

void CBufferedFile::WriteSlow(const unsigned char* data, unsigned int count)
{
    if (!IsOpen() || !writing_) {
        Fail(EBADF);
    }
    Flush();
    if (count >= BufferSize) {
        WriteAt(data, count, windowStart_);
        windowStart_ += count;
        return;
    }
    std::memcpy(buffer_.get(), data, count);
    writePos_ = count;
}

std::int64_t CBufferedFile::GetPosition() const
{
    return windowStart_ + static_cast<std::int64_t>(writing_ ? writePos_ : readPos_);
}

std::int64_t CBufferedFile::GetLength()
{
    if (!IsOpen()) {
        Fail(EBADF);
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        Fail(errno);
    }
    const std::int64_t pending = windowStart_ + static_cast<std::int64_t>(writePos_);
    return writing_ ? std::max<std::int64_t>(info.st_size, pending) : info.st_size;
}

std::int64_t CBufferedFile::Seek(std::int64_t offset, Origin origin)
{
    if (!IsOpen()) {
        Fail(EBADF);
    }
    std::int64_t base = 0;
    if (origin == Current) {
        base = GetPosition();
    } else if (origin == End) {
        base = GetLength();
    } else if (origin != Begin) {
        Fail(EINVAL);
    }
    std::int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0) {
        Fail(EINVAL);
    }
    if (writing_) {
        if (target != GetPosition()) {
            Flush();
            windowStart_ = target;
        }
        return target;
    }
    if (target >= windowStart_ && target <= windowStart_ + static_cast<std::int64_t>(readEnd_)) {
        readPos_ = static_cast<std::size_t>(target - windowStart_);
    } else {
        windowStart_ = target;
        readPos_ = readEnd_ = 0;
        refillSize_ = MinRefill;
    }
    return target;
}

} // namespace tamsel
