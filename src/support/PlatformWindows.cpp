#include "support/Platform.h"

#include <cstring>
#include <windows.h>

#include "tamsel/Format.h"

namespace fennick::platform {

namespace {

// The UTF-8 path as the UTF-16 text the system's wide calls take.
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

} // namespace

bool EqualsIgnoreCase(const char* a, const char* b)
{
    return ::_stricmp(a, b) == 0;
}

int LastSystemError()
{
    return static_cast<int>(::GetLastError());
}

void SetLastSystemError(int error)
{
    ::SetLastError(static_cast<DWORD>(error));
}

std::string UnreadableReason(const char* path, int error)
{
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
        return {};
    }
    const std::wstring wide = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return "it is a folder";
    }
    // Devices and pipes open without access rights; their type says what they are.
    const HANDLE handle = ::CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        const DWORD type = ::GetFileType(handle);
        ::CloseHandle(handle);
        if (type == FILE_TYPE_CHAR) {
            return "it is a character device";
        }
        if (type == FILE_TYPE_PIPE) {
            return "it is a pipe";
        }
    }
    ::SetLastError(static_cast<DWORD>(error));
    return tamsel::FormatSystemErrorMsg();
}

int RemoveFile(const char* path)
{
    return ::DeleteFileW(Wide(path).c_str()) != 0 ? 0 : -1;
}

} // namespace fennick::platform
