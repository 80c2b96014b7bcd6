// The files of one fuzz input, in a folder of the process's own.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fennick::fuzz {

// The folder (in /dev/shm when it exists), made once and removed at exit.
inline const std::string& Folder()
{
    static const struct Owned {
        std::string path = ((std::filesystem::is_directory("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                                       : std::filesystem::temp_directory_path()) /
                            ("fennick-fuzz-" + std::to_string(::getpid())))
                               .string();
        Owned() { std::filesystem::create_directories(path); }
        ~Owned()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

// Writes `content` to `name` in the folder, or removes it when not `present`.
inline void Place(const std::string& name, std::string_view content, bool present = true)
{
    const std::string path = Folder() + "/" + name;
    ::unlink(path.c_str());
    if (present) {
        std::ofstream(path, std::ios::binary).write(content.data(), static_cast<std::streamsize>(content.size()));
    }
}

} // namespace fennick::fuzz
