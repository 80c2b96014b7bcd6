#include "FuzzFiles.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fennick::fuzz {

std::vector<std::string_view> SplitParts(const std::uint8_t* data, std::size_t size)
{
    constexpr std::string_view separator = "\n===\n";
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = rest.find(separator);
        parts.push_back(rest.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        rest.remove_prefix(at + separator.size());
    }
}

const std::string& Folder()
{
    static const std::string folder = [] {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        const std::filesystem::path path = base / ("fennick-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path.string();
    }();
    // Declared after `folder`, so destroyed before it: the folder goes when the process ends.
    static const struct Cleanup {
        std::string path;
        ~Cleanup()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } cleanup{folder};
    return folder;
}

void Place(const std::string& name, std::string_view content, bool present)
{
    const std::string path = Folder() + "/" + name;
    if (!present) {
        ::unlink(path.c_str());
        return;
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
}

} // namespace fennick::fuzz
