// A buffered file over the system's file calls, with 64-bit lengths and offsets.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "HostApi.h"

namespace tamsel {

// Reads or writes a file through a 64 KiB buffer.
//
// - Modes: "rb" and "rt" read, "wb" creates or truncates and writes. "t" changes
//   nothing but documents that the file is read with ReadString. Only regular
//   files are opened (an invalid-argument error otherwise): a FIFO or device is
//   refused without blocking, and an existing one is never truncated. The
//   throwing Open says what such a path is.
// - Small Read and Write calls are served inline from the buffer; requests at
//   least as large as the buffer go straight between the descriptor and the
//   caller's memory.
// - A Seek that lands inside the buffered window keeps the buffer. After a Seek
//   outside it, refills start with what the caller asks for (at least 4 KiB) and
//   double with each further sequential refill, so a reader that jumps between
//   distant places does not pay for a whole buffer it will not use.
// - The throwing calls raise tamsel::CFileError (hostside/FileError.h: path and
//   system error text).
// - Sharing and the bool of the opening calls have no meaning here; on
//   Windows every file is opened to share reading, writing and deletion.
// - The last system error of the calling thread is errno, or the thread's last
//   error on Windows. A Read that returns fewer bytes than asked leaves it 0
//   when the file simply ended.
class TAMSEL_API CBufferedFile {
public:
    enum Sharing : int { ShareNone = 0, ShareRead = 1, ShareWrite = 2, ShareReadWrite = 3 };
    enum Origin : int { Begin = 0, Current = 1, End = 2 };

    CBufferedFile();
    CBufferedFile(const char* path, const char* mode, Sharing sharing, bool flag);
    ~CBufferedFile();
    CBufferedFile(const CBufferedFile&) = delete;
    CBufferedFile& operator=(const CBufferedFile&) = delete;

    // Opens `path`; a file that is still open is closed first. Throws CFileError.
    void Open(const char* path, const char* mode, Sharing sharing, bool flag);
    // As Open, but returns false (last system error set) instead of throwing.
    bool OpenNoThrow(const char* path, const char* mode, Sharing sharing, bool flag);
    [[nodiscard]] bool IsOpen() const { return file_ != -1 || closeFailed_; }
    // Writes what is buffered and closes. Throws CFileError when that fails; the
    // file then stays open (even when the descriptor itself could not be
    // closed) so that Abort can give it up.
    void Close();
    // Closes without writing what is buffered and without raising; with
    // `removeFile`, a file opened for writing is deleted.
    void Abort(bool removeFile) noexcept;
    // The path given at opening; still readable after Close.
    [[nodiscard]] const char* GetFileName() const { return path_.c_str(); }

    // Reads up to `count` bytes; fewer means the file ended or a read failed.
    unsigned int Read(void* buffer, unsigned int count)
    {
        if (count <= readEnd_ - readPos_) {
            std::memcpy(buffer, buffer_.get() + readPos_, count);
            readPos_ += count;
            return count;
        }
        return ReadSlow(static_cast<unsigned char*>(buffer), count);
    }

    // The next line without its "\n" or "\r\n"; false and an empty line at the end.
    bool ReadString(std::string& line);

    // Writes all `count` bytes or throws CFileError.
    void Write(const void* data, unsigned int count)
    {
        if (count <= writeEnd_ - writePos_) {
            std::memcpy(buffer_.get() + writePos_, data, count);
            writePos_ += count;
            return;
        }
        WriteSlow(static_cast<const unsigned char*>(data), count);
    }

    // Moves to `offset` from `origin` and returns the new position. Throws
    // CFileError for a position before the start or a file that is not open.
    std::int64_t Seek(std::int64_t offset, Origin origin);
    // The file's length in bytes, buffered writes included. Throws CFileError.
    std::int64_t GetLength();

private:
    static constexpr std::size_t BufferSize = std::size_t{64} * 1024;
    static constexpr std::size_t MinRefill = std::size_t{4} * 1024;

    [[nodiscard]] std::int64_t GetPosition() const;
    unsigned int ReadSlow(unsigned char* destination, unsigned int count);
    void WriteSlow(const unsigned char* data, unsigned int count);
    // Reads at the window's end into the emptied buffer; returns the bytes now held.
    std::size_t Refill(std::size_t wanted);
    std::size_t ReadAt(unsigned char* destination, std::size_t count, std::int64_t offset);
    void WriteAt(const unsigned char* data, std::size_t count, std::int64_t offset);
    void Flush();
    void ResetState();
    [[noreturn]] void Fail(int errorCode) const;

    std::intptr_t file_ = -1;           // the system's descriptor or handle
    bool closeFailed_ = false;          // closing failed: no handle, but Abort may remove the file
    const char* refusedKind_ = nullptr; // what the last refused path was, when not a regular file
    bool writing_ = false;
    std::string path_;
    std::unique_ptr<unsigned char[]> buffer_;
    std::int64_t windowStart_ = 0; // file offset of buffer_[0]
    std::size_t readPos_ = 0;      // reading: next unread byte of the buffer
    std::size_t readEnd_ = 0;      // reading: end of the valid bytes
    std::size_t writePos_ = 0;     // writing: bytes waiting in the buffer
    std::size_t writeEnd_ = 0;     // writing: the buffer's capacity, 0 otherwise
    std::size_t refillSize_ = BufferSize;
};

} // namespace tamsel
