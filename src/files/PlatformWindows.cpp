#include "files/Platform.h"

#include <cstring>
#include <windows.h>

#include "tamsel/Format.h"
#include "tamsel/Path.h"

namespace fennick::platform {

namespace {

// The UTF-8 path as the UTF-16 text the system's wide calls take.
std::wstring Wide(const char* utf8)
{
    return PathOf(utf8).wstring();
}

} // namespace

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

// A replacing rename takes the name it is given, so a file found under
// another case is named as its folder holds it.
std::string NameAsHeld(const std::string& path)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(Wide(path.c_str()).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return path;
    }
    ::FindClose(search);
    const char* name = tamsel::CPath::GetNamePtr(path.c_str());
    return path.substr(0, static_cast<std::size_t>(name - path.c_str())) +
           TextOf(std::filesystem::path(std::wstring(found.cFileName)));
}

bool CreateNewFile(const char* path)
{
    const HANDLE file =
        ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::CloseHandle(file); // created all the same: the caller removes it by name
    return true;
}

bool MoveReplacing(const char* from, const char* to)
{
    return ::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string WriteRefusal(const char* path)
{
    // Windows keeps one permission bit of its own: read-only.
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0) {
        return {};
    }
    ::SetLastError(ERROR_ACCESS_DENIED);
    return tamsel::FormatSystemErrorMsg();
}

// A folder cannot be locked as a file can: the hold is a named mutex of the
// session, named after the folder's full path as Windows compares names
// (ignoring case). The system releases it when its owner ends.
FolderLock::FolderLock(const std::filesystem::path& folder) : handle_(0)
{
    std::error_code error;
    const std::wstring path = std::filesystem::absolute(folder.empty() ? std::filesystem::path(".") : folder, error)
                                  .lexically_normal()
                                  .wstring();
    std::wstring name(path.size(), L'\0');
    ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.c_str(), static_cast<int>(path.size()), name.data(),
                    static_cast<int>(name.size()), nullptr, nullptr, 0);
    std::uint64_t hash = 14695981039346656037ULL; // FNV-1a
    for (const wchar_t c : name) {
        hash = (hash ^ static_cast<std::uint16_t>(c)) * 1099511628211ULL;
    }
    std::wstring mutexName = L"Local\\fennick-folder-";
    for (int shift = 60; shift >= 0; shift -= 4) {
        mutexName += L"0123456789abcdef"[(hash >> shift) & 0xF];
    }
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, mutexName.c_str());
    if (mutex == nullptr) {
        return;
    }
    const DWORD waited = ::WaitForSingleObject(mutex, INFINITE);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        ::CloseHandle(mutex);
        return;
    }
    handle_ = reinterpret_cast<std::intptr_t>(mutex);
}

FolderLock::~FolderLock()
{
    if (handle_ != 0) {
        const auto mutex = reinterpret_cast<HANDLE>(handle_);
        ::ReleaseMutex(mutex);
        ::CloseHandle(mutex);
    }
}

} // namespace fennick::platform
