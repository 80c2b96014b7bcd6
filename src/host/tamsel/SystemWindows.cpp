#include "tamsel/System.h"

#include <windows.h>

namespace tamsel::sys {

const int kBadFile = ERROR_INVALID_HANDLE;
const int kInvalid = ERROR_INVALID_PARAMETER;
const int kNoSpace = ERROR_DISK_FULL;

namespace {

// Paths are UTF-8 in the program; the system's wide calls take UTF-16.
std::wstring Wide(const char* utf8)
{
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (length <= 0) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide.data(), length);
    wide.pop_back();
    return wide;
}

HANDLE HandleOf(FileHandle file)
{
    return reinterpret_cast<HANDLE>(file);
}

OVERLAPPED At(std::int64_t offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xffffffffU);
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    return at;
}

// One read or write call moves at most this many bytes (a DWORD count).
DWORD Portion(std::size_t count)
{
    return static_cast<DWORD>(count < 0x40000000U ? count : 0x40000000U);
}

} // namespace

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

int LastError()
{
    return static_cast<int>(::GetLastError());
}

void SetLastError(int error)
{
    ::SetLastError(static_cast<DWORD>(error));
}

std::string ErrorText(int error)
{
    char* text = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, static_cast<DWORD>(error), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                         reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result =
        length > 0 && text != nullptr ? std::string(text, length) : "Unknown error " + std::to_string(error);
    ::LocalFree(text);
    // The system's texts end in a line break, which messages do not want.
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' ')) {
        result.pop_back();
    }
    return result;
}

FileHandle OpenRegular(const char* path, bool writing, const char*& kind)
{
    kind = nullptr;
    const HANDLE handle = ::CreateFileW(Wide(path).c_str(), writing ? GENERIC_WRITE : GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        writing ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return kNoFile;
    }
    // Only files on disk: consoles, devices and pipes have no length, and an
    // existing one is not truncated.
    const DWORD type = ::GetFileType(handle);
    if (type != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        kind = type == FILE_TYPE_CHAR ? "a character device" : type == FILE_TYPE_PIPE ? "a pipe" : "not a regular file";
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return kNoFile;
    }
    if (writing && ::SetEndOfFile(handle) == 0) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        ::SetLastError(error);
        return kNoFile;
    }
    return reinterpret_cast<FileHandle>(handle);
}

std::int64_t ReadAt(FileHandle file, unsigned char* destination, std::size_t count, std::int64_t offset)
{
    OVERLAPPED at = At(offset);
    DWORD done = 0;
    if (::ReadFile(HandleOf(file), destination, Portion(count), &done, &at) == 0) {
        if (::GetLastError() != ERROR_HANDLE_EOF) {
            return -1;
        }
        done = 0;
    }
    if (done == 0) {
        ::SetLastError(ERROR_SUCCESS);
    }
    return done;
}

std::int64_t WriteAt(FileHandle file, const unsigned char* data, std::size_t count, std::int64_t offset)
{
    OVERLAPPED at = At(offset);
    DWORD done = 0;
    if (::WriteFile(HandleOf(file), data, Portion(count), &done, &at) == 0) {
        return -1;
    }
    return done;
}

std::int64_t FileLength(FileHandle file)
{
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(HandleOf(file), &size) != 0 ? size.QuadPart : -1;
}

bool CloseFile(FileHandle file)
{
    return ::CloseHandle(HandleOf(file)) != 0;
}

void RemoveFile(const char* path)
{
    ::DeleteFileW(Wide(path).c_str());
}

} // namespace tamsel::sys
