#include "support/TempDir.h"

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fennick::test {

TempDir::TempDir() : TempDir(std::filesystem::temp_directory_path()) {}

TempDir::TempDir(const std::filesystem::path& base)
{
    std::string pattern = (base / "fennick-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(std::string_view name, std::string_view content) const
{
    const std::string path = File(name);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return path;
}

std::string TempDir::Write(std::string_view name, const std::vector<unsigned char>& content) const
{
    return Write(name, std::string_view(reinterpret_cast<const char*>(content.data()), content.size()));
}

void TempDir::Lay(std::string_view name, const std::string& content) const
{
    if (content == "<folder>") {
        std::filesystem::create_directory(File(name));
    } else if (content == "<fifo>") {
        if (::mkfifo(File(name).c_str(), 0600) != 0) {
            throw std::runtime_error("cannot make a FIFO");
        }
    } else if (content == "<loop>") {
        std::filesystem::create_symlink(name, File(name));
    } else if (content == "<device>") {
        std::filesystem::create_symlink("/dev/null", File(name));
    } else if (content != "<missing>") {
        Write(name, content);
    }
}

std::vector<unsigned char> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::string& path)
{
    const std::vector<unsigned char> bytes = ReadAll(path);
    return {bytes.begin(), bytes.end()};
}

bool WriteSparse(const std::string& path, std::int64_t length,
                 const std::vector<std::pair<std::int64_t, std::string>>& parts)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        return false;
    }
    bool ok = ::ftruncate(fd, length) == 0;
    for (const auto& [offset, bytes] : parts) {
        ok = ok && ::pwrite(fd, bytes.data(), bytes.size(), offset) == static_cast<ssize_t>(bytes.size());
    }
    return ::close(fd) == 0 && ok;
}

} // namespace fennick::test
