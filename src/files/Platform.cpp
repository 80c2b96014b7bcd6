#include "files/Platform.h"

#include <algorithm>
#include <filesystem>
#include <random>

#include "tamsel/Path.h"

namespace fennick::platform {

std::filesystem::path PathOf(const std::string& utf8)
{
    return {std::u8string(utf8.begin(), utf8.end())};
}

std::string TextOf(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return {utf8.begin(), utf8.end()};
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b)
{
    // ASCII only, whatever the C locale: file names and keywords compare the same everywhere.
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(PathOf(path), error));
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return std::filesystem::equivalent(PathOf(a), PathOf(b), error);
}

std::string LinkTarget(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(PathOf(path), error))) {
        return path;
    }
    const std::filesystem::path target = std::filesystem::canonical(PathOf(path), error);
    return error ? path : TextOf(target);
}

std::string FindIgnoringCase(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (Exists(path)) {
        return NameAsHeld(path);
    }
    const char* name = tamsel::CPath::GetNamePtr(path.c_str());
    const std::string folder = path.substr(0, static_cast<std::size_t>(name - path.c_str()));
    std::string found;
    for (fs::directory_iterator it(PathOf(folder.empty() ? "." : folder), error), end; !error && it != end;
         it.increment(error)) {
        const std::string candidate = TextOf(it->path().filename());
        if (EqualsIgnoreCase(candidate, name) && (found.empty() || candidate < found)) {
            found = candidate;
        }
    }
    return found.empty() ? path : folder + found;
}

std::string CreateHiddenFileBeside(const std::string& path)
{
    const char* name = tamsel::CPath::GetNamePtr(path.c_str());
    const char* extension = tamsel::CPath::GetExtensionPtr(name);
    const std::string folder = path.substr(0, static_cast<std::size_t>(name - path.c_str()));
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string hidden = folder + "." + std::string(name, extension) + ".fennick-";
        for (int i = 0; i < 6; ++i) {
            hidden += kLetters[random() % (sizeof kLetters - 1)];
        }
        hidden += extension;
        if (CreateNewFile(hidden.c_str())) {
            return hidden;
        }
        const int reason = LastSystemError();
        const bool taken = Exists(hidden);
        SetLastSystemError(reason);
        if (!taken) {
            break; // failed for another reason than the name, which the last error says
        }
    }
    return {};
}

void CopyPermissions(const std::string& model, const std::string& path)
{
    std::error_code error;
    const auto bits = std::filesystem::status(PathOf(model), error).permissions();
    if (!error) {
        std::filesystem::permissions(PathOf(path), bits, error);
    }
}

} // namespace fennick::platform
