#include "support/Platform.h"

#include <filesystem>

#include "tamsel/Path.h"

namespace fennick::platform {

namespace {

// Paths are UTF-8 text in the module; std::filesystem is told so explicitly,
// since a narrow path means the ANSI code page to it on Windows.
std::filesystem::path PathOf(const std::string& utf8)
{
    return {std::u8string(utf8.begin(), utf8.end())};
}

std::string TextOf(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

} // namespace

std::string FindIgnoringCase(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(fs::symlink_status(PathOf(path), error))) {
        return path;
    }
    const char* name = tamsel::CPath::GetNamePtr(path.c_str());
    const std::string folder = path.substr(0, static_cast<std::size_t>(name - path.c_str()));
    std::string found;
    for (fs::directory_iterator it(PathOf(folder.empty() ? "." : folder), error), end; !error && it != end;
         it.increment(error)) {
        const std::string candidate = TextOf(it->path().filename());
        if (EqualsIgnoreCase(candidate.c_str(), name) && (found.empty() || candidate < found)) {
            found = candidate;
        }
    }
    return found.empty() ? path : folder + found;
}

} // namespace fennick::platform
