#include "tamsel/BufferedFile.h"

#include <algorithm>

#include "hostside/FileError.h"
#include "tamsel/System.h"

namespace tamsel {

namespace {

// Largest count handed to one read or write call (Linux transfers at most this).
constexpr std::size_t kMaxTransfer = 0x7ffff000;

} // namespace

CBufferedFile::CBufferedFile() : buffer_(new unsigned char[BufferSize]) {}

CBufferedFile::CBufferedFile(const char* path, const char* mode, Sharing sharing, bool flag) : CBufferedFile()
{
    Open(path, mode, sharing, flag);
}

CBufferedFile::~CBufferedFile()
{
    if (file_ == sys::kNoFile) {
        return;
    }
    if (writing_) {
        try {
            Flush();
        } catch (const CFileError&) {
            // A destructor cannot report; callers that care call Close.
        }
    }
    sys::CloseFile(file_);
}

void CBufferedFile::Open(const char* path, const char* mode, Sharing sharing, bool flag)
{
    if (OpenNoThrow(path, mode, sharing, flag)) {
        return;
    }
    const int error = sys::LastError();
    if (refusedKind_ != nullptr) {
        throw CFileError(path_, error, std::string("not a regular file (it is ") + refusedKind_ + ")");
    }
    Fail(error);
}

bool CBufferedFile::OpenNoThrow(const char* path, const char* mode, Sharing /*sharing*/, bool /*flag*/)
{
    refusedKind_ = nullptr;
    if (IsOpen()) {
        try {
            Close();
        } catch (const CFileError& error) {
            Abort(false);
            sys::SetLastError(error.GetErrorCode());
            return false;
        }
    }
    path_ = path;
    const bool writing = mode[0] == 'w';
    if ((mode[0] != 'r' && !writing) || std::strspn(mode + 1, "bt") != std::strlen(mode + 1)) {
        sys::SetLastError(sys::kInvalid);
        return false;
    }
    const sys::FileHandle file = sys::OpenRegular(path, writing, refusedKind_);
    if (file == sys::kNoFile) {
        return false;
    }
    ResetState();
    file_ = file;
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
        Fail(sys::kBadFile);
    }
    if (writing_) {
        Flush();
    }
    const bool closed = sys::CloseFile(file_);
    const int error = sys::LastError();
    if (!closed && writing_) {
        // The handle is gone but the file may be incomplete: it stays
        // open to IsOpen, so that Abort can still remove it.
        file_ = sys::kNoFile;
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
    if (file_ != sys::kNoFile) {
        sys::CloseFile(file_);
    }
    if (removeFile && writing_) {
        sys::RemoveFile(path_.c_str());
    }
    ResetState();
}

void CBufferedFile::ResetState()
{
    file_ = sys::kNoFile;
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
        const std::int64_t n = sys::ReadAt(file_, destination + done, chunk, offset + static_cast<std::int64_t>(done));
        if (n <= 0) {
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
        sys::SetLastError(sys::kBadFile);
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
        Fail(sys::kBadFile);
    }
    for (;;) {
        if (readPos_ == readEnd_ && Refill(1) == 0) {
            if (sys::LastError() != 0) {
                Fail(sys::LastError());
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
        const std::int64_t n = sys::WriteAt(file_, data + done, chunk, offset + static_cast<std::int64_t>(done));
        if (n <= 0) {
            Fail(n < 0 ? sys::LastError() : sys::kNoSpace);
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
        Fail(sys::kBadFile);
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
        Fail(sys::kBadFile);
    }
    const std::int64_t length = sys::FileLength(file_);
    if (length < 0) {
        Fail(sys::LastError());
    }
    const std::int64_t pending = windowStart_ + static_cast<std::int64_t>(writePos_);
    return writing_ ? std::max(length, pending) : length;
}

std::int64_t CBufferedFile::Seek(std::int64_t offset, Origin origin)
{
    if (!IsOpen()) {
        Fail(sys::kBadFile);
    }
    std::int64_t base = 0;
    if (origin == Current) {
        base = GetPosition();
    } else if (origin == End) {
        base = GetLength();
    } else if (origin != Begin) {
        Fail(sys::kInvalid);
    }
    if (offset > 0 ? base > INT64_MAX - offset : base + offset < 0) {
        Fail(sys::kInvalid);
    }
    const std::int64_t target = base + offset;
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
