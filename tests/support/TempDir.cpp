#include "support/TempDir.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "support/Posix.h"

namespace fennick::test {

TempDir::TempDir()
{
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    static thread_local std::mt19937_64 random(std::random_device{}()); // tests start programs from threads too
    for (int attempt = 0; attempt < 100; ++attempt) {
        path_ = base / ("fennick-test-" + std::to_string(random() % 1000000000));
        if (std::filesystem::create_directory(path_)) {
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(std::string_view name, std::string_view content) const
{
    std::string path = File(name);
    std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return path;
}

void TempDir::Lay(std::string_view name, const std::string& content) const
{
    if (content == "<folder>") {
        std::filesystem::create_directory(PathOf(File(name)));
    } else if (IsPosixFixture(content)) {
        LayPosixFixture(File(name), content);
    } else if (content != "<missing>") {
        Write(name, content);
    }
}

std::vector<unsigned char> ReadAll(const std::string& path)
{
    std::ifstream in(PathOf(path), std::ios::binary);
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
    std::error_code error;
    std::ofstream(PathOf(path), std::ios::binary | std::ios::trunc).close();
    std::filesystem::resize_file(PathOf(path), static_cast<std::uintmax_t>(length), error);
    std::fstream file(PathOf(path), std::ios::binary | std::ios::in | std::ios::out);
    for (const auto& [offset, bytes] : parts) {
        file.seekp(offset);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    file.close();
    return !error && file.good();
}

} // namespace fennick::test
